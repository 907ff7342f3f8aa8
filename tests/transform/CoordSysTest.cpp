#include "TransformTestUtil.h"

#include <limits>

#include "support/Around.h"
#include "support/NamedCases.h"
#include "support/ResolutionGuard.h"

using namespace xf_test;

namespace {

const Kv3d::AxisId kX = Kv3d::X_AXIS, kY = Kv3d::Y_AXIS, kZ = Kv3d::Z_AXIS;
Kv3d::AxisId id(int i) { return static_cast<Kv3d::AxisId>(i); }
Kv3dCoordSys general(const V& x, const V& y, const V& z) { return Kv3dCoordSys(P(), x, y, z); }

void expect_axes(const Kv3dCoordSys& c, const Kv3dCoordSys& d, double tol) {
    for (int k = 0; k < 3; ++k) expect_near(c.axis(id(k)), d.axis(id(k)), tol);
}

// At p; unit, orthogonal, x × y = z.
void expect_orthonormal_right_handed(const Kv3dCoordSys& c, const P& p) {
    expect_near(c.basepoint(), p, 0.0);
    const V &x = c.axis(kX), &y = c.axis(kY);
    EXPECT_NEAR(x.length(), 1, 1e-14) << "case: unit x";
    EXPECT_NEAR(y.length(), 1, 1e-14) << "case: unit y";
    EXPECT_NEAR(x % y, 0.0, 1e-14) << "case: orthogonal";
    expect_near(x * y, c.axis(kZ), 1e-14);
    EXPECT_TRUE(c.right_handed()) << "case: right-handed";
    EXPECT_TRUE(c.geom_valid()) << "case: valid";
}

}  // namespace

// Parameters (0, 0, 0) for every point when |det| is not above 1e-20 (NaN
// included). Valid when the axes' lengths multiply to at least tol and the
// volume to at least tol times that.
TEST(CoordSys, GeneralSystem) {
    const Kv3dCoordSys d, s(P(1, 2, 3), V(2, 0, 0), V(0, 3, 0), V(0, 0, 4));
    EXPECT_EQ(&d.axis(id(7)), &d.axis(kX)) << "case: an id outside 0..2 is x";
    expect_near(at(s, P(0.5, -1, 2)), P(2, -1, 11), 0.0);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Kv3dCoordSys flat = general(V(1, 0, 0), V(2, 0, 0), V(0, 0, 1));
    const P q(3, 4, 5);
    expect_each<double>({
        {"singular", flat.find_parameter(q).u, 0.0},
        {"determinant 1e-20", general(V(1, 0, 0), V(0, 1, 0), V(0, 0, 1e-20)).find_parameter(q).w,
         0.0},
        {"NaN determinant", general(V(1, 0, 0), V(0, nan, 0), V(0, 0, 1)).find_parameter(q).u, 0.0},
        {"determinant 2e-20", general(V(1, 0, 0), V(0, 1, 0), V(0, 0, 2e-20)).find_parameter(q).w,
         2.5e20},
    });
    expect_each<bool>({
        {"default, cartesian", d.is_cartesian(), false},
        {"default, valid", d.geom_valid(), true},
        {"flat", flat.geom_valid(), false},
        {"short axes", general(V(0.01, 0, 0), V(0, 0.01, 0), V(0, 0, 0.01)).geom_valid(), false},
        {"near-coplanar", general(V(1, 0, 0), V(0, 1, 0), V(1, 1, 1e-4)).geom_valid(), false},
        {"lengths at the bound", general(V(1, 0, 0), V(0, 1, 0), V(0, 0, 0.001)).geom_valid(),
         true},
        {"NaN axis", general(V(nan, 0, 0), V(0, 1, 0), V(0, 0, 1)).geom_valid(), false},
        {"left-handed", general(V(1, 0, 0), V(0, 1, 0), V(0, 0, -1)).right_handed(), false},
    });
    std::mt19937 rng(21);
    for (int i = 0; i < 30; ++i) {
        const Kv3dCoordSys c = random_system(rng);
        const Kv3dCartesCoordSys cc(random_point(rng), random_vector(rng), random_vector(rng));
        const Kv3dCoordSys& base = cc;
        const P u = random_point(rng, 3.0);
        expect_near(uvw(c.find_parameter(at(c, u))), u, 1e-8);
        expect_near(uvw(base.find_parameter(at(base, u))), u, 1e-12);
    }
}

TEST(CoordSys, CartesianAxes) {
    const P p(1, 2, 3);
    const V a(0, 0, 2), b(1, 0, 1);
    EXPECT_TRUE(same_matrix(Kv3dTransform(Kv3dCartesCoordSys(p)), Kv3dTransform(p.as_vector())))
        << "case: at p, the global axes";
    // An id outside 0..2 counts as the x axis; zero or parallel input is invalid.
    expect_axes(Kv3dCartesCoordSys(p, a, id(9), b, kY), Kv3dCartesCoordSys(p, a, kX, b, kY), 0.0);
    EXPECT_FALSE(Kv3dCartesCoordSys(p, V(), kY).geom_valid()) << "case: zero vector";
    EXPECT_FALSE(Kv3dCartesCoordSys(p, V(1, 1, 1), V(-2, -2, -2)).geom_valid())
        << "case: parallel vectors";

    std::mt19937 rng(29);
    for (int n = 0; n < 20; ++n) {
        SCOPED_TRACE("case: draw " + std::to_string(n));
        const V u = random_vector(rng), w = random_vector(rng);
        for (int k : {0, 1, 2, 5}) {  // 5 puts u on the x axis
            const Kv3dCartesCoordSys c(p, u, id(k));
            expect_orthonormal_right_handed(c, p);
            expect_near(c.axis(id(k == 5 ? 0 : k)), u.direction(), 1e-14);
        }
        EXPECT_TRUE(same_matrix(Kv3dTransform(Kv3dCartesCoordSys(p, u, w)),
                                Kv3dTransform(Kv3dCartesCoordSys(p, u, kX, w, kY))));
        for (int ia = 0; ia < 3; ++ia) {
            for (int ib = 0; ib < 3; ++ib) {
                const Kv3dCartesCoordSys s(p, u, id(ia), w, id(ib));
                if (ia == ib) {  // the default system, at the origin
                    EXPECT_TRUE(same_matrix(Kv3dTransform(s), Kv3dTransform())) << "case: same ids";
                    continue;
                }
                expect_orthonormal_right_handed(s, p);
                expect_near(s.axis(id(ia)), u.direction(), 1e-14);
                EXPECT_GT(s.axis(id(ib)) % w, 0.0);                    // on w's side
                EXPECT_NEAR(s.axis(id(3 - ia - ib)) % w, 0.0, 1e-12);  // normal to u, w
            }
        }
    }
}

TEST(CoordSys, DebugText) {
    const Kv3dCoordSys g(P(1, 2, 3), V(0.5, 0, 0), V(0, 1, 0), V(0, 0, -8000));
    EXPECT_EQ(debug_text(g, 1, 0), "") << "case: level 1";
    EXPECT_EQ(debug_text(g, 2, 1),
              " Kv3dCoordSys \n"
              "   basepoint : Kv3dPoint( 1, 2, 3)\n"
              "   xt_axis   : Kv3dVector( 0.5, 0, 0)\n"
              "   yt_axis   : Kv3dVector( 0, 1, 0)\n"
              "   zt_axis   : Kv3dVector( 0, 0, -8000)\n");
    // The cartesian text differs in the name only ("Kv3dCoordSys " is 13 characters).
    EXPECT_EQ(debug_text(Kv3dCartesCoordSys(P(0, 0, 1e-06)), 3, 0),
              "Kv3dCartesCoordSys " +
                  debug_text(Kv3dCoordSys(P(0, 0, 1e-06), V(1, 0, 0), V(0, 1, 0), V(0, 0, 1)), 3, 0)
                      .substr(13));
}

// A nearly flat system with unequal axes: x = (2, 0, 0), y = (999999, 2000, 0)
// (length 1000001 exactly), z = (0, 0, 3) give l = |x| |y| |z| = 6000006 and
// V = |(x × y) · z| = 12000, both exact. With the point tolerance set where
// tol l rounds to V, the system is valid exactly at the bound (V >= tol l),
// valid just below it and invalid one step above.
TEST(CoordSys, FlatnessBoundWithUnequalAxes) {
    const Kv3dCoordSys flat = general(V(2, 0, 0), V(999999, 2000, 0), V(0, 0, 3));
    const double l = 6000006, volume = 12000;
    ASSERT_EQ(flat.axis(kX).length() * flat.axis(kY).length() * flat.axis(kZ).length(), l);
    double at = volume / l;
    while (at * l > volume) at = std::nextafter(at, 0.0);
    while (std::nextafter(at, 1.0) * l <= volume) at = std::nextafter(at, 1.0);
    ASSERT_EQ(at * l, volume);
    const bool valid[] = {true, true, false};  // below, at, above
    const auto tol = around(at);
    for (int k = 0; k < 3; ++k) {
        ResolutionGuard guard(tol[k].value, 1e-7, 8000);
        EXPECT_EQ(flat.geom_valid(), valid[k]) << "case: " << tol[k].name;
    }
}
