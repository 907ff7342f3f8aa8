#include "TransformTestUtil.h"

#include <limits>
#include <utility>

using namespace xf_test;

namespace {

const Kv3d::AxisId kAxes[3] = {Kv3d::X_AXIS, Kv3d::Y_AXIS, Kv3d::Z_AXIS};

// Unit, pairwise orthogonal, x × y = z.
void expect_orthonormal_right_handed(const Kv3dCoordSys& c) {
    const Kv3dVector& x = c.axis(Kv3d::X_AXIS);
    const Kv3dVector& y = c.axis(Kv3d::Y_AXIS);
    const Kv3dVector& z = c.axis(Kv3d::Z_AXIS);
    EXPECT_NEAR(x.length(), 1.0, 1e-14);
    EXPECT_NEAR(y.length(), 1.0, 1e-14);
    EXPECT_NEAR(z.length(), 1.0, 1e-14);
    EXPECT_NEAR(x % y, 0.0, 1e-14);
    EXPECT_NEAR(y % z, 0.0, 1e-14);
    EXPECT_NEAR(z % x, 0.0, 1e-14);
    expect_near(x * y, z, 1e-14);
    EXPECT_TRUE(c.right_handed());
    EXPECT_TRUE(c.geom_valid());
}

void expect_unit_along(const Kv3dVector& axis, const Kv3dVector& v) {
    expect_near(axis, v * (1.0 / v.length()), 1e-14);
}

}  // namespace

TEST(CoordSys, GeneralSystem) {
    const Kv3dCoordSys d;
    EXPECT_FALSE(d.is_cartesian());
    expect_near(d.axis(Kv3d::Y_AXIS), Kv3dVector(0, 1, 0), 0.0);
    EXPECT_EQ(&d.axis(static_cast<Kv3d::AxisId>(7)), &d.axis(Kv3d::X_AXIS));
    EXPECT_EQ(&d.axis(static_cast<Kv3d::AxisId>(-1)), &d.axis(Kv3d::X_AXIS));
    EXPECT_TRUE(d.right_handed());
    EXPECT_TRUE(d.geom_valid());

    const Kv3dCoordSys s(Kv3dPoint(1, 2, 3), Kv3dVector(2, 0, 0), Kv3dVector(0, 3, 0),
                         Kv3dVector(0, 0, 4));
    const Kv3dPoint q = s.evaluate(KvUVWPar(0.5, -1, 2));
    expect_near(q, Kv3dPoint(2, -1, 11), 0.0);
    const KvUVWPar u = s.find_parameter(q);
    EXPECT_DOUBLE_EQ(u.u, 0.5);
    EXPECT_DOUBLE_EQ(u.v, -1.0);
    EXPECT_DOUBLE_EQ(u.w, 2.0);

    const Kv3dCoordSys flat(Kv3dPoint(), Kv3dVector(1, 0, 0), Kv3dVector(2, 0, 0),
                            Kv3dVector(0, 0, 1));
    const KvUVWPar z = flat.find_parameter(Kv3dPoint(3, 4, 5));
    EXPECT_EQ(z.u, 0.0);
    EXPECT_EQ(z.v, 0.0);
    EXPECT_EQ(z.w, 0.0);
    EXPECT_FALSE(flat.geom_valid());

    // Validity: three axes of length 0.01 (product 1e-6 < 0.001) fail, so do
    // nearly coplanar ones and NaN; equality with the bound is valid.
    const Kv3dVector t(0.01, 0, 0);
    EXPECT_FALSE(
        Kv3dCoordSys(Kv3dPoint(), t, Kv3dVector(0, 0.01, 0), Kv3dVector(0, 0, 0.01)).geom_valid());
    EXPECT_FALSE(
        Kv3dCoordSys(Kv3dPoint(), Kv3dVector(1, 0, 0), Kv3dVector(0, 1, 0), Kv3dVector(1, 1, 1e-4))
            .geom_valid());
    EXPECT_TRUE(
        Kv3dCoordSys(Kv3dPoint(), Kv3dVector(1, 0, 0), Kv3dVector(0, 1, 0), Kv3dVector(0, 0, 0.001))
            .geom_valid());
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(
        Kv3dCoordSys(Kv3dPoint(), Kv3dVector(nan, 0, 0), Kv3dVector(0, 1, 0), Kv3dVector(0, 0, 1))
            .geom_valid());
    EXPECT_FALSE(
        Kv3dCoordSys(Kv3dPoint(), Kv3dVector(1, 0, 0), Kv3dVector(0, 1, 0), Kv3dVector(0, 0, -1))
            .right_handed());

    std::mt19937 rng(21);
    for (int i = 0; i < 100; ++i) {
        const Kv3dCoordSys c(random_point(rng), random_vector(rng), random_vector(rng),
                             random_vector(rng));
        const KvUVWPar p(1.5, -0.25, 3.0);
        const KvUVWPar r = c.find_parameter(c.evaluate(p));
        EXPECT_NEAR(r.u, p.u, 1e-8);
        EXPECT_NEAR(r.v, p.v, 1e-8);
        EXPECT_NEAR(r.w, p.w, 1e-8);
    }
}

TEST(CoordSys, CartesianFromOneVector) {
    const Kv3dPoint p(1, 2, 3);
    const Kv3dCartesCoordSys a(p);
    EXPECT_TRUE(a.is_cartesian());
    expect_near(a.basepoint(), p, 0.0);
    expect_orthonormal_right_handed(a);

    const Kv3dCartesCoordSys z(p, Kv3dVector(0, 0, 5), Kv3d::Z_AXIS);
    expect_near(z.axis(Kv3d::Z_AXIS), Kv3dVector(0, 0, 1), 0.0);
    expect_near(z.axis(Kv3d::Y_AXIS), Kv3dVector(1, 0, 0), 0.0);
    expect_near(z.axis(Kv3d::X_AXIS), Kv3dVector(0, -1, 0), 0.0);
    EXPECT_TRUE(z.right_handed());

    std::mt19937 rng(23);
    for (int i = 0; i < 30; ++i) {
        const Kv3dVector v = random_vector(rng);
        for (int id : {0, 1, 2, 5}) {
            const Kv3dCartesCoordSys c(p, v, static_cast<Kv3d::AxisId>(id));
            expect_orthonormal_right_handed(c);
            expect_unit_along(c.axis(static_cast<Kv3d::AxisId>(id == 5 ? 0 : id)), v);
        }
    }
    const Kv3dCartesCoordSys zero(p, Kv3dVector(), Kv3d::Y_AXIS);
    expect_near(zero.axis(Kv3d::X_AXIS), Kv3dVector(), 0.0);
    expect_near(zero.axis(Kv3d::Z_AXIS), Kv3dVector(), 0.0);
    EXPECT_FALSE(zero.geom_valid());
}

TEST(CoordSys, CartesianFromTwoVectors) {
    const Kv3dPoint p(-1, 0, 2);
    const Kv3dCartesCoordSys c(p, Kv3dVector(3, 0, 0), Kv3dVector(1, 1, 0));
    expect_near(c.axis(Kv3d::X_AXIS), Kv3dVector(1, 0, 0), 0.0);
    expect_near(c.axis(Kv3d::Y_AXIS), Kv3dVector(0, 1, 0), 0.0);
    expect_near(c.axis(Kv3d::Z_AXIS), Kv3dVector(0, 0, 1), 0.0);
    const Kv3dCartesCoordSys par(p, Kv3dVector(1, 1, 1), Kv3dVector(-2, -2, -2));
    expect_near(par.axis(Kv3d::Y_AXIS), Kv3dVector(), 0.0);
    EXPECT_FALSE(par.geom_valid());

    // (a, 1, b, 0): a on y, b's perpendicular part on x, -(a × b) on z.
    const Kv3dVector a(0, 0, 2);
    const Kv3dVector b(1, 0, 1);
    const Kv3dCartesCoordSys odd(p, a, Kv3d::Y_AXIS, b, Kv3d::X_AXIS);
    expect_near(odd.axis(Kv3d::Y_AXIS), Kv3dVector(0, 0, 1), 1e-15);
    expect_near(odd.axis(Kv3d::X_AXIS), Kv3dVector(1, 0, 0), 1e-15);
    expect_near(odd.axis(Kv3d::Z_AXIS), Kv3dVector(0, -1, 0), 1e-15);
    EXPECT_TRUE(odd.right_handed());

    std::mt19937 rng(29);
    for (int n = 0; n < 20; ++n) {
        const Kv3dVector u = random_vector(rng);
        const Kv3dVector w = random_vector(rng);
        for (Kv3d::AxisId ia : kAxes) {
            for (Kv3d::AxisId ib : kAxes) {
                const Kv3dCartesCoordSys s(p, u, ia, w, ib);
                if (ia == ib) {
                    expect_near(s.basepoint(), Kv3dPoint(), 0.0);
                    expect_near(s.axis(Kv3d::X_AXIS), Kv3dVector(1, 0, 0), 0.0);
                    continue;
                }
                expect_orthonormal_right_handed(s);
                expect_near(s.basepoint(), p, 0.0);
                expect_unit_along(s.axis(ia), u);
                EXPECT_GT(s.axis(ib) % w, 0.0);  // on w's side
                const Kv3d::AxisId k = static_cast<Kv3d::AxisId>(3 - ia - ib);
                EXPECT_NEAR(s.axis(k) % w, 0.0, 1e-12);  // normal to the plane of u, w
            }
        }
    }
    // An id outside 0..2 counts as the x axis.
    const Kv3dCartesCoordSys out(p, a, static_cast<Kv3d::AxisId>(9), b, Kv3d::Y_AXIS);
    const Kv3dCartesCoordSys in(p, a, Kv3d::X_AXIS, b, Kv3d::Y_AXIS);
    for (Kv3d::AxisId id : kAxes) {
        expect_near(out.axis(id), in.axis(id), 0.0);
    }
    const Kv3dCartesCoordSys same(p, a, static_cast<Kv3d::AxisId>(-4), b, Kv3d::X_AXIS);
    expect_near(same.basepoint(), Kv3dPoint(), 0.0);
}

TEST(CoordSys, CartesianParametersAndCopies) {
    std::mt19937 rng(31);
    const Kv3dCartesCoordSys c(random_point(rng), random_vector(rng), random_vector(rng));
    const Kv3dCoordSys& base = c;
    EXPECT_TRUE(base.is_cartesian());
    const KvUVWPar r = base.find_parameter(base.evaluate(KvUVWPar(2, -3, 0.5)));
    EXPECT_NEAR(r.u, 2.0, 1e-12);
    EXPECT_NEAR(r.v, -3.0, 1e-12);
    EXPECT_NEAR(r.w, 0.5, 1e-12);
    Kv3dCartesCoordSys d;
    d = c;
    expect_near(d.axis(Kv3d::Z_AXIS), c.axis(Kv3d::Z_AXIS), 0.0);
    const Kv3dCoordSys e(c);
    EXPECT_FALSE(e.is_cartesian());
    expect_near(e.basepoint(), c.basepoint(), 0.0);
}

TEST(CoordSys, DebugText) {
    const Kv3dCoordSys g(Kv3dPoint(1, 2, 3), Kv3dVector(0.5, 0, 0), Kv3dVector(0, 1, 0),
                         Kv3dVector(0, 0, -8000));
    EXPECT_EQ(debug_text(g, 1, 0), "");
    EXPECT_EQ(debug_text(g, 2, 1),
              " Kv3dCoordSys \n"
              "   basepoint : Kv3dPoint( 1, 2, 3)\n"
              "   xt_axis   : Kv3dVector( 0.5, 0, 0)\n"
              "   yt_axis   : Kv3dVector( 0, 1, 0)\n"
              "   zt_axis   : Kv3dVector( 0, 0, -8000)\n");
    EXPECT_EQ(debug_text(Kv3dCartesCoordSys(Kv3dPoint(0, 0, 1e-06)), 3, 0),
              "Kv3dCartesCoordSys \n"
              "  basepoint : Kv3dPoint( 0, 0, 1e-06)\n"
              "  xt_axis   : Kv3dVector( 1, 0, 0)\n"
              "  yt_axis   : Kv3dVector( 0, 1, 0)\n"
              "  zt_axis   : Kv3dVector( 0, 0, 1)\n");
}
