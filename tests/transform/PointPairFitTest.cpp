#include "TransformTestUtil.h"

using namespace xf_test;

namespace {

using Type = Kv3dTransform::Kv3dTransformType;
const Type kRigid = Kv3dTransform::RIGID, kSimilar = Kv3dTransform::SIMILARITY,
           kAffine = Kv3dTransform::AFFINE, kUnknown = static_cast<Type>(9);

// The transform fitted to the pairs (ps[i], qs[i]), i < n.
Kv3dTransform fit(const P* ps, const P* qs, int n, Type type) {
    Pairs pairs;
    for (int i = 0; i < n; ++i) pairs.append(KvPair<P, P>(ps[i], qs[i]));
    return Kv3dTransform(pairs, type);
}

}  // namespace

TEST(PointPairFit, NoneOneOrTwoPairs) {
    const P ps[2] = {P(1, 2, 3), P(2, 2, 3)}, qs[2] = {P(2, 3, 4), P(2, 5, 4)};
    for (Type t : {kRigid, kSimilar, kAffine, kUnknown}) {
        const Kv3dTransform T = fit(ps, qs, 1, t);
        EXPECT_TRUE(same_matrix(fit(ps, qs, 0, t), Kv3dTransform()))
            << "case: no pairs, type " << t;
        EXPECT_TRUE(same_matrix(T, Kv3dTransform(V(1, 1, 1)))) << "case: one pair, type " << t;
        EXPECT_TRUE(T.is_orthonormal()) << "case: one pair, type " << t;
    }
    const Kv3dTransform R = fit(ps, qs, 2, kRigid), S = fit(ps, qs, 2, kSimilar);
    EXPECT_TRUE(R.is_orthonormal()) << "case: rigid";
    EXPECT_FALSE(S.is_orthonormal()) << "case: similarity";
    expect_near(moved(R, ps[1]), P(2, 4, 4), 1e-15);
    expect_near(moved(S, ps[1]), qs[1], 1e-15);
    expect_near(moved(fit(ps, qs, 2, kAffine), ps[1]), qs[1], 1e-15);
    EXPECT_TRUE(same_matrix(fit(ps, qs, 2, kUnknown), R)) << "case: unknown type";
    // Same direction and length: a translation. Opposite: a half turn.
    const P shift[2] = {P(2, 3, 4), P(3, 3, 4)}, flip[2] = {P(1, 2, 3), P(0, 2, 3)};
    expect_near(moved(fit(ps, shift, 2, kRigid), P(-5, 7, 2)), P(-4, 8, 3), 1e-14);
    expect_near(moved(fit(ps, flip, 2, kRigid), ps[1]), flip[1], 1e-15);
    // Rigid: P0 onto Q0, P1 on the ray from Q0 through Q1 at its own distance.
    std::mt19937 rng(47);
    for (int i = 0; i < 30; ++i) {
        const P a[2] = {random_point(rng), random_point(rng)},
                b[2] = {random_point(rng), random_point(rng)};
        const Kv3dTransform r = fit(a, b, 2, kRigid);
        expect_near(moved(fit(a, b, 2, kSimilar), a[1]), b[1], 1e-11);
        expect_near(moved(r, a[0]), b[0], 1e-11);
        expect_near(moved(r, a[1]), b[0] + V((b[1] - b[0]).direction(), a[0].distance(a[1])),
                    1e-11);
    }
}

TEST(PointPairFit, ThreeToFivePairs) {
    std::mt19937 rng(53);
    for (int i = 0; i < 20; ++i) {
        // ms: a screw motion of ps; ss: that then scaled by 3; qs: anything.
        Kv3dTransform M(random_point(rng), random_vector(rng), 1.0 + i, 0.5 * i), MS = M;
        P ps[5], qs[5], ms[5], ss[5];
        for (P& p : ps) p = random_point(rng);
        for (P& q : qs) q = random_point(rng);
        MS.apply(Kv3dTransform(3.0, moved(M, ps[0])));
        for (int k = 0; k < 5; ++k) ms[k] = moved(M, ps[k]), ss[k] = moved(MS, ps[k]);
        // RIGID and SIMILARITY use the first three pairs, AFFINE four; an unknown type is RIGID.
        const Kv3dTransform R = fit(ps, ms, 5, kRigid), S = fit(ps, ss, 5, kSimilar);
        const Kv3dTransform A = fit(ps, qs, 5, kAffine), A3 = fit(ps, qs, 3, kAffine);
        EXPECT_TRUE(R.is_orthonormal()) << "case: rigid, draw " << i;
        EXPECT_FALSE(S.is_orthonormal()) << "case: similarity, draw " << i;
        EXPECT_FALSE(A.is_orthonormal()) << "case: affine, draw " << i;
        EXPECT_TRUE(same_matrix(R, fit(ps, ms, 3, kRigid))) << "case: rigid, 3 pairs, " << i;
        EXPECT_TRUE(same_matrix(R, fit(ps, ms, 3, kUnknown))) << "case: unknown type, " << i;
        EXPECT_TRUE(same_matrix(S, fit(ps, ss, 3, kSimilar))) << "case: similarity, " << i;
        EXPECT_TRUE(same_matrix(A, fit(ps, qs, 4, kAffine))) << "case: affine, 4 pairs, " << i;
        for (int k = 0; k < 5; ++k) {
            expect_near(moved(R, ps[k]), ms[k], 1e-10);
            expect_near(moved(S, ps[k]), ss[k], 1e-9);
            if (k < 4) expect_near(moved(A, ps[k]), qs[k], 1e-8);
            if (k < 3) expect_near(moved(A3, ps[k]), qs[k], 1e-8);
        }
        // With three, AFFINE takes the unit normal of one triangle onto the other's.
        const auto normal = [](const P* t) {
            return V(((t[1] - t[0]) * (t[2] - t[0])).direction(), 1.0);
        };
        expect_near(normal(ps).apply(A3), normal(qs), 1e-8);
    }
    // Collinear source points give no affine frame: the zero matrix.
    const P line[3] = {P(0, 0, 0), P(1, 0, 0), P(2, 0, 0)}, to[3] = {P(), P(0, 1, 0), P(0, 0, 1)};
    EXPECT_TRUE(same_matrix(fit(line, to, 3, kAffine), kZero)) << "case: collinear";
}
