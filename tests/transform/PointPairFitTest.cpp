#include "TransformTestUtil.h"

#include <cstring>
#include <vector>

using namespace xf_test;

namespace {

using Pair = KvPair<Kv3dPoint, Kv3dPoint>;
const Kv3dTransform::Kv3dTransformType kRigid = Kv3dTransform::RIGID;
const Kv3dTransform::Kv3dTransformType kSimilar = Kv3dTransform::SIMILARITY;
const Kv3dTransform::Kv3dTransformType kAffine = Kv3dTransform::AFFINE;
const Kv3dTransform::Kv3dTransformType kUnknown = static_cast<Kv3dTransform::Kv3dTransformType>(9);

bool same_matrix(const Kv3dTransform& a, const Kv3dTransform& b) {
    return std::memcmp(a.as_matrix(), b.as_matrix(), 16 * sizeof(double)) == 0;
}

// The first n of the pairs (p, M p).
Pairs pairs_through(const Kv3dTransform& M, const std::vector<P>& ps, std::size_t n) {
    Pairs out;
    for (std::size_t i = 0; i < n; ++i) {
        out.append(Pair(ps[i], moved(M, ps[i])));
    }
    return out;
}

}  // namespace

TEST(PointPairFit, NoneOneOrTwoPairs) {
    for (auto t : {kRigid, kSimilar, kAffine, kUnknown}) {
        Pairs none;
        Pairs one{Pair(P(1, 2, 3), P(4, 4, 4))};
        const Kv3dTransform I(none, t);
        const Kv3dTransform T(one, t);
        EXPECT_TRUE(same_matrix(I, Kv3dTransform()) && I.is_orthonormal());
        EXPECT_TRUE(same_matrix(T, Kv3dTransform(V(3, 2, 1))) && T.is_orthonormal());
    }
    Pairs two{Pair(P(0, 0, 0), P(1, 1, 1)), Pair(P(1, 0, 0), P(1, 3, 1))};
    const Kv3dTransform R(two, kRigid);
    const Kv3dTransform S(two, kSimilar);
    EXPECT_TRUE(R.is_orthonormal());
    EXPECT_FALSE(S.is_orthonormal());
    expect_near(moved(R, P(1, 0, 0)), P(1, 2, 1), 1e-15);
    expect_near(moved(S, P(1, 0, 0)), P(1, 3, 1), 1e-15);
    expect_near(moved(Kv3dTransform(two, kAffine), P(1, 0, 0)), P(1, 3, 1), 1e-15);
    EXPECT_TRUE(same_matrix(Kv3dTransform(two, kUnknown), R));
    // Same direction and length: a translation. Opposite: a half turn.
    Pairs shift{Pair(P(1, 1, 1), P(2, 3, 4)), Pair(P(2, 3, 1), P(3, 5, 4))};
    expect_near(moved(Kv3dTransform(shift, kRigid), P(-5, 7, 2)), P(-4, 9, 5), 1e-14);
    Pairs flip{Pair(P(0, 0, 0), P(0, 0, 0)), Pair(P(2, 0, 0), P(-2, 0, 0))};
    expect_near(moved(Kv3dTransform(flip, kRigid), P(2, 0, 0)), P(-2, 0, 0), 1e-15);

    std::mt19937 rng(47);
    for (int i = 0; i < 50; ++i) {
        const P p0 = random_point(rng), p1 = random_point(rng);
        const P q0 = random_point(rng), q1 = random_point(rng);
        Pairs pr{Pair(p0, q0), Pair(p1, q1)};
        expect_near(moved(Kv3dTransform(pr, kSimilar), p1), q1, 1e-11);
        // Rigid: P0 onto Q0, P1 on the ray from Q0 through Q1 at its own distance.
        const Kv3dTransform r(pr, kRigid);
        expect_near(moved(r, p0), q0, 1e-11);
        expect_near(moved(r, p1), q0 + V((q1 - q0).direction(), p0.distance(p1)), 1e-11);
    }
}

TEST(PointPairFit, ThreeToFivePairs) {
    std::mt19937 rng(53);
    for (int i = 0; i < 30; ++i) {
        const Kv3dTransform M(random_point(rng), random_vector(rng), 1.0 + i, 0.5 * i);
        std::vector<P> ps;
        for (int k = 0; k < 5; ++k) {
            ps.push_back(random_point(rng));
        }
        // Congruent: RIGID maps every point; it uses only the first three.
        Pairs five = pairs_through(M, ps, 5);
        Pairs three = pairs_through(M, ps, 3);
        const Kv3dTransform R(five, kRigid);
        EXPECT_TRUE(R.is_orthonormal());
        EXPECT_TRUE(same_matrix(R, Kv3dTransform(three, kRigid)));
        EXPECT_TRUE(same_matrix(R, Kv3dTransform(three, kUnknown)));
        for (const P& p : ps) {
            expect_near(moved(R, p), moved(M, p), 1e-10);
        }
        // Similar: SIMILARITY maps every point.
        Kv3dTransform MS = M;
        MS.apply(Kv3dTransform(3.0, moved(M, ps[0])));
        Pairs scaled = pairs_through(MS, ps, 3);
        const Kv3dTransform S(scaled, kSimilar);
        EXPECT_FALSE(S.is_orthonormal());
        expect_near(moved(S, ps[3]), moved(MS, ps[3]), 1e-9);

        // AFFINE: any targets; three or four pairs mapped exactly, the fifth ignored.
        Pairs any;
        for (int k = 0; k < 5; ++k) {
            any.append(Pair(ps[k], random_point(rng)));
        }
        Pairs four{any[0], any[1], any[2], any[3]};
        Pairs first3{any[0], any[1], any[2]};
        const Kv3dTransform A(any, kAffine);
        const Kv3dTransform A3(first3, kAffine);
        EXPECT_FALSE(A.is_orthonormal());
        EXPECT_TRUE(same_matrix(A, Kv3dTransform(four, kAffine)));
        for (int k = 0; k < 4; ++k) {
            expect_near(moved(A, any[k].first), any[k].second, 1e-8);
            expect_near(moved(A3, any[k % 3].first), any[k % 3].second, 1e-8);
        }
        // ... and with three, the unit normal of one triangle onto the other's.
        const auto normal = [](const P& a, const P& b, const P& c) {
            return V(((b - a) * (c - a)).direction(), 1.0);
        };
        expect_near(normal(ps[0], ps[1], ps[2]).apply(A3),
                    normal(any[0].second, any[1].second, any[2].second), 1e-8);
    }
    // Collinear source points give no affine frame: the zero matrix.
    Pairs line{Pair(P(0, 0, 0), P(0, 0, 0)), Pair(P(1, 0, 0), P(0, 1, 0)),
               Pair(P(2, 0, 0), P(0, 0, 1))};
    EXPECT_TRUE(all_zero(Kv3dTransform(line, kAffine)));
}
