#include <kv3d/kv3d.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

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

const double kInf = std::numeric_limits<double>::infinity();

void expect_point(const P& p, const P& expected, const std::string& name) {
    EXPECT_EQ(p.x(), expected.x()) << "case: " << name;
    EXPECT_EQ(p.y(), expected.y()) << "case: " << name;
    EXPECT_EQ(p.z(), expected.z()) << "case: " << name;
}

void expect_nearest(const Nearest& n, const Nearest& expected, const std::string& name) {
    expect_point(n.point, expected.point, name);
    EXPECT_EQ(n.segment, expected.segment) << "case: " << name;
    EXPECT_EQ(n.parameter, expected.parameter) << "case: " << name;
}

TEST(PolylineDistance, EmptyPolylineGivesInfinityAndWritesNothing) {
    const Poly empty, two{P(0, 0, 0), P(1, 0, 0)};
    const P untouched(7, 8, 9);
    P nearest = untouched, other = untouched;
    int segment = -5, other_segment = -5;
    double parameter = -5.0, other_parameter = -5.0;
    const struct {
        const char* name;
        double distance;
    } cases[] = {
        {"point", Kv3d_distance(P(1, 2, 3), empty, nearest, &segment, &parameter)},
        {"ray", Kv3d_distance(Kv3dRay(), empty, nearest, &segment, &parameter)},
        {"pair, first empty", Kv3d_distance(empty, two, nearest, other, &segment, &parameter,
                                            &other_segment, &other_parameter)},
        {"pair, second empty", Kv3d_distance(two, empty, nearest, other, &segment, &parameter,
                                             &other_segment, &other_parameter)},
        {"pair, one vertex and empty",
         Kv3d_distance(Poly{P(1, 1, 1)}, empty, nearest, other, &segment, &parameter,
                       &other_segment, &other_parameter)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.distance, kInf) << "case: " << c.name;
    }
    expect_point(nearest, untouched, "empty: nearest");
    expect_point(other, untouched, "empty: other nearest");
    EXPECT_EQ(segment, -5) << "case: empty: segment";
    EXPECT_EQ(other_segment, -5) << "case: empty: other segment";
    EXPECT_EQ(parameter, -5.0) << "case: empty: parameter";
    EXPECT_EQ(other_parameter, -5.0) << "case: empty: other parameter";
}

// Hand-worked answers: the distance, and the nearest point, its segment and
// parameter on each polyline.
TEST(PolylineDistance, HandWorkedPointAndRayCases) {
    const Poly one{P(1, 2, 2)}, elbow{P(0, 0, 0), P(2, 0, 0), P(2, 2, 0)};
    // A ray parallel to a segment has no unique closest approach: the segment
    // is measured at its midpoint, which wins the tie with the later one's end.
    const Poly hook{P(0, 0, 0), P(2, 0, 0), P(2, -5, 0)};
    // All segments degenerate: nothing improves on the sampled start, and the
    // distance is to it, not the root of the bound. The last vertex stands for
    // the last segment, which starts at V1.
    const Poly cluster{P(1, 1, 1), P(1, 1, 1), P(1, 1, 1)}, tiny{P(), P(), P(0, 0, 1e-21)};
    const Kv3dRay along_x(P(0, 0, 0), Kv3dDirection(1, 0, 0));
    // clang-format off
    const struct {
        const char* name;
        Result r;
        double distance;
        Nearest nearest;
    } cases[] = {
        {"point, one vertex", library_point(P(0, 0, 0), one), 3.0, {P(1, 2, 2), 0, 0.0}},
        {"ray, one vertex", library_ray(along_x, one), std::sqrt(8.0), {P(1, 2, 2), 0, 0.0}},
        {"beside the first segment", library_point(P(1, 0.5, 0), elbow), 0.5, {P(1, 0, 0), 0, 0.5}},
        {"beyond the last vertex", library_point(P(3, 3, 0), elbow), std::sqrt(2.0), {P(2, 2, 0), 1, 1.0}},
        {"on the polyline", library_point(P(2, 1, 0), elbow), 0.0, {P(2, 1, 0), 1, 0.5}},
        {"ray parallel at distance 1", library_ray(Kv3dRay(P(7, 1, 0), Kv3dDirection(-1, 0, 0)), hook), 1.0, {P(1, 0, 0), 0, 0.5}},
        {"ray across the first segment", library_ray(Kv3dRay(P(0.5, 3, 2), Kv3dDirection(0, 0, 1)), hook), 3.0, {P(0.5, 0, 0), 0, 0.25}},
        {"three coincident vertices", library_point(P(4, 5, 1), cluster), 5.0, {P(1, 1, 1), 0, 0}},
        {"last vertex nearest", library_point(P(0, 0, 4e-21), tiny), 4e-21, {P(), 1, 0.0}},
    };
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(c.r.distance, c.distance) << "case: " << c.name;
        expect_nearest(c.r.nearest, c.nearest, c.name);
    }
}

TEST(PolylineDistance, HandWorkedPairCases) {
    const Poly one{P(1, 2, 2)}, line{P(0, 5, 0), P(4, 5, 0)};
    // clang-format off
    const struct {
        const char* name;
        PairResult r;
        double distance;
        Nearest first, second;
    } cases[] = {
        {"first has one vertex", library_pair(one, line), std::sqrt(13.0), {P(1, 2, 2), 0, 0.0}, {P(1, 5, 0), 0, 0.25}},
        {"second has one vertex", library_pair(line, one), std::sqrt(13.0), {P(1, 5, 0), 0, 0.25}, {P(1, 2, 2), 0, 0.0}},
        {"both one vertex", library_pair(one, Poly{P(1, 2, 5)}), 3.0, {P(1, 2, 2), 0, 0.0}, {P(1, 2, 5), 0, 0.0}},
    };
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(c.r.distance, c.distance) << "case: " << c.name;
        expect_nearest(c.r.first, c.first, std::string(c.name) + ": first");
        expect_nearest(c.r.second, c.second, std::string(c.name) + ": second");
    }
}

// Pointers may be null everywhere, and an output may be the input object.
TEST(PolylineDistance, NullPointersAndSharedObjects) {
    const Poly elbow{P(0, 0, 0), P(2, 0, 0), P(2, 2, 0)};
    const Poly across{P(1, 1, -1), P(1, 1, 1)};
    P nearest;
    P other;
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

// A zero-length segment changes neither the distance nor the nearest point;
// the later segments' indices move up by one.
TEST(PolylineDistance, RepeatedVertexChangesNothing) {
    const Poly plain{P(0, 0, 0), P(2, 0, 0), P(2, 2, 0), P(0, 3, 1)};
    const Poly repeated{P(0, 0, 0), P(2, 0, 0), P(2, 0, 0), P(2, 2, 0), P(0, 3, 1)};
    const Poly other{P(3, 1, 1), P(3, 1, -1)};
    const Kv3dRay ray(P(2.5, 1.5, 0), Kv3dDirection(0, 0, 1));
    for (const P& q : {P(2.5, -1, 0), P(3, 1, 0), P(1, 2.5, 0.5), P(-1, -1, 0)}) {
        const Result a = library_point(q, plain);
        const Result b = library_point(q, repeated);
        const std::string name = "point (" + std::to_string(q.x()) + ", " + std::to_string(q.y()) +
                                 ", " + std::to_string(q.z()) + ")";
        EXPECT_EQ(a.distance, b.distance) << "case: " << name;
        expect_point(a.nearest.point, b.nearest.point, name);
        EXPECT_EQ(a.nearest.segment + (a.nearest.segment >= 1 ? 1 : 0), b.nearest.segment)
            << "case: " << name;
    }
    const Result ra = library_ray(ray, plain);
    const Result rb = library_ray(ray, repeated);
    EXPECT_EQ(ra.distance, rb.distance) << "case: ray";
    expect_point(ra.nearest.point, rb.nearest.point, "ray");
    EXPECT_EQ(rb.nearest.segment, 2) << "case: ray";
    const PairResult pa = library_pair(other, plain);
    const PairResult pb = library_pair(other, repeated);
    EXPECT_EQ(pa.distance, pb.distance) << "case: pair";
    expect_point(pa.second.point, pb.second.point, "pair");
    EXPECT_EQ(pb.second.segment, 2) << "case: pair";
}

TEST(PolylineDistance, CrossingPolylinesMeetAtTheCrossing) {
    const Poly a{P(-1, -1, 0), P(0, 0, 0), P(2, 2, 0), P(3, 2, 0)};
    const Poly b{P(5, 5, 5), P(0, 2, 0), P(2, 0, 0)};
    const PairResult r = library_pair(a, b);
    EXPECT_LE(r.distance, 1e-15) << "case: crossing at (1, 1, 0)";
    EXPECT_LE(r.first.point.distance(P(1, 1, 0)), 1e-15) << "case: crossing, first point";
    EXPECT_LE(r.second.point.distance(P(1, 1, 0)), 1e-15) << "case: crossing, second point";
    EXPECT_EQ(r.first.segment, 1) << "case: crossing";
    EXPECT_EQ(r.second.segment, 1) << "case: crossing";
    EXPECT_NEAR(r.first.parameter, 0.5, 1e-15) << "case: crossing";
    EXPECT_NEAR(r.second.parameter, 0.5, 1e-15) << "case: crossing";

    const PairResult swapped = library_pair(b, a);
    EXPECT_LE(swapped.distance, 1e-15) << "case: crossing, swapped";
    EXPECT_EQ(swapped.first.segment, 1) << "case: crossing, swapped";
    EXPECT_EQ(swapped.second.segment, 1) << "case: crossing, swapped";
}

// Polylines farther apart than any finite start of the sampled minimum would
// allow still get their true distance and nearest points.
TEST(PolylineDistance, FarApartPolylinesGetTheirTrueDistance) {
    const Poly a{P(0, 0, 0), P(1e10, 0, 0), P(2e10, 0, 0)};
    const Poly b{P(1.5e10, 3e10, 0), P(1.5e10, 9e10, 0)};
    const PairResult r = library_pair(a, b);
    EXPECT_NEAR(r.distance, 3e10, 1e-3) << "case: 3e10 apart";
    EXPECT_EQ(r.first.segment, 1) << "case: 3e10 apart";
    EXPECT_EQ(r.first.parameter, 0.5) << "case: 3e10 apart";
    EXPECT_EQ(r.second.segment, 0) << "case: 3e10 apart";
}

// The sampling step switches from 1 to 2 at 40 vertices. All segments of
// these polylines are degenerate, so the sampled start is the answer: the
// vertex at index 4 when every vertex is sampled, else the first sampled one
// of the two (3 and 5) at the same distance.
TEST(PolylineDistance, SamplingStepSwitchesAtFortyVertices) {
    for (const std::size_t n : {39u, 40u, 41u}) {
        Poly v;
        for (std::size_t i = 0; i < n; ++i) {
            v.append(P(0, 0, static_cast<double>(i) * 1e-21));
        }
        const Result r = library_point(P(0, 0, 4e-21), v);
        EXPECT_EQ(r.nearest.segment, n < 40 ? 4 : 3) << "case: " << n << " vertices";
    }
}

// Segments whose every component is below 1e-20 are skipped. Segment 0,
// measured, ties with segment 1 at distance 1 and wins as the earlier one.
TEST(PolylineDistance, PointSkipsSegmentsBelow1e20) {
    const double at = 1e-20;
    const struct {
        const char* name;
        double length;
        int segment;
    } cases[] = {
        {"length 1e-20 is measured", at, 0},
        {"just above is measured", std::nextafter(at, 1.0), 0},
        {"just below is skipped", std::nextafter(at, 0.0), 1},
    };
    for (const auto& c : cases) {
        const Poly v{P(0, 0, 0), P(c.length, 0, 0), P(c.length, 5, 0)};
        const Result r = library_point(P(-1, 0, 0), v);
        EXPECT_EQ(r.nearest.segment, c.segment) << "case: " << c.name;
        EXPECT_EQ(r.distance, 1.0) << "case: " << c.name;
    }
}

// A segment with |L| >= 1e-6 is projected onto; a shorter one is measured
// from its first vertex.
TEST(PolylineDistance, PointProjectsOntoSegmentsFrom1e6) {
    const struct {
        const char* name;
        double length;
        double parameter;
    } cases[] = {
        {"length 1e-6 is projected onto", 1e-6, 0.5},
        {"just above", std::nextafter(1e-6, 1.0), 0.5},
        {"just below is measured from V0", std::nextafter(1e-6, 0.0), 0.0},
    };
    for (const auto& c : cases) {
        const Result r = library_point(P(c.length / 2, 1, 0), Poly{P(0, 0, 0), P(c.length, 0, 0)});
        EXPECT_EQ(r.nearest.parameter, c.parameter) << "case: " << c.name;
    }
}

// A squared distance below 1e-20 is reported as 0.0. Beside the unit segment
// along x, and from a ray parallel to it, the squared distance is y^2 + z^2
// exactly as rounded.
TEST(PolylineDistance, SquaresBelow1e20AreZero) {
    const double y = 9.999999999999999e-11;
    const struct {
        const char* name;
        P q;
        double distance;
    } cases[] = {
        {"square exactly 1e-20", P(0.5, y, 1e-18), 1e-10},
        {"square just below", P(0.5, y, 0), 0.0},
        {"square just above", P(0.5, 1e-10, 0), std::sqrt(1e-10 * 1e-10)},
    };
    const Poly unit{P(0, 0, 0), P(1, 0, 0)};
    for (const auto& c : cases) {
        EXPECT_EQ(library_point(c.q, unit).distance, c.distance) << "case: point, " << c.name;
        EXPECT_EQ(library_ray(Kv3dRay(c.q, Kv3dDirection(1, 0, 0)), unit).distance, c.distance)
            << "case: ray, " << c.name;
    }
}

// A ray measures a geom_zero segment (|e|^2 <= same_point_sqr()) at its first
// vertex; a longer one at the closest approach, here its second vertex on the
// ray.
TEST(PolylineDistance, RayMeasuresGeomZeroSegmentsAtTheirFirstVertex) {
    // The longest x with x * x <= same_point_sqr().
    double at = std::sqrt(Kv3dResObj::same_point_sqr());
    while (at * at > Kv3dResObj::same_point_sqr()) {
        at = std::nextafter(at, 0.0);
    }
    while (std::nextafter(at, 1.0) * std::nextafter(at, 1.0) <= Kv3dResObj::same_point_sqr()) {
        at = std::nextafter(at, 1.0);
    }
    const struct {
        const char* name;
        double length;
        double parameter;
    } cases[] = {
        {"geom_zero at the tolerance", at, 0.0},
        {"just below", std::nextafter(at, 0.0), 0.0},
        {"just above", std::nextafter(at, 1.0), 1.0},
    };
    const Kv3dRay z_axis(P(0, 0, 0), Kv3dDirection(0, 0, 1));
    for (const auto& c : cases) {
        const Result r = library_ray(z_axis, Poly{P(c.length, 0, 0), P(0, 0, 0)});
        EXPECT_EQ(r.nearest.parameter, c.parameter) << "case: " << c.name;
        EXPECT_EQ(r.distance, c.parameter == 0.0 ? c.length : 0.0) << "case: " << c.name;
    }
}

// The closest approach of two segments counts only when both are longer than
// 1e-6 and the second's part across the first, |r11|, exceeds 1e-6; else the
// segment ends are projected. A short segment across a long one, 1 above it,
// shows which: its midpoint (parameter 0.5) or its first end (parameter 0.0).
TEST(PolylineDistance, PairUsesTheClosestApproachAbove1e6) {
    const struct {
        const char* name;
        double length;
        double parameter;
    } cases[] = {
        {"length 1e-6: ends", 1e-6, 0.0},
        {"just above: closest approach", std::nextafter(1e-6, 1.0), 0.5},
        {"just below: ends", std::nextafter(1e-6, 0.0), 0.0},
    };
    const Poly across{P(0, -1, 1), P(0, 1, 1)};
    for (const auto& c : cases) {
        const Poly short_one{P(-c.length / 2, 0, 0), P(c.length / 2, 0, 0)};
        EXPECT_NEAR(library_pair(short_one, across).first.parameter, c.parameter, 1e-9)
            << "case: first " << c.name;
        EXPECT_NEAR(library_pair(across, short_one).second.parameter, c.parameter, 1e-9)
            << "case: second " << c.name;
    }

    // Segment j at slope y along x, 1 above segment i, crossing it in plan
    // at the midpoints: the ends give the projection of j's first end.
    const struct {
        const char* name;
        double slope;
        double first_parameter;
    } slopes[] = {
        {"|r11| = 1e-6: ends", 1e-6, 0.25},
        {"just above: closest approach", std::nextafter(1e-6, 1.0), 0.5},
        {"just below: ends", std::nextafter(1e-6, 0.0), 0.25},
    };
    const Poly along_x{P(-1, 0, 0), P(1, 0, 0)};
    for (const auto& c : slopes) {
        const Poly sloped{P(-0.5, -c.slope / 2, 1), P(0.5, c.slope / 2, 1)};
        EXPECT_NEAR(library_pair(along_x, sloped).first.parameter, c.first_parameter, 1e-9)
            << "case: " << c.name;
    }
}

}  // namespace
