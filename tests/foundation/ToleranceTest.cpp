#include <kv3d/kv3d.h>

#include <cmath>
#include <limits>
#include <random>

#include <gtest/gtest.h>

#include "support/NamedCases.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// Numerical zero: each component within 1e-20 (signed: an early step) and the
// sum of squares within 1e-40. Same location: within the tolerance inclusive;
// one axis beyond it decides before the sum, whose squares would overflow to
// inf <= inf. Maximum distance: strict both ways; the same object is at
// distance 0 from itself.
TEST(Tolerance, ThresholdsAndStrictness) {
    const Kv3dPoint p(1, 2, 3), q(1, 2, 3), far(4, 6, 3);  // far: exactly 5 from p
    const auto less = Kv3d_distance_less_than_maximum_distance;
    const auto beyond = Kv3d_distance_succeeds_maximum_distance;
    expect_each<bool>({
        {"zero: -1 passes the early step, fails the sum", Kv3d_numerical_zero(-1.0, 0.0, 0.0),
         false},
        {"zero: 1e-21 and -1e-21", Kv3d_numerical_zero(1e-21, -1e-21, 0.0), true},
        {"zero: exactly 1e-20", Kv3d_numerical_zero(1e-20, 0.0, 0.0), true},
        {"zero: 1.1e-20", Kv3d_numerical_zero(0.0, 0.0, 1.1e-20), false},
        {"zero: sum 2e-40", Kv3d_numerical_zero(-1e-20, -1e-20, 0.0), false},
        {"zero: NaN", Kv3d_numerical_zero(kNaN, 0.0, 0.0), false},
        {"zero: vector", Kv3d_numerical_zero(Kv3dVector(0.0, -0.0, 1e-21)), true},
        {"same: same point, tolerance 0", Kv3d_same_location(p, p, 0.0), true},
        {"same: exactly at the tolerance", Kv3d_same_location(p, Kv3dPoint(1.5, 2, 3), 0.5), true},
        {"same: axes pass, sum fails", Kv3d_same_location(p, Kv3dPoint(1.5, 2.5, 3), 0.5), false},
        {"same: negative tolerance", Kv3d_same_location(p, p, -1.0), false},
        {"same: NaN", Kv3d_same_location(p, Kv3dPoint(kNaN, 2, 3), 1.0), false},
        {"same: x far out", Kv3d_same_location(p, Kv3dPoint(1e300, 2, 3), 1e200), false},
        {"same: z far out", Kv3d_same_location(p, Kv3dPoint(1, 2, -1e300), 1e200), false},
        {"less: same object, 0", less(p, p, 0.0), true},
        {"less: equal copy, 0", less(p, q, 0.0), false},
        {"less: same object, -1", less(p, p, -1.0), false},
        {"less: at 5", less(p, far, 5.0), false},
        {"less: below 5", less(p, far, 5.000001), true},
        {"beyond: same object, -1", beyond(p, p, -1.0), true},
        {"beyond: same object, 0", beyond(p, p, 0.0), false},
        {"beyond: equal copy, 0", beyond(p, q, 0.0), false},
        {"beyond: at 5", beyond(p, far, 5.0), false},
        {"beyond: above 5", beyond(p, far, 4.999999), true},
        {"beyond: by one axis", beyond(p, Kv3dPoint(100, 2, 3), 5.0), true},
    });
}

// The distance comparisons against their plain definition on random pairs.
TEST(Tolerance, MaximumDistanceAgreesWithTheDefinition) {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> coord(-10.0, 10.0);
    for (int i = 0; i < 2000; ++i) {
        const Kv3dPoint a(coord(rng), coord(rng), coord(rng));
        const Kv3dPoint b(coord(rng), coord(rng), coord(rng));
        const double m = std::fabs(coord(rng)), d2 = a.square_distance(b);
        EXPECT_EQ(Kv3d_distance_succeeds_maximum_distance(a, b, m), d2 > m * m)
            << "case: draw " << i;
        EXPECT_EQ(Kv3d_distance_less_than_maximum_distance(a, b, m), d2 < m * m)
            << "case: draw " << i;
    }
}

}  // namespace
