#pragma once

#include <kv/KvArray.h>

#include <cstddef>

namespace kv3d_detail {

// Element i + k of a, or 0.0 when it does not exist (no index arithmetic
// that could wrap around).
inline double array_element_or_zero(const KvArray<double>& a, std::size_t i, std::size_t k) {
    const std::size_t n = a.size();
    return k < n && i < n - k ? a[i + k] : 0.0;
}

}  // namespace kv3d_detail
