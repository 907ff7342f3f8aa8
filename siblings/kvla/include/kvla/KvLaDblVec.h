#pragma once

#include <kvla/kvla_export.h>

#include <vector>

// Dense vector of doubles, indices from 0. Element access is unchecked.
class KVLA_API KvLaDblVec {
public:
    KvLaDblVec() = default;
    // n elements equal to value; the second argument is reserved (pass 0).
    KvLaDblVec(int n, int reserved, double value);

    int size() const { return static_cast<int>(data_.size()); }
    double& operator()(int i) { return data_[static_cast<std::size_t>(i)]; }
    const double& operator()(int i) const { return data_[static_cast<std::size_t>(i)]; }
    KvLaDblVec& operator*=(double factor);

private:
    std::vector<double> data_;
};
