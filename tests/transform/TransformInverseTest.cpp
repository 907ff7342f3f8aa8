// The general inversion against a literal version that inverts through
// kvla_inverse at tolerance 1e-15 (itself held to its singular-value
// definition in the siblings' tests): the same rank decisions and the same
// bits. The constructors that conjugate by a frame, against the literal
// conjugation or their geometry.

#include <kvla/KvLaInverse.h>

#include <array>

#include "TransformTestUtil.h"

using namespace xf_test;

namespace {

using M16 = std::array<double, 16>;

// [diag(sx, sy, sz) p; 0 0 0 1].
M16 scaling(double sx, double sy, double sz, const P& p = P()) {
    return {sx, 0, 0, p.x(), 0, sy, 0, p.y(), 0, 0, sz, p.z(), 0, 0, 0, 1};
}

// The general inversion step by step: the 16 entries into a 4 x 4 matrix,
// inverted at tolerance 1e-15, read back, last row 0, 0, 0, 1; rank 4 only.
bool literal_inverse(const double* in, double* out) {
    KvLaDblMat a(4, 4, 0.0), inverse;
    for (int k = 0; k < 16; ++k) a(k / 4, k % 4) = in[k];
    int rank = 0;
    if (!kvla_inverse(a, inverse, 1e-15, &rank) || rank != 4) return false;
    for (int k = 0; k < 16; ++k) out[k] = k < 12 ? inverse(k / 4, k % 4) : (k == 15 ? 1.0 : 0.0);
    return true;
}

// Literal conjugation F L F^-1 (F invertible).
M16 literal_conjugation(const M16& L, const double* F) {
    M16 FL = L, out;
    literal_inverse(F, out.data());
    Kv3dTransform::multiply(F, Kv3dTransform::HOMOGENEOUS_RECORD, 4, 1, 4, FL.data());
    Kv3dTransform::multiply(FL.data(), Kv3dTransform::HOMOGENEOUS_RECORD, 4, 1, 4, out.data());
    return out;
}

// General frames: random, nearly dependent axes (within 1e-17 .. 1e-3), exactly dependent ones, and
// full 4 x 4 matrices whose last row is not 0, 0, 0, 1. The frame changes invert the frame of from:
// the zero matrix exactly where the inversion fails, which leaves the matrix as it was.
TEST(TransformInverse, GeneralInversionIsTheLiteralOne) {
    RandomDraw d(99);
    const char* kinds[] = {"random frame", "nearly dependent", "dependent", "full 4 x 4"};
    for (int kind = 0; kind < 4; ++kind) {
        for (int trial = 0; trial < 400; ++trial) {
            const std::string name = std::string(kinds[kind]) + " #" + std::to_string(trial);
            V x = d.vector(1), y = d.vector(1), z = d.vector(1);
            if (kind == 1) z = x * 0.5 - y * 3.0 + d.vector(1) * std::pow(10.0, d.uniform(-17, -3));
            if (kind == 2) z = x * 2.0 - y;
            const Kv3dCoordSys from(d.point(8000), x, y, z);
            M16 m, expected;
            std::memcpy(m.data(), Kv3dTransform(from).as_matrix(), sizeof m);
            for (int k = 12; k < 16 && kind == 3; ++k) m[k] = d.uniform(-2, 2);
            const bool ok = literal_inverse(m.data(), expected.data());
            Kv3dTransform T(m.data());
            EXPECT_EQ(T.is_invertible(), ok) << "case: " << name;
            EXPECT_EQ(T.invert(), ok) << "case: " << name;
            EXPECT_TRUE(same_matrix(T, ok ? expected.data() : m.data())) << "case: " << name;
            if (kind == 3) continue;
            const Kv3dTransform to_local(from, Kv3dTransform::GLOBAL_TO_LOCAL);
            const Kv3dTransform change(from, Kv3dCartesCoordSys(d.point(10)));
            EXPECT_TRUE(same_matrix(to_local, ok ? T.as_matrix() : kZero))
                << "case: to local " << name;
            EXPECT_NE(same_matrix(change, kZero), ok) << "case: frame change " << name;
            EXPECT_FALSE(change.is_orthonormal()) << "case: frame change " << name;
        }
    }
}

// The scalings about a point: a translation frame inverts exactly on both
// paths, so they are the literal conjugation to the bit. The screw motion
// and the scaling perpendicular to a plane against their geometry: Rodrigues'
// turn about the axis plus the shift along it, and the distance from the
// plane times f.
// Frames at base points up to 1e12 are inverted by transposition, farther
// ones the general way, which finds rank 4 up to about 5e14: a point on the
// axis stays put on both sides of 1e12. Far beyond, where the general
// inversion finds the frame singular, and about a zero axis, the local
// matrix stays.
TEST(TransformInverse, ConjugatedConstructors) {
    RandomDraw d(17);
    for (int trial = 0; trial < 300; ++trial) {
        const std::string name = "#" + std::to_string(trial);
        const P p = d.point(trial % 3 == 0 ? 8000.0 : 10.0), q = p + d.vector(10);
        const double sx = d.uniform(-5, 5), sy = d.uniform(-5, 5), sz = d.uniform(-5, 5);
        const M16 S = literal_conjugation(scaling(sx, sy, sz), scaling(1, 1, 1, p).data());
        EXPECT_TRUE(same_matrix(Kv3dTransform(sx, sy, sz, p), S.data()))
            << "case: scaling " << name;
        const V axis = d.vector(1), k(axis.direction(), 1.0), v = q - p;
        const double angle = d.uniform(-7, 7), shift = d.uniform(-100, 100), f = d.uniform(-3, 3);
        const double c = std::cos(angle), s = std::sin(angle);
        const P screwed = p + v * c + (k * v) * s + k * ((k % v) * (1 - c) + shift);
        expect_near("screw " + name, moved(Kv3dTransform(p, axis, angle, shift), q), screwed, 1e-9);
        const Kv3dPlane plane(p, Kv3dDirection(axis.x(), axis.y(), axis.z()), nullptr);
        expect_near("plane scaling " + name, moved(Kv3dTransform(plane, f), q),
                    q + k * ((k % v) * (f - 1)), 1e-9);
    }
    for (const double x : {1e12, std::nextafter(1e12, 2e12), 1e13}) {
        const P p(x, 0, 0), on_axis = p + V(1, 2, 3);
        EXPECT_LT(moved(Kv3dTransform(p, V(1, 2, 3), 0.5, 0.0), on_axis).distance(on_axis), 1.0)
            << "case: axis through x = " << x;
    }
    const double c5 = std::cos(0.5), s5 = std::sin(0.5);
    const M16 turn = {c5, -s5, 0, 0, s5, c5, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    for (const auto& k :
         {std::make_pair(P(1e20, 0, 0), V(1, 2, 3)), std::make_pair(P(-1, 2, 3), V())}) {
        const std::string name = k.first.x() > 0 ? "at 1e20" : "zero axis";
        const Kv3dPlane plane(k.first, Kv3dDirection(k.second.x(), k.second.y(), k.second.z()),
                              nullptr);
        EXPECT_TRUE(same_matrix(Kv3dTransform(k.first, k.second, 0.5, 0.0), turn.data()))
            << "case: screw " << name;
        EXPECT_TRUE(same_matrix(Kv3dTransform(plane, 2.0), scaling(1, 1, 2).data()))
            << "case: plane scaling " << name;
    }
}

}  // namespace
