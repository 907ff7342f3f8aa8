#include <kv3d/kv3d.h>

#include <cmath>
#include <initializer_list>
#include <sstream>

#include <gtest/gtest.h>

#include "support/NamedCases.h"
#include "support/ResolutionGuard.h"

namespace {

using P = Kv3dPoint;
using V = Kv3dVector;
const P O(0, 0, 0), X(1, 0, 0), Y(0, 1, 0);
const Kv3dTriangle T(O, X, Y);

Kv3dTriangle tri(std::initializer_list<double> c) { return Kv3dTriangle(c.begin()); }

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
                       {"repeated vertex", valid_flag(Kv3dTriangle(O, O, Y)), false},
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
    expect_each<double>({{"reversed normal", Kv3dTriangle(O, Y, X).normal().z(), -1},
                         {"area", T.area(), 0.5},
                         {"coordinate 9", T[9], 0.0},
                         {"coordinate -1", T[-1], 0.0},
                         // Weights are used as given.
                         {"evaluate", T.evaluate({2, -1, 3}).distance(P(-1, 3, 0)), 0},
                         {"collinear area", line.area(), 0.0},
                         {"collinear normal", n.x() + n.y() + n.z(), 0.0}});
    expect_each<bool>(
        {{"centre of area", T.center_of_area().distance(P(1, 1, 0) * (1.0 / 3)) < 1e-15, true},
         {"default box", Kv3dTriangle().bbox().is_empty(), true},
         {"collinear, valid", line.is_valid(), true},
         {"short edge, numerically valid", nearly.numerical_valid(), true},
         {"short edge, valid", nearly.is_valid(), false}});
    const Kv3dTriangle t(P(1, 1, 1), P(2, 1, 1), P(1, 2, 1));
    expect_par(t.find_parameter(P(1.25, 1.25, 8)), 0.5, 0.25, 0.25, "inside");
    expect_par(t.find_parameter(P(3, 1, 1)), -1, 2, 0, "outside");
    // Collinear distinct vertices: the foot on the edge line p0 p1.
    expect_par(line.find_parameter(P(2, 5, 0)), -1, 2, 0, "collinear");
    expect_par(Kv3dTriangle(O, O, P(4, 0, 0)).find_parameter(X), 0, 0.75, 0.25, "p0 = p1");
    // p0 ~ p1 ~ p2 within the point tolerance, p2 - p0 beyond it: the edge p2 -> p0.
    const Kv3dTriangle chain(O, P(0.0008, 0, 0), P(0.0016, 0, 0));
    expect_par(chain.find_parameter(P(0.0004, 1, 0)), 0.75, 0, 0.25, "chain");
    expect_par(Kv3dTriangle(X, X, X).find_parameter(Y), 1.0 / 3, 1.0 / 3, 1.0 / 3, "one point");
}

TEST(Triangle, JournalText) {
    std::ostringstream out;
    KvJournal j(out);
    // One indentation, the three lines, one empty expression.
    T.debug(j, static_cast<KvDebug>(1), false, 2);
    T.debug(j, static_cast<KvDebug>(2), false, 2);
    EXPECT_EQ(
        out.str(),
        "  Kv3dTriangle p0 (0, 0, 0)\n             p1 (1, 0, 0)\n             p2 (0, 1, 0)\n\n");
}

// A segment crossing the plane steeply meets the triangle only where the
// crossing lies in it exactly: no tolerance band around the edges or at the
// segment's ends.
TEST(TriangleIntersect, Segments) {
    expect_each<bool>({
        {"ends 1e-13 short", meets(T, {0.25, 0.25, -1}, {0.25, 0.25, -1e-13}), false},
        {"ends on the triangle", meets(T, {0.25, 0.25, -1}, {0.25, 0.25, 0}), true},
        {"ends 1e-13 beyond", meets(T, {0.25, 0.25, -1}, {0.25, 0.25, 1e-13}), true},
        {"crosses 1e-13 outside an edge", meets(T, {0.5, -1e-13, -1}, {0.5, -1e-13, 1}), false},
        {"crosses on an edge", meets(T, {0.5, 0, -1}, {0.5, 0, 1}), true},
        {"crosses 1e-13 inside an edge", meets(T, {0.5, 1e-13, -1}, {0.5, 1e-13, 1}), true},
        {"vanishing vector", T.intersect(Kv3dLine(P(0.25, 0.25, 0), V(0, 0, 1e-21))), false},
    });
}

// Triangle pairs, in every listing of either one's vertices and in either
// order. The last two are far apart, but rounding noise in the crossing
// solve once reported them as meeting: the first from the field (in one
// plane within rounding), the second with nearly collinear vertices (the
// sine of its angle 1e-15).
TEST(TriangleIntersect, TrianglePairs) {
    const struct {
        const char* name;
        Kv3dTriangle a, b;
        bool meets;
    } cases[] = {
        {"a shared vertex", T, tri({1, 0, 0, 2, 0, 0, 1, 1, 0}), true},
        {"one plane, 0.26 apart",
         tri({-1.678527300038235, -0.33534172013156294, 2.2610281666146377, -0.91540439675413587,
              2.7766064486510529, -2.5034512158351605, 3.1032641994503023, 2.7502055909716909,
              0.56672100617222254}),
         tri({1.0774203343234237, 2.9183739066216257, -1.2466563071319772, 1.76903006786415,
              4.1169276948205935, -2.7802033709017273, 0.6024499196699622, 3.0631217885565252,
              -1.8525005134754626}),
         false},
        {"nearly collinear vertices",
         tri({1.4566225038282752, 1.2373114938859202, -4.2868355168446044, 0.2421700873458868,
              0.10413475778559482, -0.62799376225620174, 0.18488925015835772, 0.050687367633202529,
              -0.45542090884910863}),
         tri({2.3936967529431863, -0.27256274580596696, -7.93094966594946, -2.4638003074883628,
              -2.7136395678724359, 1.5803763562787774, -0.023354113219425023, -0.14361957401749995,
              0.17196432477697052}),
         false},
    };
    const int perm[6][3] = {{0, 1, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}, {1, 0, 2}, {0, 2, 1}};
    for (const auto& c : cases) {
        const P va[3] = {c.a.p0(), c.a.p1(), c.a.p2()}, vb[3] = {c.b.p0(), c.b.p1(), c.b.p2()};
        for (int n = 0; n < 36; ++n) {
            const int *p = perm[n / 6], *q = perm[n % 6];
            const Kv3dTriangle a(va[p[0]], va[p[1]], va[p[2]]), b(vb[q[0]], vb[q[1]], vb[q[2]]);
            EXPECT_EQ(a.intersect(b), c.meets) << "case: " << c.name << ", listing " << n;
            EXPECT_EQ(b.intersect(a), c.meets) << "case: " << c.name << ", swapped, listing " << n;
        }
    }
}

// A segment through an inner point of a triangle at angles from 1e-4 down to
// 1e-18 radians with its plane, of length 1 or 100, near the origin and near
// the model extent, under the load-time tolerance and a fine one: the
// crossing solve decides the steeper ones, the in-plane rule those it finds
// singular.
TEST(TriangleIntersect, CrossingsAtSmallAnglesStayTrue) {
    for (double tol : {1e-3, 1e-9}) {
        ResolutionGuard guard(tol, 1e-7, 8000.0);
        for (double at : {0.0, 8000.0}) {
            const V o(at * 0.6, -at * 0.8, at * 0.3);
            const P a = P(0, 0, 0) + o, b = P(1, 0.1, 0.05) + o, c = P(0.2, 0.9, -0.1) + o;
            const Kv3dTriangle t(a, b, c);
            const V n = t.normal() * 1.0, along = (b - a) * (1.0 / (b - a).length());
            const P inner = a + (b - a) * 0.3 + (c - a) * 0.3;
            for (int k = 4; k <= 18; ++k) {
                const double angle = std::pow(10.0, -k);
                const V unit = along * std::cos(angle) + n * std::sin(angle);
                for (double half : {0.5, -0.5, 50.0, -50.0}) {  // lengths 1 and 100, both ways
                    EXPECT_TRUE(meets(t, inner - unit * half, inner + unit * half))
                        << "case: tol " << tol << ", at " << at << ", angle 1e-" << k
                        << ", half length " << half;
                }
            }
        }
    }
}

}  // namespace
