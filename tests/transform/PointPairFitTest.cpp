#include "TransformTestUtil.h"

#include <cstring>
#include <vector>

using namespace xf_test;

namespace {

using Pairs = KvArray<KvPair<Kv3dPoint, Kv3dPoint>>;
const Kv3dTransform::Kv3dTransformType kTypes[4] = {
    Kv3dTransform::RIGID, Kv3dTransform::SIMILARITY, Kv3dTransform::AFFINE,
    static_cast<Kv3dTransform::Kv3dTransformType>(9)};

Kv3dPoint moved(const Kv3dTransform& T, Kv3dPoint p) { return p.apply(T); }

bool same_matrix(const Kv3dTransform& a, const Kv3dTransform& b) {
    return std::memcmp(a.as_matrix(), b.as_matrix(), 16 * sizeof(double)) == 0;
}

Pairs pairs_through(const Kv3dTransform& M, const std::vector<Kv3dPoint>& ps) {
    Pairs out;
    for (const Kv3dPoint& p : ps) {
        out.append(KvPair<Kv3dPoint, Kv3dPoint>(p, moved(M, p)));
    }
    return out;
}

}  // namespace

TEST(PointPairFit, NoneOrOnePair) {
    for (Kv3dTransform::Kv3dTransformType t : kTypes) {
        Pairs none;
        const Kv3dTransform I(none, t);
        EXPECT_TRUE(same_matrix(I, Kv3dTransform()));
        EXPECT_TRUE(I.is_orthonormal());
        Pairs one{KvPair<Kv3dPoint, Kv3dPoint>(Kv3dPoint(1, 2, 3), Kv3dPoint(4, 4, 4))};
        const Kv3dTransform T(one, t);
        EXPECT_TRUE(same_matrix(T, Kv3dTransform(Kv3dVector(3, 2, 1))));
        EXPECT_TRUE(T.is_orthonormal());
    }
}

TEST(PointPairFit, TwoPairs) {
    Pairs two{KvPair<Kv3dPoint, Kv3dPoint>(Kv3dPoint(0, 0, 0), Kv3dPoint(1, 1, 1)),
              KvPair<Kv3dPoint, Kv3dPoint>(Kv3dPoint(1, 0, 0), Kv3dPoint(1, 3, 1))};
    const Kv3dTransform R(two, Kv3dTransform::RIGID);
    EXPECT_TRUE(R.is_orthonormal());
    expect_near(moved(R, Kv3dPoint(1, 0, 0)), Kv3dPoint(1, 2, 1), 1e-15);
    const Kv3dTransform S(two, Kv3dTransform::SIMILARITY);
    EXPECT_FALSE(S.is_orthonormal());
    expect_near(moved(S, Kv3dPoint(1, 0, 0)), Kv3dPoint(1, 3, 1), 1e-15);
    expect_near(moved(S, Kv3dPoint(0, 0, 0)), Kv3dPoint(1, 1, 1), 1e-15);
    expect_near(moved(Kv3dTransform(two, Kv3dTransform::AFFINE), Kv3dPoint(1, 0, 0)),
                Kv3dPoint(1, 3, 1), 1e-15);
    EXPECT_TRUE(same_matrix(Kv3dTransform(two, kTypes[3]), R));

    // Same direction, same length: a pure translation.
    Pairs shift{KvPair<Kv3dPoint, Kv3dPoint>(Kv3dPoint(1, 1, 1), Kv3dPoint(2, 3, 4)),
                KvPair<Kv3dPoint, Kv3dPoint>(Kv3dPoint(2, 3, 1), Kv3dPoint(3, 5, 4))};
    const Kv3dTransform T(shift, Kv3dTransform::RIGID);
    expect_near(moved(T, Kv3dPoint(-5, 7, 2)), Kv3dPoint(-4, 9, 5), 1e-14);
    // Opposite directions: a half turn that still sends P1 onto Q1.
    Pairs flip{KvPair<Kv3dPoint, Kv3dPoint>(Kv3dPoint(0, 0, 0), Kv3dPoint(0, 0, 0)),
               KvPair<Kv3dPoint, Kv3dPoint>(Kv3dPoint(2, 0, 0), Kv3dPoint(-2, 0, 0))};
    expect_near(moved(Kv3dTransform(flip, Kv3dTransform::RIGID), Kv3dPoint(2, 0, 0)),
                Kv3dPoint(-2, 0, 0), 1e-15);

    std::mt19937 rng(47);
    for (int i = 0; i < 50; ++i) {
        const Kv3dPoint p0 = random_point(rng), p1 = random_point(rng);
        const Kv3dPoint q0 = random_point(rng), q1 = random_point(rng);
        Pairs pr{KvPair<Kv3dPoint, Kv3dPoint>(p0, q0), KvPair<Kv3dPoint, Kv3dPoint>(p1, q1)};
        const Kv3dTransform r(pr, Kv3dTransform::RIGID);
        const Kv3dTransform s(pr, Kv3dTransform::SIMILARITY);
        expect_near(moved(r, p0), q0, 1e-11);
        expect_near(moved(s, p1), q1, 1e-11);
        // The rigid one keeps P1's distance on the ray from Q0 through Q1.
        const Kv3dVector d = moved(r, p1) - q0;
        EXPECT_NEAR(d.length(), p0.distance(p1), 1e-11);
        expect_near(d * (1.0 / d.length()), (q1 - q0) * (1.0 / q0.distance(q1)), 1e-11);
    }
}

TEST(PointPairFit, ThreeOrMorePairs) {
    std::mt19937 rng(53);
    for (int i = 0; i < 30; ++i) {
        const Kv3dTransform M(random_point(rng), random_vector(rng), 1.0 + i, 0.5 * i);
        std::vector<Kv3dPoint> ps;
        for (int k = 0; k < 5; ++k) {
            ps.push_back(random_point(rng));
        }
        Pairs five = pairs_through(M, ps);
        Pairs three = pairs_through(M, {ps[0], ps[1], ps[2]});
        const Kv3dTransform R(five, Kv3dTransform::RIGID);
        EXPECT_TRUE(R.is_orthonormal());
        EXPECT_TRUE(same_matrix(R, Kv3dTransform(three, kTypes[0])));
        EXPECT_TRUE(same_matrix(R, Kv3dTransform(three, kTypes[3])));
        for (const Kv3dPoint& p : ps) {
            expect_near(moved(R, p), moved(M, p), 1e-10);  // congruent: every point
        }

        // A scaled copy: SIMILARITY maps all of it, RIGID only the first point.
        Kv3dTransform MS = M;
        MS.apply(Kv3dTransform(3.0, moved(M, ps[0])));
        Pairs scaled = pairs_through(MS, {ps[0], ps[1], ps[2]});
        const Kv3dTransform S(scaled, Kv3dTransform::SIMILARITY);
        EXPECT_FALSE(S.is_orthonormal());
        expect_near(moved(S, ps[3]), moved(MS, ps[3]), 1e-9);

        // AFFINE: any pairs, three or four of them mapped exactly.
        Pairs any;
        for (int k = 0; k < 5; ++k) {
            any.append(KvPair<Kv3dPoint, Kv3dPoint>(ps[k], random_point(rng)));
        }
        const Kv3dTransform A(any, Kv3dTransform::AFFINE);
        EXPECT_FALSE(A.is_orthonormal());
        for (int k = 0; k < 4; ++k) {
            expect_near(moved(A, any[k].first), any[k].second, 1e-8);
        }
        Pairs first3{any[0], any[1], any[2]};
        const Kv3dTransform A3(first3, Kv3dTransform::AFFINE);
        for (int k = 0; k < 3; ++k) {
            expect_near(moved(A3, any[k].first), any[k].second, 1e-8);
        }
        // ... and the unit normal of one triangle onto that of the other.
        const Kv3dVector np = ((ps[1] - ps[0]) * (ps[2] - ps[0])).direction() * 1.0;
        const Kv3dVector nq =
            ((any[1].second - any[0].second) * (any[2].second - any[0].second)).direction() * 1.0;
        expect_near(Kv3dVector(np).apply(A3), nq, 1e-8);
    }

    // Collinear source points give no affine frame: the zero matrix.
    Pairs line{KvPair<Kv3dPoint, Kv3dPoint>(Kv3dPoint(0, 0, 0), Kv3dPoint(0, 0, 0)),
               KvPair<Kv3dPoint, Kv3dPoint>(Kv3dPoint(1, 0, 0), Kv3dPoint(0, 1, 0)),
               KvPair<Kv3dPoint, Kv3dPoint>(Kv3dPoint(2, 0, 0), Kv3dPoint(0, 0, 1))};
    const Kv3dTransform Z(line, Kv3dTransform::AFFINE);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(Z.as_matrix()[i], 0.0);
    }
}
