// Hand-worked polyline distances, the outputs' contract, and every written
// threshold of the scans exactly at it and one step to each side.

#include <kv3d/kv3d.h>

#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "support/PolylineDistanceReference.h"

namespace {

using P = Kv3dPoint;
using Poly = KvArray<Kv3dPoint>;
using polyline_reference::library_pair;
using polyline_reference::library_point;
using polyline_reference::library_ray;
using polyline_reference::Nearest;
using polyline_reference::PairResult;
using polyline_reference::Result;

void expect_point(const P& p, const P& expected, const std::string& name) {
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(p[k], expected[k]) << "case: " << name << ", coordinate " << k;
    }
}

TEST(PolylineDistance, EmptyPolylineGivesInfinityAndWritesNothing) {
    const Poly empty, two{P(0, 0, 0), P(1, 0, 0)}, one{P(1, 1, 1)};
    const P untouched(7, 8, 9);
    P nearest = untouched, other = untouched;
    int segment = -5, other_segment = -5;
    double parameter = -5.0, other_parameter = -5.0;
    const auto pair = [&](const Poly& a, const Poly& b) {
        return Kv3d_distance(a, b, nearest, other, &segment, &parameter, &other_segment,
                             &other_parameter);
    };
    const struct {
        const char* name;
        double distance;
    } cases[] = {
        {"point", Kv3d_distance(P(1, 2, 3), empty, nearest, &segment, &parameter)},
        {"ray", Kv3d_distance(Kv3dRay(), empty, nearest, &segment, &parameter)},
        {"pair, first empty", pair(empty, two)},
        {"pair, second empty", pair(two, empty)},
        {"pair, one vertex and empty", pair(one, empty)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.distance, std::numeric_limits<double>::infinity()) << "case: " << c.name;
    }
    expect_point(nearest, untouched, "empty: nearest");
    expect_point(other, untouched, "empty: other nearest");
    EXPECT_EQ(segment, -5) << "case: empty: segment";
    EXPECT_EQ(other_segment, -5) << "case: empty: other segment";
    EXPECT_EQ(parameter, -5.0) << "case: empty: parameter";
    EXPECT_EQ(other_parameter, -5.0) << "case: empty: other parameter";
}

// Conventions the brute-force comparisons do not pin: ties, and the distance
// when no segment improves on the sampled start (then it is the exact
// distance to that vertex, not the root of the bound).
TEST(PolylineDistance, HandWorkedPointAndRayCases) {
    // A ray parallel to a segment has no unique closest approach: the segment
    // is measured at its midpoint, which wins the tie with the later one's end.
    const Poly hook{P(0, 0, 0), P(2, 0, 0), P(2, -5, 0)};
    const Kv3dRay back(P(7, 1, 0), Kv3dDirection(-1, 0, 0));
    // All segments degenerate: the last vertex stands for the last segment,
    // which starts at V1.
    const Poly cluster{P(1, 1, 1), P(1, 1, 1), P(1, 1, 1)}, tiny{P(), P(), P(0, 0, 1e-21)};
    const struct {
        const char* name;
        Result r;
        double distance;
        Nearest nearest;
    } cases[] = {
        {"ray parallel at distance 1", library_ray(back, hook), 1.0, {P(1, 0, 0), 0, 0.5}},
        {"three coincident vertices", library_point(P(4, 5, 1), cluster), 5.0, {P(1, 1, 1), 0, 0}},
        {"last vertex nearest", library_point(P(0, 0, 4e-21), tiny), 4e-21, {P(), 1, 0.0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.r.distance, c.distance) << "case: " << c.name;
        expect_point(c.r.nearest.point, c.nearest.point, c.name);
        EXPECT_EQ(c.r.nearest.segment, c.nearest.segment) << "case: " << c.name;
        EXPECT_EQ(c.r.nearest.parameter, c.nearest.parameter) << "case: " << c.name;
    }
}

// The distance (to within tol), and the segment and parameter of the nearest
// point on each polyline.
TEST(PolylineDistance, HandWorkedPairCases) {
    const Poly one{P(1, 2, 2)}, line{P(0, 5, 0), P(4, 5, 0)};
    const Poly a{P(-1, -1, 0), P(0, 0, 0), P(2, 2, 0), P(3, 2, 0)},
        b{P(5, 5, 5), P(0, 2, 0), P(2, 0, 0)};  // crossing at (1, 1, 0)
    // Farther apart than any finite start of the sampled minimum would allow.
    const Poly far_a{P(0, 0, 0), P(1e10, 0, 0), P(2e10, 0, 0)},
        far_b{P(1.5e10, 3e10, 0), P(1.5e10, 9e10, 0)};
    const struct {
        const char* name;
        PairResult r;
        double distance, tol;
        int first_segment;
        double first_parameter;
        int second_segment;
        double second_parameter;
    } cases[] = {
        {"first has one vertex", library_pair(one, line), std::sqrt(13.0), 0, 0, 0.0, 0, 0.25},
        {"second has one vertex", library_pair(line, one), std::sqrt(13.0), 0, 0, 0.25, 0, 0.0},
        {"crossing", library_pair(a, b), 0.0, 1e-15, 1, 0.5, 1, 0.5},
        {"crossing, swapped", library_pair(b, a), 0.0, 1e-15, 1, 0.5, 1, 0.5},
        {"3e10 apart", library_pair(far_a, far_b), 3e10, 1e-3, 1, 0.5, 0, 0.0},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(c.r.distance, c.distance, c.tol) << "case: " << c.name;
        EXPECT_EQ(c.r.first.segment, c.first_segment) << "case: " << c.name;
        EXPECT_NEAR(c.r.first.parameter, c.first_parameter, 1e-15) << "case: " << c.name;
        EXPECT_EQ(c.r.second.segment, c.second_segment) << "case: " << c.name;
        EXPECT_NEAR(c.r.second.parameter, c.second_parameter, 1e-15) << "case: " << c.name;
    }
}

// Pointers may be null everywhere, and an output may be the input object.
TEST(PolylineDistance, NullPointersAndSharedObjects) {
    const Poly elbow{P(0, 0, 0), P(2, 0, 0), P(2, 2, 0)}, across{P(1, 1, -1), P(1, 1, 1)};
    P nearest, other;
    EXPECT_EQ(Kv3d_distance(P(3, 3, 0), elbow, nearest, nullptr, nullptr), std::sqrt(2.0))
        << "case: point, null pointers";
    EXPECT_EQ(Kv3d_distance(Kv3dRay(P(0, 1, 0), Kv3dDirection(1, 0, 0)), elbow, nearest, nullptr,
                            nullptr),
              0.0)
        << "case: ray, null pointers";
    EXPECT_EQ(Kv3d_distance(across, elbow, nearest, other, nullptr, nullptr, nullptr, nullptr), 1.0)
        << "case: pair, null pointers";
    expect_point(other, P(1, 0, 0), "pair, null pointers: earlier of two at 1");

    P q(3, 3, 0);
    EXPECT_EQ(Kv3d_distance(q, elbow, q, nullptr, nullptr), std::sqrt(2.0))
        << "case: point, nearest written over the query";
    expect_point(q, P(2, 2, 0), "point, nearest written over the query");
    P same;
    EXPECT_EQ(
        Kv3d_distance(Poly{P(1, -2, 0)}, elbow, same, same, nullptr, nullptr, nullptr, nullptr),
        2.0)
        << "case: pair, both nearest points in one object";
    expect_point(same, P(1, 0, 0), "pair, both nearest points in one object: second written last");
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

// The sampling step switches from 1 to 2 at 40 vertices. All segments are
// degenerate, so the sampled start is the answer: the vertex at index 4 when
// every vertex is sampled, else the first sampled one of 3 and 5.
const Probe kSampledStart = [](double n) {
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

double up(double x) { return std::nextafter(x, 2 * x); }
double down(double x) { return std::nextafter(x, 0.0); }

TEST(PolylineDistance, Thresholds) {
    const double y = 9.999999999999999e-11;  // y^2 + 1e-36 is 1e-20 as rounded
    const double zero = geom_zero_limit();
    const struct {
        const char* name;
        Probe probe;
        double x, expected, tol = 0.0;
    } cases[] = {
        {"39 vertices: step 1", kSampledStart, 39, 4},
        {"40 vertices: step 2", kSampledStart, 40, 3},
        {"41 vertices: step 2", kSampledStart, 41, 3},
        {"segment of 1e-20 is measured", kPointSegment, 1e-20, 0},
        {"segment just above 1e-20 is measured", kPointSegment, up(1e-20), 0},
        {"segment just below 1e-20 is skipped", kPointSegment, down(1e-20), 1},
        {"segment of 1e-6 is projected onto", kPointParameter, 1e-6, 0.5},
        {"segment just above 1e-6 is projected onto", kPointParameter, up(1e-6), 0.5},
        {"segment just below 1e-6 is measured from V0", kPointParameter, down(1e-6), 0.0},
        {"point, square exactly 1e-20", kPointDistance, y, 1e-10},
        {"point, square just below", kPointDistance, down(y), 0.0},
        {"point, square just above", kPointDistance, up(y), std::sqrt(up(y) * up(y) + 1e-36)},
        {"ray, square exactly 1e-20", kRayDistance, y, 1e-10},
        {"ray, square just below", kRayDistance, down(y), 0.0},
        {"ray, square just above", kRayDistance, up(y), std::sqrt(up(y) * up(y) + 1e-36)},
        {"ray, geom_zero segment at the tolerance", kRayParameter, zero, 0.0},
        {"ray, segment just below", kRayParameter, down(zero), 0.0},
        {"ray, segment just above", kRayParameter, up(zero), 1.0},
        {"first of length 1e-6: ends", kShortFirst, 1e-6, 0.0, 1e-9},
        {"first just above: closest approach", kShortFirst, up(1e-6), 0.5, 1e-9},
        {"first just below: ends", kShortFirst, down(1e-6), 0.0, 1e-9},
        {"second of length 1e-6: ends", kShortSecond, 1e-6, 0.0, 1e-9},
        {"second just above: closest approach", kShortSecond, up(1e-6), 0.5, 1e-9},
        {"second just below: ends", kShortSecond, down(1e-6), 0.0, 1e-9},
        {"|r11| = 1e-6: ends", kSlope, 1e-6, 0.25, 1e-9},
        {"|r11| just above: closest approach", kSlope, up(1e-6), 0.5, 1e-9},
        {"|r11| just below: ends", kSlope, down(1e-6), 0.25, 1e-9},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(c.probe(c.x), c.expected, c.tol) << "case: " << c.name;
    }
}

}  // namespace
