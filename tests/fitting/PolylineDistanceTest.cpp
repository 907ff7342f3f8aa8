// The outputs' contract, and every written threshold of the scans exactly at
// it and one step to each side.

#include <kv3d/kv3d.h>

#include <cmath>

#include <gtest/gtest.h>

#include "support/Around.h"
#include "support/NamedCases.h"
#include "support/PolylineDistanceReference.h"

namespace {

using P = Kv3dPoint;
using Poly = KvArray<Kv3dPoint>;
using polyline_reference::kInf;
using polyline_reference::library_pair;
using polyline_reference::library_point;
using polyline_reference::library_ray;

// No distance to an empty polyline: infinity, and no output written.
TEST(PolylineDistance, EmptyPolylineGivesInfinityAndWritesNothing) {
    const Poly empty, two{P(0, 0, 0), P(1, 0, 0)}, one{P(1, 1, 1)};
    P nearest(7, 8, 9), other(7, 8, 9);
    int segment = -5;
    double parameter = -5.0;
    const auto pair = [&](const Poly& a, const Poly& b) {
        return Kv3d_distance(a, b, nearest, other, &segment, &parameter, &segment, &parameter);
    };
    expect_each<double>({
        {"point", Kv3d_distance(P(1, 2, 3), empty, nearest, &segment, &parameter), kInf},
        {"ray", Kv3d_distance(Kv3dRay(), empty, nearest, &segment, &parameter), kInf},
        {"pair, first empty", pair(empty, two), kInf},
        {"pair, second empty", pair(two, empty), kInf},
        {"pair, one vertex and empty", pair(one, empty), kInf},
        {"nearest", nearest.x(), 7.0},
        {"other nearest", other.z(), 9.0},
        {"segment", double(segment), -5.0},
        {"parameter", parameter, -5.0},
    });
}

// Pointers may be null everywhere, and an output may be the input object.
TEST(PolylineDistance, NullPointersAndSharedObjects) {
    const Poly elbow{P(0, 0, 0), P(2, 0, 0), P(2, 2, 0)};
    P nearest, other, q(3, 3, 0), same;
    const Kv3dRay ray(P(0, 1, 0), Kv3dDirection(1, 0, 0));
    const double pair = Kv3d_distance(Poly{P(1, 1, -1), P(1, 1, 1)}, elbow, nearest, other, nullptr,
                                      nullptr, nullptr, nullptr);
    expect_each<double>({
        {"point, null pointers", Kv3d_distance(P(3, 3, 0), elbow, nearest, nullptr, nullptr),
         std::sqrt(2.0)},
        {"ray, null pointers", Kv3d_distance(ray, elbow, nearest, nullptr, nullptr), 0.0},
        {"pair, null pointers", pair, 1.0},
        {"pair, null pointers: earlier of two at 1", other.x(), 1.0},
        {"point, nearest over the query", Kv3d_distance(q, elbow, q, nullptr, nullptr),
         std::sqrt(2.0)},
        {"point, nearest over the query: written", q.y(), 2.0},
        {"pair, both nearest in one object",
         Kv3d_distance(Poly{P(1, -2, 0)}, elbow, same, same, nullptr, nullptr, nullptr, nullptr),
         2.0},
        {"pair, both nearest in one object: second written last", same.y(), 0.0},
    });
}

// The longest x with x * x <= same_point_sqr(): a ray's geom_zero segment.
double geom_zero_limit() {
    double at = std::sqrt(Kv3dResObj::same_point_sqr());
    while (at * at > Kv3dResObj::same_point_sqr()) at = std::nextafter(at, 0.0);
    while (std::nextafter(at, 1.0) * std::nextafter(at, 1.0) <= Kv3dResObj::same_point_sqr()) {
        at = std::nextafter(at, 1.0);
    }
    return at;
}

// Each probe builds the case for one value x and returns the output that
// shows which side of a threshold the scan took.
using Probe = double (*)(double x);

// The sampling step switches from 1 to 2 at 40 vertices (39 below it, 41
// above). All segments are degenerate, so the sampled start is the answer:
// the vertex at index 4 when every vertex is sampled, else the first sampled
// one of 3 and 5.
const Probe kSampledStart = [](double x) {
    const double n = x < 40 ? 39 : x > 40 ? 41 : 40;
    Poly v;
    for (double i = 0; i < n; ++i) v.append(P(0, 0, i * 1e-21));
    return double(library_point(P(0, 0, 4e-21), v).nearest.segment);
};
// Segments whose every component is below 1e-20 are skipped. Segment 0,
// measured, ties with segment 1 at distance 1 and wins as the earlier one.
const Probe kPointSegment = [](double length) {
    const Poly v{P(0, 0, 0), P(length, 0, 0), P(length, 5, 0)};
    return double(library_point(P(-1, 0, 0), v).nearest.segment);
};
// A segment with |L| >= 1e-6 is projected onto; a shorter one is measured
// from its first vertex.
const Probe kPointParameter = [](double length) {
    return library_point(P(length / 2, 1, 0), Poly{P(0, 0, 0), P(length, 0, 0)}).nearest.parameter;
};
// A squared distance below 1e-20 is reported as 0.0. Beside the unit segment
// along x, and from a ray parallel to it, the square is y^2 + 1e-36 as rounded.
const Poly kUnit{P(0, 0, 0), P(1, 0, 0)};
const Probe kPointDistance = [](double y) {
    return library_point(P(0.5, y, 1e-18), kUnit).distance;
};
const Probe kRayDistance = [](double y) {
    return library_ray(Kv3dRay(P(0.5, y, 1e-18), Kv3dDirection(1, 0, 0)), kUnit).distance;
};
// A ray measures a geom_zero segment at its first vertex (parameter 0); a
// longer one at the closest approach, here its second vertex on the ray.
const Probe kRayParameter = [](double length) {
    const Kv3dRay z_axis(P(0, 0, 0), Kv3dDirection(0, 0, 1));
    return library_ray(z_axis, Poly{P(length, 0, 0), P(0, 0, 0)}).nearest.parameter;
};
// The closest approach of two segments counts only when both are longer than
// 1e-6 and the second's part across the first, |r11|, exceeds 1e-6; else the
// segment ends are projected. A short segment across a long one, 1 above it,
// shows which: its midpoint (parameter 0.5) or its first end (0.0).
const Poly kAcross{P(0, -1, 1), P(0, 1, 1)};
const Probe kShortFirst = [](double length) {
    return library_pair(Poly{P(-length / 2, 0, 0), P(length / 2, 0, 0)}, kAcross).first.parameter;
};
const Probe kShortSecond = [](double length) {
    return library_pair(kAcross, Poly{P(-length / 2, 0, 0), P(length / 2, 0, 0)}).second.parameter;
};
// Segment j at slope y along x, 1 above segment i, crossing it in plan at the
// midpoints: the ends give the projection of j's first end (0.25).
const Probe kSlope = [](double slope) {
    const Poly sloped{P(-0.5, -slope / 2, 1), P(0.5, slope / 2, 1)};
    return library_pair(Poly{P(-1, 0, 0), P(1, 0, 0)}, sloped).first.parameter;
};

TEST(PolylineDistance, Thresholds) {
    const double y = 9.999999999999999e-11;  // y^2 + 1e-36 is 1e-20 as rounded
    const struct {
        const char* name;
        Probe probe;
        double at, below, on, above, tol;
    } cases[] = {
        {"sampling step, 40 vertices", kSampledStart, 40, 4, 3, 3, 0},
        {"point, segment components 1e-20", kPointSegment, 1e-20, 1, 0, 0, 0},
        {"point, segment length 1e-6", kPointParameter, 1e-6, 0, 0.5, 0.5, 0},
        {"point, square 1e-20", kPointDistance, y, 0, 1e-10, 1e-10, 1e-24},
        {"ray, square 1e-20", kRayDistance, y, 0, 1e-10, 1e-10, 1e-24},
        {"ray, geom_zero segment", kRayParameter, geom_zero_limit(), 0, 0, 1, 0},
        {"pair, first of length 1e-6", kShortFirst, 1e-6, 0, 0, 0.5, 1e-9},
        {"pair, second of length 1e-6", kShortSecond, 1e-6, 0, 0, 0.5, 1e-9},
        {"pair, |r11| of 1e-6", kSlope, 1e-6, 0.25, 0.25, 0.5, 1e-9},
    };
    for (const auto& c : cases) {
        const double want[] = {c.below, c.on, c.above};
        for (int k = 0; k < 3; ++k) {
            const Neighbour x = around(c.at)[k];
            EXPECT_NEAR(c.probe(x.value), want[k], c.tol) << "case: " << c.name << ", " << x.name;
        }
    }
}

}  // namespace
