#include <cmath>

#include "TransformTestUtil.h"
#include "support/Around.h"
#include "support/ResolutionGuard.h"

using namespace xf_test;

namespace {

const Kv3d::AxisId kX = Kv3d::X_AXIS, kY = Kv3d::Y_AXIS, kZ = Kv3d::Z_AXIS;
Kv3d::AxisId id(int i) { return static_cast<Kv3d::AxisId>(i); }
Kv3dCoordSys general(const V& x, const V& y, const V& z) { return Kv3dCoordSys(P(), x, y, z); }

// At p; orthonormal, x × y = z.
void expect_frame(const std::string& name, const Kv3dCoordSys& c, const P& p) {
    expect_near(name + ", base point", c.basepoint(), p, 0.0);
    for (int k = 0; k < 9; ++k) {
        EXPECT_NEAR(c.axis(id(k / 3)) % c.axis(id(k % 3)), k % 4 == 0 ? 1 : 0, 1e-14)
            << "case: " << name << ", axes " << k / 3 << ", " << k % 3;
    }
    expect_near(name + ", x × y", c.axis(kX) * c.axis(kY), c.axis(kZ), 1e-14);
    EXPECT_TRUE(c.geom_valid()) << "case: " << name;
}

}  // namespace

// Parameters (0, 0, 0) for every point when |det| is not above 1e-20 (NaN
// included; other parameters are checked beside the change of system).
// Valid when the axes' lengths multiply to at least tol and the volume to at
// least tol times that. The debug text lists the base point and the axes.
// A nearly flat system with unequal axes: x = (2, 0, 0), y = (999999, 2000, 0)
// (length 1000001 exactly), z = (0, 0, 3) give l = |x| |y| |z| = 6000006 and
// V = |(x × y) · z| = 12000, both exact. With the point tolerance set where
// tol l rounds to V, the system is valid exactly at the bound (V >= tol l),
// valid just below it and invalid one step above.
TEST(CoordSys, GeneralSystem) {
    const Kv3dCoordSys d, s(P(1, 2, 3), V(2, 0, 0), V(0, 3, 0), V(0, 0, 4));
    EXPECT_EQ(&d.axis(id(7)), &d.axis(kX)) << "case: an id outside 0..2 is x";
    expect_near("evaluate", at(s, P(0.5, -1, 2)), P(2, -1, 11), 0.0);
    const Kv3dCoordSys flat = general(V(1, 0, 0), V(2, 0, 0), V(0, 0, 1));
    const P q(3, 4, 5);
    const auto w_of = [](double z) { return general(V(1, 0, 0), V(0, 1, 0), V(0, 0, z)); };
    expect_each<double>({
        {"singular", flat.find_parameter(q).u, 0.0},
        {"determinant 1e-20", w_of(1e-20).find_parameter(q).w, 0.0},
        {"NaN determinant", w_of(std::nan("")).find_parameter(q).u, 0.0},
        {"determinant 2e-20", w_of(2e-20).find_parameter(q).w, 2.5e20},
    });
    expect_each<bool>({
        {"default, valid", d.geom_valid(), true},
        {"flat", flat.geom_valid(), false},
        {"short axes", general(V(0.01, 0, 0), V(0, 0.01, 0), V(0, 0, 0.01)).geom_valid(), false},
        {"near-coplanar", general(V(1, 0, 0), V(0, 1, 0), V(1, 1, 1e-4)).geom_valid(), false},
        {"lengths at the bound", w_of(0.001).geom_valid(), true},
        {"NaN axis", w_of(std::nan("")).geom_valid(), false},
        {"default, right-handed", d.right_handed(), true},
        {"left-handed", w_of(-1).right_handed(), false},
    });
    const Kv3dCoordSys g(P(1, 2, 3), V(0.5, 0, 0), V(0, 1, 0), V(0, 0, -8000));
    EXPECT_EQ(debug_text(g, 1, 0), "") << "case: debug level 1";
    EXPECT_EQ(debug_text(g, 2, 1),
              " Kv3dCoordSys \n"
              "   basepoint : Kv3dPoint( 1, 2, 3)\n"
              "   xt_axis   : Kv3dVector( 0.5, 0, 0)\n"
              "   yt_axis   : Kv3dVector( 0, 1, 0)\n"
              "   zt_axis   : Kv3dVector( 0, 0, -8000)\n");
    EXPECT_EQ(debug_text(Kv3dCartesCoordSys(P()), 2, 0).substr(0, 20), "Kv3dCartesCoordSys \n")
        << "case: cartesian, the name only differs";
    const Kv3dCoordSys thin = general(V(2, 0, 0), V(999999, 2000, 0), V(0, 0, 3));
    const double l = 6000006, volume = 12000;
    ASSERT_EQ(thin.axis(kX).length() * thin.axis(kY).length() * thin.axis(kZ).length(), l);
    double at = volume / l;
    while (at * l > volume) at = std::nextafter(at, 0.0);
    while (std::nextafter(at, 1.0) * l <= volume) at = std::nextafter(at, 1.0);
    ASSERT_EQ(at * l, volume);
    const bool valid[] = {true, true, false};  // below, at, above
    const auto tol = around(at);
    for (int k = 0; k < 3; ++k) {
        ResolutionGuard guard(tol[k].value, 1e-7, 8000);
        EXPECT_EQ(thin.geom_valid(), valid[k]) << "case: " << tol[k].name;
    }
}

// u on axis a, w's side for axis b, the third axis normal to both; an id
// outside 0..2 counts as x (9 below), equal ids give the default system at
// the origin; zero or parallel input is invalid.
TEST(CoordSys, CartesianAxes) {
    const P p(1, 2, 3);
    EXPECT_TRUE(same_matrix(Kv3dTransform(Kv3dCartesCoordSys(p)), Kv3dTransform(p.as_vector())))
        << "case: at p, the global axes";
    EXPECT_FALSE(Kv3dCartesCoordSys(p, V(), kY).geom_valid()) << "case: zero vector";
    EXPECT_FALSE(Kv3dCartesCoordSys(p, V(1, 1, 1), V(-2, -2, -2)).geom_valid())
        << "case: parallel vectors";
    RandomDraw r(29);
    for (int n = 0; n < 20; ++n) {
        const V u = r.vector(10), w = r.vector(10);
        for (int ia : {0, 1, 2, 9}) {
            for (int b = -1; b < 3; ++b) {  // -1: u alone
                const int a = ia > 2 ? 0 : ia;
                const std::string name = "draw " + std::to_string(n) + ", u on " +
                                         std::to_string(ia) + ", w on " + std::to_string(b);
                // u on x and w's side for y is also the two-vector constructor's frame.
                const Kv3dCartesCoordSys s = b < 0 ? Kv3dCartesCoordSys(p, u, id(ia))
                                             : ia == 0 && b == 1
                                                 ? Kv3dCartesCoordSys(p, u, w)
                                                 : Kv3dCartesCoordSys(p, u, id(ia), w, id(b));
                const bool global = same_matrix(Kv3dTransform(s), Kv3dTransform());
                EXPECT_EQ(global, a == b) << "case: " << name;
                if (a == b) continue;
                expect_frame(name, s, p);
                expect_near(name, s.axis(id(a)), u.direction(), 1e-14);
                if (b < 0) continue;
                EXPECT_GT(s.axis(id(b)) % w, 0.0) << "case: " << name;
                EXPECT_NEAR(s.axis(id(3 - a - b)) % w, 0.0, 1e-12) << "case: " << name;
            }
        }
    }
}
