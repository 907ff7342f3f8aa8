#include "TransformTestUtil.h"

#include <cstring>
#include <vector>

using namespace xf_test;

namespace {

// Rotation by 90 degrees about z followed by the translation (1, 2, 3).
Kv3dTransform quarter_turn_and_shift() {
    const double m[16] = {0, -1, 0, 1, 1, 0, 0, 2, 0, 0, 1, 3, 0, 0, 0, 1};
    return Kv3dTransform(m);
}

}  // namespace

TEST(Transform, PointVectorDirectionRules) {
    const Kv3dTransform id;
    EXPECT_TRUE(id.is_orthonormal());
    Kv3dPoint p(1.5, -2, 3);
    Kv3dVector v(1, 2, 3);
    Kv3dDirection d(0, 3, 4);
    p.apply(id);
    v.apply(id);
    d.apply(id);
    expect_same_bits(p, Kv3dPoint(1.5, -2, 3));
    EXPECT_EQ(v.y(), 2.0);
    EXPECT_DOUBLE_EQ(d.z(), 0.8);

    const Kv3dTransform shift(Kv3dVector(10, 20, 30));
    EXPECT_TRUE(shift.is_orthonormal());
    p.apply(shift);
    v.apply(shift);
    d.apply(shift);
    expect_same_bits(p, Kv3dPoint(11.5, 18, 33));
    expect_near(v, Kv3dVector(1, 2, 3), 0.0);
    EXPECT_DOUBLE_EQ(d.y(), 0.6);

    // The last row is never read for points, vectors and directions.
    const double m[16] = {2, 0, 0, 1, 0, 3, 0, 0, 0, 0, 4, -1, 7, 7, 7, 7};
    const Kv3dTransform T(m);
    EXPECT_FALSE(T.is_orthonormal());
    Kv3dPoint q(1, 1, 1);
    EXPECT_EQ(&q.apply(T), &q);
    expect_same_bits(q, Kv3dPoint(3, 3, 3));
    Kv3dVector w(1, 1, 1);
    expect_near(w.apply(T), Kv3dVector(2, 3, 4), 0.0);
    Kv3dDirection e(1, 0, 0);
    e.apply(T);
    EXPECT_EQ(e.x(), 1.0);
    // A direction mapped onto zero becomes the zero direction.
    const double flat[16] = {0, 0, 0, 5, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    Kv3dDirection f(1, 0, 0);
    f.apply(Kv3dTransform(flat));
    EXPECT_EQ(f.x(), 0.0);
    EXPECT_EQ(f.y(), 0.0);
    EXPECT_EQ(f.z(), 0.0);
}

TEST(Transform, SumsRunLeftToRightFromZero) {
    // Row 0 = (1, 1, 1, 0): x' = ((0 + 1e16) + 1) + 1 = 1e16 when summed in
    // order, 1e16 + 2 if the small terms were added first.
    const double m[16] = {1, 1, 1, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const Kv3dTransform T(m);
    Kv3dPoint p(1e16, 1, 1);
    p.apply(T);
    EXPECT_EQ(p.x(), 1e16);
    KvArray<Kv3dPoint> pts{Kv3dPoint(1e16, 1, 1)};
    Kv3d_apply(T, pts);
    EXPECT_EQ(pts[0].x(), 1e16);
    double rec[4] = {1e16, 1, 1, 1};
    Kv3d_apply(T, 1, 3, rec);
    EXPECT_EQ(rec[0], 1e16);
    // Starting from 0.0 makes a negative zero positive.
    Kv3dPoint z(-0.0, -0.0, -0.0);
    z.apply(Kv3dTransform());
    EXPECT_FALSE(std::signbit(z.x()) || std::signbit(z.y()) || std::signbit(z.z()));
}

TEST(Transform, ScalingAboutAPoint) {
    const Kv3dPoint c(1, -2, 3);
    const Kv3dTransform S(2.0, c);
    EXPECT_FALSE(S.is_orthonormal());
    Kv3dPoint p = c;
    expect_near(p.apply(S), c);
    Kv3dPoint q(4, 2, 3);
    expect_near(q.apply(S), Kv3dPoint(7, 6, 3));
    Kv3dVector v(1, 2, 3);
    expect_near(v.apply(S), Kv3dVector(2, 4, 6));
    const double* m = S.as_matrix();
    EXPECT_EQ(m[12], 0.0);
    EXPECT_EQ(m[15], 1.0);

    const Kv3dTransform S3(2.0, 3.0, -1.0, c);
    Kv3dPoint r(2, -1, 4);
    expect_near(r.apply(S3), Kv3dPoint(3, 1, 2));
}

TEST(Transform, CompositionOrderAndMark) {
    const Kv3dTransform R = quarter_turn_and_shift();
    Kv3dTransform first(Kv3dVector(1, 0, 0));
    Kv3dTransform combined = first;
    combined.apply(R);
    EXPECT_FALSE(combined.is_orthonormal());
    Kv3dPoint p(1, 1, 1);
    Kv3dPoint expected = p;
    expected.apply(first).apply(R);
    expect_near(p.apply(combined), expected);

    Kv3dTransform marked(Kv3dVector(0, 0, 1));
    marked.apply(Kv3dTransform(Kv3dVector(1, 0, 0)));
    EXPECT_TRUE(marked.is_orthonormal());
    expect_near(Kv3dPoint().apply(marked), Kv3dPoint(1, 0, 1));

    // Composing a transform with itself squares it.
    Kv3dTransform twice = R;
    twice.apply(twice);
    Kv3dPoint q(2, 0, 0);
    Kv3dPoint q2 = q;
    q2.apply(R).apply(R);
    expect_near(q.apply(twice), q2);

    std::mt19937 rng(7);
    for (int i = 0; i < 50; ++i) {
        const Kv3dTransform A = random_transform(rng);
        const Kv3dTransform B = random_transform(rng);
        Kv3dTransform AB = A;
        AB.apply(B);
        const Kv3dPoint x = random_point(rng);
        Kv3dPoint y = x;
        y.apply(A).apply(B);
        expect_near(Kv3dPoint(x).apply(AB), y, 1e-11);
    }
}

TEST(Transform, InversionByBothPaths) {
    // Marked: the transpose and -A^T t, exactly.
    Kv3dTransform rigid(Kv3dVector(1, 2, 3));
    rigid.apply(Kv3dTransform(Kv3dPoint(0, 0, 0), Kv3dVector(0, 0, 1), 1.5707963267948966, 0.0));
    ASSERT_TRUE(rigid.is_orthonormal());
    Kv3dTransform inv = rigid;
    ASSERT_TRUE(inv.invert());
    const double* a = rigid.as_matrix();
    const double* b = inv.as_matrix();
    EXPECT_EQ(b[1], a[4]);
    EXPECT_EQ(b[4], a[1]);
    EXPECT_EQ(b[3], -(b[0] * a[3] + b[1] * a[7] + b[2] * a[11]));
    Kv3dPoint p(5, -6, 7);
    expect_near(Kv3dPoint(p).apply(rigid).apply(inv), p);

    // Unmarked: general inversion, last row exactly 0, 0, 0, 1.
    std::mt19937 rng(11);
    for (int i = 0; i < 30; ++i) {
        const Kv3dTransform T = random_transform(rng);
        Kv3dTransform Ti = T;
        ASSERT_TRUE(T.is_invertible());
        ASSERT_TRUE(Ti.invert());
        EXPECT_FALSE(Ti.is_orthonormal());
        const double* m = Ti.as_matrix();
        EXPECT_EQ(m[12], 0.0);
        EXPECT_EQ(m[13], 0.0);
        EXPECT_EQ(m[14], 0.0);
        EXPECT_EQ(m[15], 1.0);
        const Kv3dPoint x = random_point(rng);
        expect_near(Kv3dPoint(x).apply(T).apply(Ti), x, 1e-8);
    }

    // A 3 x 3 block of rank 2 is refused and nothing changes.
    const double sing[16] = {1, 2, 3, 4, 2, 4, 6, 5, 0, 1, 1, 6, 0, 0, 0, 1};
    Kv3dTransform S(sing);
    EXPECT_FALSE(S.is_invertible());
    EXPECT_FALSE(S.invert());
    EXPECT_EQ(std::memcmp(S.as_matrix(), sing, sizeof sing), 0);
    const double nan = std::nan("");
    const double bad[16] = {nan, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    EXPECT_FALSE(Kv3dTransform(bad).invert());
}

TEST(Transform, PredicatesTransposeAndNull) {
    EXPECT_TRUE(quarter_turn_and_shift().is_orient_preserving());
    EXPECT_FALSE(Kv3dTransform(1.0, 1.0, -1.0, Kv3dPoint()).is_orient_preserving());
    EXPECT_FALSE(Kv3dTransform(0.0, Kv3dPoint()).is_orient_preserving());

    double m[16];
    for (int i = 0; i < 16; ++i) {
        m[i] = i + 1;
    }
    Kv3dTransform T(m);
    T.transpose();
    EXPECT_EQ(T.as_matrix()[1], 5.0);
    EXPECT_EQ(T.as_matrix()[12], 4.0);
    EXPECT_FALSE(T.is_orthonormal());
    T.transpose();
    EXPECT_EQ(std::memcmp(T.as_matrix(), m, sizeof m), 0);

    const Kv3dTransform N(static_cast<const double*>(nullptr));
    EXPECT_EQ(N.as_matrix()[0], 1.0);
    EXPECT_EQ(N.as_matrix()[3], 0.0);
    EXPECT_FALSE(N.is_orthonormal());
}

TEST(Transform, ApplyToRecordsAndArrays) {
    const Kv3dTransform T = quarter_turn_and_shift();
    double h[8] = {1, 0, 0, 1, 0, 2, 0, 1};
    Kv3d_apply(T, 2, 3, h);
    EXPECT_EQ(h[0], 1.0);
    EXPECT_EQ(h[1], 3.0);
    EXPECT_EQ(h[2], 3.0);
    EXPECT_EQ(h[3], 1.0);
    EXPECT_EQ(h[4], -1.0);
    EXPECT_EQ(h[5], 2.0);
    EXPECT_EQ(h[7], 1.0);

    double pv[6] = {1, 0, 0, 1, 0, 0};
    double untouched[6] = {1, 0, 0, 1, 0, 0};
    Kv3d_apply(T, 0, 1, pv);
    Kv3d_apply(T, -3, 1, pv);
    Kv3d_apply(T, 5, 1, nullptr);
    EXPECT_EQ(std::memcmp(pv, untouched, sizeof pv), 0);
    Kv3d_apply(T, 1, 1, pv);      // a point: rotated and moved
    Kv3d_apply(T, 1, 7, pv + 3);  // any other kind: a vector
    EXPECT_EQ(pv[0], 1.0);
    EXPECT_EQ(pv[1], 3.0);
    EXPECT_EQ(pv[3], 0.0);
    EXPECT_EQ(pv[4], 1.0);

    // Arrays agree bit for bit with the members and with the plain formula.
    std::mt19937 rng(3);
    const Kv3dTransform R = random_transform(rng);
    KvArray<Kv3dPoint> pts;
    KvArray<Kv3dVector> vecs;
    for (int i = 0; i < 200; ++i) {
        pts.append(random_point(rng));
        vecs.append(random_vector(rng));
    }
    const KvArray<Kv3dPoint> pts0 = pts;
    const KvArray<Kv3dVector> vecs0 = vecs;
    Kv3d_apply(R, pts);
    Kv3d_apply(R, vecs);
    for (std::size_t i = 0; i < pts.size(); ++i) {
        expect_same_bits(pts[i], Kv3dPoint(pts0[i]).apply(R));
        expect_same_bits(pts[i], reference_point(R, pts0[i]));
        const Kv3dVector v = Kv3dVector(vecs0[i]).apply(R);
        EXPECT_EQ(vecs[i].x(), v.x());
        EXPECT_EQ(vecs[i].z(), v.z());
    }
    KvArray<Kv3dPoint> none;
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
              "  Kv3dTransform(\n"
              "0, 0.5, 1, 1.5, \n"
              "2, 2.5, 3, 3.5, \n"
              "4, 4.5, 5, 5.5, \n"
              "6, 6.5, 7, -1e-06) \n");
}
