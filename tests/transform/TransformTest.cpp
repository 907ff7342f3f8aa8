#include "TransformTestUtil.h"

using namespace xf_test;

// A quarter turn about z, then the translation (1, 2, 3).
const double kTurn[16] = {0, -1, 0, 1, 1, 0, 0, 2, 0, 0, 1, 3, 0, 0, 0, 1};

TEST(Transform, PointVectorDirectionRules) {
    // The last row is never read; a point takes the translation, a vector
    // not; a direction is renormalised, and one mapped onto zero becomes the
    // zero direction.
    const double m[16] = {2, 0, 0, 1, 0, 3, 0, 0, 0, 0, 0, -1, 7, 7, 7, 7};
    const Kv3dTransform T(m);
    expect_near(moved(T, P(1, 1, 1)), P(3, 3, -1), 0.0);
    expect_near(V(1, 1, 1).apply(T), V(2, 3, 0), 0.0);
    expect_near(Kv3dDirection(1, 1, 0).apply(T), V(2, 3, 0).direction(), 1e-15);
    expect_near(Kv3dDirection(0, 0, 1).apply(T), V(0, 0, 0), 0.0);
    // A null matrix pointer gives the identity, unmarked; the default is marked.
    const Kv3dTransform N(static_cast<const double*>(nullptr)), I;
    EXPECT_TRUE(same_matrix(N, I)) << "case: null matrix pointer";
    EXPECT_FALSE(N.is_orthonormal()) << "case: null matrix pointer";
    EXPECT_TRUE(I.is_orthonormal()) << "case: default";
    // Sums run left to right from 0.0: with row 0 = (1, 1, 1, 0),
    // ((0 + 1e16) + 1) + 1 = 1e16 (the small terms first would give 1e16 + 2),
    // for points and homogeneous records; a negative zero comes out positive.
    const double o[16] = {1, 1, 1, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    double rec[4] = {1e16, 1, 1, 1};
    Kv3d_apply(Kv3dTransform(o), 1, 3, rec);
    EXPECT_EQ(moved(Kv3dTransform(o), P(1e16, 1, 1)).x(), 1e16) << "case: point";
    EXPECT_EQ(rec[0], 1e16) << "case: homogeneous record";
    const V z = V(-0.0, -0.0, -0.0).apply(I);
    for (int k = 0; k < 3; ++k) EXPECT_FALSE(std::signbit(z[k])) << "case: -0 coordinate " << k;
}

TEST(Transform, ScalingCompositionAndInversion) {
    EXPECT_FALSE(Kv3dTransform(2.0, P(1, -2, 3)).is_orthonormal()) << "case: scaling";
    // this.apply(T): this first, then T; the mark only when both are marked.
    Kv3dTransform A(V(1, 0, 0));
    A.apply(Kv3dTransform(V(0, 0, 1)));
    EXPECT_TRUE(A.is_orthonormal()) << "case: two marked";
    A.apply(Kv3dTransform(kTurn));
    EXPECT_FALSE(A.is_orthonormal()) << "case: one unmarked";
    expect_near(moved(A, P(1, 1, 1)), P(0, 4, 5));
    Kv3dTransform twice(kTurn);
    twice.apply(twice);  // squares it
    expect_near(moved(twice, P(2, 0, 0)), P(-3, 3, 6));
    // Inverting a marked transform: the transposed block and -A^T t, exactly.
    Kv3dTransform rigid(V(1, 2, 3)), inv;
    rigid.apply(Kv3dTransform(P(0, 0, 0), V(0, 0, 1), kPi / 2, 0.0));
    ASSERT_TRUE((inv = rigid).invert());
    const double *a = rigid.as_matrix(), *b = inv.as_matrix();
    EXPECT_EQ(b[1], a[4]) << "case: transposed block";
    EXPECT_EQ(b[3], -(b[0] * a[3] + b[1] * a[7] + b[2] * a[11])) << "case: -A^T t";
    // Composition against applying one after the other.
    std::mt19937 rng(7);
    for (int i = 0; i < 30; ++i) {
        const Kv3dTransform X = random_transform(rng), Y = random_transform(rng);
        Kv3dTransform XY = X;
        XY.apply(Y);
        const P p = random_point(rng);
        expect_near(moved(XY, p), moved(Y, moved(X, p)), 1e-11);
    }
    // Determinant exactly 0 (a block of rank 2) is not orientation preserving; NaN is refused.
    const double sing[16] = {1, 2, 3, 4, 2, 4, 6, 5, 0, 1, 1, 6, 0, 0, 0, 1};
    const double bad[16] = {std::nan(""), 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    EXPECT_FALSE(Kv3dTransform(sing).is_orient_preserving()) << "case: rank 2";
    EXPECT_FALSE(Kv3dTransform(bad).invert()) << "case: NaN";
    EXPECT_TRUE(Kv3dTransform(kTurn).is_orient_preserving()) << "case: quarter turn";
}

TEST(Transform, ApplyToRecordsArraysAndDebugText) {
    const Kv3dTransform T(kTurn);
    double h[8] = {1, 0, 0, 1, 0, 2, 0, 1}, pv[6] = {1, 0, 0, 1, 0, 0};
    Kv3d_apply(T, 2, 3, h);       // kind 3: the full 4 x 4 on homogeneous records
    Kv3d_apply(T, 1, 1, pv);      // 1: a point
    Kv3d_apply(T, 1, 7, pv + 3);  // any other: a vector
    Kv3d_apply(T, 0, 1, pv);      // no records, or no data: nothing
    Kv3d_apply(T, -3, 1, pv);
    Kv3d_apply(T, 5, 1, nullptr);
    const double h_expected[8] = {1, 3, 3, 1, -1, 2, 3, 1}, pv_expected[6] = {1, 3, 3, 0, 1, 0};
    EXPECT_EQ(std::memcmp(h, h_expected, sizeof h), 0) << "case: homogeneous records";
    EXPECT_EQ(std::memcmp(pv, pv_expected, sizeof pv), 0) << "case: a point and a vector";
    // Arrays agree exactly with the members; an empty one is left alone.
    std::mt19937 rng(3);
    const Kv3dTransform R = random_transform(rng);
    const P p = random_point(rng), q = random_point(rng);
    KvArray<P> pts{p, q}, none;
    KvArray<V> vecs{p.as_vector(), q.as_vector()};
    Kv3d_apply(R, pts);
    Kv3d_apply(R, vecs);
    Kv3d_apply(R, none);
    expect_near(pts[1], moved(R, q), 0.0);
    expect_near(vecs[1], q.as_vector().apply(R), 0.0);

    const double m[16] = {0, 0.5, 1, 1.5, 2, 2.5, 3, 3.5, 4, 4.5, 5, 5.5, 6, 6.5, 7, -1e-6};
    EXPECT_EQ(debug_text(Kv3dTransform(m), 0, 2), "") << "case: level 0";
    EXPECT_EQ(debug_text(Kv3dTransform(m), 1, 2),
              "  Kv3dTransform(\n0, 0.5, 1, 1.5, \n2, 2.5, 3, 3.5, \n4, 4.5, 5, 5.5, \n"
              "6, 6.5, 7, -1e-06) \n");
}
