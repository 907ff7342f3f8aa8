// The polyline distances: the outputs' contract, every written threshold of
// the scans exactly at it and one step to each side, and the library's faster
// scans against the literal scans, to the bit.

#include <kv3d/kv3d.h>

#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "support/Around.h"
#include "support/NamedCases.h"
#include "support/PolylineDistanceReference.h"
#include "support/RandomDraw.h"

namespace {

using P = Kv3dPoint;
using V = Kv3dVector;
using namespace polyline_reference;

// An empty polyline gives infinity and writes nothing; pointers may be null,
// and an output may be the input object.
TEST(PolylineDistance, OutputsContract) {
    const Poly empty, elbow{P(0, 0, 0), P(2, 0, 0), P(2, 2, 0)};
    P nearest(7, 8, 9), other(7, 8, 9), q(3, 3, 0), same;
    int segment = -5;
    double parameter = -5.0;
    const auto pair = [&](const Poly& a, const Poly& b) {
        return Kv3d_distance(a, b, nearest, other, &segment, &parameter, &segment, &parameter);
    };
    const auto bare = [&](const Poly& a, P& p, P& p2) {
        return Kv3d_distance(a, elbow, p, p2, nullptr, nullptr, nullptr, nullptr);
    };
    const Kv3dRay ray(P(0, 1, 0), Kv3dDirection(1, 0, 0));
    expect_each<double>({
        {"empty, point", Kv3d_distance(P(1, 2, 3), empty, nearest, &segment, &parameter), kInf},
        {"empty, ray", Kv3d_distance(Kv3dRay(), empty, nearest, &segment, &parameter), kInf},
        {"empty, pair, first empty", pair(empty, elbow), kInf},
        {"empty, pair, second empty", pair(elbow, empty), kInf},
        {"empty, nearest", nearest.x(), 7.0},
        {"empty, segment", double(segment), -5.0},
        {"point, null pointers", Kv3d_distance(q, elbow, nearest, nullptr, nullptr),
         std::sqrt(2.0)},
        {"ray, null pointers", Kv3d_distance(ray, elbow, nearest, nullptr, nullptr), 0.0},
        {"pair, null pointers", bare(Poly{P(1, 1, -1), P(1, 1, 1)}, nearest, other), 1.0},
        {"pair, null pointers: earlier of two at 1", other.x(), 1.0},
        {"point, nearest over the query", Kv3d_distance(q, elbow, q, nullptr, nullptr),
         std::sqrt(2.0)},
        {"pair, both nearest in one object: second written last",
         (bare(Poly{P(1, -2, 0)}, same, same), same.y()), 0.0},
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

const Poly kUnit{P(0, 0, 0), P(1, 0, 0)}, kAcross{P(0, -1, 1), P(0, 1, 1)};
Poly centred(double length) { return Poly{P(-length / 2, 0, 0), P(length / 2, 0, 0)}; }

// Each probe builds the case for one value x and returns the output that
// shows which side of the threshold the scan took.
TEST(PolylineDistance, Thresholds) {
    const double y = 9.999999999999999e-11;  // y^2 + 1e-36 is 1e-20 as rounded
    const struct {
        const char* name;
        double at, below, on, above, tol;
        double (*probe)(double x);
    } cases[] = {
        // The sampling step switches from 1 to 2 at 40 vertices (39 below, 41
        // above). All segments are degenerate, so the sampled start is the
        // answer: vertex 4 when every vertex is sampled, else the first of 3, 5.
        {"sampling step, 40 vertices", 40, 4, 3, 3, 0,
         [](double x) {
             Poly v;
             for (int i = 0; i < (x < 40 ? 39 : x > 40 ? 41 : 40); ++i)
                 v.append(P(0, 0, i * 1e-21));
             return double(library_point(P(0, 0, 4e-21), v).first.segment);
         }},
        // Segments whose every component is below 1e-20 are skipped. Segment 0,
        // measured, ties with segment 1 at distance 1 and wins as the earlier.
        {"point, segment components 1e-20", 1e-20, 1, 0, 0, 0,
         [](double x) {
             return double(
                 library_point(P(-1, 0, 0), Poly{P(), P(x, 0, 0), P(x, 5, 0)}).first.segment);
         }},
        // A segment with |L| >= 1e-6 is projected onto; a shorter one is
        // measured from its first vertex.
        {"point, segment length 1e-6", 1e-6, 0, 0.5, 0.5, 0,
         [](double x) {
             return library_point(P(x / 2, 1, 0), Poly{P(), P(x, 0, 0)}).first.parameter;
         }},
        // A squared distance below 1e-20 is reported as 0.0. Beside the unit
        // segment along x, and from a ray parallel to it, the square is
        // y^2 + 1e-36 as rounded.
        {"point, square 1e-20", y, 0, 1e-10, 1e-10, 1e-24,
         [](double x) { return library_point(P(0.5, x, 1e-18), kUnit).distance; }},
        {"ray, square 1e-20", y, 0, 1e-10, 1e-10, 1e-24,
         [](double x) {
             return library_ray(Kv3dRay(P(0.5, x, 1e-18), Kv3dDirection(1, 0, 0)), kUnit).distance;
         }},
        // A ray measures a geom_zero segment at its first vertex (parameter 0);
        // a longer one at the closest approach, here its second vertex.
        {"ray, geom_zero segment", geom_zero_limit(), 0, 0, 1, 0,
         [](double x) {
             const Kv3dRay z_axis(P(0, 0, 0), Kv3dDirection(0, 0, 1));
             return library_ray(z_axis, Poly{P(x, 0, 0), P(0, 0, 0)}).first.parameter;
         }},
        // The closest approach of two segments counts only when both are longer
        // than 1e-6 and the second's part across the first, |r11|, exceeds
        // 1e-6; else the ends are projected. A short segment 1 below a long one
        // shows which: its midpoint (parameter 0.5) or its first end (0.0).
        {"pair, first of length 1e-6", 1e-6, 0, 0, 0.5, 1e-9,
         [](double x) { return library_pair(centred(x), kAcross).first.parameter; }},
        {"pair, second of length 1e-6", 1e-6, 0, 0, 0.5, 1e-9,
         [](double x) { return library_pair(kAcross, centred(x)).second.parameter; }},
        // Segment j at slope x, 1 above segment i, crossing it in plan at the
        // midpoints: the ends give the projection of j's first end (0.25).
        {"pair, |r11| of 1e-6", 1e-6, 0.25, 0.25, 0.5, 1e-9,
         [](double x) {
             const Poly sloped{P(-0.5, -x / 2, 1), P(0.5, x / 2, 1)};
             return library_pair(Poly{P(-1, 0, 0), P(1, 0, 0)}, sloped).first.parameter;
         }},
    };
    for (const auto& c : cases) {
        const double want[] = {c.below, c.on, c.above};
        for (int k = 0; k < 3; ++k) {
            const Neighbour x = around(c.at)[k];
            EXPECT_NEAR(c.probe(x.value), want[k], c.tol) << "case: " << c.name << ", " << x.name;
        }
    }
    // The closest approach counts at t = 0 (0 <= t): segment j starts on
    // segment i, at s = 1/7. Projecting j's start onto i puts that point
    // 9e-16 off (the reflected coordinates do not divide back exactly).
    EXPECT_EQ(library_pair(Poly{P(0, 0, 0), P(49, 0, 0)}, Poly{P(7, 0, 0), P(7, 1, 1)}).distance,
              0.0)
        << "case: closest approach at t = 0";
}

// Long walks (the fuzz target's polylines have at most 47 vertices), near the
// origin or far from it, each step along an axis: on the integer grid (ties
// and parallel segments everywhere), none (a repeated vertex), or of a length
// at a threshold. Queries near a vertex; rays from there in random
// directions.
TEST(PolylineDistanceScan, LongWalksMatchTheLiteralScans) {
    RandomDraw g(11);
    const double steps[] = {-2, -1, 0, 1, 2, 1e-21, 1e-20, 1e-6, 1.0000000000000002e-06};
    const auto walk = [&](int n, const P& from) {
        Poly v;
        for (P p = from; int(v.size()) < n; v.append(p)) p[g.pick(3)] += steps[g.pick(9)];
        return v;
    };
    for (int round = 0; round < 12; ++round) {
        const P from = round % 2 ? P(1e6, -3e5, 7e4) : P(0.5, 0, 0);
        const Poly a = walk(300, from), b = walk(700 + g.pick(300), from + V(0, 0.5, 3));
        const P q = b[g.pick(int(b.size()))] + g.vector(2.0);
        const Kv3dRay r(q, g.vector(1.0).direction());
        const std::string name = "round " + std::to_string(round);
        EXPECT_EQ(difference(library_point(q, b), point(q, b)), "") << "case: point, " << name;
        EXPECT_EQ(difference(library_ray(r, b), ray(r, b)), "") << "case: ray, " << name;
        EXPECT_EQ(difference(library_pair(a, b), pair(a, b)), "") << "case: pair, " << name;
    }
}

}  // namespace
