#include <kv3d/kv3d.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "support/NamedCases.h"

namespace {

using P = Kv3dPoint;
using V = Kv3dVector;
const P O(0, 0, 0), X(1, 0, 0), Y(0, 1, 0);
const Kv3dTriangle T(O, X, Y);

Kv3dTriangle tri(const P& a, const P& b, const P& c) { return Kv3dTriangle(a, b, c); }

void expect_par(const KvTrianglePar& w, double w0, double w1, double w2, const char* name) {
    EXPECT_LT(std::fabs(w[0] - w0) + std::fabs(w[1] - w1) + std::fabs(w[2] - w2), 1e-12)
        << "case: " << name << ": " << w[0] << " " << w[1] << " " << w[2];
}

bool meets(const Kv3dTriangle& t, const P& a, const P& b) { return t.intersect(Kv3dLine(a, b)); }

// The cached validity flag, seen from outside: false gives area 0 and normal
// (0, 0, 1); true with a vanishing edge would give the zero direction.
bool valid_flag(const Kv3dTriangle& k) { return k.area() > 0 || k.normal().z() != 1; }

TEST(Triangle, ValidityFlagFollowsEveryWriter) {
    const double c[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    // Edges of 1e-25 grow to 1e5 under a scaling; a far shift rounds edges of 1e-10 away.
    Kv3dTriangle small(O, P(1e-25, 0, 0), P(0, 1e-25, 0)), t = T;
    const Kv3dTriangle tiny(O, P(1e-10, 0, 0), P(0, 1e-10, 0));
    const V far(1e10, 1e10, 0);
    // Braced lists evaluate in order: small is listed before it is scaled.
    expect_each<bool>({{"default", valid_flag(Kv3dTriangle()), false},
                       {"from an array", valid_flag(Kv3dTriangle(c)), true},
                       {"from a null array",
                        valid_flag(Kv3dTriangle(static_cast<const double*>(nullptr))), false},
                       {"point and two vectors", valid_flag(Kv3dTriangle(O, X - O, Y - O)), true},
                       {"repeated vertex", valid_flag(tri(O, O, Y)), false},
                       {"edges of 1e-25", valid_flag(small), false},
                       {"scaled by 1e30", valid_flag(small.apply(Kv3dTransform(1e30, O))), true},
                       {"edges of 1e-10", valid_flag(tiny), true},
                       {"+ far", valid_flag(tiny + far), false},
                       {"- far", valid_flag(tiny - far), false},
                       {"+= far", valid_flag(Kv3dTriangle(tiny) += far), false},
                       {"-= far", valid_flag(Kv3dTriangle(tiny) -= far), false}});
    // Each vertex set onto another and back.
    void (Kv3dTriangle::*const set[])(const P&) = {&Kv3dTriangle::set_p0, &Kv3dTriangle::set_p1,
                                                   &Kv3dTriangle::set_p2};
    const P to[] = {O, X, X, Y, Y, O};
    for (int k = 0; k < 6; ++k) {
        (t.*set[(k / 2 + 1) % 3])(to[k]);
        EXPECT_EQ(valid_flag(t), k % 2 == 1) << "case: vertex set, step " << k;
    }
}

TEST(Triangle, GeometryWeightsAndDegenerateFallbacks) {
    const Kv3dTriangle line(O, X, P(3, 0, 0)), nearly(O, P(1e-4, 0, 0), Y);
    const Kv3dDirection n = line.normal();
    expect_each<double>({{"normal", T.normal().z(), 1},
                         {"reversed normal", tri(O, Y, X).normal().z(), -1},
                         {"area", T.area(), 0.5},
                         {"box", T.bbox().bbmax().x(), 1},
                         {"coordinate 3", T[3], 1.0},
                         {"coordinate 7", T[7], 1.0},
                         {"coordinate 9", T[9], 0.0},
                         {"coordinate -1", T[-1], 0.0},
                         // Weights are used as given.
                         {"evaluate", T.evaluate({2, -1, 3}).distance(P(-1, 3, 0)), 0},
                         {"collinear area", line.area(), 0.0},
                         {"collinear normal", n.x() + n.y() + n.z(), 0.0}});
    expect_each<bool>(
        {{"centre of area", T.center_of_area().distance(P(1, 1, 0) * (1.0 / 3)) < 1e-15, true},
         {"default box", Kv3dTriangle().bbox().is_empty(), true},
         {"collinear, numerically valid", line.numerical_valid(), true},
         {"collinear, valid", line.is_valid(), true},
         {"short edge, numerically valid", nearly.numerical_valid(), true},
         {"short edge, valid", nearly.is_valid(), false},
         {"edge of 1e-25", tri(O, P(1e-25, 0, 0), Y).numerical_valid(), false}});
    const Kv3dTriangle t(P(1, 1, 1), P(2, 1, 1), P(1, 2, 1));
    expect_par(t.find_parameter(P(1.25, 1.25, 8)), 0.5, 0.25, 0.25, "inside");
    expect_par(t.find_parameter(P(3, 1, 1)), -1, 2, 0, "outside");
    // Collinear distinct vertices: the foot on the edge line p0 p1.
    expect_par(line.find_parameter(P(2, 5, 0)), -1, 2, 0, "collinear");
    expect_par(tri(O, O, P(4, 0, 0)).find_parameter(X), 0, 0.75, 0.25, "p0 = p1");
    // p0 ~ p1 ~ p2 within the point tolerance, p2 - p0 beyond it: the edge p2 -> p0.
    const Kv3dTriangle chain(O, P(0.0008, 0, 0), P(0.0016, 0, 0));
    expect_par(chain.find_parameter(P(0.0004, 1, 0)), 0.75, 0, 0.25, "chain");
    expect_par(tri(X, X, X).find_parameter(Y), 1.0 / 3, 1.0 / 3, 1.0 / 3, "one point");
}

TEST(Triangle, JournalText) {
    std::ostringstream out;
    KvJournal j(out);
    j << tri(O, P(0.5, -2, 0), Y);
    EXPECT_EQ(
        out.str(),
        "Kv3dTriangle p0 (0, 0, 0)\n             p1 (0.5, -2, 0)\n             p2 (0, 1, 0)\n");
    out.str("");  // one indentation, the three lines, one empty expression
    T.debug(j, static_cast<KvDebug>(1), false, 2);
    T.debug(j, static_cast<KvDebug>(2), false, 2);
    EXPECT_EQ(
        out.str(),
        "  Kv3dTriangle p0 (0, 0, 0)\n             p1 (1, 0, 0)\n             p2 (0, 1, 0)\n\n");
}

// A segment crossing the plane steeply meets the triangle only where the
// crossing lies in it exactly: no tolerance band around the edges or at the
// segment's ends. In the plane: inside, through a vertex, crossing an edge within the
// tolerance, outside. Parallel to an edge, the start decides: within the
// point tolerance of the plane. Inside is measured from p0. Collinear
// vertices span no plane: only a real crossing of an edge counts.
TEST(TriangleIntersect, Segments) {
    const Kv3dTriangle moved = T + V(5, 5, 5), flat(O, X, P(2, 0, 0));
    expect_each<bool>({
        {"crossing", T.intersect(Kv3dLine(P(0.25, 0.25, -1), V(0, 0, 2))), true},
        {"beyond the long edge", meets(T, {0.75, 0.75, -1}, {0.75, 0.75, 1}), false},
        {"stops short", meets(T, {0.25, 0.25, -1}, {0.25, 0.25, -0.5}), false},
        {"ends 1e-13 short", meets(T, {0.25, 0.25, -1}, {0.25, 0.25, -1e-13}), false},
        {"ends on the triangle", meets(T, {0.25, 0.25, -1}, {0.25, 0.25, 0}), true},
        {"ends 1e-13 beyond", meets(T, {0.25, 0.25, -1}, {0.25, 0.25, 1e-13}), true},
        {"crosses 1e-13 outside an edge", meets(T, {0.5, -1e-13, -1}, {0.5, -1e-13, 1}), false},
        {"crosses on an edge", meets(T, {0.5, 0, -1}, {0.5, 0, 1}), true},
        {"crosses 1e-13 inside an edge", meets(T, {0.5, 1e-13, -1}, {0.5, 1e-13, 1}), true},
        {"vanishing vector", T.intersect(Kv3dLine(P(0.25, 0.25, 0), V(0, 0, 1e-21))), false},
        {"in plane, inside", meets(T, {0.1, 0.2, 0}, {0.3, 0.25, 0}), true},
        {"in plane, through a vertex", meets(T, {-1, 2, 0}, {1, -2, 0}), true},
        {"crossing an edge within tol", meets(T, {0.2, 0.3, 0.0004}, {2, 0.5, -0.0004}), true},
        {"in plane, outside", meets(T, {0.6, 0.6, 0}, {2, 0.7, 0}), false},
        {"parallel, 0.5 tol", meets(T, {0.1, 0.1, 0.0005}, {0.3, 0.1, 0.0005}), true},
        {"parallel, 2 tol", meets(T, {0.1, 0.1, 0.002}, {0.3, 0.1, 0.002}), false},
        {"moved, inside", meets(moved, {5.1, 5.1, 5}, {5.3, 5.1, 5}), true},
        {"moved, at the old place", meets(moved, {0.1, 0.1, 0}, {0.3, 0.1, 0}), false},
        {"collinear, crossing", meets(flat, {0.5, -1, 0}, {0.5, 1, 0}), true},
        {"collinear, near", meets(flat, {0.5, 0.0005, 0}, {0.6, 0.0005, 0.0001}), false},
    });
}

TEST(TriangleIntersect, TrianglePairs) {
    const Kv3dTriangle up(P(0.1, 0.2, 1), P(0.9, 0.3, 1), P(0.2, 0.7, 1));
    const double tol = Kv3dResObj::same_point_tol();
    const struct {
        const char* name;
        Kv3dTriangle a, b;
        bool meets;
    } cases[] = {
        {"chain links", tri(O, {4, 0, 0}, {0, 4, 0}), tri({1, 1, -1}, {1, 1, 2}, {6, 1, -1}), true},
        {"parallel planes", T, up, false},
        {"inside, within tolerance", T, up - V(0, 0, 1 - 0.5 * tol), true},
        {"2 tol above", T, up - V(0, 0, 1 - 2 * tol), false},
        {"coplanar overlap", T, tri({0.5, 0.3, 0}, {1.5, 0.4, 0}, {0.6, 1.2, 0}), true},
        {"coplanar apart", T, tri({1, 1, 0}, {2, 1.2, 0}, {1.3, 2, 0}), false},
        {"a shared vertex", T, tri(X, {2, 0, 0}, {1, 1, 0}), true},
        {"default triangle", T, Kv3dTriangle(), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.a.intersect(c.b), c.meets) << "case: " << c.name;
        EXPECT_EQ(c.b.intersect(c.a), c.meets) << "case: " << c.name << ", swapped";
    }
}

// The projection of p lies inside t with every barycentric weight above
// margin (normal equations of p - p0 = v e1 + w e2).
bool inside_by(const Kv3dTriangle& t, const P& p, double margin) {
    const V e1 = t.p1() - t.p0(), e2 = t.p2() - t.p0(), r = p - t.p0();
    const double d00 = e1 % e1, d01 = e1 % e2, d11 = e2 % e2, den = d00 * d11 - d01 * d01;
    const double v = (d11 * (r % e1) - d01 * (r % e2)) / den;
    const double w = (d00 * (r % e2) - d01 * (r % e1)) / den;
    return 1.0 - v - w > margin && v > margin && w > margin;
}

double point_triangle_distance(const Kv3dTriangle& t, const P& p) {
    if (inside_by(t, p, 0.0)) return std::fabs(t.normal() % (p - t.p0()));
    double d = 1e300;
    const P v[3] = {t.p0(), t.p1(), t.p2()};
    for (int i = 0; i < 3; ++i) {
        const V e = v[(i + 1) % 3] - v[i];
        d = std::min(d, (v[i] + e * std::clamp((e % (p - v[i])) / (e % e), 0.0, 1.0)).distance(p));
    }
    return d;
}

// The segment b0 b1 against the closed triangle t: 1 clearly meeting (a
// crossing or an in-plane sample well inside), -1 clearly apart by dense
// sampling, 0 too close to call.
int reference(const Kv3dTriangle& t, const P& b0, const P& b1) {
    const double margin = 0.02, tol = Kv3dResObj::same_point_tol();
    const double h0 = t.normal() % (b0 - t.p0()), h1 = t.normal() % (b1 - t.p0());
    if (h0 * h1 < 0 && std::fabs(h0) > tol && std::fabs(h1) > tol &&
        inside_by(t, b0 + (b1 - b0) * (h0 / (h0 - h1)), margin))
        return 1;
    double dmin = 1e300;
    for (int k = 0; k <= 300; ++k) {
        const P p = b0 + (b1 - b0) * (k / 300.0);
        if (std::fabs(t.normal() % (p - t.p0())) < 0.5 * tol && inside_by(t, p, margin)) return 1;
        dmin = std::min(dmin, point_triangle_distance(t, p));
    }
    return dmin - b0.distance(b1) / 300 > margin ? -1 : 0;
}

// Segments, and every seventh step a pair of triangles, a third resp. a half
// of them in a common plane. Triangles meet exactly when an edge of one meets
// the other, the same in either order and for every listing of the vertices.
TEST(TriangleIntersect, RandomSegmentsAndPairsAgainstSampling) {
    std::mt19937 rng(20240611);
    std::uniform_real_distribution<double> unit(0, 1);
    auto u = [&](double lo, double hi) { return lo + (hi - lo) * unit(rng); };
    auto point = [&] { return P(u(-1, 1), u(-1, 1), u(-1, 1)); };
    // A point of t's plane at affine coordinates in [-1, 2], lifted by less than half the
    // tolerance.
    auto in_plane = [&](const Kv3dTriangle& t) {
        const double lift = u(-0.4, 0.4) * Kv3dResObj::same_point_tol();
        return t.p0() + (t.p1() - t.p0()) * u(-1, 2) + (t.p2() - t.p0()) * u(-1, 2) +
               V(t.normal(), lift);
    };
    const int perm[6][3] = {{0, 1, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}, {1, 0, 2}, {0, 2, 1}};
    int segments = 0, pairs = 0;
    for (int k = 0; k < 2000; ++k) {
        const Kv3dTriangle a(point(), point(), point());
        const P b0 = k % 3 ? point() * 1.5 : in_plane(a), b1 = k % 3 ? point() * 1.5 : in_plane(a);
        const int ref = reference(a, b0, b1);
        if (ref != 0) {
            ++segments;
            EXPECT_EQ(meets(a, b0, b1), ref == 1) << "case: segment " << k;
            EXPECT_EQ(meets(tri(a.p2(), a.p1(), a.p0()), b1, b0), ref == 1)
                << "case: segment " << k << ", reversed";
        }
        if (k % 7 != 0) continue;
        const Kv3dTriangle b = k % 2 ? Kv3dTriangle(point(), point(), point())
                                     : Kv3dTriangle(in_plane(a), in_plane(a), in_plane(a));
        const P va[3] = {a.p0(), a.p1(), a.p2()}, vb[3] = {b.p0(), b.p1(), b.p2()};
        int edges[3] = {};  // apart, too close to call, meeting
        for (int i = 0; i < 3; ++i) {
            ++edges[reference(b, va[i], va[(i + 1) % 3]) + 1];
            ++edges[reference(a, vb[i], vb[(i + 1) % 3]) + 1];
        }
        if (edges[2] == 0 && edges[0] < 6) continue;
        ++pairs;
        for (int n = 0; n < 36; ++n) {
            const int *p = perm[n / 6], *q = perm[n % 6];
            const Kv3dTriangle pa(va[p[0]], va[p[1]], va[p[2]]), pb(vb[q[0]], vb[q[1]], vb[q[2]]);
            ASSERT_EQ(pa.intersect(pb), edges[2] > 0) << "case: pair " << k << ", listing " << n;
            ASSERT_EQ(pb.intersect(pa), edges[2] > 0) << "case: pair " << k << ", swapped " << n;
        }
    }
    EXPECT_GT(segments, 1800) << "case: segments clear of the tolerance";
    EXPECT_GT(pairs, 250) << "case: pairs clear of the tolerance";
}

}  // namespace
