// The general inversion and the conjugated constructors against literal
// versions that invert through kvla_inverse_by_svd, the definition of the
// rank decision: the same decisions everywhere, the same entries up to the
// rounding of two LU factorisations.

#include <kvla/KvLaInverse.h>

#include <algorithm>
#include <array>
#include <limits>

#include "TransformTestUtil.h"
#include "support/InverseSpread.h"
#include "support/RandomDraw.h"

using namespace xf_test;

namespace {

using M16 = std::array<double, 16>;
const double kEps = std::numeric_limits<double>::epsilon();

KvLaDblMat as_kvla(const double* rows) {
    KvLaDblMat m(4, 4, 0.0);
    for (int k = 0; k < 16; ++k) m(k / 4, k % 4) = rows[k];
    return m;
}

// [diag(sx, sy, sz) p; 0 0 0 1].
M16 scaling(double sx, double sy, double sz, const P& p = P()) {
    return {sx, 0, 0, p.x(), 0, sy, 0, p.y(), 0, 0, sz, p.z(), 0, 0, 0, 1};
}

// The general inversion as written: the 16 entries into a 4 x 4 matrix,
// inverted at tolerance 1e-15, read back, last row 0, 0, 0, 1; rank 4 only.
bool literal_inverse(const double* in, double* out) {
    KvLaDblMat inverse;
    int rank = 0;
    if (!kvla_inverse_by_svd(as_kvla(in), inverse, 1e-15, &rank) || rank != 4) return false;
    for (int k = 0; k < 16; ++k) out[k] = k < 12 ? inverse(k / 4, k % 4) : (k == 15 ? 1.0 : 0.0);
    return true;
}

// Literal conjugation F L F^-1, L kept when F is singular.
M16 literal_conjugation(const M16& L, const double* F) {
    M16 out = L, FL = L, Finv;
    if (literal_inverse(F, Finv.data())) {
        Kv3dTransform::multiply(F, Kv3dTransform::HOMOGENEOUS_RECORD, 4, 1, 4, FL.data());
        out = Finv;
        Kv3dTransform::multiply(FL.data(), Kv3dTransform::HOMOGENEOUS_RECORD, 4, 1, 4, out.data());
    }
    return out;
}

// A cartesian frame F = [R p; 0 1] is perfectly conditioned: two inverses of
// it differ by a few eps (1 + |p|) per entry, and F L F^-1 by that times
// |F| |L|, below 256 eps (1 + |p|)^2 (1 + |L|).
void expect_conjugation(const std::string& name, const Kv3dTransform& T, const M16& L,
                        const double* F) {
    const M16 expected = literal_conjugation(L, F);
    const double p = std::fabs(F[3]) + std::fabs(F[7]) + std::fabs(F[11]);
    double l = 0.0;
    for (double x : L) l = std::max(l, std::fabs(x));
    const double bound = 256.0 * kEps * (1.0 + p) * (1.0 + p) * (1.0 + l);
    for (int k = 0; k < 16; ++k) {
        EXPECT_LE(std::fabs(T.as_matrix()[k] - expected[k]), bound)
            << "case: " << name << ", entry " << k;
    }
}

// General frames of every condition: random, badly scaled axes, nearly
// dependent axes (within 1e-17 .. 1e-3), exactly dependent ones, and full
// 4 x 4 matrices whose last row is not 0, 0, 0, 1. The frame changes invert
// the frame of from: the zero matrix exactly where the literal inversion
// finds rank below 4.
TEST(TransformInverse, GeneralInversionAgreesWithTheLiteralOne) {
    RandomDraw d(99);
    const char* kinds[] = {"random frame", "badly scaled", "nearly dependent", "dependent",
                           "full 4 x 4"};
    for (int kind = 0; kind < 5; ++kind) {
        for (int trial = 0; trial < 400; ++trial) {
            const std::string name = std::string(kinds[kind]) + " #" + std::to_string(trial);
            V x = d.vector(1), y = d.vector(1), z = d.vector(1);
            if (kind == 1) {
                x = x * std::pow(10.0, d.uniform(-30, 30));
                z = z * std::pow(10.0, d.uniform(-30, 30));
            } else if (kind == 2) {
                z = x * 0.5 - y * 3.0 + d.vector(1) * std::pow(10.0, d.uniform(-17, -3));
            } else if (kind == 3) {
                z = x * 2.0 - y;
            }
            const Kv3dCoordSys from(d.point(8000), x, y, z);
            M16 m;
            std::memcpy(m.data(), Kv3dTransform(from).as_matrix(), sizeof m);
            for (int k = 12; k < 16 && kind == 4; ++k) m[k] = d.uniform(-2, 2);
            M16 expected;
            const bool ok = literal_inverse(m.data(), expected.data());
            Kv3dTransform T(m.data());
            EXPECT_EQ(T.is_invertible(), ok) << "case: " << name;
            ASSERT_EQ(T.invert(), ok) << "case: " << name;
            if (kind < 4) {
                const Kv3dTransform to_local(from, Kv3dTransform::GLOBAL_TO_LOCAL);
                const Kv3dTransform change(from, Kv3dCartesCoordSys(d.point(10)));
                EXPECT_TRUE(same_matrix(to_local, ok ? T.as_matrix() : kZero))
                    << "case: to local " << name;
                EXPECT_NE(same_matrix(change, kZero), ok) << "case: frame change " << name;
                EXPECT_FALSE(change.is_orthonormal()) << "case: frame change " << name;
            }
            if (!ok) {
                EXPECT_TRUE(same_matrix(T, m.data())) << "case: " << name;
                continue;
            }
            for (int k = 12; k < 16; ++k) {
                EXPECT_EQ(T.as_matrix()[k], expected[k]) << "case: " << name << ", entry " << k;
            }
            // |x - r| within the spread of two LU inverses of m (the last rows agree).
            KvLaDblMat inverse = as_kvla(expected.data());
            for (int k = 0; k < 12; ++k) inverse(k / 4, k % 4) = T.as_matrix()[k];
            EXPECT_LE(inverse_spread::spread(as_kvla(m.data()), inverse, as_kvla(expected.data())),
                      8.0 * kEps)
                << "case: " << name;
        }
    }
}

// A translation frame inverts exactly on both paths: the scalings about a
// point are the literal conjugation to the bit.
TEST(TransformInverse, ScalingsAboutAPointAreTheLiteralConjugation) {
    RandomDraw d(3);
    for (int trial = 0; trial < 200; ++trial) {
        const std::string name = "#" + std::to_string(trial);
        const P p = d.point(trial % 2 == 0 ? 10.0 : 8000.0);
        const double sx = d.uniform(-5, 5), sy = d.uniform(-5, 5), sz = d.uniform(-5, 5);
        const M16 F = scaling(1, 1, 1, p);
        EXPECT_TRUE(same_matrix(Kv3dTransform(sx, sy, sz, p),
                                literal_conjugation(scaling(sx, sy, sz), F.data()).data()))
            << "case: per axis " << name;
        EXPECT_TRUE(same_matrix(Kv3dTransform(sx, p),
                                literal_conjugation(scaling(sx, sx, sx), F.data()).data()))
            << "case: uniform " << name;
    }
}

// The screw motion and the scaling perpendicular to a plane, conjugated
// through cartesian frames, within the bound of the literal conjugation;
// the zero axis keeps the local matrix on both paths.
TEST(TransformInverse, FrameConjugationsAgreeWithTheLiteralOnes) {
    RandomDraw d(17);
    for (int trial = 0; trial < 300; ++trial) {
        const std::string name = "#" + std::to_string(trial);
        const P p = d.point(trial % 3 == 0 ? 8000.0 : 10.0);
        const V axis = trial == 0 ? V(0, 0, 0) : d.vector(1);
        const double angle = d.uniform(-7, 7), shift = d.uniform(-100, 100);
        const double c = std::cos(angle), s = std::sin(angle);
        const M16 screw = {c, -s, 0, 0, s, c, 0, 0, 0, 0, 1, shift, 0, 0, 0, 1};
        const Kv3dTransform F(Kv3dCartesCoordSys(p, axis, Kv3d::Z_AXIS));
        expect_conjugation("screw " + name, Kv3dTransform(p, axis, angle, shift), screw,
                           F.as_matrix());

        const Kv3dPlane plane(p, Kv3dDirection(axis.x(), axis.y(), axis.z()), nullptr);
        const double f = d.uniform(-3, 3);
        const Kv3dDirection& n = plane.normal();
        const Kv3dTransform G(
            Kv3dCartesCoordSys(plane.basepoint(), V(n.x(), n.y(), n.z()), Kv3d::Z_AXIS));
        expect_conjugation("plane scaling " + name, Kv3dTransform(plane, f), scaling(1, 1, f),
                           G.as_matrix());
    }
}

// Frames at base points up to 1e12 are inverted by transposition, farther
// ones the general way, which finds rank 4 up to about 5e14: a point on the
// axis stays put on both sides of 1e12, and far beyond, where the literal
// inversion finds the frame singular, the local matrix stays.
TEST(TransformInverse, FarFramesKeepTheGeneralRankDecision) {
    const V axis(1, 2, 3);
    const double c = std::cos(0.5), s = std::sin(0.5);
    const M16 turn = {c, -s, 0, 0, s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    for (const double x : {1e12, std::nextafter(1e12, 2e12), 1e13}) {
        const P p(x, 0, 0), on_axis = p + axis;
        P moved = on_axis;
        moved.apply(Kv3dTransform(p, axis, 0.5, 0.0));
        EXPECT_LT(moved.distance(on_axis), 1.0) << "case: axis through x = " << x;
    }
    const P far(1e20, 0, 0);
    EXPECT_TRUE(same_matrix(Kv3dTransform(far, axis, 0.5, 0.0), turn.data()))
        << "case: screw at 1e20";
    const Kv3dPlane plane(far, Kv3dDirection(1, 2, 3), nullptr);
    EXPECT_TRUE(same_matrix(Kv3dTransform(plane, 2.0), scaling(1, 1, 2).data()))
        << "case: plane scaling at 1e20";
}

}  // namespace
