#include <kv3d/kv3d.h>

#include <cmath>
#include <limits>
#include <random>
#include <sstream>

#include <gtest/gtest.h>

namespace {

const double kTol = 0.001;

bool same(const Kv3dVector& v, double x, double y, double z) {
    return v.x() == x && v.y() == y && v.z() == z;
}
bool same(const Kv3dPoint& p, double x, double y, double z) { return same(p.as_vector(), x, y, z); }

Kv3dBBox box(double x0, double y0, double z0, double x1, double y1, double z1) {
    Kv3dBBox b(Kv3dPoint(x0, y0, z0));
    b.update_bbox(Kv3dPoint(x1, y1, z1));
    return b;
}

TEST(Plane, QueriesAndEquality) {
    const Kv3dPlane p;
    EXPECT_TRUE(same(p.normal() * 1.0, 0, 0, 1) && p.is_valid());
    EXPECT_EQ(p.distance(Kv3dPoint(1, 2, -3)), -3);
    EXPECT_TRUE(same(p.image(Kv3dPoint(1, 2, 3)), 1, 2, 0));
    const KvUVPar uv = p.find_parameter(Kv3dPoint(1, 2, 3));
    EXPECT_TRUE(uv.u == 1 && uv.v == 2);
    const Kv3dPlane three(Kv3dPoint(1, 1, 1), Kv3dPoint(3, 1, 2), Kv3dPoint(0, 4, 1));
    EXPECT_TRUE(same(three.evaluate(KvUVPar(1, 0)), 3, 1, 2) &&
                same(three.evaluate(KvUVPar(0, 1)), 0, 4, 1));

    const Kv3dVector ex(1, 0, 0), ey(0, 1, 0);
    const Kv3dPlane flipped(Kv3dPoint(), ey, ex);  // normal (0, 0, -1)
    EXPECT_TRUE(flipped.geom_equal(p) && flipped.parallel(p));
    EXPECT_FALSE(p.geom_equal(Kv3dPlane(Kv3dPoint(0, 0, kTol), ex, ey)));  // strict
    EXPECT_TRUE(p.contains(Kv3dPoint(5, 5, 0.9 * kTol)) && !p.contains(Kv3dPoint(5, 5, kTol)));
}

TEST(Plane, AxesFromTheNormal) {
    const Kv3dPoint o;
    const Kv3dPlane z(o, Kv3dDirection(0, 0, 1), nullptr), x(o, Kv3dDirection(1, 0, 0), nullptr),
        y(o, Kv3dDirection(0, 1, 0), nullptr);
    EXPECT_TRUE(same(z.u_axis(), -1, 0, 0) && same(z.v_axis(), 0, -1, 0));
    EXPECT_TRUE(same(x.u_axis(), 0, 1, 0) && same(x.v_axis(), 0, 0, 1));
    EXPECT_TRUE(same(y.u_axis(), -1, 0, 0) && same(y.v_axis(), 0, 0, 1));
    const Kv3dVector given(1, 0, 1);
    const Kv3dPlane g(o, Kv3dDirection(0, 0, 1), &given);
    EXPECT_TRUE(same(g.u_axis(), 1, 0, 0) && same(g.v_axis(), 0, 1, 0));

    // Longest projection on xy, xz, yz, and a three-way tie (first case wins).
    const Kv3dDirection normals[] = {Kv3dDirection(0.6, 0.8, 0.1), Kv3dDirection(0.6, 0.1, 0.8),
                                     Kv3dDirection(0.1, 0.6, 0.8), Kv3dDirection(1, 1, 1)};
    const int zero_component[] = {2, 1, 0, 2};
    for (int i = 0; i < 4; ++i) {
        const Kv3dPlane q(Kv3dPoint(1, 2, 3), normals[i], nullptr);
        EXPECT_EQ(q.u_axis()[zero_component[i]], 0.0) << i;
        EXPECT_LT(std::fabs(q.u_axis().length() - 1.0) + std::fabs(q.u_axis() % normals[i]), 1e-15);
        EXPECT_TRUE((q.u_axis() * q.v_axis()).direction().geom_equal(normals[i]));
    }
}

TEST(Plane, DegeneratePlanesDoNotFail) {
    const Kv3dPlane flat(Kv3dPoint(), Kv3dVector(1, 0, 0), Kv3dVector(2, 0, 0));  // zero normal
    EXPECT_TRUE(!flat.is_valid() && flat.contains(Kv3dPoint(4, 5, 6)));
    EXPECT_EQ(flat.find_parameter(Kv3dPoint(4, 5, 6)).u, 0);
    const Kv3dVector zero;
    const Kv3dPlane no_axes(Kv3dPoint(), Kv3dDirection(0, 0, 1), &zero);  // singular equations
    EXPECT_FALSE(std::isfinite(no_axes.find_parameter(Kv3dPoint(1, 1, 1)).u));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Kv3dPlane bad(Kv3dPoint(nan, 0, 0), Kv3dDirection(nan, 1, 0), nullptr);
    Kv3dLine line;
    bad.intersect(Kv3dPlane(), &line);
    EXPECT_FALSE(std::isfinite(line.basepoint().x()));
}

TEST(Plane, LineIntersection) {
    const Kv3dPlane p;
    Kv3dPoint x;
    KvUVPar uv;
    double t = 7;
    EXPECT_EQ(p.intersect(Kv3dLine(Kv3dPoint(1, 1, 0), Kv3dVector(1, 2, 0)), &x, &uv, &t),
              Kv3d::CONTAINED);
    EXPECT_EQ(p.intersect(Kv3dLine(Kv3dPoint(1, 1, 2 * kTol), Kv3dVector(1, 2, 0)), &x, &uv, &t),
              Kv3d::PARALLEL);
    EXPECT_EQ(t, 7);
    EXPECT_EQ(p.intersect(Kv3dLine(Kv3dPoint(1, 2, 5), Kv3dVector(0, 0, 2)), &x, &uv, &t),
              Kv3d::INTERSECTING);
    EXPECT_TRUE(same(x, 1, 2, 0) && uv.u == 1 && uv.v == 2 && t == -2.5);

    // Skewed, unequal axes: the point lies on both, its plane parameters
    // evaluate back to it and agree with find_parameter.
    std::mt19937 rng(17);
    std::uniform_real_distribution<double> u(-10, 10);
    for (int n = 0; n < 300; ++n) {
        const Kv3dPlane q(Kv3dPoint(u(rng), u(rng), u(rng)), Kv3dVector(u(rng), u(rng), u(rng)),
                          Kv3dVector(u(rng), u(rng), u(rng)));
        const Kv3dLine l(Kv3dPoint(u(rng), u(rng), u(rng)), Kv3dVector(u(rng), u(rng), u(rng)));
        if (!q.is_valid() || l.vector().orthogonal(q.normal())) continue;
        ASSERT_EQ(q.intersect(l, &x, &uv, &t), Kv3d::INTERSECTING);
        const double eps = 1e-9 * (1.0 + std::fabs(t));
        ASSERT_TRUE(std::fabs(q.distance(x)) < eps && l.distance(x) < eps);
        ASSERT_LT(q.evaluate(uv).distance(x), eps);
        const KvUVPar back = q.find_parameter(x);
        ASSERT_TRUE(std::fabs(back.u - uv.u) < 1e-6 && std::fabs(back.v - uv.v) < 1e-6);
    }
}

TEST(Plane, PlaneIntersection) {
    const Kv3dPlane p;
    Kv3dLine line(Kv3dPoint(7, 7, 7), Kv3dVector());
    const Kv3dVector ex(1, 0, 0), ey(0, 1, 0), ez(0, 0, 1);
    EXPECT_EQ(p.intersect(Kv3dPlane(Kv3dPoint(0, 0, 0.5 * kTol), ex, ey), &line), Kv3d::COINCIDENT);
    EXPECT_EQ(p.intersect(Kv3dPlane(Kv3dPoint(0, 0, 2 * kTol), ey, ex), &line), Kv3d::PARALLEL);
    EXPECT_TRUE(same(line.basepoint(), 7, 7, 7));
    EXPECT_EQ(p.intersect(Kv3dPlane(Kv3dPoint(1, 0, 0), Kv3dDirection(1, 0, 0), nullptr), &line),
              Kv3d::INTERSECTING);
    EXPECT_TRUE(same(line.basepoint(), 1, 0, 0) && same(line.vector(), 0, 1, 0));  // k = y
    EXPECT_EQ(p.intersect(Kv3dPlane(Kv3dPoint(0, 3, 0), ex, ez), &line), Kv3d::INTERSECTING);
    EXPECT_TRUE(same(line.basepoint(), 0, 3, 0));  // c = (-1, 0, 0): k = x

    std::mt19937 rng(23);
    std::uniform_real_distribution<double> u(-10, 10);
    for (int n = 0; n < 300; ++n) {
        const Kv3dPlane a(Kv3dPoint(u(rng), u(rng), u(rng)), Kv3dDirection(u(rng), u(rng), u(rng)),
                          nullptr);
        const Kv3dPlane b(Kv3dPoint(u(rng), u(rng), u(rng)), Kv3dVector(u(rng), u(rng), u(rng)),
                          Kv3dVector(u(rng), u(rng), u(rng)));
        Kv3dLine ab, ba;
        const Kv3d::IntersectionType r = a.intersect(b, &ab);
        ASSERT_EQ(r, b.intersect(a, &ba));
        if (r != Kv3d::INTERSECTING) continue;
        for (double s : {0.0, 1.0, -3.0}) {
            ASSERT_LT(std::fabs(a.distance(ab.evaluate(s))) + std::fabs(b.distance(ab.evaluate(s))),
                      1e-9);
        }
        ASSERT_TRUE(ab.geom_equal(ba) && ab.vector().geom_equal(-ba.vector()));
    }
}

TEST(Plane, BoxOverlapAndApply) {
    const Kv3dPlane p;
    EXPECT_TRUE(p.intersect(box(-1, -1, -1, 1, 1, 1)));
    EXPECT_TRUE(p.intersect(box(0, 0, 0.5 * kTol, 1, 1, 1)));
    EXPECT_FALSE(p.intersect(box(0, 0, 2 * kTol, 1, 1, 1)));
    EXPECT_FALSE(p.intersect(Kv3dBBox()));  // empty: nothing to meet
    // Only the maximum corner comes near, 0.5 tol below the plane.
    const double h = 3.0 - 0.5 * kTol / std::sqrt(3.0);
    const Kv3dPlane corner(Kv3dPoint(3, 3, 3), Kv3dDirection(1, 1, 1), nullptr);
    EXPECT_TRUE(corner.intersect(box(0, 0, 0, h, h, h)));
    EXPECT_FALSE(corner.intersect(box(0, 0, 0, 2.99, 2.99, 2.99)));

    // A mirror in z = 0 with a shift fixes the axes, so the recomputed normal
    // keeps pointing up where a moved normal would point down.
    const double m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 2, 0, 0, 0, 1};
    Kv3dPlane moved;
    moved.apply(Kv3dTransform(m));
    EXPECT_TRUE(same(moved.basepoint(), 0, 0, 2) && moved.normal().z() == 1);
}

TEST(Plane, JournalText) {
    const Kv3dPlane p;
    std::ostringstream out, dbg;
    KvJournal j(out), d(dbg);
    j << p;
    EXPECT_EQ(out.str(),
              "Kv3dPlane( Kv3dPoint( 0, 0, 0) , Kv3dDirection( 0, 0, 1) , Kv3dVector( 1, 0, 0) , "
              "Kv3dVector( 0, 1, 0))");
    p.debug(d, static_cast<KvDebug>(1), false, 0);
    EXPECT_EQ(dbg.str(), "");
    p.debug(d, static_cast<KvDebug>(2), false, 2);
    EXPECT_EQ(dbg.str(),
              "             basepoint: Kv3dPoint( 0, 0, 0)\n"
              "  Kv3dPlane( normal   : Kv3dDirection( 0, 0, 1)\n"
              "             u_axis   : Kv3dVector( 1, 0, 0)\n"
              "             v_axis   : Kv3dVector( 0, 1, 0)\n"
              "           )\n");
}

}  // namespace
