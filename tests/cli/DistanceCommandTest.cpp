#include <nlohmann/json.hpp>
#include <string>

#include <gtest/gtest.h>

#include "CliTestSupport.h"

namespace {

using cli_test::contains;
using cli_test::run_json;
using cli_test::run_kv3d;
using cli_test::write_file;
using nlohmann::json;

const char* const kElbow = "0 0 0\n2 0 0\n2 2 0\n";

// Each report section against the expected one, exact where the answer is.
TEST(DistanceCommand, PointRayAndPolylineToPolyline) {
    const std::string elbow = write_file("elbow.txt", kElbow);
    const json point = run_json({"distance", "--point", "1,0.5,0", elbow});
    EXPECT_EQ(point.at("distance"), 0.5) << "case: point beside segment 0";
    EXPECT_EQ(point.at("nearest"),
              json::parse(R"({"vertices": 3, "point": [1, 0, 0], "segment": 0, "parameter": 0.5})"))
        << "case: point beside segment 0";

    // The line y = -1 runs parallel to segment 0: measured at its midpoint.
    const json ray = run_json({"distance", "--ray", "7,-1,0,-2,0,0", "-"}, kElbow);
    EXPECT_EQ(ray.at("distance"), 1.0) << "case: parallel ray";
    EXPECT_EQ(ray.at("nearest").at("parameter"), 0.5) << "case: parallel ray";
    EXPECT_EQ(ray.at("ray_direction"), json::parse("[-1, 0, 0]")) << "case: direction normalised";
    EXPECT_EQ(ray.at("on_ray"), json::parse(R"({"point": [1, -1, 0], "parameter": 6})"))
        << "case: parallel ray";

    const json two = run_json({"distance", "-", elbow}, "1 1 -1\n1 1 1\n");
    EXPECT_EQ(two.at("distance"), 1.0) << "case: crossing above";
    EXPECT_EQ(two.at("first"),
              json::parse(R"({"vertices": 2, "point": [1, 1, 0], "segment": 0, "parameter": 0.5})"))
        << "case: crossing above";
    EXPECT_EQ(two.at("second"),
              json::parse(R"({"vertices": 3, "point": [1, 0, 0], "segment": 0, "parameter": 0.5})"))
        << "case: crossing above";

    const auto text = run_kv3d({"distance", "--point", " 3, 3 ,0", "-"}, kElbow);
    EXPECT_EQ(text.status, 0) << "case: text report";
    EXPECT_TRUE(contains(text.out, "kv3d distance: point to <stdin>")) << "case: text report title";
    EXPECT_TRUE(contains(text.out, "(3, 3, 0)")) << "case: text report point";
    EXPECT_TRUE(contains(text.out, "(2, 2, 0)")) << "case: text report nearest";
}

}  // namespace
