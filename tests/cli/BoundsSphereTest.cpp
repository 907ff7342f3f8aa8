#include <kv3d/kv3d.h>

#include <nlohmann/json.hpp>
#include <string>

#include <gtest/gtest.h>

#include "CliTestSupport.h"

namespace {

using cli_test::run_kv3d;
using nlohmann::json;

// The sphere section of `kv3d bounds --json` is the library's enclosing
// sphere of the points, with the radius of the sphere around their box.
TEST(BoundsSphere, JsonHoldsTheEnclosingSphereAndTheBoxSphere) {
    const std::string input = "0 0 0\n4 0 0\n1 3 -2\n2, 2, 5\n";
    const KvArray<Kv3dPoint> pts{Kv3dPoint(0, 0, 0), Kv3dPoint(4, 0, 0), Kv3dPoint(1, 3, -2),
                                 Kv3dPoint(2, 2, 5)};
    const Kv3dBSphere expected(pts);
    const auto r = run_kv3d({"bounds", "--json", "-"}, input);
    ASSERT_EQ(r.status, 0) << r.err;
    const json sphere = json::parse(r.out).at("sphere");
    EXPECT_EQ(sphere.at("center").at(0).get<double>(), expected.center().x()) << "case: x";
    EXPECT_EQ(sphere.at("center").at(1).get<double>(), expected.center().y()) << "case: y";
    EXPECT_EQ(sphere.at("center").at(2).get<double>(), expected.center().z()) << "case: z";
    EXPECT_EQ(sphere.at("radius").get<double>(), expected.radius()) << "case: radius";
    EXPECT_EQ(sphere.at("box_sphere_radius").get<double>(), Kv3dBSphere(Kv3dBBox(pts)).radius())
        << "case: box sphere radius";
    EXPECT_LT(sphere.at("radius").get<double>(), sphere.at("box_sphere_radius").get<double>())
        << "case: tighter than the box sphere";
}

TEST(BoundsSphere, TextReportAndSinglePoint) {
    const auto text = run_kv3d({"bounds", "-"}, "1 2 3\n");
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("Enclosing sphere"), std::string::npos) << "case: heading";
    EXPECT_NE(text.out.find("(1, 2, 3)"), std::string::npos) << "case: centre";
    const json one = json::parse(run_kv3d({"bounds", "--json", "-"}, "1 2 3\n").out);
    // A single point gives the point sphere, whose reported radius is 0.
    EXPECT_EQ(one.at("sphere").at("radius").get<double>(), 0.0) << "case: single point";
    EXPECT_EQ(one.at("sphere").at("box_sphere_radius").get<double>(), 0.0) << "case: single point";
}

}  // namespace
