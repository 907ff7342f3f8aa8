#include "Kv3dKeyBound.h"

namespace kv3d_detail {

double certified_key_bound(const Kv3dPoint& o, const Kv3dPoint& x, double r) {
    if (!(r >= 1e-140 && r <= 1e140)) {
        return -1.0;
    }
    const double e = o.distance(x);
    const double rho = (r * (1.0 - 2e-12) - e * (1.0 + 1e-12) - 1e-140) * (1.0 - 1e-12);
    if (!(rho > 0.0)) {
        return -1.0;
    }
    return rho * rho * (1.0 - 1e-12);
}

}  // namespace kv3d_detail
