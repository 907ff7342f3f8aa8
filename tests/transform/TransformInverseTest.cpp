// The general inversion and the conjugated constructors against literal
// versions that invert through kvla_inverse_by_svd, the definition of the
// rank decision: the same decisions everywhere, the same entries up to the
// rounding of two LU factorisations.

#include <kv3d/kv3d.h>
#include <kvla/KvLaInverse.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "support/InverseSpread.h"
#include "support/RandomDraw.h"

namespace {

using P = Kv3dPoint;
using V = Kv3dVector;
const double kEps = std::numeric_limits<double>::epsilon();
const double kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

KvLaDblMat as_kvla(const double* rows) {
    KvLaDblMat m(4, 4, 0.0);
    for (int k = 0; k < 16; ++k) {
        m(k / 4, k % 4) = rows[k];
    }
    return m;
}

// The general inversion as written: the 16 entries into a 4 x 4 matrix,
// inverted at tolerance 1e-15, read back, last row 0, 0, 0, 1; rank 4 only.
bool literal_inverse(const double* in, double* out) {
    KvLaDblMat inverse;
    int rank = 0;
    if (!kvla_inverse_by_svd(as_kvla(in), inverse, 1e-15, &rank) || rank != 4) {
        return false;
    }
    for (int k = 0; k < 16; ++k) {
        out[k] = k < 12 ? inverse(k / 4, k % 4) : (k == 15 ? 1.0 : 0.0);
    }
    return true;
}

// |x - r| within the spread of two LU inverses of m (rows 0-2; the last
// rows are both 0, 0, 0, 1).
double inverse_spread_of(const double* m, const double* x, const double* r) {
    KvLaDblMat xm = as_kvla(r);
    for (int k = 0; k < 12; ++k) {
        xm(k / 4, k % 4) = x[k];
    }
    return inverse_spread::spread(as_kvla(m), xm, as_kvla(r));
}

// Literal conjugation F L F^-1, L kept when F is singular.
void literal_conjugation(const double* L, const double* F, double* out) {
    double Finv[16];
    std::memcpy(out, L, 16 * sizeof(double));
    if (literal_inverse(F, Finv)) {
        double FL[16];
        std::memcpy(FL, L, sizeof FL);
        Kv3dTransform::multiply(F, Kv3dTransform::HOMOGENEOUS_RECORD, 4, 1, 4, FL);
        std::memcpy(out, Finv, sizeof Finv);
        Kv3dTransform::multiply(FL, Kv3dTransform::HOMOGENEOUS_RECORD, 4, 1, 4, out);
    }
}

// A cartesian frame F = [R p; 0 1] is perfectly conditioned: two inverses of
// it differ by a few eps (1 + |p|) per entry, and F L F^-1 by that times
// |F| |L|, below 256 eps (1 + |p|)^2 (1 + |L|).
void expect_conjugation(const std::string& name, const Kv3dTransform& T, const double* L,
                        const double* F) {
    double expected[16];
    literal_conjugation(L, F, expected);
    const double p = std::fabs(F[3]) + std::fabs(F[7]) + std::fabs(F[11]);
    double l = 0.0;
    for (int k = 0; k < 16; ++k) {
        l = std::max(l, std::fabs(L[k]));
    }
    const double bound = 256.0 * kEps * (1.0 + p) * (1.0 + p) * (1.0 + l);
    for (int k = 0; k < 16; ++k) {
        EXPECT_LE(std::fabs(T.as_matrix()[k] - expected[k]), bound)
            << "case: " << name << ", entry " << k;
    }
}

// General frames of every condition: random, badly scaled axes, nearly
// dependent axes (within 1e-17 .. 1e-3), exactly dependent ones, and full
// 4 x 4 matrices whose last row is not 0, 0, 0, 1.
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
            double m[16];
            std::memcpy(m, Kv3dTransform(Kv3dCoordSys(d.point(8000), x, y, z)).as_matrix(),
                        sizeof m);
            if (kind == 4) {
                for (int k = 12; k < 16; ++k) {
                    m[k] = d.uniform(-2, 2);
                }
            }
            double expected[16];
            const bool ok = literal_inverse(m, expected);
            Kv3dTransform T(m);
            EXPECT_EQ(T.is_invertible(), ok) << "case: " << name;
            ASSERT_EQ(T.invert(), ok) << "case: " << name;
            if (!ok) {
                EXPECT_EQ(std::memcmp(T.as_matrix(), m, sizeof m), 0) << "case: " << name;
                continue;
            }
            for (int k = 12; k < 16; ++k) {
                EXPECT_EQ(T.as_matrix()[k], expected[k]) << "case: " << name << ", entry " << k;
            }
            EXPECT_LE(inverse_spread_of(m, T.as_matrix(), expected), 8.0 * kEps)
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
        double L[16], F[16];
        std::memcpy(L, kIdentity, sizeof L);
        std::memcpy(F, kIdentity, sizeof F);
        L[0] = sx;
        L[5] = sy;
        L[10] = sz;
        F[3] = p.x();
        F[7] = p.y();
        F[11] = p.z();
        double expected[16];
        literal_conjugation(L, F, expected);
        EXPECT_EQ(std::memcmp(Kv3dTransform(sx, sy, sz, p).as_matrix(), expected, sizeof L), 0)
            << "case: per axis " << name;
        L[5] = L[10] = sx;
        literal_conjugation(L, F, expected);
        EXPECT_EQ(std::memcmp(Kv3dTransform(sx, p).as_matrix(), expected, sizeof L), 0)
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
        double L[16];
        std::memcpy(L, kIdentity, sizeof L);
        L[0] = std::cos(angle);
        L[1] = -std::sin(angle);
        L[4] = std::sin(angle);
        L[5] = std::cos(angle);
        L[11] = shift;
        const Kv3dTransform F(Kv3dCartesCoordSys(p, axis, Kv3d::Z_AXIS));
        expect_conjugation("screw " + name, Kv3dTransform(p, axis, angle, shift), L, F.as_matrix());

        const Kv3dPlane plane(p, Kv3dDirection(axis.x(), axis.y(), axis.z()), nullptr);
        const double f = d.uniform(-3, 3);
        std::memcpy(L, kIdentity, sizeof L);
        L[10] = f;
        const Kv3dDirection& n = plane.normal();
        const Kv3dTransform G(
            Kv3dCartesCoordSys(plane.basepoint(), V(n.x(), n.y(), n.z()), Kv3d::Z_AXIS));
        expect_conjugation("plane scaling " + name, Kv3dTransform(plane, f), L, G.as_matrix());
    }
}

// Frame changes invert the general frame of from: the zero matrix exactly
// where the literal inversion finds rank below 4.
TEST(TransformInverse, FrameChangesDecideInvertibilityAsTheLiteralInversion) {
    RandomDraw d(5);
    for (int trial = 0; trial < 300; ++trial) {
        const std::string name = "#" + std::to_string(trial);
        const V x = d.vector(1), y = d.vector(1);
        const V z = trial % 3 == 0 ? x * 2.0 - y * 0.5
                                   : x * 0.3 + y + d.vector(1) * std::pow(10.0, d.uniform(-17, 0));
        const Kv3dCoordSys from(d.point(100), x, y, z);
        double expected[16];
        const bool ok = literal_inverse(Kv3dTransform(from).as_matrix(), expected);
        const Kv3dTransform to_local(from, Kv3dTransform::GLOBAL_TO_LOCAL);
        const double zero[16] = {};
        EXPECT_EQ(std::memcmp(to_local.as_matrix(), zero, sizeof zero) != 0, ok)
            << "case: to local " << name;
        const Kv3dTransform change(from, Kv3dCartesCoordSys(d.point(10)));
        EXPECT_EQ(std::memcmp(change.as_matrix(), zero, sizeof zero) != 0, ok)
            << "case: frame change " << name;
    }
}

}  // namespace
