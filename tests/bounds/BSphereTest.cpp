#include <kv3d/kv3d.h>

#include <cmath>
#include <random>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "EnclosingOracle.h"

namespace {

using enclosing_oracle::stored_radius;
using P = Kv3dPoint;
const double b = kv3d_detail::bsphere_tol();
const double kTol = 0.001;  // the point tolerance at load

void expect_point(const P& actual, const P& expected, const std::string& name) {
    EXPECT_EQ(actual.x(), expected.x()) << "case: " << name;
    EXPECT_EQ(actual.y(), expected.y()) << "case: " << name;
    EXPECT_EQ(actual.z(), expected.z()) << "case: " << name;
}

TEST(BSphere, RadiusRefersToTheZeroSlotUpToTheTolerance) {
    EXPECT_EQ(b, 1e-6) << "case: tolerance at load";
    const Kv3dBSphere empty;
    EXPECT_TRUE(empty.is_empty()) << "case: default";
    EXPECT_EQ(empty.radius(), 0.0) << "case: default";
    EXPECT_EQ(stored_radius(empty), -1.0) << "case: default";
    const Kv3dBSphere point(P(1, 2, 3));
    EXPECT_EQ(point.radius(), 0.0) << "case: point sphere";
    EXPECT_EQ(stored_radius(point), b) << "case: point sphere";
    EXPECT_EQ(Kv3dBSphere(P(), b).radius(), 0.0) << "case: radius exactly b";
    const double above = std::nextafter(b, 1.0);
    EXPECT_EQ(Kv3dBSphere(P(), above).radius(), above) << "case: radius just above b";

    // A reference to the stored radius, or to a zero that never changes.
    Kv3dBSphere s(P(), 2.0);
    const double& r = s.radius();
    s.set_radius(3.0);
    EXPECT_EQ(r, 3.0) << "case: reference to the stored radius";
    Kv3dBSphere t(P(), 0.5 * b);
    const double& z = t.radius();
    t.set_radius(0.25 * b);
    EXPECT_EQ(z, 0.0) << "case: reference to the zero slot";

    Kv3dBSphere cleared(P(4, 5, 6), 2.0);
    cleared.clear();
    EXPECT_TRUE(cleared.is_empty()) << "case: clear";
    expect_point(cleared.center(), P(4, 5, 6), "clear keeps the centre");
}

TEST(BSphere, PointGrowthKeepsTheFarSide) {
    Kv3dBSphere s(P(), 1.0);
    s.update_bsphere(P(3, 0, 0));
    expect_point(s.center(), P(1, 0, 0), "grown by (3, 0, 0)");
    EXPECT_EQ(s.radius(), 2.0 + b) << "case: grown by (3, 0, 0)";

    struct Case {
        const char* name;
        P p;
        double radius;
    };
    // The containment test is strict: a point exactly on the shell grows the
    // sphere by b (k = 0), a point just inside does not.
    const Case cases[] = {{"inside", P(0.5, 0, 0), 1.0},
                          {"just inside the shell", P(std::nextafter(1.0, 0.0), 0, 0), 1.0},
                          {"on the shell", P(0, 1, 0), 1.0 + b}};
    for (const Case& c : cases) {
        Kv3dBSphere u(P(), 1.0);
        u.update_bsphere(c.p);
        EXPECT_EQ(stored_radius(u), c.radius) << "case: " << c.name;
        expect_point(u.center(), P(), c.name);
    }

    Kv3dBSphere e;
    e.update_bsphere(P(1, 1, 1));
    EXPECT_EQ(stored_radius(e), b) << "case: empty sphere grown by a point";
    expect_point(e.center(), P(1, 1, 1), "empty sphere grown by a point");
}

TEST(BSphere, SphereGrowth) {
    struct Case {
        const char* name;
        Kv3dBSphere other;
        P center;
        double radius;
    };
    const Case cases[] = {
        {"apart", Kv3dBSphere(P(4, 0, 0), 1.0), P(2, 0, 0), 3.0 + b},
        {"concentric larger", Kv3dBSphere(P(), 2.0), P(), 2.0},
        {"inside", Kv3dBSphere(P(0.5, 0, 0), 0.25), P(), 1.0},
        {"empty", Kv3dBSphere(), P(), 1.0},
        // Radii closer than b and centres within b: the other sphere holds
        // this one and replaces it, even when it is a little smaller.
        {"radius b/2 smaller", Kv3dBSphere(P(0, 0.5 * b, 0), 1.0 - 0.5 * b), P(0, 0.5 * b, 0),
         1.0 - 0.5 * b},
        {"radius 2b smaller", Kv3dBSphere(P(0, 0.5 * b, 0), 1.0 - 2 * b), P(), 1.0},
    };
    for (const Case& c : cases) {
        Kv3dBSphere s(P(), 1.0);
        s.update_bsphere(c.other);
        expect_point(s.center(), c.center, c.name);
        EXPECT_EQ(stored_radius(s), c.radius) << "case: " << c.name;
    }
    Kv3dBSphere empty;
    empty.update_bsphere(Kv3dBSphere());
    EXPECT_TRUE(empty.is_empty()) << "case: empty by empty";
    empty.update_bsphere(Kv3dBSphere(P(1, 2, 3), 4.0));
    EXPECT_TRUE(empty.geom_equal(Kv3dBSphere(P(1, 2, 3), 4.0))) << "case: empty by non-empty";
}

TEST(BSphere, ContainmentAtTheTolerance) {
    const Kv3dBSphere point(P(1, 1, 1));
    EXPECT_TRUE(point.contains(P(1 + 0.5 * b, 1, 1))) << "case: point at b / 2";
    EXPECT_FALSE(point.contains(P(1 + 2 * b, 1, 1))) << "case: point at 2 b";
    const Kv3dBSphere s(P(), 2.0);
    EXPECT_FALSE(s.contains(P(2, 0, 0))) << "case: point on the shell (strict)";
    EXPECT_TRUE(s.contains(Kv3dBSphere(P(), 2.0))) << "case: equal sphere";
    EXPECT_TRUE(s.contains(Kv3dBSphere(P(0.5 * b, 0, 0), 2.0 + 0.5 * b)))
        << "case: radii and centres within b";
    EXPECT_FALSE(s.contains(Kv3dBSphere(P(), 2.5))) << "case: larger sphere";
    EXPECT_FALSE(Kv3dBSphere(P(), b).contains(Kv3dBSphere(P(), 2 * b)))
        << "case: radius larger by b exactly (strict)";
    EXPECT_TRUE(s.contains(Kv3dBSphere(P(0.5, 0, 0), 1.4))) << "case: inner sphere";
    EXPECT_FALSE(s.contains(Kv3dBSphere(P(0.7, 0, 0), 1.4))) << "case: inner sphere, touching";
    EXPECT_TRUE(s.contains(Kv3dBSphere())) << "case: empty sphere";
    EXPECT_TRUE(s.contains(KvArray<P>())) << "case: empty array";
    EXPECT_FALSE(s.contains(KvArray<P>{P(1, 0, 0), P(0, 2.5, 0)})) << "case: one point outside";
    Kv3dBBox box(P(-1, -1, -1));
    box.update_bbox(P(1, 1, 1));
    EXPECT_TRUE(s.contains(box)) << "case: box inside";
    EXPECT_FALSE(Kv3dBSphere(P(), 1.7).contains(box)) << "case: box corners outside";
    EXPECT_TRUE(s.contains(Kv3dBBox())) << "case: empty box";

    const Kv3dBSphere empty;
    EXPECT_FALSE(empty.contains(P())) << "case: empty sphere, point";
    EXPECT_FALSE(empty.contains(Kv3dBBox())) << "case: empty sphere, empty box";
    EXPECT_FALSE(empty.contains(Kv3dBSphere())) << "case: empty sphere, empty sphere";
}

TEST(BSphere, ShellAndEquality) {
    EXPECT_TRUE(Kv3dBSphere(P(1, 1, 1), 0.0).on_shell(P(1, 1, 1))) << "case: radius 0";
    EXPECT_FALSE(Kv3dBSphere(P(1, 1, 1)).on_shell(P(1, 1, 1))) << "case: point sphere";
    EXPECT_FALSE(Kv3dBSphere().on_shell(P(0, 0, -1))) << "case: empty";
    const Kv3dBSphere s(P(), 1.0);
    struct Case {
        const char* name;
        double distance;
        bool on;
    };
    // On the shell when (r - 2b) r < d^2 < (r + 2b) r: within about b.
    const Case cases[] = {{"on", 1.0, true},
                          {"b/2 outside", 1 + 0.5 * b, true},
                          {"b/2 inside", 1 - 0.5 * b, true},
                          {"1.5 b outside", 1 + 1.5 * b, false},
                          {"1.5 b inside", 1 - 1.5 * b, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(s.on_shell(P(0, 0, c.distance)), c.on) << "case: " << c.name;
        EXPECT_EQ(s.on_shell(P(c.distance / std::sqrt(3.0), c.distance / std::sqrt(3.0),
                               -c.distance / std::sqrt(3.0))),
                  c.on)
            << "case: diagonal, " << c.name;
    }

    const Kv3dBSphere a(P(), b);
    EXPECT_TRUE(a.geom_equal(Kv3dBSphere(P(0.5 * b, 0, 0), 1.5 * b))) << "case: within b";
    EXPECT_FALSE(a.geom_equal(Kv3dBSphere(P(), 2 * b))) << "case: radii b apart (strict)";
    EXPECT_FALSE(a.geom_equal(Kv3dBSphere(P(0, 0, 2 * b), b))) << "case: centres 2b apart";
    EXPECT_TRUE(Kv3dBSphere().geom_equal(Kv3dBSphere(P(5, 5, 5), -3.0))) << "case: two empty";
    EXPECT_FALSE(Kv3dBSphere().geom_equal(Kv3dBSphere(P(), 0.5 * b))) << "case: empty, other";
    EXPECT_FALSE(Kv3dBSphere(P(), 0.5 * b).geom_equal(Kv3dBSphere())) << "case: other, empty";
}

TEST(BSphere, FarthestShellPointAndExtremes) {
    const Kv3dBSphere s(P(10, 0, 0), 1.0);
    P out(7, 7, 7);
    s.compute_furthermost_point_on_shell(P(10, 0, 0), out);
    expect_point(out, P(10, 0, 1), "seen from the centre");
    s.compute_furthermost_point_on_shell(P(12, 0, 0), out);
    expect_point(out, P(9, 0, 0), "seen from (12, 0, 0)");

    P extremes[6];
    ASSERT_EQ(Kv3dBSphere(P(1, 2, 3), 2.0).axis_extreme_points(extremes), 6);
    const P expected[6] = {P(3, 2, 3), P(-1, 2, 3), P(1, 4, 3), P(1, 0, 3), P(1, 2, 5), P(1, 2, 1)};
    for (int i = 0; i < 6; ++i) {
        expect_point(extremes[i], expected[i], "extreme " + std::to_string(i));
    }
    EXPECT_EQ(Kv3dBSphere().axis_extreme_points(extremes), 0) << "case: empty sphere";
}

TEST(BSphere, SphereIntersection) {
    const Kv3dBSphere a(P(), 2.0);
    Kv3dBSphere r;
    ASSERT_TRUE(a.intersect(Kv3dBSphere(P(3, 0, 0), 2.0), &r));
    expect_point(r.center(), P(1.5, 0, 0), "two shells meeting");
    EXPECT_EQ(r.radius(), std::sqrt(4 - 2.25)) << "case: two shells meeting";
    EXPECT_FALSE(a.intersect(Kv3dBSphere(P(4, 0, 0), 2.0), nullptr)) << "case: touching";
    EXPECT_TRUE(a.intersect(Kv3dBSphere(P(std::nextafter(4.0, 0.0), 0, 0), 2.0), nullptr))
        << "case: just overlapping";
    Kv3dBSphere small;
    ASSERT_TRUE(Kv3dBSphere(P(), 3.0).intersect(Kv3dBSphere(P(1, 0, 0), 1.0), &small));
    EXPECT_TRUE(small.geom_equal(Kv3dBSphere(P(1, 0, 0), 1.0))) << "case: small inside";
    EXPECT_FALSE(a.intersect(Kv3dBSphere(), &r)) << "case: empty other";
    // The result may be either operand.
    Kv3dBSphere self(P(), 2.0);
    const Kv3dBSphere other(P(3, 0, 0), 2.0);
    ASSERT_TRUE(self.intersect(other, &self));
    expect_point(self.center(), P(1.5, 0, 0), "result written over this");

    const Kv3dBSphere c(P(), 1.0);
    EXPECT_TRUE(c.intersect_extended(Kv3dBSphere(P(3, 0, 0), 1.0), 0.5 + 1e-9))
        << "case: margin just enough";
    EXPECT_FALSE(c.intersect_extended(Kv3dBSphere(P(3, 0, 0), 1.0), 0.5))
        << "case: margin exactly to touching";
    EXPECT_FALSE(c.intersect_extended(Kv3dBSphere(), 10.0)) << "case: empty";
}

// The box from (0, 0, 0) to (1, 1, 1) against a sphere of radius 0.1 beside
// a face, over an edge, off a corner, inside and outside the radius.
TEST(BSphere, BoxIntersection) {
    Kv3dBBox box(P(0, 0, 0));
    box.update_bbox(P(1, 1, 1));
    const double r = 0.1;
    const double e = r / std::sqrt(2.0);
    const double c = r / std::sqrt(3.0);
    struct Case {
        const char* name;
        P center;
        bool meets;
    };
    const Case cases[] = {
        {"inside", P(0.5, 0.5, 0.5), true},
        {"face, 0.9 r", P(1 + 0.9 * r, 0.5, 0.5), true},
        {"face, 1.1 r", P(0.5, -1.1 * r, 0.5), false},
        {"face, r + tol/2", P(0.5, 0.5, 1 + r + 0.5 * kTol), true},
        {"edge, 0.9 r", P(1 + 0.9 * e, 1 + 0.9 * e, 0.5), true},
        {"edge, 1.1 r", P(1 + 1.1 * e, 0.5, -1.1 * e), false},
        {"corner, 0.9 r", P(1 + 0.9 * c, -0.9 * c, 1 + 0.9 * c), true},
        {"corner, 1.1 r", P(-1.1 * c, -1.1 * c, -1.1 * c), false},
    };
    for (const Case& k : cases) {
        const Kv3dBSphere s(k.center, r);
        EXPECT_EQ(s.intersect(box), k.meets) << "case: " << k.name;
        EXPECT_EQ(box.intersect(s), k.meets) << "case: box side, " << k.name;
    }
    EXPECT_FALSE(Kv3dBSphere(P(), 1e4).intersect(Kv3dBBox())) << "case: empty box";
    EXPECT_FALSE(Kv3dBSphere().intersect(box)) << "case: empty sphere";
}

TEST(BSphere, BoxOfASphereAndBoxGrownByOne) {
    const Kv3dBBox of(Kv3dBSphere(P(1, 2, 3), 0.5));
    expect_point(of.bbmin(), P(0.5, 1.5, 2.5), "box of a sphere, min");
    expect_point(of.bbmax(), P(1.5, 2.5, 3.5), "box of a sphere, max");
    const Kv3dBBox of_point{Kv3dBSphere(P(1, 2, 3))};
    expect_point(of_point.bbmin(), P(1, 2, 3), "box of a point sphere, min");
    EXPECT_TRUE(Kv3dBBox(Kv3dBSphere()).is_empty()) << "case: box of the empty sphere";

    Kv3dBBox grown;
    grown.update_bbox(Kv3dBSphere(P(1, 2, 3), 0.5));
    expect_point(grown.bbmin(), P(0.5, 1.5, 2.5), "empty box grown, min");
    expect_point(grown.bbmax(), P(1.5, 2.5, 3.5), "empty box grown, max");

    Kv3dBBox box(P(0, 0, 0));
    box.update_bbox(P(4, 4, 4));
    Kv3dBBox same = box;
    same.update_bbox(Kv3dBSphere(P(2, 2, 2), 1.0));
    expect_point(same.bbmax(), P(4, 4, 4), "sphere inside");
    Kv3dBBox out = box;
    out.update_bbox(Kv3dBSphere(P(3.5, 2, 2), 1.0));
    expect_point(out.bbmin(), P(0, 0, 0), "sphere out of one face, min");
    expect_point(out.bbmax(), P(4.5, 4, 4), "sphere out of one face, max");
    // A box whose corners the sphere holds becomes the sphere's box.
    Kv3dBBox small(P(0, 0, 0));
    small.update_bbox(P(0.1, 0.1, 0.1));
    small.update_bbox(Kv3dBSphere(P(), 1.0));
    expect_point(small.bbmin(), P(-1, -1, -1), "box inside the sphere, min");

    EXPECT_TRUE(box.contains(Kv3dBSphere())) << "case: empty sphere in a box";
    EXPECT_FALSE(Kv3dBBox().contains(Kv3dBSphere())) << "case: empty sphere, empty box";
    EXPECT_TRUE(box.contains(Kv3dBSphere(P(3, 2, 2), 1 + kTol))) << "case: extreme tol out";
    EXPECT_FALSE(box.contains(Kv3dBSphere(P(3, 2, 2), 1 + 1.5 * kTol)))
        << "case: extreme 1.5 tol out";
}

// Rigid motions move the centre and keep the radius bit for bit; other
// transforms scale it by the largest singular value of the linear part.
TEST(BSphere, ApplyKeepsBounding) {
    const Kv3dTransform screw(P(1, 0, 0), Kv3dVector(0, 1, 1), 0.7, 2.0);
    Kv3dBSphere s(P(1, 2, 3), 0.75);
    P moved(1, 2, 3);
    moved.apply(screw);
    s.apply(screw);
    expect_point(s.center(), moved, "screw motion");
    EXPECT_EQ(stored_radius(s), 0.75) << "case: screw motion";

    Kv3dBSphere scaled(P(1, 0, 0), 0.75);
    scaled.apply(Kv3dTransform(2.0, 0.5, 3.0, P()));
    expect_point(scaled.center(), P(2, 0, 0), "scaling");
    EXPECT_GE(stored_radius(scaled), 2.25) << "case: scaling";
    EXPECT_LE(stored_radius(scaled), 2.25 * (1 + 1e-12)) << "case: scaling";

    Kv3dBSphere empty(P(1, 0, 0), -1.0);
    empty.apply(Kv3dTransform(2.0, P()));
    EXPECT_TRUE(empty.is_empty()) << "case: empty sphere";
    expect_point(empty.center(), P(2, 0, 0), "empty sphere");

    // Points inside stay inside the image under random affine maps.
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    for (int n = 0; n < 300; ++n) {
        double m[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
        for (int i = 0; i < 12; ++i) {
            m[i] = 3 * u(rng);
        }
        const Kv3dTransform T(m);
        Kv3dBSphere t(P(u(rng), u(rng), u(rng)), 0.1 + std::fabs(u(rng)));
        // A point strictly inside, by up to 1 - 1e-9 of the radius.
        const Kv3dVector dir(Kv3dVector(u(rng), u(rng), u(rng)).direction(), 1.0);
        P q = t.center() + dir * (t.radius() * (1 - 1e-9) * std::fabs(u(rng)));
        ASSERT_TRUE(t.contains(q)) << "case: sample " << n;
        t.apply(T);
        q.apply(T);
        ASSERT_TRUE(t.contains(q)) << "case: image of sample " << n;
    }
}

TEST(BSphere, JournalText) {
    std::ostringstream out;
    KvJournal j(out);
    j << Kv3dBSphere(P(1, 2, 3));
    EXPECT_EQ(out.str(), "Kv3dBSphere( Kv3dPoint( 1, 2, 3) , \n          0  ) \n")
        << "case: point sphere";
    out.str("");
    Kv3dBSphere(P(1, 2, 3)).debug(j, static_cast<KvDebug>(1), false, 2);
    EXPECT_EQ(out.str(), "") << "case: debug level 1";
    Kv3dBSphere(P(1, 2, 3)).debug(j, static_cast<KvDebug>(2), false, 2);
    EXPECT_EQ(out.str(),
              "  Kv3dBSphere  - Center Coordinates: \n    Kv3dPoint( 1, 2, 3)\n"
              "          - Radius: 1e-06; \n")
        << "case: debug level 2";
}

}  // namespace
