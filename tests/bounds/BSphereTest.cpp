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
using enclosing_oracle::xyz;
using P = Kv3dPoint;
using S = Kv3dBSphere;
const double b = kv3d_detail::bsphere_tol();
const double kTol = 0.001;  // the point tolerance at load

Kv3dBBox box(const P& a, const P& c) {
    Kv3dBBox r(a);
    r.update_bbox(c);
    return r;
}

// radius() is the stored radius above b, otherwise a zero that never changes.
TEST(BSphere, RadiusAboveTheToleranceOnly) {
    const double above = std::nextafter(b, 1.0);
    expect_each<double>({{"tolerance at load", b, 1e-6},
                         {"point sphere, stored", stored_radius(S(P(1, 2, 3))), b},
                         {"radius exactly b", S(P(), b).radius(), 0.0},
                         {"radius just above b", S(P(), above).radius(), above}});
    S t(P(), 0.5 * b);
    const double& z = t.radius();
    t.set_radius(2.0);
    EXPECT_EQ(z, 0.0) << "case: reference to the zero slot";
}

// Growth by a point keeps the far side; containment is strict, so a point on
// the shell grows the sphere by b. Growth by a sphere: radii closer than b and
// centres within b mean the other sphere holds this one and replaces it.
TEST(BSphere, Growth) {
    const struct {
        const char* name;
        S start;
        P p, center;
        double radius;
    } by_point[] = {
        {"grown by (3, 0, 0)", S(P(), 1.0), P(3, 0, 0), P(1, 0, 0), 2.0 + b},
        {"just inside the shell", S(P(), 1.0), P(std::nextafter(1.0, 0.0), 0, 0), P(), 1.0},
        {"on the shell", S(P(), 1.0), P(0, 1, 0), P(), 1.0 + b},
        {"empty sphere", S(), P(1, 1, 1), P(1, 1, 1), b}};
    for (const auto& c : by_point) {
        S u = c.start;
        u.update_bsphere(c.p);
        EXPECT_EQ(stored_radius(u), c.radius) << "case: " << c.name;
        EXPECT_EQ(xyz(u.center()), xyz(c.center)) << "case: " << c.name;
    }
    const struct {
        const char* name;
        S other;
        P center;
        double radius;
    } by_sphere[] = {
        {"apart", S(P(4, 0, 0), 1.0), P(2, 0, 0), 3.0 + b},
        {"radius b/2 smaller", S(P(0, 0.5 * b, 0), 1.0 - 0.5 * b), P(0, 0.5 * b, 0), 1.0 - 0.5 * b},
        {"radius 2b smaller", S(P(0, 0.5 * b, 0), 1.0 - 2 * b), P(), 1.0},
    };
    for (const auto& c : by_sphere) {
        S s(P(), 1.0);
        s.update_bsphere(c.other);
        EXPECT_EQ(xyz(s.center()), xyz(c.center)) << "case: " << c.name;
        EXPECT_EQ(stored_radius(s), c.radius) << "case: " << c.name;
    }
    S empty;
    empty.update_bsphere(S());
    EXPECT_TRUE(empty.is_empty()) << "case: empty by empty";
}

// On the shell when (r - 2b) r < d^2 < (r + 2b) r: within about b.
TEST(BSphere, ContainmentShellAndEquality) {
    const S point(P(1, 1, 1)), s(P(), 2.0), a(P(), b), empty, unit(P(), 1.0);
    const Kv3dBBox cube = box({-1, -1, -1}, {1, 1, 1});
    expect_each<bool>({
        {"point at b / 2", point.contains(P(1 + 0.5 * b, 1, 1)), true},
        {"point at 2 b", point.contains(P(1 + 2 * b, 1, 1)), false},
        {"point on the shell (strict)", s.contains(P(2, 0, 0)), false},
        {"radii and centres within b", s.contains(S(P(0.5 * b, 0, 0), 2.0 + 0.5 * b)), true},
        {"radius larger by b exactly (strict)", a.contains(S(P(), 2 * b)), false},
        {"inner sphere, touching", s.contains(S(P(0.7, 0, 0), 1.4)), false},
        {"one point outside", s.contains(KvArray<P>{P(1, 0, 0), P(0, 2.5, 0)}), false},
        {"box corners outside", S(P(), 1.7).contains(cube), false},
        {"empty box", s.contains(Kv3dBBox()), true},
        {"empty sphere, point", empty.contains(P()), false},
        {"empty sphere, empty box", empty.contains(Kv3dBBox()), false},
        {"empty sphere, empty sphere", empty.contains(S()), false},
        {"shell, empty", empty.on_shell(P(0, 0, -1)), false},
        {"shell, radius 0", S(P(1, 1, 1), 0.0).on_shell(P(1, 1, 1)), true},
        {"shell, b/2 outside", unit.on_shell(P(0, 0, 1 + 0.5 * b)), true},
        {"shell, 1.5 b outside", unit.on_shell(P(1 + 1.5 * b, 0, 0)), false},
        {"shell, 1.5 b inside", unit.on_shell(P(0, 0, -1 + 1.5 * b)), false},
        {"equal, radii b apart (strict)", a.geom_equal(S(P(), 2 * b)), false},
        {"equal, centres 2b apart", a.geom_equal(S(P(0, 0, 2 * b), b)), false},
        {"equal, two empty", empty.geom_equal(S(P(5, 5, 5), -3.0)), true},
        {"equal, empty and other", empty.geom_equal(S(P(), 0.5 * b)), false},
    });
}

TEST(BSphere, FarthestShellPointAndExtremes) {
    const S s(P(10, 0, 0), 1.0);
    P out;
    s.compute_furthermost_point_on_shell(P(12, 0, 0), out);
    EXPECT_EQ(xyz(out), xyz(P(9, 0, 0))) << "case: seen from (12, 0, 0)";
    P e[6];
    ASSERT_EQ(S(P(1, 2, 3), 2.0).axis_extreme_points(e), 6);
    EXPECT_EQ(xyz(e[3]), xyz(P(1, 0, 3))) << "case: fourth extreme, -y";
    EXPECT_EQ(S().axis_extreme_points(e), 0) << "case: empty sphere";
}

TEST(BSphere, SphereIntersection) {
    const S a(P(), 2.0), c(P(), 1.0), right(P(3, 0, 0), 1.0);
    S r, self(P(), 2.0);
    ASSERT_TRUE(self.intersect(S(P(3, 0, 0), 2.0), &self));  // the result may be an operand
    EXPECT_EQ(xyz(self.center()), xyz(P(1.5, 0, 0))) << "case: two shells meeting";
    EXPECT_EQ(self.radius(), std::sqrt(4 - 2.25)) << "case: two shells meeting";
    expect_each<bool>({
        {"touching", a.intersect(S(P(4, 0, 0), 2.0), nullptr), false},
        {"just overlapping", a.intersect(S(P(std::nextafter(4.0, 0.0), 0, 0), 2.0), nullptr), true},
        {"small inside", S(P(), 3.0).intersect(S(P(1, 0, 0), 1.0), &r), true},
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
        {"face, 1.1 r", P(0.5, -1.1 * r, 0.5), false},
        {"face, r + tol/2", P(0.5, 0.5, 1 + r + 0.5 * kTol), true},
        {"edge, 1.1 r", P(1 + 1.1 * e, 0.5, -1.1 * e), false},
        {"corner, 0.9 r", P(1 + 0.9 * c, -0.9 * c, 1 + 0.9 * c), true},
        {"corner, 1.1 r", P(-1.1 * c, -1.1 * c, -1.1 * c), false},
    };
    for (const auto& k : cases) {
        EXPECT_EQ(S(k.center, r).intersect(unit), k.meets) << "case: " << k.name;
        EXPECT_EQ(unit.intersect(S(k.center, r)), k.meets) << "case: box side, " << k.name;
    }
    EXPECT_FALSE(S().intersect(unit)) << "case: empty sphere";
}

TEST(BSphere, BoxOfASphereAndBoxGrownByOne) {
    const struct {
        const char* name;
        Kv3dBBox start;
        S sphere;
        P lo, hi;
    } cases[] = {
        {"sphere inside", box(P(), P(4, 4, 4)), S(P(2, 2, 2), 1.0), P(), P(4, 4, 4)},
        {"sphere out of one face", box(P(), P(4, 4, 4)), S(P(3.5, 2, 2), 1.0), P(), P(4.5, 4, 4)},
        // A box whose corners the sphere holds becomes the sphere's box.
        {"box inside the sphere", box(P(), P(0.1, 0.1, 0.1)), S(P(), 1.0), P(-1, -1, -1),
         P(1, 1, 1)},
    };
    for (const auto& c : cases) {
        Kv3dBBox grown = c.start;
        grown.update_bbox(c.sphere);
        EXPECT_EQ(xyz(grown.bbmin()), xyz(c.lo)) << "case: " << c.name;
        EXPECT_EQ(xyz(grown.bbmax()), xyz(c.hi)) << "case: " << c.name;
    }
    const Kv3dBBox cube = box(P(), P(4, 4, 4));
    expect_each<bool>({
        {"empty sphere, empty box", Kv3dBBox().contains(S()), false},
        {"extreme tol out", cube.contains(S(P(3, 2, 2), 1 + kTol)), true},
        {"extreme 1.5 tol out", cube.contains(S(P(3, 2, 2), 1 + 1.5 * kTol)), false},
    });
}

// Rigid motions move the centre and keep the radius bit for bit; under any
// affine map the image of a sphere holds the images of its points.
TEST(BSphere, ApplyKeepsBounding) {
    const Kv3dTransform screw(P(1, 0, 0), Kv3dVector(0, 1, 1), 0.7, 2.0);
    S s(P(1, 2, 3), 0.75), empty(P(1, 0, 0), -1.0);
    s.apply(screw);
    EXPECT_EQ(xyz(s.center()), xyz(P(1, 2, 3).apply(screw))) << "case: screw motion";
    EXPECT_EQ(stored_radius(s), 0.75) << "case: screw motion";
    empty.apply(Kv3dTransform(2.0, P()));
    EXPECT_TRUE(empty.is_empty()) << "case: empty sphere";
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
}

}  // namespace
