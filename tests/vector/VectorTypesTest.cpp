#include <kv3d/kv3d.h>

#include <cmath>
#include <limits>
#include <random>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "support/Around.h"
#include "support/ResolutionGuard.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

template <class T>
void expect_xyz(const T& v, double x, double y, double z) {
    EXPECT_EQ(v.x(), x);
    EXPECT_EQ(v.y(), y);
    EXPECT_EQ(v.z(), z);
}

template <class T>
std::string journal_text(const T& value) {
    std::ostringstream out;
    KvJournal journal(out);
    journal << value;
    return out.str();
}

template <class T>
std::string debug_text(const T& value, int level, int indent) {
    std::ostringstream out;
    KvJournal journal(out);
    value.debug(journal, static_cast<KvDebug>(level), true, indent);
    return out.str();
}

TEST(Point, ArrayReadsAndDistances) {
    const KvArray<double> arr{1, 2, 3, 4};
    expect_xyz(Kv3dPoint(arr, 1), 2, 3, 4);
    // Elements past the end read as 0.0, also for an index that would wrap around.
    expect_xyz(Kv3dPoint(arr, 2), 3, 4, 0);
    expect_xyz(Kv3dPoint(arr, 7), 0, 0, 0);
    expect_xyz(Kv3dVector(arr, static_cast<std::size_t>(-1)), 0, 0, 0);
    expect_xyz(Kv3dVector(KvArray<double>(), 0), 0, 0, 0);
    expect_xyz(Kv3dDirection(arr, 3), 1, 0, 0);
    expect_xyz(Kv3dDirection(KvArray<double>(), 0), 0, 0, 0);
    // The last element read is the last one held: a shrunk array keeps its old
    // value past the end in its storage, which must not show.
    KvArray<double> shrunk{1, 2, 3, 4, 9};
    shrunk.resize(4);
    expect_xyz(Kv3dPoint(shrunk, 2), 3, 4, 0);

    EXPECT_EQ(Kv3dPoint(0, 0, 0).distance(Kv3dPoint(3, 4, 0)), 5.0);
    EXPECT_EQ(Kv3dPoint(1, 1, 1).square_distance(Kv3dPoint(2, 3, 4)), 14.0);
}

// geom_equal is |p - q|^2 <= same_point_sqr() = tol^2 + 2^-51. At tol = 0.5
// the bound 0.25 + 2^-51 is exact, and so is (0.5 + 2^-51)^2 after rounding:
// exactly at the bound, and one step (2^-53) either side.
TEST(Point, GeomEqualExactlyAtTheWidenedSquare) {
    ResolutionGuard guard(0.5, 1e-7, 8000);
    ASSERT_EQ(Kv3dResObj::same_point_sqr(), 0.25 + 0x1p-51);
    const double at = 0.5 + 0x1p-51;
    ASSERT_EQ(at * at, Kv3dResObj::same_point_sqr());
    const bool equal[] = {true, true, false};  // below, at, above
    const auto d = around(at);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(Kv3dPoint(1, 2, 0).geom_equal(Kv3dPoint(1, 2, d[k].value)), equal[k])
            << "case: point, " << d[k].name;
        EXPECT_EQ(Kv3dVector(0, -d[k].value, 0).geom_zero(), equal[k])
            << "case: vector, " << d[k].name;
        EXPECT_EQ(Kv3dVector(d[k].value, 0, 0).geom_equal(Kv3dVector()), equal[k])
            << "case: vector pair, " << d[k].name;
    }
}

TEST(Point, ToleranceBoundaries) {
    // 0.001 apart: inside thanks to the 2^-51 widening; 0.0010001 apart: outside.
    EXPECT_TRUE(Kv3dPoint(0, 0, 0).geom_equal(Kv3dPoint(0.001, 0, 0)));
    EXPECT_TRUE(Kv3dPoint(5, 0, 0).geom_equal(Kv3dPoint(5, 0.001, 0)));
    EXPECT_FALSE(Kv3dPoint(0, 0, 0).geom_equal(Kv3dPoint(0.0010001, 0, 0)));
    EXPECT_FALSE(Kv3dPoint(0, 0, 0).geom_equal(Kv3dPoint(kNaN, 0, 0)));

    EXPECT_FALSE(Kv3dPoint(8000, 0, 0).out_of_range());
    EXPECT_TRUE(Kv3dPoint(8000.001, 0, 0).out_of_range());
    EXPECT_TRUE(Kv3dVector(0, -kInf, 0).out_of_range());
    EXPECT_FALSE(Kv3dVector(0, 0, 8000).out_of_range());
}

TEST(Vector, ProductsAndLength) {
    const Kv3dVector a(1, 2, 3);
    EXPECT_EQ(a % Kv3dVector(4, 5, 6), 32.0);
    expect_xyz(a * Kv3dVector(4, 5, 6), -3, 6, -3);
    expect_xyz(a * Kv3dDirection(0, 0, 1), 2, -1, 0);
    expect_xyz(Kv3dDirection(1, 0, 0) * Kv3dDirection(0, 1, 0), 0, 0, 1);
    expect_xyz(Kv3dDirection(1, 0, 0) * Kv3dVector(0, 2, 0), 0, 0, 2);
    EXPECT_EQ(Kv3dVector(3, 0, 4).length(), 5.0);
    expect_xyz(Kv3dVector(Kv3dDirection(0, 1, 0), -2.5), 0, -2.5, 0);

    Kv3dVector c = a;
    c *= c;  // the product is formed before it is stored
    expect_xyz(c, 0, 0, 0);
    c = Kv3dVector(1, 0, 0);
    c *= Kv3dDirection(0, 1, 0);
    expect_xyz(c, 0, 0, 1);
}

TEST(Vector, DirectionAndNormalize) {
    expect_xyz(Kv3dVector(3, 0, 4).direction(), 0.2 * 3, 0, 0.2 * 4);  // 1/5 times each
    Kv3dVector v(0, 0, -7), tiny(1e-21, 0, 0);
    v.normalize();
    tiny.normalize();
    expect_xyz(v, 0, 0, -1);
    expect_xyz(tiny, 0, 0, 0);
}

TEST(Vector, PredicatesWithZeroVectors) {
    const Kv3dVector zero;
    const Kv3dVector x(1, 0, 0);
    const Kv3dDirection dx(1, 0, 0);
    const Kv3dDirection dy(0, 1, 0);
    EXPECT_TRUE(zero.parallel(x)) << "case: zero, x";
    EXPECT_TRUE(x.parallel(zero)) << "case: x, zero";
    EXPECT_TRUE(zero.parallel(dy)) << "case: zero, direction";
    EXPECT_TRUE(zero.orthogonal(x)) << "case: zero, x";
    EXPECT_TRUE(x.orthogonal(zero)) << "case: x, zero";
    EXPECT_TRUE(zero.orthogonal(dx)) << "case: zero, direction";
    EXPECT_FALSE(dx.parallel(zero));  // a direction has no zero-length shortcut
    EXPECT_TRUE(dx.orthogonal(zero));
    EXPECT_EQ(zero.angle(x), 0.0) << "case: zero, x";
    EXPECT_EQ(x.angle(zero), 0.0) << "case: x, zero";
    EXPECT_EQ(zero.angle(dx), 0.0) << "case: zero, direction";

    EXPECT_TRUE(Kv3dVector(0.0006, 0.0008, 0).geom_zero());  // length exactly 0.001
    EXPECT_FALSE(Kv3dVector(0.0006, 0.0008, 0.00001).geom_zero());
    EXPECT_TRUE(Kv3dVector(1, 2, 3).geom_equal(Kv3dVector(1.001, 2, 3)));
    EXPECT_FALSE(Kv3dVector(1, 2, 3).geom_equal(Kv3dVector(1.0011, 2, 3)));
}

TEST(Vector, ParallelAndOrthogonal) {
    EXPECT_TRUE(Kv3dVector(1, 2, 3).parallel(Kv3dVector(-2, -4, -6)));
    EXPECT_FALSE(Kv3dVector(1, 2, 3).parallel(Kv3dVector(1, 2, 3.01)));
    EXPECT_TRUE(Kv3dVector(0, 0, 5).parallel(Kv3dDirection(0, 0, -1)));
    EXPECT_TRUE(Kv3dVector(1, 0, 0).orthogonal(Kv3dVector(0, 3, 3)));
    EXPECT_FALSE(Kv3dVector(1, 0, 0).orthogonal(Kv3dVector(1e-3, 1, 0)));
    EXPECT_TRUE(Kv3dVector(1, 0, 0).orthogonal(Kv3dDirection(0, 0, 1)));
    // The two orthogonality forms differ: the vector pair compares the angle with
    // same_angle_tol(), a direction compares |cos| with same_ortho_cos().
    const double eps = 0.9e-7;
    EXPECT_TRUE(Kv3dVector(1, 0, 0).orthogonal(Kv3dVector(std::sin(eps), std::cos(eps), 0)));
    EXPECT_TRUE(Kv3dDirection(1, 0, 0).orthogonal(Kv3dDirection(std::sin(eps), std::cos(eps), 0)));
    EXPECT_FALSE(Kv3dDirection(1, 0, 0).orthogonal(Kv3dDirection(2e-7, 1, 0)));
}

TEST(Direction, Normalisation) {
    expect_xyz(Kv3dDirection(), 0, 0, 1);
    expect_xyz(Kv3dDirection(0, 0, 0), 0, 0, 0);
    expect_xyz(Kv3dDirection(1e-21, 0, 0), 0, 0, 0);
    const Kv3dDirection tiny(-1e-20, -1e-20, 0);  // 2e-40 > 1e-40: normalised
    EXPECT_NEAR(tiny.x(), -std::sqrt(0.5), 1e-15);
    EXPECT_NEAR(tiny.y(), -std::sqrt(0.5), 1e-15);
    // The reciprocal is multiplied, not divided: r * x exactly.
    const double r = 1.0 / std::sqrt(1.0 + 4.0 + 9.0);
    expect_xyz(Kv3dDirection(1, 2, 3), r * 1, r * 2, r * 3);
    // Non-finite input stays non-finite; it never crashes.
    EXPECT_TRUE(std::isnan(Kv3dDirection(kNaN, 0, 0).x()));
}

TEST(Direction, PredicatesAndAngles) {
    const Kv3dDirection zero(0, 0, 0);
    const Kv3dDirection dz;
    EXPECT_TRUE(zero.geom_equal(Kv3dDirection(0, 0, 0)));
    EXPECT_FALSE(zero.geom_equal(dz));
    EXPECT_TRUE(dz.opposite(Kv3dDirection(0, 0, -1)));
    EXPECT_TRUE(dz.opposite(Kv3dVector(0, 0, -3)));
    EXPECT_TRUE(dz.parallel(Kv3dDirection(0, 0, -1)));
    EXPECT_TRUE(dz.parallel(Kv3dVector(0, 0, 2)));
    EXPECT_FALSE(dz.parallel(Kv3dVector(0, 1, 2)));
    EXPECT_TRUE(dz.orthogonal(Kv3dVector(1, 1, 0)));
    // A direction 1e-7 off exactly: geom_equal through the cos bound widened by 2^-51.
    EXPECT_TRUE(dz.geom_equal(Kv3dDirection(std::sin(0.99e-7), 0, std::cos(0.99e-7))));
    EXPECT_FALSE(dz.geom_equal(Kv3dDirection(std::sin(1.5e-7), 0, std::cos(1.5e-7))));

    EXPECT_EQ(Kv3dDirection(1, 0, 0).angle(Kv3dDirection(1, 1e-8, 0)), 0.0) << "case: 1e-8 rad";
    EXPECT_EQ(Kv3dDirection(1, 0, 0).angle(Kv3dDirection(-1, 1e-8, 0)), std::acos(-1.0));
    EXPECT_GT(Kv3dDirection(1, 0, 0).angle(Kv3dDirection(1, 1e-7, 0)), 0.0) << "case: 1e-7 rad";

    EXPECT_EQ(zero.angle(dz), 0.0) << "case: zero, dz";
    EXPECT_EQ(dz.angle(zero), 0.0) << "case: dz, zero";
    EXPECT_DOUBLE_EQ(dz.angle(Kv3dVector(1, 0, 1)), M_PI / 4);
    EXPECT_DOUBLE_EQ(Kv3dVector(1, 0, 1).angle(dz), M_PI / 4);

    // Angles agree with the textbook formula on random vectors (fixed seed).
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> coord(-5.0, 5.0);
    for (int i = 0; i < 500; ++i) {
        const Kv3dVector a(coord(rng), coord(rng), coord(rng));
        const Kv3dVector b(coord(rng), coord(rng), coord(rng));
        const double expected = std::acos((a % b) / (a.length() * b.length()));
        EXPECT_NEAR(a.angle(b), expected, 1e-7) << "case: draw " << i;
        EXPECT_EQ(a.angle(b), b.angle(a)) << "case: draw " << i;
    }
}

// Cosines beyond +-0.9999999999999978 (about 6.6e-8 rad) snap to +-1: exactly
// at the bound the angle is acos of it, one step beyond it is 0 (or pi).
TEST(Direction, AngleSnapWindowIsStrict) {
    const double at = 0.9999999999999978;
    const bool snapped[] = {false, false, true};  // below, at, above
    const auto c = around(at);
    const Kv3dDirection x(1, 0, 0);
    for (int k = 0; k < 3; ++k) {
        for (double sign : {1.0, -1.0}) {
            // (c, s, 0) with c^2 + s^2 rounding to 1 keeps c exactly.
            const Kv3dDirection d(sign * c[k].value, std::sqrt(1 - c[k].value * c[k].value), 0);
            ASSERT_EQ(d.x(), sign * c[k].value) << "case: " << c[k].name;
            const double expected =
                snapped[k] ? (sign > 0 ? 0.0 : std::acos(-1.0)) : std::acos(d.x());
            EXPECT_EQ(x.angle(d), expected) << "case: " << c[k].name << ", sign " << sign;
        }
    }
}

TEST(Arithmetic, CancellationSnapping) {
    EXPECT_EQ(Kv3d_difference(Kv3dPoint(1e6, 0, 0), Kv3dPoint(1e6 - 1e-7, 0, 0)).x(), 0.0);
    EXPECT_EQ(Kv3d_difference(Kv3dVector(0, 1e-20, 0), Kv3dVector(0, 0, 0)).y(), 1e-20);
    // Only the first operand's magnitude is the reference.
    EXPECT_EQ(Kv3d_difference(Kv3dVector(0, 0, 0), Kv3dVector(1e6, 0, 0)).x(), -1e6);
    EXPECT_EQ(Kv3d_difference(Kv3dVector(1, 0, 0), Kv3dVector(1 - 1e-13, 0, 0)).x(), 0.0);
    EXPECT_NE(Kv3d_difference(Kv3dVector(1, 0, 0), Kv3dVector(1 - 1e-11, 0, 0)).x(), 0.0);
    EXPECT_EQ(Kv3d_difference(Kv3dVector(1, 0, 0), Kv3dVector(1 - 0.9e-12, 0, 0)).x(), 0.0)
        << "case: 0.9e-12 of the first operand";
    EXPECT_NE(Kv3d_difference(Kv3dVector(1, 0, 0), Kv3dVector(1 - 1.1e-12, 0, 0)).x(), 0.0)
        << "case: 1.1e-12 of the first operand";
    EXPECT_EQ(Kv3d_sum(Kv3dVector(1e6, 3, 0), Kv3dVector(-1e6 + 1e-7, 4, 0)).x(), 0.0);
    expect_xyz(Kv3d_difference(Kv3dPoint(1, 2, 3), Kv3dPoint(1, 1, 1)), 0, 1, 2);
}

TEST(Journal, TextsToTheCharacter) {
    EXPECT_EQ(journal_text(Kv3dPoint(0.5, 8000, -8000)), "Kv3dPoint( 0.5, 8000, -8000)");
    EXPECT_EQ(journal_text(Kv3dVector(1e-6, -0.0, 1)), "Kv3dVector( 1e-06, -0, 1)");
    EXPECT_EQ(journal_text(Kv3dDirection()), "Kv3dDirection( 0, 0, 1)");
    EXPECT_EQ(debug_text(Kv3dPoint(1, 2, 3), 1, 4), "");
    EXPECT_EQ(debug_text(Kv3dPoint(1, 2, 3), 2, 4), "    Kv3dPoint( 1, 2, 3)\n");
    EXPECT_EQ(debug_text(Kv3dVector(1, 2, 3), 3, 0), "Kv3dVector( 1, 2, 3)\n");
    EXPECT_EQ(debug_text(Kv3dDirection(0, 1, 0), 2, -1), "Kv3dDirection( 0, 1, 0)\n");
}

}  // namespace
