#include <kvla/KvLaDblVec.h>

KvLaDblVec::KvLaDblVec(int n, int, double value)
    : data_(n > 0 ? static_cast<std::size_t>(n) : 0, value) {}

KvLaDblVec& KvLaDblVec::operator*=(double factor) {
    for (double& v : data_) {
        v *= factor;
    }
    return *this;
}
