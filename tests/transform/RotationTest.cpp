#include "TransformTestUtil.h"
#include "support/Around.h"

using namespace xf_test;

// Rotations against Rodrigues and the axis-angle matrix. Between two
// directions, |cos| >= 0.999999 leaves R = cos I; one step below
// it R turns. The target (c, s, 0) keeps c exactly, so from % to = c.
TEST(Rotation, VectorsAndMatrices) {
    const auto times = [](const KvMatrix<double>& M, V v) {
        Kv3d_apply(M, v);
        return v;
    };
    expect_near("orthogonal to z", Kv3d_orthogonal_vector(V(0, 0, 5)), V(5, 0, 0), 0.0);
    expect_near("orthogonal to zero", Kv3d_orthogonal_vector(V(0, 0, 0)), V(0, 0, 0), 0.0);
    EXPECT_EQ(Kv3d_orthogonal_direction(Kv3dDirection(0, 0, 0)).x(), 1.0) << "case: zero direction";
    const V o = Kv3d_orthogonal_vector(V(1, 1, 1));
    EXPECT_GT(o.x(), 0.0) << "case: ties keep the lower index";
    EXPECT_NEAR(o.y(), o.z(), 1e-15) << "case: ties keep the lower index";
    expect_near("quarter turn", Kv3d_rotate_vector(V(1, 0, 0), V(0, 0, 2), M_PI / 2), V(0, 1, 0),
                1e-15);
    expect_near("zero axis", Kv3d_rotate_vector(V(1, 2, 3), V(), M_PI / 3), V(0.5, 1, 1.5), 1e-15);
    // From one direction to another, exactly; any previous shape of R becomes 3 x 3.
    KvMatrix<double> R(2, 5);
    const Kv3dDirection x(1, 0, 0);
    Kv3d_get_rotation_matrix(x, -x, R, true);
    expect_near("x to -x, flip allowed", times(R, V(1, 3, 2)), V(1, 3, 2), 0.0);
    // Rodrigues against the axis-angle matrix; two directions, with and without allow_flip.
    RandomDraw d(9);
    for (int i = 0; i < 50; ++i) {
        const std::string draw = "draw " + std::to_string(i);
        const V v = d.vector(10), axis = d.vector(10), w = Kv3d_orthogonal_vector(v);
        EXPECT_NEAR(w % v, 0, 1e-12) << "case: " << draw;
        const double t = d.uniform(-M_PI, M_PI);
        Kv3d_get_rotation_matrix(axis.direction(), t, R);
        expect_near("rotate, " + draw, Kv3d_rotate_vector(v, axis, t), times(R, v), 1e-12);
        const Kv3dDirection f = v.direction(), g = axis.direction();
        if (std::fabs(f % g) > 0.999) continue;
        Kv3d_get_rotation_matrix(f, g, R, false);
        expect_near("f to g, " + draw, times(R, V(f, 1.0)), g, 1e-12);
        Kv3d_get_rotation_matrix(f, g, R, true);
        expect_near("f to +-g, " + draw, times(R, V(f, 1.0)), f % g < 0.0 ? -g : g, 1e-12);
    }
    // Applying reads only the upper-left 3 x 3 block; a smaller matrix changes nothing.
    KvMatrix<double> small(2, 2), big(4, 4);
    small(0, 0) = big(0, 1) = big(3, 3) = 1.0;
    KvArray<V> vs{V(1, 2, 3)};
    Kv3d_apply(small, vs);
    Kv3d_apply(big, vs);
    expect_near("array, 2 x 2 then 4 x 4", vs[0], V(2, 0, 0), 0.0);
    const bool turns[] = {true, false, false};  // below, at, above
    const auto c = around(0.999999);
    for (int k = 0; k < 3; ++k) {
        for (double sign : {1.0, -1.0}) {
            const double cx = sign * c[k].value;
            const Kv3dDirection to(cx, std::sqrt(1 - cx * cx), 0);
            ASSERT_EQ(to.x(), cx) << "case: " << c[k].name;
            Kv3d_get_rotation_matrix(x, to, R, false);
            EXPECT_EQ(R(0, 1) != 0.0, turns[k]) << "case: " << c[k].name << ", sign " << sign;
            EXPECT_EQ(R(0, 0), cx) << "case: " << c[k].name << ", sign " << sign;
        }
    }
}

// Round trips; on the axis when r < tol (strictly); the angle is +-pi/2
// outright when |x| < tol; the vector's components are converted when r >= tol.
TEST(Rotation, CylindricalRoundTripsAndStrictTolerances) {
    RandomDraw d(17);
    for (int i = 0; i < 100; ++i) {
        P p = d.point(10), p0 = p;
        V v = d.vector(10), v0 = v;
        Kv3d_trafo_cartesian_to_cylindrical(p, v);
        Kv3d_trafo_cylindrical_to_cartesian(p, v);
        expect_near("point, draw " + std::to_string(i), p, p0, 1e-12);
        expect_near("vector, draw " + std::to_string(i), v, v0, 1e-9);
    }
    const double tol = 0.001, below = std::nextafter(tol, 0.0);
    const auto cyl = [](P p) {
        Kv3d_trafo_cartesian_to_cylindrical(p);
        return p;
    };
    expect_near("on the x axis", cyl(P(-1, 0, 3)), P(1, M_PI, 3), 0.0);
    expect_near("r at tol", cyl(P(tol, 0, 4)), P(tol, 0, 4), 0.0);
    expect_near("r just below tol", cyl(P(below, 0, 4)), P(0, 0, 4), 0.0);
    expect_near("|x| at tol", cyl(P(-tol, 2, 4)), P(std::hypot(tol, 2), std::atan2(2, -tol), 4), 0);
    expect_near("|x| below tol", cyl(P(-below, -2, 4)), P(std::hypot(below, 2), -M_PI / 2, 4), 0);
    P p(tol, 0, 4), q(below, 0, 4);
    V v(1, 2, 3), w(1, 2, 3);
    Kv3d_trafo_cartesian_to_cylindrical(p, v);
    Kv3d_trafo_cartesian_to_cylindrical(q, w);
    EXPECT_EQ(v.x(), 1.0) << "case: vector at r = tol";
    EXPECT_EQ(w.x(), 0.0) << "case: vector just inside r = tol";
}
