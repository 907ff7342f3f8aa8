#include <kv3d/kv3d.h>

#include <cmath>
#include <limits>
#include <random>
#include <sstream>

#include <gtest/gtest.h>

namespace {

TEST(Ray, ParameterAndCarrierLineDistance) {
    const Kv3dRay r(Kv3dPoint(0, 0, 0), Kv3dDirection(1, 0, 0));
    EXPECT_EQ(r.distance(Kv3dPoint(-5, 3, 0)), 3);
    EXPECT_EQ(r.find_parameter(Kv3dPoint(-5, 3, 0)), -5);
    EXPECT_EQ(r.position(2.5).x(), 2.5);
    const Kv3dRay d;
    EXPECT_EQ(d.direction().z(), 1);
    EXPECT_EQ(d.distance(Kv3dPoint(3, 4, -7)), 5);

    // Points on the carrier line: rounding never makes the square negative.
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> u(-100, 100);
    for (int n = 0; n < 500; ++n) {
        const Kv3dRay ray(Kv3dPoint(u(rng), u(rng), u(rng)), Kv3dDirection(u(rng), u(rng), u(rng)));
        const Kv3dPoint on = ray.position(u(rng));
        ASSERT_GE(ray.distance_sqr(on), 0.0);
        ASSERT_LT(ray.distance(on), 1e-5);  // cancellation in the difference of squares
    }
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(std::isnan(r.distance(Kv3dPoint(nan, 0, 0))));
}

TEST(Ray, JournalText) {
    Kv3dRay r;
    r.set_point(Kv3dPoint(1, 2, 3));
    r.set_direction(Kv3dDirection(0, -1, 0));
    std::ostringstream out;
    KvJournal j(out);
    j << r;
    EXPECT_EQ(out.str(), "Kv3dRay( Kv3dPoint( 1, 2, 3) , Kv3dDirection( 0, -1, 0))");
    std::ostringstream dbg;
    KvJournal d(dbg);
    r.debug(d, static_cast<KvDebug>(1), false, 0);
    EXPECT_EQ(dbg.str(), "");
    r.debug(d, static_cast<KvDebug>(2), false, 1);
    EXPECT_EQ(dbg.str(),
              " Kv3dRay( point        : Kv3dPoint( 1, 2, 3)\n"
              "          direction    : Kv3dDirection( 0, -1, 0)\n"
              "         )          \n");
}

}  // namespace
