#pragma once

#include <kvla/kvla_export.h>

#include <cstddef>
#include <vector>

// Dense matrix of doubles stored column by column: element (i, j) at
// data()[i + j * rows()], indices from 0. Element access is unchecked.
//
// Matrices of up to kInlineElements elements (6 x 6 and every smaller shape)
// live inside the object and never touch the heap, so the small systems of
// the geometry code (4 x 4 transforms, 5 x 6 conic systems) cost no
// allocation; larger ones are kept in a heap array.
class KVLA_API KvLaDblMat {
public:
    static constexpr int kInlineElements = 36;

    KvLaDblMat() = default;
    KvLaDblMat(int rows, int cols, double value);
    // Copies rows * cols values in storage (column-major) order.
    KvLaDblMat(const double* data, int rows, int cols);
    KvLaDblMat(const KvLaDblMat&) = default;
    KvLaDblMat& operator=(const KvLaDblMat&) = default;
    // A moved-from matrix is left empty (0 x 0).
    KvLaDblMat(KvLaDblMat&& other) noexcept;
    KvLaDblMat& operator=(KvLaDblMat&& other) noexcept;

    int rows() const { return rows_; }
    int cols() const { return cols_; }
    double* data() { return heap_.empty() ? inline_ : heap_.data(); }
    const double* data() const { return heap_.empty() ? inline_ : heap_.data(); }

    double& operator()(int i, int j) { return data()[index(i, j)]; }
    const double& operator()(int i, int j) const { return data()[index(i, j)]; }

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

    // rows * cols elements: inline_ when they fit, else heap_ (then non-empty).
    std::size_t size() const {
        return static_cast<std::size_t>(rows_) * static_cast<std::size_t>(cols_);
    }

    int rows_ = 0;
    int cols_ = 0;
    double inline_[kInlineElements] = {};
    std::vector<double> heap_;
};
