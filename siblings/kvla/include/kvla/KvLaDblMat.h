#pragma once

#include <kvla/kvla_export.h>

#include <cstddef>
#include <vector>

// Dense matrix of doubles stored column by column: element (i, j) at
// data()[i + j * rows()], indices from 0. Element access is unchecked.
class KVLA_API KvLaDblMat {
public:
    KvLaDblMat() = default;
    KvLaDblMat(int rows, int cols, double value);
    // Copies rows * cols values in storage (column-major) order.
    KvLaDblMat(const double* data, int rows, int cols);

    int rows() const { return rows_; }
    int cols() const { return cols_; }
    double* data() { return data_.data(); }
    const double* data() const { return data_.data(); }

    double& operator()(int i, int j) { return data_[index(i, j)]; }
    const double& operator()(int i, int j) const { return data_[index(i, j)]; }

    // Exchanges rows i and j; out-of-range indices do nothing.
    void swap_rows(int i, int j);
    KvLaDblMat operator-() const;
    // The matrix product; an empty matrix when the inner sizes disagree.
    KvLaDblMat operator*(const KvLaDblMat& other) const;
    KvLaDblMat tr() const;

private:
    std::size_t index(int i, int j) const {
        return static_cast<std::size_t>(i) +
               static_cast<std::size_t>(j) * static_cast<std::size_t>(rows_);
    }

    int rows_ = 0;
    int cols_ = 0;
    std::vector<double> data_;
};
