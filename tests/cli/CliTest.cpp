#include <nlohmann/json.hpp>
#include <string>

#include <gtest/gtest.h>

#include "CliTestSupport.h"

namespace {

using cli_test::is_one_line;
using cli_test::run_kv3d;

TEST(Cli, HelpExplainsCommandsAndOptions) {
    const auto top = run_kv3d({"--help"});
    EXPECT_EQ(top.status, 0);
    EXPECT_TRUE(top.err.empty());
    EXPECT_NE(top.out.find("demo"), std::string::npos);
    EXPECT_NE(top.out.find("'#' starts a comment"), std::string::npos);

    const auto demo = run_kv3d({"demo", "--help"});
    EXPECT_EQ(demo.status, 0);
    EXPECT_NE(demo.out.find("--json"), std::string::npos);
}

TEST(Cli, BadArgumentsGiveOneLineAndStatusTwo) {
    for (const auto& args : {std::vector<std::string>{}, std::vector<std::string>{"nonsense"},
                             std::vector<std::string>{"demo", "--frobnicate"}}) {
        const auto r = run_kv3d(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.out.empty());
        EXPECT_TRUE(is_one_line(r.err)) << r.err;
        EXPECT_EQ(r.err.rfind("kv3d: ", 0), 0u) << r.err;
    }
}

TEST(Cli, DemoRunsInTextAndJson) {
    const auto text = run_kv3d({"demo"});
    EXPECT_EQ(text.status, 0);
    EXPECT_TRUE(text.err.empty());
    EXPECT_NE(text.out.find("Model resolution"), std::string::npos);
    EXPECT_NE(text.out.find("Kv3dPoint( 1.5, -2, 8000)"), std::string::npos);

    const auto json = run_kv3d({"demo", "--json"});
    ASSERT_EQ(json.status, 0);
    const auto doc = nlohmann::json::parse(json.out);
    EXPECT_EQ(doc.at("command"), "demo");
    EXPECT_EQ(doc.at("resolution").at("same_point_tol").get<double>(), 0.001);
    EXPECT_EQ(doc.at("arithmetic").at("a_dot_b").get<double>(), 32.0);
    EXPECT_EQ(doc.at("snapping").at("snapped_difference").at(0).get<double>(), 0.0);
    EXPECT_TRUE(doc.at("predicates").at("points_tol_apart_equal").get<bool>());
    EXPECT_EQ(doc.at("bounding_box").at("max"), nlohmann::json::parse("[40, 30, 12]"));
    EXPECT_EQ(doc.at("transform").at("inverse_back"), nlohmann::json::parse("[1, 0, 0]"));
    EXPECT_EQ(doc.at("point_pair_fit").at("rigid_p"), nlohmann::json::parse("[1, 2, 1]"));
    EXPECT_TRUE(doc.at("triangle").at("coplanar_inside").get<bool>());
    EXPECT_EQ(doc.at("clash").at("pairs"),
              nlohmann::json::parse("[[0, 4], [3, 0], [3, 1], [3, 2]]"));
    EXPECT_FALSE(doc.at("predicates").at("points_1_0001_tol_apart_equal").get<bool>());
}

}  // namespace
