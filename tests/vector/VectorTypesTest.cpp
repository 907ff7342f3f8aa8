#include <kv3d/kv3d.h>

#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "support/Around.h"
#include "support/NamedCases.h"
#include "support/RandomDraw.h"
#include "support/ResolutionGuard.h"

namespace {

using P = Kv3dPoint;
using V = Kv3dVector;
using D = Kv3dDirection;
using XYZ = std::array<double, 3>;
const double kNaN = std::numeric_limits<double>::quiet_NaN();

// Coordinates, compared exactly and printed on failure.
template <class T>
XYZ xyz(const T& v) {
    return {v.x(), v.y(), v.z()};
}

// The journal text (level 0), or the debug text at a level and indentation.
template <class T>
std::string text(const T& value, int level = 0, int indent = 0) {
    std::ostringstream out;
    KvJournal journal(out);
    level == 0 ? void(journal << value)
               : value.debug(journal, static_cast<KvDebug>(level), true, indent);
    return out.str();
}

// geom_equal is |p - q|^2 <= same_point_sqr() = tol^2 + 2^-51. At tol = 0.5
// the bound 0.25 + 2^-51 is exact, and so is (0.5 + 2^-51)^2 after rounding:
// exactly at the bound, and one step (2^-53) either side.
// Elements past the end read as 0.0, also for an index that would wrap
// around, and for a shrunk array whose storage still holds the old value.
TEST(Point, ArrayReadsAndGeomEqualAtTheWidenedSquare) {
    const KvArray<double> arr{1, 2, 3, 4};
    KvArray<double> shrunk{1, 2, 3, 4, 9};
    shrunk.resize(4);
    expect_each<XYZ>({
        {"inside", xyz(P(arr, 1)), {2, 3, 4}},
        {"last two", xyz(P(arr, 2)), {3, 4, 0}},
        {"wrapping index", xyz(V(arr, static_cast<std::size_t>(-1))), {0, 0, 0}},
        {"empty", xyz(V(KvArray<double>(), 0)), {0, 0, 0}},
        {"direction, last one", xyz(V(D(arr, 3), 1.0)), {1, 0, 0}},
        {"shrunk", xyz(P(shrunk, 2)), {3, 4, 0}},
    });
    ResolutionGuard guard(0.5, 1e-7, 8000);
    const double at = 0.5 + 0x1p-51;
    ASSERT_EQ(at * at, Kv3dResObj::same_point_sqr());
    const bool equal[] = {true, true, false};  // below, at, above
    const auto d = around(at);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(P(1, 2, 0).geom_equal(P(1, 2, d[k].value)), equal[k])
            << "case: point, " << d[k].name;
        EXPECT_EQ(V(0, -d[k].value, 0).geom_zero(), equal[k]) << "case: vector, " << d[k].name;
    }
}

// A zero vector is parallel and orthogonal to everything and at angle 0; a
// direction has no zero-length shortcut for parallel. The two orthogonality
// forms differ: a vector pair compares the angle with same_angle_tol(), a
// direction compares |cos| with same_ortho_cos(). Out of range beyond the
// model extent, 8000 at load; NaN is never equal.
TEST(Vector, Predicates) {
    const V zero, x(1, 0, 0);
    const D dx(1, 0, 0), dz;
    const double eps = 0.9e-7, s = std::sin(0.99e-7), c = std::cos(0.99e-7);
    expect_each<bool>({
        {"zero, x parallel", zero.parallel(x), true},
        {"x, zero parallel", x.parallel(zero), true},
        {"zero, direction parallel", zero.parallel(dz), true},
        {"zero, x orthogonal", zero.orthogonal(x), true},
        {"direction, zero parallel", dx.parallel(zero), false},
        {"direction, zero orthogonal", dx.orthogonal(zero), true},
        {"opposite", V(1, 2, 3).parallel(V(-2, -4, -6)), true},
        {"0.01 off", V(1, 2, 3).parallel(V(1, 2, 3.01)), false},
        {"vectors 0.9e-7 off", x.orthogonal(V(std::sin(eps), std::cos(eps), 0)), true},
        {"vectors 1e-3 off", x.orthogonal(V(1e-3, 1, 0)), false},
        {"directions 0.9e-7 off", dx.orthogonal(D(std::sin(eps), std::cos(eps), 0)), true},
        {"directions 2e-7 off", dx.orthogonal(D(2e-7, 1, 0)), false},
        {"direction opposite vector", dz.opposite(V(0, 0, -3)), true},
        {"direction parallel vector", dz.parallel(V(0, 0, 2)), true},
        {"directions 0.99e-7 rad apart", dz.geom_equal(D(s, 0, c)), true},
        {"directions 1.5e-7 rad apart", dz.geom_equal(D(std::sin(1.5e-7), 0, std::cos(1.5e-7))),
         false},
        {"point at the extent", P(8000, 0, 0).out_of_range(), false},
        {"point beyond", P(8000.001, 0, 0).out_of_range(), true},
        {"infinite vector", V(0, -std::numeric_limits<double>::infinity(), 0).out_of_range(), true},
        {"NaN point", P(0, 0, 0).geom_equal(P(kNaN, 0, 0)), false},
    });
}

// Directions are normalised when x^2 + y^2 + z^2 > 1e-40, by multiplying
// with the reciprocal; a vector becomes zero when it is a numerical zero.
// A difference or sum below 1e-12 of the first operand's magnitude is 0.
TEST(Vector, ArithmeticAndNormalisation) {
    const V a(1, 2, 3), b(4, 5, 6);
    const double r = 1.0 / std::sqrt(1.0 + 4.0 + 9.0);
    V c = a, unit(0, 0, -7), tiny(1e-21, 0, 0);
    c *= c;  // the product is formed before it is stored
    unit.normalize();
    tiny.normalize();
    EXPECT_EQ(a % b, 32.0) << "case: dot";
    expect_each<XYZ>({
        {"cross", xyz(a * b), {-3, 6, -3}},
        {"direction cross vector", xyz(D(1, 0, 0) * V(0, 2, 0)), {0, 0, 2}},
        {"cross with itself in place", xyz(c), {0, 0, 0}},
        {"normalize", xyz(unit), {0, 0, -1}},
        {"normalize a numerical zero", xyz(tiny), {0, 0, 0}},
        {"direction 1e-21", xyz(D(1e-21, 0, 0)), {0, 0, 0}},
        {"direction (1, 2, 3)", xyz(D(1, 2, 3)), {r * 1, r * 2, r * 3}},
    });
    EXPECT_NEAR(D(-1e-20, -1e-20, 0).x(), -std::sqrt(0.5), 1e-15) << "case: 2e-40";
    EXPECT_TRUE(std::isnan(D(kNaN, 0, 0).x())) << "case: NaN";
    expect_each<double>({
        {"points 1e-7 apart at 1e6", Kv3d_difference(P(1e6, 0, 0), P(1e6 - 1e-7, 0, 0)).x(), 0.0},
        {"tiny, no cancellation", Kv3d_difference(V(0, 1e-20, 0), V()).y(), 1e-20},
        {"0.9e-12 of the first operand", Kv3d_difference(V(1, 0, 0), V(1 - 0.9e-12, 0, 0)).x(),
         0.0},
        {"sum cancelling", Kv3d_sum(V(1e6, 3, 0), V(-1e6 + 1e-7, 4, 0)).x(), 0.0},
        {"1.1e-12", Kv3d_difference(V(1, 0, 0), V(1 - 1.1e-12, 0, 0)).x(), 1 - (1 - 1.1e-12)},
    });
}

// Angles agree with the textbook formula and are symmetric; a zero operand
// gives 0. Cosines beyond +-0.9999999999999978 (about 6.6e-8 rad) snap to
// +-1: exactly at the bound the angle is acos of it, one step beyond it is 0
// (or pi).
TEST(Vector, Angles) {
    EXPECT_EQ(V().angle(V(1, 0, 0)), 0.0) << "case: zero, x";
    EXPECT_EQ(V(1, 0, 0).angle(V()), 0.0) << "case: x, zero";
    EXPECT_EQ(D(0, 0, 0).angle(D()), 0.0) << "case: zero direction";
    EXPECT_DOUBLE_EQ(V(1, 0, 1).angle(D()), M_PI / 4) << "case: vector, direction";
    RandomDraw g(11);
    for (int i = 0; i < 500; ++i) {
        const V a = g.vector(5), b = g.vector(5);
        const double expected = std::acos((a % b) / (a.length() * b.length()));
        EXPECT_NEAR(a.angle(b), expected, 1e-7) << "case: draw " << i;
        EXPECT_EQ(a.angle(b), b.angle(a)) << "case: draw " << i;
    }
    const bool snapped[] = {false, false, true};  // below, at, above
    const auto c = around(0.9999999999999978);
    for (int k = 0; k < 3; ++k) {
        for (double sign : {1.0, -1.0}) {
            // (c, s, 0) with c^2 + s^2 rounding to 1 keeps c exactly.
            const D d(sign * c[k].value, std::sqrt(1 - c[k].value * c[k].value), 0);
            ASSERT_EQ(d.x(), sign * c[k].value) << "case: " << c[k].name;
            const double expected = !snapped[k] ? std::acos(d.x()) : sign > 0 ? 0.0 : M_PI;
            EXPECT_EQ(D(1, 0, 0).angle(d), expected) << "case: " << c[k].name << ", sign " << sign;
        }
    }
}

// The journal text; the debug form indents (not below 0) and ends the line.
TEST(Journal, TextsToTheCharacter) {
    EXPECT_EQ(text(V(1e-6, -0.0, 1)), "Kv3dVector( 1e-06, -0, 1)") << "case: vector";
    EXPECT_EQ(text(D(0, 1, 0), 2, -1), "Kv3dDirection( 0, 1, 0)\n") << "case: negative indent";
    EXPECT_EQ(text(P(1, 2, 3), 1, 4), "") << "case: debug level 1";
}

// By the squared distance from the origin, exactly; NaN compares equal. A
// copy compares from the same origin.
TEST(PointCompare, SignsFollowTheDistanceFromTheOrigin) {
    const Kv3dPointCompare at_zero, at_five(P(5, 0, 0));
    expect_each<int>({
        {"nearer", at_zero(P(1, 0, 0), P(0, 2, 0)), -1},
        {"farther", at_zero(P(0, 2, 0), P(1, 0, 0)), 1},
        {"equally far", at_zero(P(1, 0, 0), P(0, -1, 0)), 0},
        {"NaN", at_zero(P(kNaN, 0, 0), P()), 0},
        {"last bit", at_five(P(5, 0, 1), P(5, 0, std::nextafter(1.0, 2.0))), -1},
    });
    EXPECT_EQ(at_five.key(P(6, 2, 0)), 5.0) << "case: key";
    const std::unique_ptr<KvCompare<P>> copy(Kv3dPointCompare(P(1, 2, 3)).clone());
    EXPECT_EQ((*copy)(P(1, 2, 4), P(1, 2, 5)), -1) << "case: clone compares from the origin";
}

}  // namespace
