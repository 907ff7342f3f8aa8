#include <kv3d/Kv3dArithmetic.h>

#include <cmath>

namespace {

// a_i + b_i, or 0.0 when the result is below a_i's rounding noise.
double snapped(double a, double r) { return std::fabs(a) * 1e-12 > std::fabs(r) ? 0.0 : r; }

}  // namespace

Kv3dVector Kv3d_difference(const Kv3dVector& a, const Kv3dVector& b) {
    return Kv3dVector(snapped(a.x(), a.x() - b.x()), snapped(a.y(), a.y() - b.y()),
                      snapped(a.z(), a.z() - b.z()));
}

Kv3dVector Kv3d_difference(const Kv3dPoint& a, const Kv3dPoint& b) {
    return Kv3d_difference(a.as_vector(), b.as_vector());
}

Kv3dVector Kv3d_sum(const Kv3dVector& a, const Kv3dVector& b) {
    return Kv3dVector(snapped(a.x(), a.x() + b.x()), snapped(a.y(), a.y() + b.y()),
                      snapped(a.z(), a.z() + b.z()));
}
