#include <kvla/KvLaDblMat.h>

#include <algorithm>

namespace {

std::size_t element_count(int rows, int cols) {
    return rows > 0 && cols > 0 ? static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols)
                                : 0;
}

}  // namespace

KvLaDblMat::KvLaDblMat(int rows, int cols, double value)
    : rows_(rows > 0 && cols > 0 ? rows : 0),
      cols_(rows > 0 && cols > 0 ? cols : 0),
      data_(element_count(rows, cols), value) {}

KvLaDblMat::KvLaDblMat(const double* data, int rows, int cols) : KvLaDblMat(rows, cols, 0.0) {
    if (data != nullptr) {
        std::copy(data, data + data_.size(), data_.begin());
    }
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
    for (double& v : result.data_) {
        v = -v;
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
