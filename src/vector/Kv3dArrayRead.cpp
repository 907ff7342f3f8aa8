#include <kv3d/detail/Kv3dArrayRead.h>

namespace kv3d_detail {

double array_element_or_zero(const KvArray<double>& a, std::size_t i, std::size_t k) {
    const std::size_t n = a.size();
    if (i >= n || k >= n - i) {
        return 0.0;
    }
    return a[i + k];
}

}  // namespace kv3d_detail
