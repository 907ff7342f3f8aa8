#include <kv3d/kv3d.h>

#include <cmath>
#include <random>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "EnclosingOracle.h"
#include "support/NamedCases.h"

namespace {

using enclosing_oracle::stored_radius;
using P = Kv3dPoint;
using S = Kv3dBSphere;
const double b = kv3d_detail::bsphere_tol();
const double kTol = 0.001;  // the point tolerance at load

void expect_point(const P& actual, const P& expected, const std::string& name) {
    EXPECT_EQ(actual.x(), expected.x()) << "case: " << name;
    EXPECT_EQ(actual.y(), expected.y()) << "case: " << name;
    EXPECT_EQ(actual.z(), expected.z()) << "case: " << name;
}

Kv3dBBox box(const P& a, const P& c) {
    Kv3dBBox r(a);
    r.update_bbox(c);
    return r;
}

TEST(BSphere, RadiusRefersToTheZeroSlotUpToTheTolerance) {
    const double above = std::nextafter(b, 1.0);
    expect_each<double>({{"tolerance at load", b, 1e-6},
                         {"default", S().radius(), 0.0},
                         {"default, stored", stored_radius(S()), -1.0},
                         {"point sphere", S(P(1, 2, 3)).radius(), 0.0},
                         {"point sphere, stored", stored_radius(S(P(1, 2, 3))), b},
                         {"radius exactly b", S(P(), b).radius(), 0.0},
                         {"radius just above b", S(P(), above).radius(), above}});
    // A reference to the stored radius, or to a zero that never changes.
    S s(P(), 2.0), t(P(), 0.5 * b);
    const double &r = s.radius(), &z = t.radius();
    s.set_radius(3.0);
    t.set_radius(0.25 * b);
    EXPECT_EQ(r, 3.0) << "case: reference to the stored radius";
    EXPECT_EQ(z, 0.0) << "case: reference to the zero slot";
    S cleared(P(4, 5, 6), 2.0);
    cleared.clear();
    EXPECT_TRUE(cleared.is_empty()) << "case: clear";
    expect_point(cleared.center(), P(4, 5, 6), "clear keeps the centre");
}

// Growth by a point keeps the far side. The containment test is strict: a
// point exactly on the shell grows the sphere by b (k = 0), a point just
// inside does not. Growth by a sphere: radii closer than b and centres within
// b mean the other sphere holds this one and replaces it, even when it is a
// little smaller.
TEST(BSphere, Growth) {
    struct Case {
        const char* name;
        S start;
        P p;
        P center;
        double radius;
    };
    const Case by_point[] = {
        {"grown by (3, 0, 0)", S(P(), 1.0), P(3, 0, 0), P(1, 0, 0), 2.0 + b},
        {"inside", S(P(), 1.0), P(0.5, 0, 0), P(), 1.0},
        {"just inside the shell", S(P(), 1.0), P(std::nextafter(1.0, 0.0), 0, 0), P(), 1.0},
        {"on the shell", S(P(), 1.0), P(0, 1, 0), P(), 1.0 + b},
        {"empty sphere", S(), P(1, 1, 1), P(1, 1, 1), b}};
    for (const Case& c : by_point) {
        S u = c.start;
        u.update_bsphere(c.p);
        EXPECT_EQ(stored_radius(u), c.radius) << "case: " << c.name;
        expect_point(u.center(), c.center, c.name);
    }
    const struct {
        const char* name;
        S other;
        P center;
        double radius;
    } by_sphere[] = {
        {"apart", S(P(4, 0, 0), 1.0), P(2, 0, 0), 3.0 + b},
        {"concentric larger", S(P(), 2.0), P(), 2.0},
        {"inside", S(P(0.5, 0, 0), 0.25), P(), 1.0},
        {"empty", S(), P(), 1.0},
        {"radius b/2 smaller", S(P(0, 0.5 * b, 0), 1.0 - 0.5 * b), P(0, 0.5 * b, 0), 1.0 - 0.5 * b},
        {"radius 2b smaller", S(P(0, 0.5 * b, 0), 1.0 - 2 * b), P(), 1.0},
    };
    for (const auto& c : by_sphere) {
        S s(P(), 1.0);
        s.update_bsphere(c.other);
        expect_point(s.center(), c.center, c.name);
        EXPECT_EQ(stored_radius(s), c.radius) << "case: " << c.name;
    }
    S empty;
    empty.update_bsphere(S());
    EXPECT_TRUE(empty.is_empty()) << "case: empty by empty";
    empty.update_bsphere(S(P(1, 2, 3), 4.0));
    EXPECT_TRUE(empty.geom_equal(S(P(1, 2, 3), 4.0))) << "case: empty by non-empty";
}

// On the shell when (r - 2b) r < d^2 < (r + 2b) r: within about b.
TEST(BSphere, ContainmentShellAndEquality) {
    const S point(P(1, 1, 1)), s(P(), 2.0), a(P(), b), empty;
    const Kv3dBBox cube = box({-1, -1, -1}, {1, 1, 1});
    expect_each<bool>({
        {"point at b / 2", point.contains(P(1 + 0.5 * b, 1, 1)), true},
        {"point at 2 b", point.contains(P(1 + 2 * b, 1, 1)), false},
        {"point on the shell (strict)", s.contains(P(2, 0, 0)), false},
        {"equal sphere", s.contains(S(P(), 2.0)), true},
        {"radii and centres within b", s.contains(S(P(0.5 * b, 0, 0), 2.0 + 0.5 * b)), true},
        {"larger sphere", s.contains(S(P(), 2.5)), false},
        {"radius larger by b exactly (strict)", a.contains(S(P(), 2 * b)), false},
        {"inner sphere", s.contains(S(P(0.5, 0, 0), 1.4)), true},
        {"inner sphere, touching", s.contains(S(P(0.7, 0, 0), 1.4)), false},
        {"empty sphere", s.contains(S()), true},
        {"empty array", s.contains(KvArray<P>()), true},
        {"one point outside", s.contains(KvArray<P>{P(1, 0, 0), P(0, 2.5, 0)}), false},
        {"box inside", s.contains(cube), true},
        {"box corners outside", S(P(), 1.7).contains(cube), false},
        {"empty box", s.contains(Kv3dBBox()), true},
        {"empty sphere, point", empty.contains(P()), false},
        {"empty sphere, empty box", empty.contains(Kv3dBBox()), false},
        {"empty sphere, empty sphere", empty.contains(S()), false},
        {"shell, radius 0", S(P(1, 1, 1), 0.0).on_shell(P(1, 1, 1)), true},
        {"shell, point sphere", point.on_shell(P(1, 1, 1)), false},
        {"shell, empty", empty.on_shell(P(0, 0, -1)), false},
        {"equal within b", a.geom_equal(S(P(0.5 * b, 0, 0), 1.5 * b)), true},
        {"equal, radii b apart (strict)", a.geom_equal(S(P(), 2 * b)), false},
        {"equal, centres 2b apart", a.geom_equal(S(P(0, 0, 2 * b), b)), false},
        {"equal, two empty", empty.geom_equal(S(P(5, 5, 5), -3.0)), true},
        {"equal, empty and other", empty.geom_equal(S(P(), 0.5 * b)), false},
        {"equal, other and empty", S(P(), 0.5 * b).geom_equal(empty), false},
    });
    const S unit(P(), 1.0);
    const struct {
        const char* name;
        double distance;
        bool on;
    } cases[] = {{"on", 1.0, true},
                 {"b/2 outside", 1 + 0.5 * b, true},
                 {"b/2 inside", 1 - 0.5 * b, true},
                 {"1.5 b outside", 1 + 1.5 * b, false},
                 {"1.5 b inside", 1 - 1.5 * b, false}};
    for (const auto& c : cases) {
        const double d = c.distance / std::sqrt(3.0);
        EXPECT_EQ(unit.on_shell(P(0, 0, c.distance)), c.on) << "case: " << c.name;
        EXPECT_EQ(unit.on_shell(P(d, d, -d)), c.on) << "case: diagonal, " << c.name;
    }
}

TEST(BSphere, FarthestShellPointAndExtremes) {
    const S s(P(10, 0, 0), 1.0);
    P out(7, 7, 7);
    s.compute_furthermost_point_on_shell(P(10, 0, 0), out);
    expect_point(out, P(10, 0, 1), "seen from the centre");
    s.compute_furthermost_point_on_shell(P(12, 0, 0), out);
    expect_point(out, P(9, 0, 0), "seen from (12, 0, 0)");
    P extremes[6];
    ASSERT_EQ(S(P(1, 2, 3), 2.0).axis_extreme_points(extremes), 6);
    const P expected[6] = {P(3, 2, 3), P(-1, 2, 3), P(1, 4, 3), P(1, 0, 3), P(1, 2, 5), P(1, 2, 1)};
    for (int i = 0; i < 6; ++i)
        expect_point(extremes[i], expected[i], "extreme " + std::to_string(i));
    EXPECT_EQ(S().axis_extreme_points(extremes), 0) << "case: empty sphere";
}

TEST(BSphere, SphereIntersection) {
    const S a(P(), 2.0), c(P(), 1.0), right(P(3, 0, 0), 1.0);
    S r, small, self(P(), 2.0);
    ASSERT_TRUE(a.intersect(S(P(3, 0, 0), 2.0), &r));
    expect_point(r.center(), P(1.5, 0, 0), "two shells meeting");
    EXPECT_EQ(r.radius(), std::sqrt(4 - 2.25)) << "case: two shells meeting";
    ASSERT_TRUE(S(P(), 3.0).intersect(S(P(1, 0, 0), 1.0), &small));
    ASSERT_TRUE(self.intersect(S(P(3, 0, 0), 2.0), &self));  // the result may be an operand
    expect_point(self.center(), P(1.5, 0, 0), "result written over this");
    expect_each<bool>({
        {"touching", a.intersect(S(P(4, 0, 0), 2.0), nullptr), false},
        {"just overlapping", a.intersect(S(P(std::nextafter(4.0, 0.0), 0, 0), 2.0), nullptr), true},
        {"small inside", small.geom_equal(S(P(1, 0, 0), 1.0)), true},
        {"empty other", a.intersect(S(), &r), false},
        {"margin just enough", c.intersect_extended(right, 0.5 + 1e-9), true},
        {"margin exactly to touching", c.intersect_extended(right, 0.5), false},
        {"margin, empty", c.intersect_extended(S(), 10.0), false},
    });
}

// The box from (0, 0, 0) to (1, 1, 1) against a sphere of radius 0.1 beside
// a face, over an edge, off a corner, inside and outside the radius.
TEST(BSphere, BoxIntersection) {
    const Kv3dBBox unit = box(P(0, 0, 0), P(1, 1, 1));
    const double r = 0.1, e = r / std::sqrt(2.0), c = r / std::sqrt(3.0);
    const struct {
        const char* name;
        P center;
        bool meets;
    } cases[] = {
        {"inside", P(0.5, 0.5, 0.5), true},
        {"face, 0.9 r", P(1 + 0.9 * r, 0.5, 0.5), true},
        {"face, 1.1 r", P(0.5, -1.1 * r, 0.5), false},
        {"face, r + tol/2", P(0.5, 0.5, 1 + r + 0.5 * kTol), true},
        {"edge, 0.9 r", P(1 + 0.9 * e, 1 + 0.9 * e, 0.5), true},
        {"edge, 1.1 r", P(1 + 1.1 * e, 0.5, -1.1 * e), false},
        {"corner, 0.9 r", P(1 + 0.9 * c, -0.9 * c, 1 + 0.9 * c), true},
        {"corner, 1.1 r", P(-1.1 * c, -1.1 * c, -1.1 * c), false},
    };
    for (const auto& k : cases) {
        EXPECT_EQ(S(k.center, r).intersect(unit), k.meets) << "case: " << k.name;
        EXPECT_EQ(unit.intersect(S(k.center, r)), k.meets) << "case: box side, " << k.name;
    }
    EXPECT_FALSE(S(P(), 1e4).intersect(Kv3dBBox())) << "case: empty box";
    EXPECT_FALSE(S().intersect(unit)) << "case: empty sphere";
}

TEST(BSphere, BoxOfASphereAndBoxGrownByOne) {
    const struct {
        const char* name;
        Kv3dBBox start;
        S sphere;
        P lo, hi;
    } cases[] = {
        {"empty box", Kv3dBBox(), S(P(1, 2, 3), 0.5), P(0.5, 1.5, 2.5), P(1.5, 2.5, 3.5)},
        {"sphere inside", box(P(), P(4, 4, 4)), S(P(2, 2, 2), 1.0), P(), P(4, 4, 4)},
        {"sphere out of one face", box(P(), P(4, 4, 4)), S(P(3.5, 2, 2), 1.0), P(), P(4.5, 4, 4)},
        // A box whose corners the sphere holds becomes the sphere's box.
        {"box inside the sphere", box(P(), P(0.1, 0.1, 0.1)), S(P(), 1.0), P(-1, -1, -1),
         P(1, 1, 1)},
    };
    for (const auto& c : cases) {
        Kv3dBBox grown = c.start;
        grown.update_bbox(c.sphere);
        expect_point(grown.bbmin(), c.lo, std::string(c.name) + ", min");
        expect_point(grown.bbmax(), c.hi, std::string(c.name) + ", max");
    }
    const Kv3dBBox of(S(P(1, 2, 3), 0.5)), of_point{S(P(1, 2, 3))}, cube = box(P(), P(4, 4, 4));
    expect_point(of.bbmin(), P(0.5, 1.5, 2.5), "box of a sphere, min");
    expect_point(of.bbmax(), P(1.5, 2.5, 3.5), "box of a sphere, max");
    expect_point(of_point.bbmin(), P(1, 2, 3), "box of a point sphere, min");
    expect_each<bool>({
        {"box of the empty sphere", Kv3dBBox(S()).is_empty(), true},
        {"empty sphere in a box", cube.contains(S()), true},
        {"empty sphere, empty box", Kv3dBBox().contains(S()), false},
        {"extreme tol out", cube.contains(S(P(3, 2, 2), 1 + kTol)), true},
        {"extreme 1.5 tol out", cube.contains(S(P(3, 2, 2), 1 + 1.5 * kTol)), false},
    });
}

// Rigid motions move the centre and keep the radius bit for bit; other
// transforms scale it by the largest singular value of the linear part.
TEST(BSphere, ApplyKeepsBounding) {
    const Kv3dTransform screw(P(1, 0, 0), Kv3dVector(0, 1, 1), 0.7, 2.0);
    S s(P(1, 2, 3), 0.75), scaled(P(1, 0, 0), 0.75), empty(P(1, 0, 0), -1.0);
    s.apply(screw);
    expect_point(s.center(), P(1, 2, 3).apply(screw), "screw motion");
    EXPECT_EQ(stored_radius(s), 0.75) << "case: screw motion";
    scaled.apply(Kv3dTransform(2.0, 0.5, 3.0, P()));
    expect_point(scaled.center(), P(2, 0, 0), "scaling");
    EXPECT_GE(stored_radius(scaled), 2.25) << "case: scaling";
    EXPECT_LE(stored_radius(scaled), 2.25 * (1 + 1e-12)) << "case: scaling";
    empty.apply(Kv3dTransform(2.0, P()));
    EXPECT_TRUE(empty.is_empty()) << "case: empty sphere";
    expect_point(empty.center(), P(2, 0, 0), "empty sphere");

    // Points inside stay inside the image under random affine maps.
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    for (int n = 0; n < 300; ++n) {
        double m[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
        for (int i = 0; i < 12; ++i) m[i] = 3 * u(rng);
        const Kv3dTransform T(m);
        S t(P(u(rng), u(rng), u(rng)), 0.1 + std::fabs(u(rng)));
        // A point strictly inside, by up to 1 - 1e-9 of the radius.
        const Kv3dVector dir(Kv3dVector(u(rng), u(rng), u(rng)).direction(), 1.0);
        P q = t.center() + dir * (t.radius() * (1 - 1e-9) * std::fabs(u(rng)));
        ASSERT_TRUE(t.contains(q)) << "case: sample " << n;
        ASSERT_TRUE(t.apply(T).contains(q.apply(T))) << "case: image of sample " << n;
    }
}

TEST(BSphere, JournalText) {
    std::ostringstream out;
    KvJournal j(out);
    j << S(P(1, 2, 3));
    EXPECT_EQ(out.str(), "Kv3dBSphere( Kv3dPoint( 1, 2, 3) , \n          0  ) \n")
        << "case: point sphere";
    out.str("");
    S(P(1, 2, 3)).debug(j, static_cast<KvDebug>(1), false, 2);
    EXPECT_EQ(out.str(), "") << "case: debug level 1";
    S(P(1, 2, 3)).debug(j, static_cast<KvDebug>(2), false, 2);
    EXPECT_EQ(out.str(),
              "  Kv3dBSphere  - Center Coordinates: \n    Kv3dPoint( 1, 2, 3)\n"
              "          - Radius: 1e-06; \n")
        << "case: debug level 2";
}

}  // namespace
