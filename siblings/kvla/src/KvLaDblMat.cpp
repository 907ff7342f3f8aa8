#include <kvla/KvLaDblMat.h>

#include <algorithm>
#include <utility>

namespace {

std::size_t element_count(int rows, int cols) {
    return rows > 0 && cols > 0 ? static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols)
                                : 0;
}

}  // namespace

KvLaDblMat::KvLaDblMat(int rows, int cols, double value)
    : rows_(rows > 0 && cols > 0 ? rows : 0), cols_(rows > 0 && cols > 0 ? cols : 0) {
    const std::size_t n = element_count(rows, cols);
    if (n > static_cast<std::size_t>(kInlineElements)) {
        heap_.assign(n, value);
    } else {
        std::fill(inline_, inline_ + n, value);
    }
}

KvLaDblMat::KvLaDblMat(const double* data, int rows, int cols) : KvLaDblMat(rows, cols, 0.0) {
    if (data != nullptr) {
        std::copy(data, data + size(), this->data());
    }
}

KvLaDblMat::KvLaDblMat(KvLaDblMat&& other) noexcept : KvLaDblMat() { *this = std::move(other); }

KvLaDblMat& KvLaDblMat::operator=(KvLaDblMat&& other) noexcept {
    if (this != &other) {
        rows_ = other.rows_;
        cols_ = other.cols_;
        std::copy(other.inline_, other.inline_ + kInlineElements, inline_);
        heap_ = std::move(other.heap_);
        other.heap_.clear();
        other.rows_ = 0;
        other.cols_ = 0;
    }
    return *this;
}

void KvLaDblMat::swap_rows(int i, int j) {
    if (i < 0 || j < 0 || i >= rows_ || j >= rows_ || i == j) {
        return;
    }
    for (int c = 0; c < cols_; ++c) {
        std::swap((*this)(i, c), (*this)(j, c));
    }
}

KvLaDblMat KvLaDblMat::operator-() const {
    KvLaDblMat result(*this);
    double* d = result.data();
    for (std::size_t k = 0; k < size(); ++k) {
        d[k] = -d[k];
    }
    return result;
}

KvLaDblMat KvLaDblMat::operator*(const KvLaDblMat& other) const {
    if (cols_ != other.rows_) {
        return KvLaDblMat();
    }
    KvLaDblMat result(rows_, other.cols_, 0.0);
    for (int j = 0; j < other.cols_; ++j) {
        for (int i = 0; i < rows_; ++i) {
            double sum = 0.0;
            for (int k = 0; k < cols_; ++k) {
                sum += (*this)(i, k) * other(k, j);
            }
            result(i, j) = sum;
        }
    }
    return result;
}

KvLaDblMat KvLaDblMat::tr() const {
    KvLaDblMat result(cols_, rows_, 0.0);
    for (int j = 0; j < cols_; ++j) {
        for (int i = 0; i < rows_; ++i) {
            result(j, i) = (*this)(i, j);
        }
    }
    return result;
}
