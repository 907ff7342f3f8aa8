#pragma once

#include <cstddef>
#include <vector>

// Dense matrix stored column by column: element (i, j) at data()[i + j * rows()].
template <class T>
class KvMatrix {
public:
    KvMatrix() = default;
    KvMatrix(int rows, int cols) { resize(rows, cols); }
    virtual ~KvMatrix() = default;
    KvMatrix(const KvMatrix&) = default;
    KvMatrix& operator=(const KvMatrix&) = default;

    int rows() const { return rows_; }
    int cols() const { return cols_; }
    T& operator()(int i, int j) { return data_[index(i, j)]; }
    const T& operator()(int i, int j) const { return data_[index(i, j)]; }
    T* data() { return data_.data(); }
    const T* data() const { return data_.data(); }

    // New shape; the elements whose (i, j) lies in both shapes keep their
    // value, the others are value-initialised. Negative sizes count as 0.
    void resize(int rows, int cols) {
        rows = rows < 0 ? 0 : rows;
        cols = cols < 0 ? 0 : cols;
        std::vector<T> next(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols), T());
        for (int j = 0; j < cols && j < cols_; ++j) {
            for (int i = 0; i < rows && i < rows_; ++i) {
                next[static_cast<std::size_t>(i) + static_cast<std::size_t>(j) * rows] =
                    data_[index(i, j)];
            }
        }
        data_.swap(next);
        rows_ = rows;
        cols_ = cols;
    }

private:
    std::size_t index(int i, int j) const {
        return static_cast<std::size_t>(i) +
               static_cast<std::size_t>(j) * static_cast<std::size_t>(rows_);
    }

    int rows_ = 0;
    int cols_ = 0;
    std::vector<T> data_;
};
