#pragma once

// Axis-aligned boxes around vertices, and the test by which the polyline scans
// pass over segments that cannot change their result.
//
// Why the test is safe. A scan step changes the scan's state only when a
// squared distance it computes, d2, is strictly below the current bound B (a
// squared distance; a polyline pair keeps D = sqrt of it and compares with
// fl(D * D)). Every such d2 is the rounded squared length of a vector that
// the step obtains from differences of vertices (w = q - Vi, e = V(i+1) - Vi;
// for a pair also the second segment's vector) by at most two Householder
// reflections and a few products with parameters in [0, 1]. Those operations
// are backward stable: sqrt(d2) >= delta - K u (|w| + |e| + ...), delta the
// exact distance of the two point sets, u = 2^-53 and K a small constant
// (below 10^3 for these fixed-size computations). delta is at least the
// distance of the boxes around the point sets, and every difference above
// has its components bounded by the extent X of the union of the two boxes
// (the largest of its side lengths). Hence when
//     gap2 > (sqrt(B) + 1e-10 X + 1e-150)^2
// (gap2 the boxes' squared distance, rounded) sqrt(d2) exceeds sqrt(B) by
// about 1e-10 X - 10^4 u X > 0, and the step cannot take d2: skipping it
// leaves the state as it was. 1e-10 X covers the rounding with a factor of
// 10^4 to spare; 1e-150 covers underflow of tiny differences. The test is
// made only when every side of the union is below 1e100, so that no product
// in a step overflows; otherwise, and whenever a value is infinite or NaN,
// it answers false and the step runs.
//
// Boxes leave NaN coordinates out (every comparison with NaN is false). A
// segment with a NaN coordinate never changes a scan: NaN reaches every
// distance it computes, and NaN < B is false. So its box need not hold it.

#include <kv3d/Kv3dPoint.h>

#include <cstddef>
#include <limits>

namespace kv3d_polyline {

struct DistanceBox {
    double lo[3];
    double hi[3];

    // The empty box, which grows to hold the points added to it.
    DistanceBox() {
        for (int k = 0; k < 3; ++k) {
            lo[k] = std::numeric_limits<double>::infinity();
            hi[k] = -std::numeric_limits<double>::infinity();
        }
    }
    explicit DistanceBox(const Kv3dPoint& p) : DistanceBox() { add(p); }
    // The box of count consecutive points.
    DistanceBox(const Kv3dPoint* p, std::size_t count) : DistanceBox() {
        for (std::size_t i = 0; i < count; ++i) {
            add(p[i]);
        }
    }

    void add(const Kv3dPoint& p) {
        for (int k = 0; k < 3; ++k) {
            lo[k] = p[k] < lo[k] ? p[k] : lo[k];
            hi[k] = p[k] > hi[k] ? p[k] : hi[k];
        }
    }
    void add(const DistanceBox& b) {
        for (int k = 0; k < 3; ++k) {
            lo[k] = b.lo[k] < lo[k] ? b.lo[k] : lo[k];
            hi[k] = b.hi[k] > hi[k] ? b.hi[k] : hi[k];
        }
    }
};

// True when every point of a lies farther than limit (a distance) from every
// point of b by more than the rounding of a scan step can hide; see above.
inline bool far_apart(const DistanceBox& a, const DistanceBox& b, double limit) {
    double gap2 = 0.0;
    double extent = 0.0;
    for (int k = 0; k < 3; ++k) {
        const double below = a.lo[k] - b.hi[k];
        const double above = b.lo[k] - a.hi[k];
        const double gap =
            below > above ? (below > 0.0 ? below : 0.0) : (above > 0.0 ? above : 0.0);
        gap2 += gap * gap;
        const double side =
            (a.hi[k] > b.hi[k] ? a.hi[k] : b.hi[k]) - (a.lo[k] < b.lo[k] ? a.lo[k] : b.lo[k]);
        if (!(side < 1e100)) {
            return false;
        }
        extent = side > extent ? side : extent;
    }
    const double margin = limit + 1e-10 * extent + 1e-150;
    return gap2 > margin * margin;
}

}  // namespace kv3d_polyline
