// Kv3dTriangle::intersect answers true only for pieces that come within 1.5
// point tolerances of each other (plus rounding of the coordinates): checked
// against distances computed in extended precision, on the shapes that let
// rounding noise through the Cramer solves (pieces in one plane or nearly
// so, nearly collinear vertices) and on pairs just beyond twice the
// tolerance on one axis, which a sweep over boxes widened by the tolerance
// must never miss. Crossings at small angles, down to where the crossing
// solve turns singular and the in-plane rule takes over, stay true.

#include <kv3d/kv3d.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "support/RandomDraw.h"
#include "support/ResolutionGuard.h"

namespace {

using P = Kv3dPoint;
using V = Kv3dVector;

// ---- Distances in extended precision ---------------------------------------

using L = long double;

struct Q {
    L x, y, z;
};

Q q(const P& p) { return {p.x(), p.y(), p.z()}; }
Q operator-(const Q& a, const Q& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Q operator+(const Q& a, const Q& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Q operator*(const Q& a, L s) { return {a.x * s, a.y * s, a.z * s}; }
L dot(const Q& a, const Q& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Q cross(const Q& a, const Q& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
L length(const Q& a) { return std::sqrt(dot(a, a)); }
L unit_clamp(L t) { return std::clamp(t, L(0), L(1)); }

L point_segment(const Q& p, const Q& a, const Q& b) {
    const Q d = b - a;
    const L dd = dot(d, d);
    return length(a + d * (dd > 0 ? unit_clamp(dot(p - a, d) / dd) : 0) - p);
}

// Closest points of two segments (clamped), checked against the four ends.
L segment_segment(const Q& p1, const Q& q1, const Q& p2, const Q& q2) {
    const Q d1 = q1 - p1, d2 = q2 - p2, r = p1 - p2;
    const L a = dot(d1, d1), e = dot(d2, d2), b = dot(d1, d2);
    const L den = a * e - b * b;
    L best = std::min({point_segment(p1, p2, q2), point_segment(q1, p2, q2),
                       point_segment(p2, p1, q1), point_segment(q2, p1, q1)});
    if (den > 0) {
        const L s = unit_clamp((b * dot(d2, r) - e * dot(d1, r)) / den);
        const L t = unit_clamp((b * s + dot(d2, r)) / e);
        best = std::min(best, length(p1 + d1 * s - (p2 + d2 * t)));
    }
    return best;
}

// The closed triangle abc against the segment b0 b1.
L segment_triangle(const Q& b0, const Q& b1, const Q& a, const Q& b, const Q& c) {
    const Q n = cross(b - a, c - a);
    auto inside = [&](const Q& p) {
        return dot(cross(b - a, p - a), n) >= 0 && dot(cross(c - b, p - b), n) >= 0 &&
               dot(cross(a - c, p - c), n) >= 0;
    };
    L best = std::min({segment_segment(b0, b1, a, b), segment_segment(b0, b1, b, c),
                       segment_segment(b0, b1, c, a)});
    const L nn = dot(n, n);
    if (nn > 0) {
        const L h0 = dot(b0 - a, n), h1 = dot(b1 - a, n);
        if (h0 != h1 && (h0 <= 0) != (h1 < 0)) {
            if (inside(b0 + (b1 - b0) * (h0 / (h0 - h1)))) return 0;
        }
        for (const Q& e : {b0, b1}) {
            const L h = dot(e - a, n) / nn;
            if (inside(e - n * h)) best = std::min(best, std::fabs(h) * std::sqrt(nn));
        }
    }
    return best;
}

L distance(const Kv3dTriangle& s, const Kv3dTriangle& t) {
    const Q a[3] = {q(s.p0()), q(s.p1()), q(s.p2())}, b[3] = {q(t.p0()), q(t.p1()), q(t.p2())};
    L best = HUGE_VALL;
    for (int i = 0; i < 3; ++i) {
        best = std::min(best, segment_triangle(a[i], a[(i + 1) % 3], b[0], b[1], b[2]));
        best = std::min(best, segment_triangle(b[i], b[(i + 1) % 3], a[0], a[1], a[2]));
    }
    return best;
}

Kv3dTriangle tri(std::initializer_list<double> c) {
    const double* x = c.begin();
    return Kv3dTriangle(P(x[0], x[1], x[2]), P(x[3], x[4], x[5]), P(x[6], x[7], x[8]));
}

// ---- Pairs apart -----------------------------------------------------------

// Pairs that rounding noise in the crossing solve reported as meeting, though
// far apart: the first from the field (in one plane within rounding), the
// second a triangle with nearly collinear vertices (the sine of its angle
// 1e-15).
TEST(TriangleFarApart, PairsThatRoundingNoiseMadeMeet) {
    struct Case {
        const char* name;
        Kv3dTriangle a, b;
    };
    const Case cases[] = {
        {"one plane, 0.26 apart",
         tri({-1.678527300038235, -0.33534172013156294, 2.2610281666146377, -0.91540439675413587,
              2.7766064486510529, -2.5034512158351605, 3.1032641994503023, 2.7502055909716909,
              0.56672100617222254}),
         tri({1.0774203343234237, 2.9183739066216257, -1.2466563071319772, 1.76903006786415,
              4.1169276948205935, -2.7802033709017273, 0.6024499196699622, 3.0631217885565252,
              -1.8525005134754626})},
        {"nearly collinear vertices",
         tri({1.4566225038282752, 1.2373114938859202, -4.2868355168446044, 0.2421700873458868,
              0.10413475778559482, -0.62799376225620174, 0.18488925015835772, 0.050687367633202529,
              -0.45542090884910863}),
         tri({2.3936967529431863, -0.27256274580596696, -7.93094966594946, -2.4638003074883628,
              -2.7136395678724359, 1.5803763562787774, -0.023354113219425023, -0.14361957401749995,
              0.17196432477697052})},
    };
    for (const Case& c : cases) {
        EXPECT_GT(distance(c.a, c.b), 0.05L) << "case: " << c.name;
        EXPECT_FALSE(c.a.intersect(c.b)) << "case: " << c.name << ", a against b";
        EXPECT_FALSE(c.b.intersect(c.a)) << "case: " << c.name << ", b against a";
    }
}

// A triangle with vertices in a cube of side 2 r about c.
Kv3dTriangle random_triangle(RandomDraw& d, const P& c, double r) {
    const P a = c + d.vector(r), b = c + d.vector(r);
    return Kv3dTriangle(a, b, c + d.vector(r));
}

P random_centre(RandomDraw& d) { return d.pick(2) == 0 ? d.point(8000.0) : d.point(10.0); }

// The second triangle's vertices are points of the first one's plane (as
// rounding leaves them) at affine coordinates in [-3, 3], lifted off it by
// lift times a random factor in [-1, 1].
Kv3dTriangle in_plane_of(RandomDraw& d, const Kv3dTriangle& a, double lift) {
    const V e1 = a.p1() - a.p0(), e2 = a.p2() - a.p0(), n = a.normal() * 1.0;
    P v[3];
    for (P& p : v)
        p = a.p0() + e1 * d.uniform(-3, 3) + e2 * d.uniform(-3, 3) + n * (lift * d.uniform(-1, 1));
    return Kv3dTriangle(v[0], v[1], v[2]);
}

struct Pair {
    Kv3dTriangle a, b;
};

Pair coplanar(RandomDraw& d) {
    const Kv3dTriangle a = random_triangle(d, random_centre(d), std::pow(10.0, d.uniform(-1, 1)));
    return {a, in_plane_of(d, a, 0.0)};
}

// Planes at an angle between 1e-16 and 1e-6 radians.
Pair tilted(RandomDraw& d) {
    const Kv3dTriangle a = random_triangle(d, random_centre(d), std::pow(10.0, d.uniform(-1, 1)));
    const Kv3dTriangle b = in_plane_of(d, a, 0.0);
    return {a, in_plane_of(d, b, (b.p1() - b.p0()).length() * std::pow(10.0, d.uniform(-16, -6)))};
}

// The first triangle's third vertex off the line of the other two by a
// relative 1e-17 to 1e-5; the second is random about it or a sliver too.
Pair nearly_collinear(RandomDraw& d) {
    const P c = random_centre(d);
    const double r = std::pow(10.0, d.uniform(-1, 1));
    const P p = c + d.vector(r), q = c + d.vector(r);
    const double off = (q - p).length() * std::pow(10.0, d.uniform(-17, -5));
    const Kv3dTriangle a(p, q, p + (q - p) * d.uniform(-1, 2) + d.unit() * off);
    if (d.pick(2) == 0) return {a, random_triangle(d, c, r)};
    const V s = (q - p) * 2.0;
    return {a, Kv3dTriangle(p + s * d.uniform(-1, 1), p + s * d.uniform(-1, 1),
                            p + s * d.uniform(-1, 1) + d.unit() * (off * d.uniform(0, 1e6)))};
}

// Pairs of three families, both ways: none farther apart than twice the
// point tolerance meets.
TEST(TriangleFarApart, FamiliesFoundBySearchNeverMeetFarApart) {
    struct Family {
        const char* name;
        Pair (*make)(RandomDraw&);
    };
    const Family families[] = {
        {"in one plane", coplanar}, {"tilted", tilted}, {"nearly collinear", nearly_collinear}};
    const L far = 2.0L * Kv3dResObj::same_point_tol();
    RandomDraw d(4711);
    for (const Family& f : families) {
        int apart = 0, meeting = 0;
        for (int n = 0; n < 3000; ++n) {
            const Pair p = f.make(d);
            if (!(distance(p.a, p.b) > far)) continue;
            ++apart;
            meeting += p.a.intersect(p.b) || p.b.intersect(p.a) ? 1 : 0;
        }
        EXPECT_GT(apart, 1000) << "case: " << f.name << ", pairs apart";
        EXPECT_EQ(meeting, 0) << "case: " << f.name << ", of " << apart << " pairs apart";
    }
}

// The interference search tests only pairs whose boxes, widened by the
// point tolerance, overlap: on sets drawn from the three families it must
// find exactly the pairs that testing all pairs finds.
TEST(TriangleFarApart, InterferenceSearchFindsWhatAllPairsFind) {
    Pair (*const families[])(RandomDraw&) = {coplanar, tilted, nearly_collinear};
    RandomDraw d(1618);
    KvArray<Kv3dTriangle> a, b;
    for (int n = 0; n < 600; ++n) {
        const Pair p = families[n % 3](d);
        a.append(p.a);
        b.append(p.b);
    }
    KvArray<KvPair<std::size_t, std::size_t>> pairs;
    ASSERT_TRUE(Kv3d_find_intersecting_triangles(a, b, pairs)) << "case: search ran";
    std::vector<std::pair<std::size_t, std::size_t>> found, all;
    for (const auto& p : pairs) {
        found.emplace_back(p.first, p.second);
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        for (std::size_t j = 0; j < b.size(); ++j) {
            if (a[i].intersect(b[j])) {
                all.emplace_back(i, j);
            }
        }
    }
    EXPECT_GT(all.size(), 100u) << "case: pairs that meet";
    EXPECT_EQ(found, all) << "case: search against all pairs";
}

// The second triangle moved along a coordinate axis until the boxes lie
// 2 tol (1 + delta) apart on it: boxes widened by the tolerance are then
// disjoint, and the triangles must not meet. Coplanar pairs in planes that
// contain the axis, slivers and random pairs; deltas from 1e-9 to 0.5.
TEST(TriangleFarApart, PairsJustBeyondTwiceTheToleranceOnAnAxisNeverMeet) {
    const double tol = Kv3dResObj::same_point_tol();
    RandomDraw d(90210);
    int wrong = 0, tested = 0;
    for (int n = 0; n < 6000; ++n) {
        const int axis = d.pick(3);
        Pair p = n % 3 == 0 ? coplanar(d) : (n % 3 == 1 ? nearly_collinear(d) : tilted(d));
        if (n % 3 == 0) {  // a plane containing the axis: move b within it
            V u(0, 0, 0);
            u[axis] = 1.0;
            const V w = d.unit();
            const P o = p.a.p0();
            p.a = Kv3dTriangle(o + u * d.uniform(-1, 1) + w * d.uniform(-1, 1),
                               o + u * d.uniform(-1, 1) + w * d.uniform(-1, 1),
                               o + u * d.uniform(-1, 1) + w * d.uniform(-1, 1));
            p.b = in_plane_of(d, p.a, 0.0);
        }
        const Kv3dBBox ba = p.a.bbox(), bb = p.b.bbox();
        if (ba.is_empty() || bb.is_empty()) continue;
        const double delta = std::pow(10.0, d.uniform(-9, -0.3));
        V shift(0, 0, 0);
        shift[axis] = ba.bbmax()[axis] - bb.bbmin()[axis] + 2.0 * tol * (1.0 + delta);
        const Kv3dTriangle b = p.b + shift;
        if (!(b.bbox().bbmin()[axis] - ba.bbmax()[axis] > 2.0 * tol))
            continue;  // rounding of the shift took the gap back
        ++tested;
        wrong += p.a.intersect(b) || b.intersect(p.a) ? 1 : 0;
    }
    EXPECT_GT(tested, 5000) << "case: pairs tested";
    EXPECT_EQ(wrong, 0) << "case: of " << tested << " pairs beyond twice the tolerance";
}

// ---- Crossings at small angles ---------------------------------------------

// A segment through an inner point of a triangle at angles from 1e-4 down to
// 1e-18 radians with its plane, of length 1 or 100, near the origin and near
// the model extent, under the load-time tolerance and a fine one: the
// crossing solve decides the steeper ones, the in-plane rule those it finds
// singular.
TEST(TriangleFarApart, CrossingsAtSmallAnglesStayTrue) {
    for (double tol : {1e-3, 1e-9}) {
        ResolutionGuard guard(tol, 1e-7, 8000.0);
        for (double at : {0.0, 8000.0}) {
            const V o(at * 0.6, -at * 0.8, at * 0.3);
            const P a = P(0, 0, 0) + o, b = P(1, 0.1, 0.05) + o, c = P(0.2, 0.9, -0.1) + o;
            const Kv3dTriangle t(a, b, c);
            const V n = t.normal() * 1.0, along = (b - a) * (1.0 / (b - a).length());
            const P inner = a + (b - a) * 0.3 + (c - a) * 0.3;
            for (double length : {1.0, 100.0}) {
                for (int k = 4; k <= 18; ++k) {
                    const double angle = std::pow(10.0, -k);
                    const V dir = along * std::cos(angle) + n * std::sin(angle);
                    const P b0 = inner - dir * (0.5 * length), b1 = inner + dir * (0.5 * length);
                    const std::string name =
                        "tol " + std::to_string(tol) + ", at " + std::to_string(at) + ", length " +
                        std::to_string(length) + ", angle 1e-" + std::to_string(k);
                    EXPECT_TRUE(t.intersect(Kv3dLine(b0, b1))) << "case: " << name;
                    EXPECT_TRUE(t.intersect(Kv3dLine(b1, b0))) << "case: " << name << ", reversed";
                }
            }
        }
    }
}

}  // namespace
