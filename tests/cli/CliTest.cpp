#include <kv3d/kv3d.h>

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

TEST(Cli, HelpAndDemoInTextAndJson) {
    EXPECT_TRUE(contains(run_kv3d({"--help"}).out, "'#' starts a comment"));
    const auto text = run_kv3d({"demo"});
    EXPECT_EQ(text.status, 0) << "case: demo";
    EXPECT_EQ(text.err, "") << "case: demo";
    EXPECT_TRUE(contains(text.out, "Kv3dPoint( 1.5, -2, 8000)")) << "case: demo";

    const json doc = run_json({"demo"});
    EXPECT_EQ(doc.at("resolution").at("same_point_tol").get<double>(), 0.001) << "case: json";
    EXPECT_TRUE(doc.at("triangle").at("coplanar_inside").get<bool>()) << "case: json";
    EXPECT_EQ(doc.at("clash").at("pairs"), json::parse("[[0, 4], [3, 0], [3, 1], [3, 2]]"))
        << "case: json";
    EXPECT_EQ(doc.at("polyline_distance").at("ray_parameter"), 0.5) << "case: json";
}

// The sphere section is the library's enclosing sphere of the points, with
// the radius of the sphere around their box.
TEST(BoundsCommand, ReportsBoxAndSphereOfFileAndStandardInput) {
    const auto text =
        run_kv3d({"bounds", write_file("p.txt", "# bracket\n0 0 0\n40, 5, 0\n\n5\t30\t12\n")});
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_TRUE(contains(text.out, "(40, 30, 12)")) << "case: text report";
    EXPECT_TRUE(contains(text.out, "Enclosing sphere")) << "case: text report";

    json doc = run_json({"bounds", "-"}, "1 2 3\n-1 5 0\n0 0 9000\n");
    const json sphere = doc.at("sphere");
    doc.erase("sphere");
    EXPECT_EQ(doc,
              json::parse(R"({"command": "bounds", "version": ")" KV3D_VERSION R"(", "points": 3,)"
                          R"( "box": {"min": [-1, 0, 0], "max": [1, 5, 9000],)"
                          R"( "size": [2, 5, 9000], "center": [0, 2.5, 4500]},)"
                          R"( "out_of_range": 1})"));
    const KvArray<Kv3dPoint> pts{Kv3dPoint(1, 2, 3), Kv3dPoint(-1, 5, 0), Kv3dPoint(0, 0, 9000)};
    const Kv3dBSphere expected(pts);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(sphere.at("center").at(i).get<double>(), expected.center()[i])
            << "case: centre " << i;
    }
    EXPECT_EQ(sphere.at("radius").get<double>(), expected.radius()) << "case: radius";
    EXPECT_EQ(sphere.at("box_sphere_radius").get<double>(), Kv3dBSphere(Kv3dBBox(pts)).radius())
        << "case: box sphere radius";
    EXPECT_LT(sphere.at("radius").get<double>(), sphere.at("box_sphere_radius").get<double>())
        << "case: tighter than the box sphere";
    // A single point gives the point sphere, whose reported radius is 0.
    const json one = run_json({"bounds", "-"}, "1 2 3\n").at("sphere");
    EXPECT_EQ(one.at("radius").get<double>(), 0.0) << "case: single point";
    EXPECT_EQ(one.at("box_sphere_radius").get<double>(), 0.0) << "case: single point";
}

TEST(TransformCommand, ExactFitsOfOneTwoAndFourPairs) {
    const std::string pairs =
        write_file("p.txt", "# source -> target\n0 0 0  1 1 1\n1,0,0, 1,3,1\n");
    const auto rigid = run_json({"transform", pairs, "--apply", "-"}, "1 0 0\n");
    EXPECT_EQ(rigid.at("type"), "rigid");
    EXPECT_EQ(rigid.at("points").at(0), json::parse("[1, 2, 1]"));
    EXPECT_EQ(rigid.at("residuals"), json::parse("[0, 1]"));
    EXPECT_TRUE(rigid.at("orthonormal").get<bool>());
    const auto similar =
        run_json({"transform", pairs, "--type", "similarity", "--apply", "-"}, "1 0 0\n");
    EXPECT_EQ(similar.at("points").at(0), json::parse("[1, 3, 1]"));
    EXPECT_FALSE(similar.at("orthonormal").get<bool>());
    const auto text = run_kv3d({"transform", pairs});
    EXPECT_TRUE(contains(text.out, "[  0  -1  0  1 ]")) << "case: text report";

    // A single pair is a translation, and enough; numbers go out in full precision.
    const auto shift = run_json({"transform", "-"}, "0 0 0 0.1234567890123456 1e-300 -7\n");
    EXPECT_EQ(shift.at("matrix").at(0).at(3).get<double>(), 0.1234567890123456);
    EXPECT_EQ(shift.at("matrix").at(1).at(3).get<double>(), 1e-300);

    // Four pairs fix an affine map; a fifth is only measured.
    const auto affine =
        run_json({"transform", "--type", "affine", "-"},
                 "0 0 0 0 0 0\n1 0 0 1 0 0\n0 1 0 0 3 0\n0 0 1 1 0 1\n9 9 9 0 0 0\n");
    EXPECT_EQ(affine.at("pairs_used"), 4);
    EXPECT_EQ(affine.at("matrix").at(0), json::parse("[1, 0, 1, 0]"));
    EXPECT_EQ(affine.at("matrix").at(1), json::parse("[0, 3, 0, 0]"));
    EXPECT_GT(affine.at("residuals").at(4).get<double>(), 1.0);
}

}  // namespace
