#include "TransformTestUtil.h"

using namespace xf_test;

namespace {

const double kPi = 3.141592653589793;

void expect_matrix(const KvMatrix<double>& R, const double (&rows)[9], double tol = 1e-15) {
    ASSERT_EQ(R.rows(), 3);
    ASSERT_EQ(R.cols(), 3);
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            EXPECT_NEAR(R(i, j), rows[3 * i + j], tol) << i << "," << j;
        }
    }
}

Kv3dVector times(const KvMatrix<double>& R, Kv3dVector v) {
    Kv3d_apply(R, v);
    return v;
}

}  // namespace

TEST(Rotation, OrthogonalVector) {
    expect_near(Kv3d_orthogonal_vector(Kv3dVector(0, 0, 5)), Kv3dVector(5, 0, 0), 0.0);
    expect_near(Kv3d_orthogonal_vector(Kv3dVector(0, 0, 0)), Kv3dVector(0, 0, 0), 0.0);
    // Ties keep the lower index: e0 minus its part along (1, 1, 1).
    const Kv3dVector o = Kv3d_orthogonal_vector(Kv3dVector(1, 1, 1));
    EXPECT_GT(o.x(), 0.0);
    EXPECT_NEAR(o.y(), o.z(), 1e-15);
    std::mt19937 rng(5);
    for (int i = 0; i < 200; ++i) {
        const Kv3dVector v = random_vector(rng);
        const Kv3dVector w = Kv3d_orthogonal_vector(v);
        EXPECT_NEAR(w % v, 0.0, 1e-12);
        EXPECT_NEAR(w.length(), v.length(), 1e-12);
    }
}

TEST(Rotation, RotateVectorAgreesWithAxisAngleMatrix) {
    expect_near(Kv3d_rotate_vector(Kv3dVector(1, 0, 0), Kv3dVector(0, 0, 2), kPi / 2),
                Kv3dVector(0, 1, 0), 1e-15);
    // A zero axis leaves cos(angle) v.
    expect_near(Kv3d_rotate_vector(Kv3dVector(1, 2, 3), Kv3dVector(), kPi / 3),
                Kv3dVector(0.5, 1, 1.5), 1e-15);
    KvMatrix<double> R;
    Kv3d_get_rotation_matrix(Kv3dDirection(0, 0, 1), kPi / 2, R);
    expect_near(times(R, Kv3dVector(1, 0, 0)), Kv3dVector(0, 1, 0), 1e-15);
    std::mt19937 rng(9);
    std::uniform_real_distribution<double> angle(-kPi, kPi);
    for (int i = 0; i < 100; ++i) {
        const Kv3dVector v = random_vector(rng);
        const Kv3dVector axis = random_vector(rng);
        const double a = angle(rng);
        const Kv3dVector r = Kv3d_rotate_vector(v, axis, a);
        Kv3d_get_rotation_matrix(axis.direction(), a, R);
        expect_near(r, times(R, v), 1e-12);
        EXPECT_NEAR(r.length(), v.length(), 1e-12);
        EXPECT_NEAR(r % axis, v % axis, 1e-10);
    }
}

TEST(Rotation, MatrixFromTwoDirections) {
    KvMatrix<double> R(2, 5);  // any previous shape becomes 3 x 3
    Kv3d_get_rotation_matrix(Kv3dDirection(1, 0, 0), Kv3dDirection(0, 1, 0), R, false);
    expect_matrix(R, {0, -1, 0, 1, 0, 0, 0, 0, 1});
    expect_near(times(R, Kv3dVector(1, 0, 0)), Kv3dVector(0, 1, 0), 0.0);

    const Kv3dDirection a(1, 2, 3);
    Kv3d_get_rotation_matrix(a, a, R, false);
    expect_matrix(R, {1, 0, 0, 0, 1, 0, 0, 0, 1}, 1e-15);
    Kv3d_get_rotation_matrix(a, -a, R, false);  // nearly opposite: -I
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
        Kv3d_get_rotation_matrix(f, t, R, false);
        if (std::fabs(f % t) < 0.999) {
            expect_near(times(R, Kv3dVector(f, 1.0)), Kv3dVector(t, 1.0), 1e-12);
        }
        Kv3d_get_rotation_matrix(f, t, R, true);
        const Kv3dVector target = f % t < 0.0 ? Kv3dVector(t, -1.0) : Kv3dVector(t, 1.0);
        if (std::fabs(f % t) < 0.999) {
            expect_near(times(R, Kv3dVector(f, 1.0)), target, 1e-12);
        }
    }
}

TEST(Rotation, ApplyReadsOnlyAThreeByThreeBlock) {
    KvMatrix<double> small(2, 2);
    small(0, 0) = 5.0;
    Kv3dVector v(1, 2, 3);
    Kv3d_apply(small, v);
    expect_near(v, Kv3dVector(1, 2, 3), 0.0);
    KvArray<Kv3dVector> vs{Kv3dVector(1, 0, 0), Kv3dVector(0, 1, 0)};
    Kv3d_apply(KvMatrix<double>(), vs);
    expect_near(vs[0], Kv3dVector(1, 0, 0), 0.0);

    KvMatrix<double> big(4, 4);
    big(0, 1) = 1.0;
    big(1, 0) = 1.0;
    big(2, 2) = 2.0;
    big(3, 3) = 9.0;
    Kv3d_apply(big, vs);
    expect_near(vs[0], Kv3dVector(0, 1, 0), 0.0);
    expect_near(vs[1], Kv3dVector(1, 0, 0), 0.0);
}

TEST(Rotation, CylindricalBranches) {
    Kv3dPoint p(0, 2, 7);
    Kv3d_trafo_cartesian_to_cylindrical(p);
    expect_same_bits(p, Kv3dPoint(2, 1.5707963267948966, 7));
    p = Kv3dPoint(0.0005, -2, 7);  // |x| below the point tolerance
    Kv3d_trafo_cartesian_to_cylindrical(p);
    EXPECT_EQ(p.y(), -1.5707963267948966);
    p = Kv3dPoint(-1, 0, 3);
    Kv3d_trafo_cartesian_to_cylindrical(p);
    expect_same_bits(p, Kv3dPoint(1, kPi, 3));
    p = Kv3dPoint(0.0006, 0.0007, 4);  // r < 0.001: on the axis
    Kv3dVector v(1, 2, 3);
    Kv3d_trafo_cartesian_to_cylindrical(p, v);
    expect_same_bits(p, Kv3dPoint(0, 0, 4));
    expect_near(v, Kv3dVector(0, 0, 3), 0.0);

    p = Kv3dPoint(1, 0, 0);
    v = Kv3dVector(0, 1, 0);
    Kv3d_trafo_cartesian_to_cylindrical(p, v);
    expect_near(v, Kv3dVector(0, 1, 0), 0.0);
    p = Kv3dPoint(2, kPi / 2, 1);
    v = Kv3dVector(0.5, 1, -1);
    Kv3d_trafo_cylindrical_to_cartesian(p, v);
    expect_near(p, Kv3dPoint(0, 2, 1), 1e-15);
    expect_near(v, Kv3dVector(-2, 0.5, -1), 1e-15);

    std::mt19937 rng(17);
    for (int i = 0; i < 200; ++i) {
        const Kv3dPoint p0 = random_point(rng);
        const Kv3dVector v0 = random_vector(rng);
        if (std::hypot(p0.x(), p0.y()) < 0.01) {
            continue;
        }
        Kv3dPoint q = p0;
        Kv3dVector w = v0;
        Kv3d_trafo_cartesian_to_cylindrical(q, w);
        EXPECT_NEAR(q.x(), std::hypot(p0.x(), p0.y()), 1e-12);
        Kv3d_trafo_cylindrical_to_cartesian(q, w);
        expect_near(q, p0, 1e-12);
        expect_near(w, v0, 1e-10);
    }
}
