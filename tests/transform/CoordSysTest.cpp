#include "TransformTestUtil.h"

#include <limits>

using namespace xf_test;

namespace {

const Kv3d::AxisId kAxes[3] = {Kv3d::X_AXIS, Kv3d::Y_AXIS, Kv3d::Z_AXIS};

Kv3d::AxisId id(int i) { return static_cast<Kv3d::AxisId>(i); }

Kv3dCoordSys general(const V& x, const V& y, const V& z) { return Kv3dCoordSys(P(), x, y, z); }

// Unit, pairwise orthogonal, x × y = z.
void expect_orthonormal_right_handed(const Kv3dCoordSys& c) {
    const V& x = c.axis(Kv3d::X_AXIS);
    const V& y = c.axis(Kv3d::Y_AXIS);
    const V& z = c.axis(Kv3d::Z_AXIS);
    EXPECT_NEAR(x.length(), 1.0, 1e-14);
    EXPECT_NEAR(y.length(), 1.0, 1e-14);
    EXPECT_NEAR(x % y, 0.0, 1e-14);
    expect_near(x * y, z, 1e-14);
    EXPECT_TRUE(c.right_handed() && c.geom_valid());
}

void expect_unit_along(const V& axis, const V& v) { expect_near(axis, v.direction(), 1e-14); }

void expect_params(const KvUVWPar& a, double u, double v, double w, double tol) {
    EXPECT_NEAR(a.u, u, tol);
    EXPECT_NEAR(a.v, v, tol);
    EXPECT_NEAR(a.w, w, tol);
}

}  // namespace

TEST(CoordSys, GeneralSystem) {
    const Kv3dCoordSys d;
    EXPECT_FALSE(d.is_cartesian());
    expect_near(d.axis(Kv3d::Y_AXIS), V(0, 1, 0), 0.0);
    EXPECT_EQ(&d.axis(id(7)), &d.axis(Kv3d::X_AXIS));
    EXPECT_TRUE(d.right_handed() && d.geom_valid());

    const Kv3dCoordSys s(P(1, 2, 3), V(2, 0, 0), V(0, 3, 0), V(0, 0, 4));
    const P q = s.evaluate(KvUVWPar(0.5, -1, 2));
    expect_near(q, P(2, -1, 11), 0.0);
    expect_params(s.find_parameter(q), 0.5, -1, 2, 1e-15);
    // Singular: every point has parameters (0, 0, 0).
    const Kv3dCoordSys flat = general(V(1, 0, 0), V(2, 0, 0), V(0, 0, 1));
    expect_params(flat.find_parameter(P(3, 4, 5)), 0, 0, 0, 0.0);

    // Validity: short axes (product 1e-6 < 0.001), near-coplanar axes and NaN
    // fail; equality with the bound is valid.
    EXPECT_FALSE(flat.geom_valid());
    EXPECT_FALSE(general(V(0.01, 0, 0), V(0, 0.01, 0), V(0, 0, 0.01)).geom_valid());
    EXPECT_FALSE(general(V(1, 0, 0), V(0, 1, 0), V(1, 1, 1e-4)).geom_valid());
    EXPECT_TRUE(general(V(1, 0, 0), V(0, 1, 0), V(0, 0, 0.001)).geom_valid());
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(general(V(nan, 0, 0), V(0, 1, 0), V(0, 0, 1)).geom_valid());
    EXPECT_FALSE(general(V(1, 0, 0), V(0, 1, 0), V(0, 0, -1)).right_handed());

    std::mt19937 rng(21);
    for (int i = 0; i < 100; ++i) {
        const Kv3dCoordSys c(random_point(rng), random_vector(rng), random_vector(rng),
                             random_vector(rng));
        expect_params(c.find_parameter(c.evaluate(KvUVWPar(1.5, -0.25, 3))), 1.5, -0.25, 3, 1e-8);
    }
}

TEST(CoordSys, CartesianFromOneVector) {
    const P p(1, 2, 3);
    const Kv3dCartesCoordSys a(p);
    EXPECT_TRUE(a.is_cartesian());
    expect_near(a.basepoint(), p, 0.0);
    expect_orthonormal_right_handed(a);
    const Kv3dCartesCoordSys z(p, V(0, 0, 5), Kv3d::Z_AXIS);
    expect_near(z.axis(Kv3d::X_AXIS), V(0, -1, 0), 0.0);
    expect_near(z.axis(Kv3d::Y_AXIS), V(1, 0, 0), 0.0);
    expect_near(z.axis(Kv3d::Z_AXIS), V(0, 0, 1), 0.0);

    std::mt19937 rng(23);
    for (int i = 0; i < 30; ++i) {
        const V v = random_vector(rng);
        for (int k : {0, 1, 2, 5}) {  // 5 puts v on the x axis
            const Kv3dCartesCoordSys c(p, v, id(k));
            expect_orthonormal_right_handed(c);
            expect_unit_along(c.axis(id(k == 5 ? 0 : k)), v);
        }
    }
    const Kv3dCartesCoordSys zero(p, V(), Kv3d::Y_AXIS);
    expect_near(zero.axis(Kv3d::X_AXIS), V(), 0.0);
    EXPECT_FALSE(zero.geom_valid());
}

TEST(CoordSys, CartesianFromTwoVectors) {
    const P p(-1, 0, 2);
    const Kv3dCartesCoordSys c(p, V(3, 0, 0), V(1, 1, 0));
    for (int k = 0; k < 3; ++k) {
        expect_near(c.axis(id(k)), V(k == 0, k == 1, k == 2), 0.0);
    }
    EXPECT_FALSE(Kv3dCartesCoordSys(p, V(1, 1, 1), V(-2, -2, -2)).geom_valid());

    // (a, 1, b, 0): a on y, b's part perpendicular to a on x, -(a × b) on z.
    const V a(0, 0, 2);
    const V b(1, 0, 1);
    const Kv3dCartesCoordSys odd(p, a, Kv3d::Y_AXIS, b, Kv3d::X_AXIS);
    expect_near(odd.axis(Kv3d::X_AXIS), V(1, 0, 0), 1e-15);
    expect_near(odd.axis(Kv3d::Y_AXIS), V(0, 0, 1), 1e-15);
    expect_near(odd.axis(Kv3d::Z_AXIS), V(0, -1, 0), 1e-15);

    std::mt19937 rng(29);
    for (int n = 0; n < 20; ++n) {
        const V u = random_vector(rng);
        const V w = random_vector(rng);
        for (Kv3d::AxisId ia : kAxes) {
            for (Kv3d::AxisId ib : kAxes) {
                const Kv3dCartesCoordSys s(p, u, ia, w, ib);
                if (ia == ib) {  // the default system, at the origin
                    expect_near(s.basepoint(), P(), 0.0);
                    expect_near(s.axis(Kv3d::X_AXIS), V(1, 0, 0), 0.0);
                    continue;
                }
                expect_orthonormal_right_handed(s);
                expect_near(s.basepoint(), p, 0.0);
                expect_unit_along(s.axis(ia), u);
                EXPECT_GT(s.axis(ib) % w, 0.0);                        // on w's side
                EXPECT_NEAR(s.axis(id(3 - ia - ib)) % w, 0.0, 1e-12);  // normal to u, w
            }
        }
    }
    // An id outside 0..2 counts as the x axis.
    const Kv3dCartesCoordSys out(p, a, id(9), b, Kv3d::Y_AXIS);
    const Kv3dCartesCoordSys in(p, a, Kv3d::X_AXIS, b, Kv3d::Y_AXIS);
    for (Kv3d::AxisId k : kAxes) {
        expect_near(out.axis(k), in.axis(k), 0.0);
    }
    expect_near(Kv3dCartesCoordSys(p, a, id(-4), b, Kv3d::X_AXIS).basepoint(), P(), 0.0);
}

TEST(CoordSys, CartesianParametersAndDebugText) {
    std::mt19937 rng(31);
    const Kv3dCartesCoordSys c(random_point(rng), random_vector(rng), random_vector(rng));
    const Kv3dCoordSys& base = c;
    EXPECT_TRUE(base.is_cartesian());
    expect_params(base.find_parameter(base.evaluate(KvUVWPar(2, -3, 0.5))), 2, -3, 0.5, 1e-12);

    const Kv3dCoordSys g(P(1, 2, 3), V(0.5, 0, 0), V(0, 1, 0), V(0, 0, -8000));
    EXPECT_EQ(debug_text(g, 1, 0), "");
    EXPECT_EQ(debug_text(g, 2, 1),
              " Kv3dCoordSys \n"
              "   basepoint : Kv3dPoint( 1, 2, 3)\n"
              "   xt_axis   : Kv3dVector( 0.5, 0, 0)\n"
              "   yt_axis   : Kv3dVector( 0, 1, 0)\n"
              "   zt_axis   : Kv3dVector( 0, 0, -8000)\n");
    EXPECT_EQ(debug_text(Kv3dCartesCoordSys(P(0, 0, 1e-06)), 3, 0),
              "Kv3dCartesCoordSys \n"
              "  basepoint : Kv3dPoint( 0, 0, 1e-06)\n"
              "  xt_axis   : Kv3dVector( 1, 0, 0)\n"
              "  yt_axis   : Kv3dVector( 0, 1, 0)\n"
              "  zt_axis   : Kv3dVector( 0, 0, 1)\n");
}
