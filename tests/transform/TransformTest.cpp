#include "TransformTestUtil.h"

using namespace xf_test;

namespace {

// A quarter turn about z, then the translation (1, 2, 3).
const double kTurn[16] = {0, -1, 0, 1, 1, 0, 0, 2, 0, 0, 1, 3, 0, 0, 0, 1};

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

// The last row is never read; a point takes the translation, a vector not; a
// direction is renormalised, and one mapped onto zero becomes the zero
// direction. Sums run left to right from 0.0: with row 0 = (1, 1, 1, 0),
// ((0 + 1e16) + 1) + 1 = 1e16 (the small terms first would give 1e16 + 2),
// for points and homogeneous records; a negative zero comes out positive.
// Records of kind 3 take the full 4 x 4, of kind 1 are points, of any other
// kind vectors; no records, or no data: nothing. The debug text lists the rows.
TEST(Transform, ApplyRulesAndDebugText) {
    const double m[16] = {2, 0, 0, 1, 0, 3, 0, 0, 0, 0, 0, -1, 7, 7, 7, 7};
    const Kv3dTransform T(m);
    expect_near("point", moved(T, P(1, 1, 1)), P(3, 3, -1), 0.0);
    expect_near("vector", V(1, 1, 1).apply(T), V(2, 3, 0), 0.0);
    expect_near("direction", Kv3dDirection(1, 1, 0).apply(T), V(2, 3, 0).direction(), 1e-15);
    expect_near("direction onto zero", Kv3dDirection(0, 0, 1).apply(T), V(0, 0, 0), 0.0);
    const double o[16] = {1, 1, 1, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    double rec[4] = {1e16, 1, 1, 1};
    Kv3d_apply(Kv3dTransform(o), 1, 3, rec);
    EXPECT_EQ(moved(Kv3dTransform(o), P(1e16, 1, 1)).x(), 1e16) << "case: point";
    EXPECT_EQ(rec[0], 1e16) << "case: homogeneous record";
    const V z = V(-0.0, -0.0, -0.0).apply(Kv3dTransform());
    for (int k = 0; k < 3; ++k) EXPECT_FALSE(std::signbit(z[k])) << "case: -0 coordinate " << k;
    double h[8] = {1, 0, 0, 1, 0, 2, 0, 1}, pv[6] = {1, 0, 0, 1, 0, 0};
    Kv3d_apply(Kv3dTransform(kTurn), 2, 3, h);
    Kv3d_apply(Kv3dTransform(kTurn), 1, 1, pv);
    Kv3d_apply(Kv3dTransform(kTurn), 1, 7, pv + 3);
    Kv3d_apply(Kv3dTransform(kTurn), -3, 1, pv);
    Kv3d_apply(Kv3dTransform(kTurn), 5, 1, nullptr);
    const double h_expected[8] = {1, 3, 3, 1, -1, 2, 3, 1}, pv_expected[6] = {1, 3, 3, 0, 1, 0};
    EXPECT_EQ(std::memcmp(h, h_expected, sizeof h), 0) << "case: homogeneous records";
    EXPECT_EQ(std::memcmp(pv, pv_expected, sizeof pv), 0) << "case: a point and a vector";
    const double dm[16] = {0, 0.5, 1, 1.5, 2, 2.5, 3, 3.5, 4, 4.5, 5, 5.5, 6, 6.5, 7, -1e-6};
    EXPECT_EQ(debug_text(Kv3dTransform(dm), 1, 2),
              "  Kv3dTransform(\n0, 0.5, 1, 1.5, \n2, 2.5, 3, 3.5, \n4, 4.5, 5, 5.5, \n"
              "6, 6.5, 7, -1e-06) \n");
}

// this.apply(T): this first, then T, marked only when both are marked. A
// marked transform inverts to the transposed block and -A^T t, exactly. The
// marks of the constructors decide how they invert. The parameters of a point
// and back; the change between two systems against their parameters, marked
// when both are cartesian. Any direction value but LOCAL_TO_GLOBAL goes back.
TEST(Transform, CompositionInversionMarksAndChangeOfSystem) {
    Kv3dTransform A(V(1, 0, 0)), then(kTurn), rigid(V(1, 2, 3)), inv;
    A.apply(Kv3dTransform(V(0, 0, 1)));
    const bool two_marked = A.is_orthonormal();
    A.apply(Kv3dTransform(kTurn));
    then.apply(Kv3dTransform(V(1, 0, 0)));  // the turn, then the shift
    expect_near("order", moved(then, P(2, 0, 0)), P(2, 4, 3), 0.0);
    rigid.apply(Kv3dTransform(P(0, 0, 0), V(0, 0, 1), M_PI / 2, 0.0));
    ASSERT_TRUE((inv = rigid).invert());
    const double *a = rigid.as_matrix(), *b = inv.as_matrix();
    EXPECT_EQ(b[1], a[4]) << "case: transposed block";
    EXPECT_EQ(b[3], -(b[0] * a[3] + b[1] * a[7] + b[2] * a[11])) << "case: -A^T t";
    // Determinant exactly 0: a block of rank 2.
    const double sing[16] = {1, 2, 3, 4, 2, 4, 6, 5, 0, 1, 1, 6, 0, 0, 0, 1};
    const double nan[16] = {std::nan(""), 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const Kv3dTransform null(static_cast<const double*>(nullptr));
    const Kv3dPlane plane(P(0, 0, 1), V(1, 0, 0), V(0, 1, 1));
    expect_each<bool>({
        {"two marked", two_marked, true},
        {"one unmarked", A.is_orthonormal(), false},
        {"null matrix pointer, the identity", same_matrix(null, Kv3dTransform()), true},
        {"null matrix pointer", null.is_orthonormal(), false},
        {"rank 2 preserves orientation", Kv3dTransform(sing).is_orient_preserving(), false},
        {"quarter turn preserves orientation", Kv3dTransform(kTurn).is_orient_preserving(), true},
        {"NaN inverts", Kv3dTransform(nan).invert(), false},
        {"scaling", Kv3dTransform(2.0, P(1, -2, 3)).is_orthonormal(), false},
        {"screw motion", Kv3dTransform(P(1, 1, 0), V(0, 0, 2), M_PI / 2, 5.0).is_orthonormal(),
         true},
        {"mirror", Kv3dTransform(plane, -1.0).is_orthonormal(), true},
        {"mirror preserves orientation", Kv3dTransform(plane, -1.0).is_orient_preserving(), false},
        {"projection", Kv3dTransform(plane, 0.0).is_orthonormal(), false},
        {"factor 1", Kv3dTransform(plane, 1.0).is_orthonormal(), true},
        {"factor 2", Kv3dTransform(plane, 2.0).is_orthonormal(), false},
    });
    const auto back = static_cast<Kv3dTransform::TransDirection>(7);
    RandomDraw d(43);
    for (int i = 0; i < 30; ++i) {
        const std::string draw = "draw " + std::to_string(i);
        const Kv3dCartesCoordSys c1(d.point(10), d.vector(10), d.vector(10));
        const Kv3dCoordSys g(d.point(10), d.vector(10), d.vector(10), d.vector(10));
        const Kv3dCoordSys* const systems[2] = {&c1, &g};
        for (const Kv3dCoordSys* from : systems) {
            const P u = d.point(2);
            const Kv3dTransform L(*from), G(*from, i % 2 ? back : Kv3dTransform::GLOBAL_TO_LOCAL);
            EXPECT_EQ(L.is_orthonormal(), from->is_cartesian()) << "case: " << draw;
            EXPECT_EQ(G.is_orthonormal(), from->is_cartesian()) << "case: " << draw;
            expect_near("to global, " + draw, moved(L, u), at(*from, u), 1e-12);
            expect_near("to local, " + draw, moved(G, at(*from, u)), u, 1e-8);
            KvArray<P> points{u};  // arrays exactly as the members
            KvArray<V> vectors{u.as_vector()};
            Kv3d_apply(G, points);
            Kv3d_apply(G, vectors);
            expect_near("point array, " + draw, points[0], moved(G, u), 0.0);
            expect_near("vector array, " + draw, vectors[0], u.as_vector().apply(G), 0.0);
            expect_near("parameters, " + draw, uvw(from->find_parameter(at(*from, u))), u, 1e-8);
            for (const Kv3dCoordSys* to : systems) {
                const Kv3dTransform T(*from, *to);
                EXPECT_EQ(T.is_orthonormal(), from->is_cartesian() && to->is_cartesian())
                    << "case: " << draw;
                expect_near("change, " + draw, moved(T, at(*from, u)), at(*to, u), 1e-8);
            }
        }
    }
}

// No pairs: the identity; one: the translation; an unknown type is RIGID.
// Two, rigid, in opposite directions: a half turn; in general P0 onto Q0, P1 on the ray from Q0
// through Q1 at its own distance; similarity: P1 onto Q1. RIGID uses the first three pairs, AFFINE
// four (with three, it takes the unit normal of one triangle onto the other's). Collinear source
// points give no affine frame: zero.
TEST(PointPairFit, ZeroToFivePairs) {
    const P p2[2] = {P(1, 2, 3), P(2, 2, 3)}, q2[2] = {P(2, 3, 4), P(2, 5, 4)};
    EXPECT_TRUE(same_matrix(fit(p2, q2, 0, kSimilar), Kv3dTransform())) << "case: no pairs";
    // The type is not read below two pairs.
    EXPECT_TRUE(same_matrix(fit(p2, q2, 1, kAffine), Kv3dTransform(V(1, 1, 1)))) << "case: one";
    EXPECT_TRUE(same_matrix(fit(p2, q2, 2, kUnknown), fit(p2, q2, 2, kRigid))) << "case: unknown";
    const P flip[2] = {P(1, 2, 3), P(0, 2, 3)};
    expect_near("half turn", moved(fit(p2, flip, 2, kRigid), p2[1]), flip[1], 1e-15);
    RandomDraw d(53);
    for (int i = 0; i < 30; ++i) {
        const std::string draw = "draw " + std::to_string(i);
        // ms: a screw motion of ps; qs: anything.
        const Kv3dTransform M(d.point(10), d.vector(10), 1.0 + i, 0.5 * i);
        P ps[5], qs[5], ms[5];
        for (int k = 0; k < 5; ++k)
            ps[k] = d.point(10), qs[k] = d.point(10), ms[k] = moved(M, ps[k]);
        const Kv3dTransform R2 = fit(ps, qs, 2, kRigid), S2 = fit(ps, qs, 2, kSimilar);
        expect_near("two, similarity, " + draw, moved(S2, ps[1]), qs[1], 1e-11);
        expect_near("two, affine, " + draw, moved(fit(ps, qs, 2, kAffine), ps[1]), qs[1], 1e-11);
        expect_near("two, rigid P0, " + draw, moved(R2, ps[0]), qs[0], 1e-11);
        const P on_ray = qs[0] + V((qs[1] - qs[0]).direction(), ps[0].distance(ps[1]));
        expect_near("two, rigid P1, " + draw, moved(R2, ps[1]), on_ray, 1e-11);
        const Kv3dTransform R = fit(ps, ms, 5, kRigid), A = fit(ps, qs, 5, kAffine);
        const Kv3dTransform A3 = fit(ps, qs, 3, kAffine);
        EXPECT_TRUE(R.is_orthonormal()) << "case: rigid, " << draw;
        EXPECT_TRUE(same_matrix(R, fit(ps, ms, 3, kRigid))) << "case: rigid, 3 pairs, " << draw;
        EXPECT_TRUE(same_matrix(A, fit(ps, qs, 4, kAffine))) << "case: affine, 4 pairs, " << draw;
        for (int k = 0; k < 5; ++k) {
            const std::string pair = draw + ", pair " + std::to_string(k);
            expect_near("rigid, " + pair, moved(R, ps[k]), ms[k], 1e-10);
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
