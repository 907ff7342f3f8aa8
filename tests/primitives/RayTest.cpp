#include <kv3d/kv3d.h>

#include <sstream>

#include <gtest/gtest.h>

namespace {

TEST(Ray, CarrierLineDistanceAndJournal) {
    Kv3dRay r(Kv3dPoint(0, 0, 0), Kv3dDirection(1, 0, 0));
    EXPECT_EQ(r.distance(Kv3dPoint(-5, 3, 0)), 3);  // behind the origin
    EXPECT_EQ(r.find_parameter(Kv3dPoint(-5, 3, 0)), -5);
    EXPECT_EQ(Kv3dRay().distance(Kv3dPoint(3, 4, -7)), 5);

    r.set_point(Kv3dPoint(1, 2, 3));
    r.set_direction(Kv3dDirection(0, -1, 0));
    std::ostringstream out, dbg;
    KvJournal j(out), d(dbg);
    j << r;
    EXPECT_EQ(out.str(), "Kv3dRay( Kv3dPoint( 1, 2, 3) , Kv3dDirection( 0, -1, 0))");
    r.debug(d, static_cast<KvDebug>(1), false, 0);
    EXPECT_EQ(dbg.str(), "");
    r.debug(d, static_cast<KvDebug>(2), false, 1);
    EXPECT_EQ(dbg.str(),
              " Kv3dRay( point        : Kv3dPoint( 1, 2, 3)\n"
              "          direction    : Kv3dDirection( 0, -1, 0)\n"
              "         )          \n");
}

}  // namespace
