#pragma once

#include <kv3d/kv3d_export.h>

class Kv3dPoint;
class Kv3dVector;

// Tolerance predicates with an explicit bound, independent of the model
// resolution. Those that take points or vectors are defined with the vector
// types (Kv3dPoint.h, Kv3dVector.h), which every caller includes anyway.

// True exactly when x^2 + y^2 + z^2 <= 1e-40. A component above 1e-20 fails
// early (the test is signed: a negative component passes the early step);
// NaN gives false.
inline bool Kv3d_numerical_zero(const double& x, const double& y, const double& z) {
    if (x > 1e-20 || y > 1e-20 || z > 1e-20) {
        return false;
    }
    return x * x + y * y + z * z <= 1e-40;
}

// The same test on a vector's components.
inline bool Kv3d_numerical_zero(const Kv3dVector& v);

// |a - b| <= tol, per axis first, then squared (inclusive). A negative tol
// gives false for every pair.
KV3D_API bool Kv3d_same_location(const Kv3dPoint& a, const Kv3dPoint& b, double tol);

// True when a and b lie strictly closer than max_dist: false for a negative
// bound, true for the same object twice (with a bound >= 0).
inline bool Kv3d_distance_less_than_maximum_distance(const Kv3dPoint& a, const Kv3dPoint& b,
                                                     const double& max_dist);

// True exactly when a and b lie strictly farther apart than max_dist: true for
// a negative bound, false for the same object twice.
inline bool Kv3d_distance_succeeds_maximum_distance(const Kv3dPoint& a, const Kv3dPoint& b,
                                                    const double& max_dist);
