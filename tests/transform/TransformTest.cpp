#include "TransformTestUtil.h"

#include <cstring>

using namespace xf_test;

// A quarter turn about z, then the translation (1, 2, 3).
const double kTurn[16] = {0, -1, 0, 1, 1, 0, 0, 2, 0, 0, 1, 3, 0, 0, 0, 1};

TEST(Transform, PointVectorDirectionRules) {
    const Kv3dTransform id;
    EXPECT_TRUE(id.is_orthonormal());
    expect_same_bits(moved(id, P(1.5, -2, 3)), P(1.5, -2, 3));
    const Kv3dTransform shift(V(10, 20, 30));
    EXPECT_TRUE(shift.is_orthonormal());
    expect_same_bits(moved(shift, P(1.5, -2, 3)), P(11.5, 18, 33));
    expect_near(V(1, 2, 3).apply(shift), V(1, 2, 3), 0.0);
    expect_near(Kv3dDirection(0, 3, 4).apply(shift), V(0, 0.6, 0.8), 1e-15);

    // The last row is never read; a direction is renormalised, and one
    // mapped onto zero becomes the zero direction.
    const double m[16] = {2, 0, 0, 1, 0, 3, 0, 0, 0, 0, 0, -1, 7, 7, 7, 7};
    const Kv3dTransform T(m);
    EXPECT_FALSE(T.is_orthonormal());
    P q(1, 1, 1);
    EXPECT_EQ(&q.apply(T), &q);
    expect_same_bits(q, P(3, 3, -1));
    expect_near(V(1, 1, 1).apply(T), V(2, 3, 0), 0.0);
    expect_near(Kv3dDirection(1, 1, 0).apply(T), V(2, 3, 0).direction(), 1e-15);
    expect_near(Kv3dDirection(0, 0, 1).apply(T), V(0, 0, 0), 0.0);
    // A null matrix pointer gives the identity, unmarked.
    const Kv3dTransform N(static_cast<const double*>(nullptr));
    EXPECT_EQ(std::memcmp(N.as_matrix(), id.as_matrix(), 16 * sizeof(double)), 0);
    EXPECT_FALSE(N.is_orthonormal());
}

TEST(Transform, SumsRunLeftToRightFromZero) {
    // Row 0 = (1, 1, 1, 0): ((0 + 1e16) + 1) + 1 = 1e16 in order; adding the
    // small terms first would give 1e16 + 2. Every path sums the same way.
    const double m[16] = {1, 1, 1, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const Kv3dTransform T(m);
    EXPECT_EQ(moved(T, P(1e16, 1, 1)).x(), 1e16);
    KvArray<P> pts{P(1e16, 1, 1)};
    Kv3d_apply(T, pts);
    double rec[4] = {1e16, 1, 1, 1};
    Kv3d_apply(T, 1, 3, rec);
    EXPECT_EQ(pts[0].x(), 1e16);
    EXPECT_EQ(rec[0], 1e16);
    // Starting from 0.0 turns a negative zero positive.
    expect_same_bits(moved(Kv3dTransform(), P(-0.0, -0.0, -0.0)), P(0, 0, 0));
}

TEST(Transform, ScalingAndComposition) {
    const P c(1, -2, 3);
    const Kv3dTransform S(2.0, c);
    EXPECT_FALSE(S.is_orthonormal());
    expect_near(moved(S, c), c);
    expect_near(moved(S, P(4, 2, 3)), P(7, 6, 3));
    expect_near(V(1, 2, 3).apply(S), V(2, 4, 6));
    EXPECT_EQ(S.as_matrix()[15], 1.0);
    expect_near(moved(Kv3dTransform(2.0, 3.0, -1.0, c), P(2, -1, 4)), P(3, 1, 2));

    // this.apply(T): this first, then T; the mark only when both are marked.
    Kv3dTransform A(V(1, 0, 0));
    A.apply(Kv3dTransform(V(0, 0, 1)));
    EXPECT_TRUE(A.is_orthonormal());
    A.apply(Kv3dTransform(kTurn));
    EXPECT_FALSE(A.is_orthonormal());
    expect_near(moved(A, P(1, 1, 1)), P(0, 4, 5));
    Kv3dTransform twice(kTurn);
    twice.apply(twice);  // squares it
    expect_near(moved(twice, P(2, 0, 0)), P(-3, 3, 6));

    std::mt19937 rng(7);
    for (int i = 0; i < 50; ++i) {
        const Kv3dTransform X = random_transform(rng);
        const Kv3dTransform Y = random_transform(rng);
        Kv3dTransform XY = X;
        XY.apply(Y);
        const P p = random_point(rng);
        expect_near(moved(XY, p), moved(Y, moved(X, p)), 1e-11);
    }
}

TEST(Transform, InversionByBothPaths) {
    // Marked: the transposed block and -A^T t, exactly.
    Kv3dTransform rigid(V(1, 2, 3));
    rigid.apply(Kv3dTransform(P(0, 0, 0), V(0, 0, 1), kPi / 2, 0.0));
    Kv3dTransform inv = rigid;
    ASSERT_TRUE(inv.invert());
    const double* a = rigid.as_matrix();
    const double* b = inv.as_matrix();
    EXPECT_EQ(b[1], a[4]);
    EXPECT_EQ(b[3], -(b[0] * a[3] + b[1] * a[7] + b[2] * a[11]));
    expect_near(moved(inv, moved(rigid, P(5, -6, 7))), P(5, -6, 7));

    // Unmarked: general inversion, last row exactly 0, 0, 0, 1.
    std::mt19937 rng(11);
    for (int i = 0; i < 30; ++i) {
        const Kv3dTransform T = random_transform(rng);
        Kv3dTransform Ti = T;
        ASSERT_TRUE(T.is_invertible());
        ASSERT_TRUE(Ti.invert());
        const double* m = Ti.as_matrix();
        EXPECT_TRUE(m[12] == 0.0 && m[13] == 0.0 && m[14] == 0.0 && m[15] == 1.0);
        const P p = random_point(rng);
        expect_near(moved(Ti, moved(T, p)), p, 1e-8);
    }

    // A 3 x 3 block of rank 2, or NaN, is refused and nothing changes.
    const double sing[16] = {1, 2, 3, 4, 2, 4, 6, 5, 0, 1, 1, 6, 0, 0, 0, 1};
    Kv3dTransform S(sing);
    EXPECT_FALSE(S.is_invertible());
    EXPECT_FALSE(S.invert());
    EXPECT_EQ(std::memcmp(S.as_matrix(), sing, sizeof sing), 0);
    const double bad[16] = {std::nan(""), 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    EXPECT_FALSE(Kv3dTransform(bad).invert());

    EXPECT_TRUE(Kv3dTransform(kTurn).is_orient_preserving());
    EXPECT_FALSE(Kv3dTransform(1.0, 1.0, -1.0, P()).is_orient_preserving());
    Kv3dTransform T(sing);
    T.transpose();
    EXPECT_EQ(T.as_matrix()[1], 2.0);
    EXPECT_EQ(T.as_matrix()[12], 4.0);
    T.transpose();
    EXPECT_EQ(std::memcmp(T.as_matrix(), sing, sizeof sing), 0);
}

TEST(Transform, ApplyToRecordsAndArrays) {
    const Kv3dTransform T(kTurn);
    double h[8] = {1, 0, 0, 1, 0, 2, 0, 1};
    Kv3d_apply(T, 2, 3, h);  // full 4 x 4 on homogeneous records
    const double h_expected[8] = {1, 3, 3, 1, -1, 2, 3, 1};
    EXPECT_EQ(std::memcmp(h, h_expected, sizeof h), 0);

    double pv[6] = {1, 0, 0, 1, 0, 0};
    Kv3d_apply(T, 0, 1, pv);
    Kv3d_apply(T, -3, 1, pv);
    Kv3d_apply(T, 5, 1, nullptr);
    Kv3d_apply(T, 1, 1, pv);      // a point
    Kv3d_apply(T, 1, 7, pv + 3);  // any other kind: a vector
    const double pv_expected[6] = {1, 3, 3, 0, 1, 0};
    EXPECT_EQ(std::memcmp(pv, pv_expected, sizeof pv), 0);

    // Arrays agree bit for bit with the members.
    std::mt19937 rng(3);
    const Kv3dTransform R = random_transform(rng);
    KvArray<P> pts;
    KvArray<V> vecs;
    for (int i = 0; i < 200; ++i) {
        pts.append(random_point(rng));
        vecs.append(pts[i].as_vector());
    }
    const KvArray<P> pts0 = pts;
    Kv3d_apply(R, pts);
    Kv3d_apply(R, vecs);
    for (std::size_t i = 0; i < pts.size(); ++i) {
        expect_same_bits(pts[i], moved(R, pts0[i]));
        expect_near(vecs[i], pts0[i].as_vector().apply(R), 0.0);
    }
    KvArray<P> none;
    Kv3d_apply(R, none);
    EXPECT_EQ(none.size(), 0u);
}

TEST(Transform, DebugText) {
    double m[16];
    for (int i = 0; i < 16; ++i) {
        m[i] = i * 0.5;
    }
    m[15] = -1e-6;
    const Kv3dTransform T(m);
    EXPECT_EQ(debug_text(T, 0, 2), "");
    EXPECT_EQ(debug_text(T, 1, 2),
              "  Kv3dTransform(\n0, 0.5, 1, 1.5, \n2, 2.5, 3, 3.5, \n4, 4.5, 5, 5.5, \n"
              "6, 6.5, 7, -1e-06) \n");
}
