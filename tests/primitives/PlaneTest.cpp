#include <kv3d/kv3d.h>

#include <cmath>
#include <limits>
#include <random>
#include <sstream>

#include <gtest/gtest.h>

namespace {

const double kTol = 0.001;

void expect_xyz(const Kv3dPoint& p, double x, double y, double z) {
    EXPECT_EQ(p.x(), x);
    EXPECT_EQ(p.y(), y);
    EXPECT_EQ(p.z(), z);
}
void expect_xyz(const Kv3dVector& p, double x, double y, double z) {
    expect_xyz(p.as_point(), x, y, z);
}

Kv3dBBox make_box(double x0, double y0, double z0, double x1, double y1, double z1) {
    Kv3dBBox b(Kv3dPoint(x0, y0, z0));
    b.update_bbox(Kv3dPoint(x1, y1, z1));
    return b;
}

TEST(Plane, DefaultPlaneQueries) {
    const Kv3dPlane p;
    EXPECT_EQ(p.normal().z(), 1);
    EXPECT_TRUE(p.is_valid());
    EXPECT_EQ(p.distance(Kv3dPoint(1, 2, 3)), 3);
    EXPECT_EQ(p.distance(Kv3dPoint(1, 2, -3)), -3);
    expect_xyz(p.image(Kv3dPoint(1, 2, 3)), 1, 2, 0);
    const KvUVPar uv = p.find_parameter(Kv3dPoint(1, 2, 3));
    EXPECT_EQ(uv.u, 1);
    EXPECT_EQ(uv.v, 2);

    const Kv3dPoint p0(1, 1, 1), p1(3, 1, 2), p2(0, 4, 1);
    const Kv3dPlane three(p0, p1, p2);
    expect_xyz(three.evaluate(KvUVPar(1, 0)), 3, 1, 2);
    expect_xyz(three.evaluate(KvUVPar(0, 1)), 0, 4, 1);

    const Kv3dPlane flipped(Kv3dPoint(), Kv3dVector(0, 1, 0), Kv3dVector(1, 0, 0));
    EXPECT_EQ(flipped.normal().z(), -1);
    EXPECT_TRUE(flipped.geom_equal(p));
    EXPECT_TRUE(flipped.parallel(p));
    EXPECT_FALSE(p.geom_equal(
        Kv3dPlane(Kv3dPoint(0, 0, kTol), Kv3dVector(1, 0, 0), Kv3dVector(0, 1, 0))));  // strict
    EXPECT_TRUE(p.contains(Kv3dPoint(5, 5, 0.9 * kTol)));
    EXPECT_FALSE(p.contains(Kv3dPoint(5, 5, kTol)));
}

TEST(Plane, AxesFromTheNormal) {
    const Kv3dPoint o;
    const Kv3dPlane z(o, Kv3dDirection(0, 0, 1), nullptr);
    expect_xyz(z.u_axis(), -1, 0, 0);
    expect_xyz(z.v_axis(), 0, -1, 0);
    const Kv3dPlane x(o, Kv3dDirection(1, 0, 0), nullptr);
    expect_xyz(x.u_axis(), 0, 1, 0);
    expect_xyz(x.v_axis(), 0, 0, 1);
    const Kv3dPlane y(o, Kv3dDirection(0, 1, 0), nullptr);
    expect_xyz(y.u_axis(), -1, 0, 0);
    expect_xyz(y.v_axis(), 0, 0, 1);
    const Kv3dVector given(1, 0, 1);
    const Kv3dPlane g(o, Kv3dDirection(0, 0, 1), &given);
    expect_xyz(g.u_axis(), 1, 0, 0);
    expect_xyz(g.v_axis(), 0, 1, 0);

    // One normal per branch (xy, xz, yz projection longest), and a tie.
    const Kv3dDirection normals[] = {Kv3dDirection(0.6, 0.8, 0.1), Kv3dDirection(0.6, 0.1, 0.8),
                                     Kv3dDirection(0.1, 0.6, 0.8), Kv3dDirection(1, 1, 1)};
    const int zero_component[] = {2, 1, 0, 2};
    for (int i = 0; i < 4; ++i) {
        const Kv3dPlane q(Kv3dPoint(1, 2, 3), normals[i], nullptr);
        EXPECT_EQ(q.u_axis()[zero_component[i]], 0.0) << i;
        EXPECT_NEAR(q.u_axis().length(), 1.0, 1e-15);
        EXPECT_NEAR(q.u_axis() % normals[i], 0.0, 1e-15);
        EXPECT_TRUE((q.u_axis() * q.v_axis()).direction().geom_equal(normals[i]));
        EXPECT_EQ(q.normal().x(), normals[i].x());
    }
    // The zero normal gives zero axes rather than a division by zero.
    const Kv3dPlane zero(o, Kv3dDirection(0, 0, 0), nullptr);
    EXPECT_EQ(zero.u_axis().length(), 0.0);
    EXPECT_FALSE(zero.is_valid());
}

TEST(Plane, DegeneratePlanesDoNotFail) {
    const Kv3dPlane parallel_axes(Kv3dPoint(), Kv3dVector(1, 0, 0), Kv3dVector(2, 0, 0));
    EXPECT_FALSE(parallel_axes.is_valid());
    EXPECT_EQ(parallel_axes.distance(Kv3dPoint(4, 5, 6)), 0);
    EXPECT_TRUE(parallel_axes.contains(Kv3dPoint(4, 5, 6)));
    const KvUVPar uv = parallel_axes.find_parameter(Kv3dPoint(4, 5, 6));
    EXPECT_EQ(uv.u, 0);
    EXPECT_EQ(uv.v, 0);
    // A kept normal with zero axes: the normal equations are singular.
    const Kv3dVector zero;
    const Kv3dPlane no_axes(Kv3dPoint(), Kv3dDirection(0, 0, 1), &zero);
    EXPECT_FALSE(no_axes.is_valid());
    EXPECT_FALSE(std::isfinite(no_axes.find_parameter(Kv3dPoint(1, 1, 1)).u));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Kv3dPlane bad(Kv3dPoint(nan, 0, 0), Kv3dDirection(nan, 1, 0), nullptr);
    Kv3dLine line;
    Kv3dPoint x;
    KvUVPar puv;
    double t = 0;
    bad.intersect(Kv3dLine(Kv3dPoint(), Kv3dVector(1, 1, 1)), &x, &puv, &t);
    bad.intersect(Kv3dPlane(), &line);
    bad.intersect(make_box(0, 0, 0, 1, 1, 1));
}

TEST(Plane, LineIntersection) {
    const Kv3dPlane p;
    Kv3dPoint x(7, 7, 7);
    KvUVPar uv(7, 7);
    double t = 7;
    EXPECT_EQ(p.intersect(Kv3dLine(Kv3dPoint(1, 1, 0), Kv3dVector(1, 2, 0)), &x, &uv, &t),
              Kv3d::CONTAINED);
    EXPECT_EQ(p.intersect(Kv3dLine(Kv3dPoint(1, 1, 2 * kTol), Kv3dVector(1, 2, 0)), &x, &uv, &t),
              Kv3d::PARALLEL);
    EXPECT_EQ(t, 7);  // nothing written
    EXPECT_TRUE(p.contains(Kv3dLine(Kv3dPoint(1, 1, 0), Kv3dVector(1, 2, 0))));
    EXPECT_EQ(p.intersect(Kv3dLine(Kv3dPoint(1, 2, 5), Kv3dVector(0, 0, 2)), &x, &uv, &t),
              Kv3d::INTERSECTING);
    expect_xyz(x, 1, 2, 0);
    EXPECT_EQ(uv.u, 1);
    EXPECT_EQ(uv.v, 2);
    EXPECT_EQ(t, -2.5);

    // Skewed, unequal axes: the point lies on both, and its parameters
    // evaluate back to it on either object.
    std::mt19937 rng(17);
    std::uniform_real_distribution<double> u(-10, 10);
    for (int n = 0; n < 300; ++n) {
        const Kv3dPlane q(Kv3dPoint(u(rng), u(rng), u(rng)), Kv3dVector(u(rng), u(rng), u(rng)),
                          Kv3dVector(u(rng), u(rng), u(rng)));
        const Kv3dLine l(Kv3dPoint(u(rng), u(rng), u(rng)), Kv3dVector(u(rng), u(rng), u(rng)));
        if (!q.is_valid() || l.vector().orthogonal(q.normal())) {
            continue;
        }
        ASSERT_EQ(q.intersect(l, &x, &uv, &t), Kv3d::INTERSECTING);
        const double scale = 1e-9 * (1.0 + std::fabs(t));
        ASSERT_NEAR(q.distance(x), 0.0, scale);
        ASSERT_LT(l.distance(x), scale);
        ASSERT_LT(q.evaluate(uv).distance(x), scale);
        const KvUVPar back = q.find_parameter(x);
        ASSERT_NEAR(back.u, uv.u, 1e-6);
        ASSERT_NEAR(back.v, uv.v, 1e-6);
    }
}

TEST(Plane, PlaneIntersection) {
    const Kv3dPlane p;
    Kv3dLine line(Kv3dPoint(7, 7, 7), Kv3dVector(7, 7, 7));
    const Kv3dVector ex(1, 0, 0), ey(0, 1, 0), ez(0, 0, 1);
    EXPECT_EQ(p.intersect(Kv3dPlane(Kv3dPoint(0, 0, 0.5 * kTol), ex, ey), &line), Kv3d::COINCIDENT);
    EXPECT_EQ(p.intersect(Kv3dPlane(Kv3dPoint(0, 0, 2 * kTol), ey, ex), &line), Kv3d::PARALLEL);
    expect_xyz(line.basepoint(), 7, 7, 7);
    EXPECT_EQ(p.intersect(Kv3dPlane(Kv3dPoint(1, 0, 0), Kv3dDirection(1, 0, 0), nullptr), &line),
              Kv3d::INTERSECTING);
    expect_xyz(line.basepoint(), 1, 0, 0);
    expect_xyz(line.vector(), 0, 1, 0);
    // The largest component of c = (1, 0, 0) is x, so the base point has x = 0.
    EXPECT_EQ(p.intersect(Kv3dPlane(Kv3dPoint(0, 3, 0), ex, ez), &line), Kv3d::INTERSECTING);
    expect_xyz(line.basepoint(), 0, 3, 0);

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
        if (r != Kv3d::INTERSECTING) {
            continue;
        }
        for (double s : {0.0, 1.0, -3.0}) {
            ASSERT_NEAR(a.distance(ab.evaluate(s)), 0.0, 1e-9);
            ASSERT_NEAR(b.distance(ab.evaluate(s)), 0.0, 1e-9);
        }
        ASSERT_TRUE(ab.geom_equal(ba));  // the same carrier, opposite vector
        ASSERT_TRUE(ab.vector().geom_equal(-ba.vector()));
    }
}

TEST(Plane, BoxOverlap) {
    const Kv3dPlane p;
    EXPECT_TRUE(p.intersect(make_box(-1, -1, -1, 1, 1, 1)));
    EXPECT_TRUE(p.intersect(make_box(0, 0, 0.5 * kTol, 1, 1, 1)));
    EXPECT_TRUE(p.intersect(make_box(0, 0, -1, 1, 1, -0.5 * kTol)));
    EXPECT_FALSE(p.intersect(make_box(0, 0, 2 * kTol, 1, 1, 1)));
    EXPECT_FALSE(p.intersect(make_box(0, 0, -1, 1, 1, -2 * kTol)));
    // An empty box holds nothing, whatever its sentinel corners straddle.
    EXPECT_FALSE(p.intersect(Kv3dBBox()));

    const Kv3dPlane tilted(Kv3dPoint(1, 1, 1), Kv3dDirection(1, 2, 3), nullptr);
    EXPECT_TRUE(tilted.intersect(make_box(0, 0, 0, 2, 2, 2)));
    // Only the maximum corner reaches the plane, from 0.5 tol below.
    const double h = 3.0 - 0.5 * kTol / std::sqrt(3.0);
    const Kv3dPlane corner(Kv3dPoint(3, 3, 3), Kv3dDirection(1, 1, 1), nullptr);
    EXPECT_TRUE(corner.intersect(make_box(0, 0, 0, h, h, h)));
    EXPECT_FALSE(corner.intersect(make_box(0, 0, 0, 2.99, 2.99, 2.99)));
}

TEST(Plane, ApplyRecomputesTheNormal) {
    // A mirror in z = 0 with a shift: the axes are fixed, so the recomputed
    // normal keeps pointing up where a moved normal would point down.
    const double m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 2, 0, 0, 0, 1};
    Kv3dPlane p;
    p.apply(Kv3dTransform(m));
    expect_xyz(p.basepoint(), 0, 0, 2);
    expect_xyz(p.u_axis(), 1, 0, 0);
    EXPECT_EQ(p.normal().z(), 1);
}

TEST(Plane, JournalText) {
    const Kv3dPlane p;
    std::ostringstream out;
    KvJournal j(out);
    j << p;
    EXPECT_EQ(out.str(),
              "Kv3dPlane( Kv3dPoint( 0, 0, 0) , Kv3dDirection( 0, 0, 1) , Kv3dVector( 1, 0, 0) , "
              "Kv3dVector( 0, 1, 0))");
    std::ostringstream dbg;
    KvJournal d(dbg);
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
