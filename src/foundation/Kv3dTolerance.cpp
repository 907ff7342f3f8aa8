#include <kv3d/Kv3dTolerance.h>

#include <cmath>

bool Kv3d_same_location(const Kv3dPoint& a, const Kv3dPoint& b, double tol) {
    const double dx = a.x() - b.x();
    const double dy = a.y() - b.y();
    const double dz = a.z() - b.z();
    if (std::fabs(dx) > tol || std::fabs(dy) > tol || std::fabs(dz) > tol) {
        return false;
    }
    return dx * dx + dy * dy + dz * dz <= tol * tol;
}
