#include <kv3d/kv3d.h>

#include <array>
#include <cmath>
#include <limits>
#include <random>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "support/Around.h"
#include "support/NamedCases.h"
#include "support/ResolutionGuard.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// Coordinates, compared exactly and printed on failure.
template <class T>
std::array<double, 3> xyz(const T& v) {
    return {v.x(), v.y(), v.z()};
}
std::array<double, 3> xyz(std::array<double, 3> v) { return v; }

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

// Elements past the end read as 0.0, also for an index that would wrap
// around, and for a shrunk array whose storage still holds the old value.
TEST(Point, ArrayReads) {
    const KvArray<double> arr{1, 2, 3, 4};
    KvArray<double> shrunk{1, 2, 3, 4, 9};
    shrunk.resize(4);
    const struct {
        const char* name;
        Kv3dVector got;
        Kv3dVector want;
    } cases[] = {
        {"inside", Kv3dPoint(arr, 1).as_vector(), {2, 3, 4}},
        {"last two", Kv3dPoint(arr, 2).as_vector(), {3, 4, 0}},
        {"past the end", Kv3dPoint(arr, 7).as_vector(), {0, 0, 0}},
        {"wrapping index", Kv3dVector(arr, static_cast<std::size_t>(-1)), {0, 0, 0}},
        {"empty", Kv3dVector(KvArray<double>(), 0), {0, 0, 0}},
        {"direction, last one", Kv3dVector(Kv3dDirection(arr, 3), 1.0), {1, 0, 0}},
        {"shrunk", Kv3dPoint(shrunk, 2).as_vector(), {3, 4, 0}},
    };
    for (const auto& c : cases) EXPECT_EQ(xyz(c.got), xyz(c.want)) << "case: " << c.name;
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

// Out of range beyond the model extent, 8000 at load; NaN is never equal.
TEST(Point, OutOfRangeAndNaN) {
    expect_each<bool>({{"point at the extent", Kv3dPoint(8000, 0, 0).out_of_range(), false},
                       {"point beyond", Kv3dPoint(8000.001, 0, 0).out_of_range(), true},
                       {"infinite vector", Kv3dVector(0, -kInf, 0).out_of_range(), true},
                       {"NaN point", Kv3dPoint(0, 0, 0).geom_equal(Kv3dPoint(kNaN, 0, 0)), false}});
}

TEST(Vector, ProductsAndNormalisation) {
    const Kv3dVector a(1, 2, 3);
    EXPECT_EQ(a % Kv3dVector(4, 5, 6), 32.0) << "case: dot";
    EXPECT_EQ(xyz(a * Kv3dVector(4, 5, 6)), xyz({-3, 6, -3})) << "case: cross";
    EXPECT_EQ(xyz(Kv3dDirection(1, 0, 0) * Kv3dVector(0, 2, 0)), xyz({0, 0, 2}))
        << "case: direction cross vector";
    Kv3dVector c = a;
    c *= c;  // the product is formed before it is stored
    EXPECT_EQ(xyz(c), xyz({0, 0, 0})) << "case: cross with itself in place";
    Kv3dVector v(0, 0, -7), tiny(1e-21, 0, 0);
    v.normalize();
    tiny.normalize();
    EXPECT_EQ(xyz(v), xyz({0, 0, -1})) << "case: normalize";
    EXPECT_EQ(xyz(tiny), xyz({0, 0, 0})) << "case: normalize a numerical zero";
}

// A zero vector is parallel and orthogonal to everything and at angle 0; a
// direction has no zero-length shortcut for parallel. The two orthogonality
// forms differ: a vector pair compares the angle with same_angle_tol(), a
// direction compares |cos| with same_ortho_cos().
TEST(Vector, ParallelOrthogonalAndZero) {
    const Kv3dVector zero, x(1, 0, 0);
    const Kv3dDirection dx(1, 0, 0), dz;
    const double eps = 0.9e-7;
    expect_each<bool>({
        {"zero, x parallel", zero.parallel(x), true},
        {"x, zero parallel", x.parallel(zero), true},
        {"zero, direction parallel", zero.parallel(dz), true},
        {"zero, x orthogonal", zero.orthogonal(x), true},
        {"direction, zero parallel", dx.parallel(zero), false},
        {"direction, zero orthogonal", dx.orthogonal(zero), true},
        {"opposite", Kv3dVector(1, 2, 3).parallel(Kv3dVector(-2, -4, -6)), true},
        {"0.01 off", Kv3dVector(1, 2, 3).parallel(Kv3dVector(1, 2, 3.01)), false},
        {"1e-3 off orthogonal", x.orthogonal(Kv3dVector(1e-3, 1, 0)), false},
        {"vectors 0.9e-7 off", x.orthogonal(Kv3dVector(std::sin(eps), std::cos(eps), 0)), true},
        {"directions 0.9e-7 off", dx.orthogonal(Kv3dDirection(std::sin(eps), std::cos(eps), 0)),
         true},
        {"directions 2e-7 off", dx.orthogonal(Kv3dDirection(2e-7, 1, 0)), false},
        {"direction opposite vector", dz.opposite(Kv3dVector(0, 0, -3)), true},
        {"direction parallel vector", dz.parallel(Kv3dVector(0, 0, 2)), true},
        {"geom_zero, length 0.001", Kv3dVector(0.0006, 0.0008, 0).geom_zero(), true},
        {"geom_zero, beyond", Kv3dVector(0.0006, 0.0008, 0.00001).geom_zero(), false},
    });
    EXPECT_EQ(zero.angle(x), 0.0) << "case: zero, x";
    EXPECT_EQ(x.angle(zero), 0.0) << "case: x, zero";
    EXPECT_EQ(Kv3dDirection(0, 0, 0).angle(dz), 0.0) << "case: zero direction";
}

// Normalised when x^2 + y^2 + z^2 > 1e-40, by multiplying with the reciprocal.
TEST(Direction, Normalisation) {
    const double r = 1.0 / std::sqrt(1.0 + 4.0 + 9.0);
    const struct {
        const char* name;
        Kv3dDirection got;
        Kv3dVector want;
    } cases[] = {{"default", Kv3dDirection(), {0, 0, 1}},
                 {"zero", Kv3dDirection(0, 0, 0), {0, 0, 0}},
                 {"1e-21", Kv3dDirection(1e-21, 0, 0), {0, 0, 0}},
                 {"(1, 2, 3)", Kv3dDirection(1, 2, 3), {r * 1, r * 2, r * 3}}};
    for (const auto& c : cases) EXPECT_EQ(xyz(c.got), xyz(c.want)) << "case: " << c.name;
    EXPECT_NEAR(Kv3dDirection(-1e-20, -1e-20, 0).x(), -std::sqrt(0.5), 1e-15) << "case: 2e-40";
    EXPECT_TRUE(std::isnan(Kv3dDirection(kNaN, 0, 0).x())) << "case: NaN";
}

// Angles agree with the textbook formula and are symmetric.
TEST(Direction, Angles) {
    const Kv3dDirection dz;
    EXPECT_TRUE(dz.geom_equal(Kv3dDirection(std::sin(0.99e-7), 0, std::cos(0.99e-7))))
        << "case: 0.99e-7 rad";
    EXPECT_FALSE(dz.geom_equal(Kv3dDirection(std::sin(1.5e-7), 0, std::cos(1.5e-7))))
        << "case: 1.5e-7 rad";
    EXPECT_DOUBLE_EQ(Kv3dVector(1, 0, 1).angle(dz), M_PI / 4) << "case: vector, direction";
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

// A difference or sum below 1e-12 of the first operand's magnitude is 0.
TEST(Arithmetic, CancellationSnapping) {
    expect_each<double>({
        {"points 1e-7 apart at 1e6",
         Kv3d_difference(Kv3dPoint(1e6, 0, 0), Kv3dPoint(1e6 - 1e-7, 0, 0)).x(), 0.0},
        {"first operand 0", Kv3d_difference(Kv3dVector(0, 0, 0), Kv3dVector(1e6, 0, 0)).x(), -1e6},
        {"tiny, no cancellation", Kv3d_difference(Kv3dVector(0, 1e-20, 0), Kv3dVector()).y(),
         1e-20},
        {"0.9e-12 of the first operand",
         Kv3d_difference(Kv3dVector(1, 0, 0), Kv3dVector(1 - 0.9e-12, 0, 0)).x(), 0.0},
        {"sum cancelling", Kv3d_sum(Kv3dVector(1e6, 3, 0), Kv3dVector(-1e6 + 1e-7, 4, 0)).x(), 0.0},
    });
    EXPECT_NE(Kv3d_difference(Kv3dVector(1, 0, 0), Kv3dVector(1 - 1.1e-12, 0, 0)).x(), 0.0)
        << "case: 1.1e-12 of the first operand";
}

// One text per type; the debug form indents and ends the line, nothing at level 1.
TEST(Journal, TextsToTheCharacter) {
    EXPECT_EQ(journal_text(Kv3dPoint(0.5, 8000, -8000)), "Kv3dPoint( 0.5, 8000, -8000)")
        << "case: point";
    EXPECT_EQ(journal_text(Kv3dVector(1e-6, -0.0, 1)), "Kv3dVector( 1e-06, -0, 1)")
        << "case: vector";
    EXPECT_EQ(journal_text(Kv3dDirection()), "Kv3dDirection( 0, 0, 1)") << "case: direction";
    EXPECT_EQ(debug_text(Kv3dPoint(1, 2, 3), 1, 4), "") << "case: debug level 1";
    EXPECT_EQ(debug_text(Kv3dPoint(1, 2, 3), 2, 4), "    Kv3dPoint( 1, 2, 3)\n")
        << "case: debug level 2";
    EXPECT_EQ(debug_text(Kv3dVector(1, 2, 3), 3, 0), "Kv3dVector( 1, 2, 3)\n") << "case: vector";
    EXPECT_EQ(debug_text(Kv3dDirection(0, 1, 0), 2, -1), "Kv3dDirection( 0, 1, 0)\n")
        << "case: direction, negative indentation";
}

}  // namespace
