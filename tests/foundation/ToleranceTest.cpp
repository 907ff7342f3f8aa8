#include <kv3d/kv3d.h>

#include <cmath>
#include <limits>
#include <random>

#include <gtest/gtest.h>

#include "support/NamedCases.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// Zero when each component is within 1e-20 (signed: an early step) and the
// sum of squares within 1e-40.
TEST(NumericalZero, SumOfSquaresDecidesAfterASignedEarlyStep) {
    expect_each<bool>({
        {"-1 passes the early step, fails the sum", Kv3d_numerical_zero(-1.0, 0.0, 0.0), false},
        {"1e-21 and -1e-21", Kv3d_numerical_zero(1e-21, -1e-21, 0.0), true},
        {"exactly 1e-20", Kv3d_numerical_zero(1e-20, 0.0, 0.0), true},
        {"1.1e-20", Kv3d_numerical_zero(0.0, 0.0, 1.1e-20), false},
        {"sum 2e-40", Kv3d_numerical_zero(-1e-20, -1e-20, 0.0), false},
        {"NaN", Kv3d_numerical_zero(kNaN, 0.0, 0.0), false},
        {"vector", Kv3d_numerical_zero(Kv3dVector(0.0, -0.0, 1e-21)), true},
    });
}

// Within the tolerance inclusive; one axis beyond it decides before the sum,
// whose squares would overflow to inf <= inf.
TEST(SameLocation, InclusiveAndNegativeTolerance) {
    const Kv3dPoint p(1, 2, 3);
    expect_each<bool>({
        {"same point, tolerance 0", Kv3d_same_location(p, p, 0.0), true},
        {"exactly at the tolerance", Kv3d_same_location(p, Kv3dPoint(1.5, 2, 3), 0.5), true},
        {"axes pass, sum fails", Kv3d_same_location(p, Kv3dPoint(1.5, 2.5, 3), 0.5), false},
        {"negative tolerance", Kv3d_same_location(p, p, -1.0), false},
        {"NaN", Kv3d_same_location(p, Kv3dPoint(kNaN, 2, 3), 1.0), false},
        {"x far out", Kv3d_same_location(p, Kv3dPoint(1e300, 2, 3), 1e200), false},
        {"z far out", Kv3d_same_location(p, Kv3dPoint(1, 2, -1e300), 1e200), false},
    });
}

// Strict both ways; the same object is at distance 0 from itself. Against
// the plain definition on random pairs.
TEST(MaximumDistance, StrictBothWaysAndTheSameObject) {
    const Kv3dPoint p(1, 2, 3), q(1, 2, 3), far(4, 6, 3);  // far: exactly 5 from p
    expect_each<bool>({
        {"less, same object, 0", Kv3d_distance_less_than_maximum_distance(p, p, 0.0), true},
        {"less, equal copy, 0", Kv3d_distance_less_than_maximum_distance(p, q, 0.0), false},
        {"less, same object, -1", Kv3d_distance_less_than_maximum_distance(p, p, -1.0), false},
        {"less, at 5", Kv3d_distance_less_than_maximum_distance(p, far, 5.0), false},
        {"less, below 5", Kv3d_distance_less_than_maximum_distance(p, far, 5.000001), true},
        {"beyond, same object, -1", Kv3d_distance_succeeds_maximum_distance(p, p, -1.0), true},
        {"beyond, same object, 0", Kv3d_distance_succeeds_maximum_distance(p, p, 0.0), false},
        {"beyond, equal copy, 0", Kv3d_distance_succeeds_maximum_distance(p, q, 0.0), false},
        {"beyond, at 5", Kv3d_distance_succeeds_maximum_distance(p, far, 5.0), false},
        {"beyond, above 5", Kv3d_distance_succeeds_maximum_distance(p, far, 4.999999), true},
        {"beyond, by one axis",
         Kv3d_distance_succeeds_maximum_distance(p, Kv3dPoint(100, 2, 3), 5.0), true},
    });
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> coord(-10.0, 10.0);
    for (int i = 0; i < 2000; ++i) {
        const Kv3dPoint a(coord(rng), coord(rng), coord(rng));
        const Kv3dPoint b(coord(rng), coord(rng), coord(rng));
        const double m = std::fabs(coord(rng));
        const double d2 = a.square_distance(b);
        EXPECT_EQ(Kv3d_distance_succeeds_maximum_distance(a, b, m), d2 > m * m)
            << "case: draw " << i;
        EXPECT_EQ(Kv3d_distance_less_than_maximum_distance(a, b, m), d2 < m * m)
            << "case: draw " << i;
    }
}

}  // namespace
