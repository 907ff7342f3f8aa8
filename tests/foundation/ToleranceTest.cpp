#include <kv3d/kv3d.h>

#include <cmath>
#include <limits>
#include <random>

#include <gtest/gtest.h>

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(NumericalZero, SumOfSquaresDecidesAndSignedEarlyExit) {
    EXPECT_FALSE(Kv3d_numerical_zero(-1.0, 0.0, 0.0));  // passes the early step, fails the sum
    EXPECT_TRUE(Kv3d_numerical_zero(1e-21, -1e-21, 0.0));
    EXPECT_TRUE(Kv3d_numerical_zero(1e-20, 0.0, 0.0));  // exactly 1e-20 passes the early step
    EXPECT_FALSE(Kv3d_numerical_zero(0.0, 0.0, 1.1e-20));
    EXPECT_FALSE(Kv3d_numerical_zero(-1e-20, -1e-20, 0.0));  // 2e-40 > 1e-40
    EXPECT_FALSE(Kv3d_numerical_zero(kNaN, 0.0, 0.0));
    EXPECT_TRUE(Kv3d_numerical_zero(Kv3dVector(0.0, -0.0, 1e-21)));
    EXPECT_EQ(Kv3d_numerical_zero(Kv3dVector(-1.0, 0, 0)), Kv3dVector(-1.0, 0, 0).numerical_zero());
}

TEST(SameLocation, InclusiveAndNegativeTolerance) {
    const Kv3dPoint p(1, 2, 3);
    EXPECT_TRUE(Kv3d_same_location(p, p, 0.0));
    EXPECT_TRUE(Kv3d_same_location(p, Kv3dPoint(1.5, 2, 3), 0.5));
    EXPECT_FALSE(Kv3d_same_location(p, Kv3dPoint(1.5, 2.5, 3), 0.5));  // axes pass, sum fails
    EXPECT_FALSE(Kv3d_same_location(p, p, -1.0));
    EXPECT_FALSE(Kv3d_same_location(p, Kv3dPoint(kNaN, 2, 3), 1.0));
    // One axis beyond the tolerance decides before the sum, whose squares
    // would overflow to inf <= inf.
    EXPECT_FALSE(Kv3d_same_location(p, Kv3dPoint(1e300, 2, 3), 1e200)) << "case: x far out";
    EXPECT_FALSE(Kv3d_same_location(p, Kv3dPoint(1, 2, -1e300), 1e200)) << "case: z far out";
}

TEST(MaximumDistance, StrictBothWaysAndTheSameObject) {
    const Kv3dPoint p(1, 2, 3);
    const Kv3dPoint q(1, 2, 3);
    const Kv3dPoint far(4, 6, 3);  // exactly 5 from p
    EXPECT_TRUE(Kv3d_distance_less_than_maximum_distance(p, p, 0.0));
    EXPECT_FALSE(Kv3d_distance_less_than_maximum_distance(p, q, 0.0));
    EXPECT_FALSE(Kv3d_distance_less_than_maximum_distance(p, p, -1.0));
    EXPECT_FALSE(Kv3d_distance_less_than_maximum_distance(p, far, 5.0));
    EXPECT_TRUE(Kv3d_distance_less_than_maximum_distance(p, far, 5.000001));
    EXPECT_TRUE(Kv3d_distance_succeeds_maximum_distance(p, p, -1.0));
    EXPECT_FALSE(Kv3d_distance_succeeds_maximum_distance(p, p, 0.0));
    EXPECT_FALSE(Kv3d_distance_succeeds_maximum_distance(p, q, 0.0));
    EXPECT_FALSE(Kv3d_distance_succeeds_maximum_distance(p, far, 5.0));
    EXPECT_TRUE(Kv3d_distance_succeeds_maximum_distance(p, far, 4.999999));
    EXPECT_TRUE(
        Kv3d_distance_succeeds_maximum_distance(p, Kv3dPoint(100, 2, 3), 5.0));  // axis step

    // Against the plain definition on random pairs: farther, closer and exactly at the bound
    // are three disjoint outcomes.
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
