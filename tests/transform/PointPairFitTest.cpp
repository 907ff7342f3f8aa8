#include "TransformTestUtil.h"

using namespace xf_test;

namespace {

using Type = Kv3dTransform::Kv3dTransformType;
const Type kRigid = Kv3dTransform::RIGID, kSimilar = Kv3dTransform::SIMILARITY,
           kAffine = Kv3dTransform::AFFINE, kUnknown = static_cast<Type>(9);

// The transform fitted to the pairs (ps[i], qs[i]), i < n.
Kv3dTransform fit(const P* ps, const P* qs, int n, Type type) {
    KvArray<KvPair<P, P>> pairs;
    for (int i = 0; i < n; ++i) pairs.append(KvPair<P, P>(ps[i], qs[i]));
    return Kv3dTransform(pairs, type);
}

}  // namespace

// No pairs: the identity; one: the translation; an unknown type is RIGID.
// Two, rigid, in the same direction: a translation; the opposite: a half turn.
TEST(PointPairFit, NoneOneOrTwoPairs) {
    const P ps[2] = {P(1, 2, 3), P(2, 2, 3)}, qs[2] = {P(2, 3, 4), P(2, 5, 4)};
    for (Type t : {kRigid, kSimilar, kAffine, kUnknown}) {
        const Kv3dTransform T = fit(ps, qs, 1, t);
        EXPECT_TRUE(same_matrix(fit(ps, qs, 0, t), Kv3dTransform()))
            << "case: no pairs, type " << t;
        EXPECT_TRUE(same_matrix(T, Kv3dTransform(V(1, 1, 1)))) << "case: one pair, type " << t;
        EXPECT_TRUE(T.is_orthonormal()) << "case: one pair, type " << t;
    }
    EXPECT_TRUE(same_matrix(fit(ps, qs, 2, kUnknown), fit(ps, qs, 2, kRigid))) << "case: unknown";
    const P shift[2] = {P(2, 3, 4), P(3, 3, 4)}, flip[2] = {P(1, 2, 3), P(0, 2, 3)};
    expect_near("translation", moved(fit(ps, shift, 2, kRigid), P(-5, 7, 2)), P(-4, 8, 3), 1e-14);
    expect_near("half turn", moved(fit(ps, flip, 2, kRigid), ps[1]), flip[1], 1e-15);
}

// Two pairs, rigid: P0 onto Q0, P1 on the ray from Q0 through Q1 at its own
// distance; similarity and affine: P1 onto Q1. RIGID and SIMILARITY use the
// first three pairs, AFFINE four (with three, it takes the unit normal of one
// triangle onto the other's); an unknown type is RIGID. Collinear source
// points give no affine frame: zero.
TEST(PointPairFit, TwoToFivePairs) {
    RandomDraw d(53);
    for (int i = 0; i < 30; ++i) {
        const std::string draw = "draw " + std::to_string(i);
        // ms: a screw motion of ps; ss: that then scaled by 3; qs: anything.
        Kv3dTransform M(d.point(10), d.vector(10), 1.0 + i, 0.5 * i), MS = M;
        P ps[5], qs[5], ms[5], ss[5];
        for (P& p : ps) p = d.point(10);
        for (P& q : qs) q = d.point(10);
        MS.apply(Kv3dTransform(3.0, moved(M, ps[0])));
        for (int k = 0; k < 5; ++k) ms[k] = moved(M, ps[k]), ss[k] = moved(MS, ps[k]);
        const Kv3dTransform R2 = fit(ps, qs, 2, kRigid), S2 = fit(ps, qs, 2, kSimilar);
        EXPECT_TRUE(R2.is_orthonormal()) << "case: two, rigid, " << draw;
        EXPECT_FALSE(S2.is_orthonormal()) << "case: two, similarity, " << draw;
        expect_near("two, similarity, " + draw, moved(S2, ps[1]), qs[1], 1e-11);
        expect_near("two, affine, " + draw, moved(fit(ps, qs, 2, kAffine), ps[1]), qs[1], 1e-11);
        expect_near("two, rigid P0, " + draw, moved(R2, ps[0]), qs[0], 1e-11);
        const P on_ray = qs[0] + V((qs[1] - qs[0]).direction(), ps[0].distance(ps[1]));
        expect_near("two, rigid P1, " + draw, moved(R2, ps[1]), on_ray, 1e-11);
        const Kv3dTransform R = fit(ps, ms, 5, kRigid), S = fit(ps, ss, 5, kSimilar);
        const Kv3dTransform A = fit(ps, qs, 5, kAffine), A3 = fit(ps, qs, 3, kAffine);
        EXPECT_TRUE(R.is_orthonormal()) << "case: rigid, " << draw;
        EXPECT_FALSE(S.is_orthonormal()) << "case: similarity, " << draw;
        EXPECT_FALSE(A.is_orthonormal()) << "case: affine, " << draw;
        EXPECT_TRUE(same_matrix(R, fit(ps, ms, 3, kRigid))) << "case: rigid, 3 pairs, " << draw;
        EXPECT_TRUE(same_matrix(R, fit(ps, ms, 3, kUnknown))) << "case: unknown type, " << draw;
        EXPECT_TRUE(same_matrix(S, fit(ps, ss, 3, kSimilar))) << "case: similarity, " << draw;
        EXPECT_TRUE(same_matrix(A, fit(ps, qs, 4, kAffine))) << "case: affine, 4 pairs, " << draw;
        for (int k = 0; k < 5; ++k) {
            const std::string pair = draw + ", pair " + std::to_string(k);
            expect_near("rigid, " + pair, moved(R, ps[k]), ms[k], 1e-10);
            expect_near("similarity, " + pair, moved(S, ps[k]), ss[k], 1e-9);
            if (k < 4) expect_near("affine, " + pair, moved(A, ps[k]), qs[k], 1e-8);
            if (k < 3) expect_near("affine of 3, " + pair, moved(A3, ps[k]), qs[k], 1e-8);
        }
        const auto normal = [](const P* t) {
            return V(((t[1] - t[0]) * (t[2] - t[0])).direction(), 1.0);
        };
        expect_near("affine of 3, normal, " + draw, normal(ps).apply(A3), normal(qs), 1e-8);
    }
    const P line[3] = {P(0, 0, 0), P(1, 0, 0), P(2, 0, 0)}, to[3] = {P(), P(0, 1, 0), P(0, 0, 1)};
    EXPECT_TRUE(same_matrix(fit(line, to, 3, kAffine), kZero)) << "case: collinear";
}
