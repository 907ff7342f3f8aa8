#include "TransformTestUtil.h"

using namespace xf_test;

namespace {

void expect_matrix(const KvMatrix<double>& R, const double (&rows)[9], double tol) {
    ASSERT_TRUE(R.rows() == 3 && R.cols() == 3);
    for (int i = 0; i < 9; ++i) {
        EXPECT_NEAR(R(i / 3, i % 3), rows[i], tol) << i;
    }
}

V times(const KvMatrix<double>& R, V v) {
    Kv3d_apply(R, v);
    return v;
}

}  // namespace

TEST(Rotation, OrthogonalAndRotatedVectors) {
    expect_near(Kv3d_orthogonal_vector(V(0, 0, 5)), V(5, 0, 0), 0.0);
    expect_near(Kv3d_orthogonal_vector(V(0, 0, 0)), V(0, 0, 0), 0.0);
    const V o = Kv3d_orthogonal_vector(V(1, 1, 1));  // ties keep the lower index
    EXPECT_GT(o.x(), 0.0);
    EXPECT_NEAR(o.y(), o.z(), 1e-15);
    expect_near(Kv3d_rotate_vector(V(1, 0, 0), V(0, 0, 2), kPi / 2), V(0, 1, 0), 1e-15);
    expect_near(Kv3d_rotate_vector(V(1, 2, 3), V(), kPi / 3), V(0.5, 1, 1.5), 1e-15);

    std::mt19937 rng(9);
    std::uniform_real_distribution<double> angle(-kPi, kPi);
    KvMatrix<double> R;
    for (int i = 0; i < 100; ++i) {
        const V v = random_vector(rng);
        const V w = Kv3d_orthogonal_vector(v);
        EXPECT_NEAR(w % v, 0.0, 1e-12);
        EXPECT_NEAR(w.length(), v.length(), 1e-12);
        const V axis = random_vector(rng);
        const double a = angle(rng);
        const V r = Kv3d_rotate_vector(v, axis, a);
        Kv3d_get_rotation_matrix(axis.direction(), a, R);
        expect_near(r, times(R, v), 1e-12);
        EXPECT_NEAR(r.length(), v.length(), 1e-12);
        EXPECT_NEAR(r % axis, v % axis, 1e-10);
    }
    Kv3d_get_rotation_matrix(Kv3dDirection(0, 0, 1), kPi / 2, R);
    expect_near(times(R, V(1, 0, 0)), V(0, 1, 0), 1e-16);
}

TEST(Rotation, MatrixFromTwoDirections) {
    KvMatrix<double> R(2, 5);  // any previous shape becomes 3 x 3
    Kv3d_get_rotation_matrix(Kv3dDirection(1, 0, 0), Kv3dDirection(0, 1, 0), R, false);
    expect_matrix(R, {0, -1, 0, 1, 0, 0, 0, 0, 1}, 0.0);
    const Kv3dDirection a(1, 2, 3);
    Kv3d_get_rotation_matrix(a, a, R, false);
    expect_matrix(R, {1, 0, 0, 0, 1, 0, 0, 0, 1}, 1e-15);
    Kv3d_get_rotation_matrix(a, -a, R, false);  // opposite: -I, a point reflection
    expect_matrix(R, {-1, 0, 0, 0, -1, 0, 0, 0, -1}, 1e-15);
    Kv3d_get_rotation_matrix(Kv3dDirection(1, 0, 0), Kv3dDirection(-1, 0, 0), R, true);
    expect_matrix(R, {1, 0, 0, 0, 1, 0, 0, 0, 1}, 0.0);
    // Within 1e-6 of parallel the matrix is cos I, not a rotation.
    Kv3d_get_rotation_matrix(Kv3dDirection(1, 0, 0), Kv3dDirection(1, 1e-4, 0), R, false);
    EXPECT_EQ(R(0, 1), 0.0);
    EXPECT_EQ(R(0, 0), R(1, 1));

    std::mt19937 rng(13);
    for (int i = 0; i < 100; ++i) {
        const Kv3dDirection f = random_vector(rng).direction();
        const Kv3dDirection t = random_vector(rng).direction();
        if (std::fabs(f % t) > 0.999) {
            continue;
        }
        Kv3d_get_rotation_matrix(f, t, R, false);
        expect_near(times(R, V(f, 1.0)), t, 1e-12);
        Kv3d_get_rotation_matrix(f, t, R, true);
        expect_near(times(R, V(f, 1.0)), f % t < 0.0 ? -t : t, 1e-12);
    }
}

TEST(Rotation, ApplyReadsOnlyAThreeByThreeBlock) {
    KvMatrix<double> small(2, 2);
    small(0, 0) = 5.0;
    V v(1, 2, 3);
    Kv3d_apply(small, v);
    expect_near(v, V(1, 2, 3), 0.0);
    KvArray<V> vs{V(1, 0, 0), V(0, 1, 0)};
    Kv3d_apply(KvMatrix<double>(), vs);
    expect_near(vs[0], V(1, 0, 0), 0.0);
    KvMatrix<double> big(4, 4);  // only the upper-left block is read
    big(0, 1) = big(3, 3) = 1.0;
    Kv3d_apply(big, vs);
    expect_near(vs[1], V(1, 0, 0), 0.0);
}

TEST(Rotation, CylindricalBranchesAndRoundTrips) {
    const auto cyl = [](P p) {
        Kv3d_trafo_cartesian_to_cylindrical(p);
        return p;
    };
    expect_same_bits(cyl(P(0, 2, 7)), P(2, kPi / 2, 7));
    EXPECT_EQ(cyl(P(0.0005, -2, 7)).y(), -kPi / 2);  // |x| within the tolerance
    expect_same_bits(cyl(P(-1, 0, 3)), P(1, kPi, 3));
    P p(0.0006, 0.0007, 4);  // r < 0.001: on the axis
    V v(1, 2, 3);
    Kv3d_trafo_cartesian_to_cylindrical(p, v);
    expect_same_bits(p, P(0, 0, 4));
    expect_near(v, V(0, 0, 3), 0.0);
    p = P(1, 0, 0);
    v = V(0, 1, 0);
    Kv3d_trafo_cartesian_to_cylindrical(p, v);
    expect_near(v, V(0, 1, 0), 0.0);

    std::mt19937 rng(17);
    for (int i = 0; i < 200; ++i) {
        const P p0 = random_point(rng);
        const V v0 = random_vector(rng);
        P q = p0;
        V w = v0;
        Kv3d_trafo_cartesian_to_cylindrical(q, w);
        EXPECT_NEAR(q.x(), std::hypot(p0.x(), p0.y()), 1e-12);
        Kv3d_trafo_cylindrical_to_cartesian(q, w);
        expect_near(q, p0, 1e-12);
        expect_near(w, v0, 1e-9);
    }
}
