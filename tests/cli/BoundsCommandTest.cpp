#include <algorithm>
#include <nlohmann/json.hpp>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "CliTestSupport.h"
#include "NumberFormat.h"

namespace {

using cli_test::is_one_line;
using cli_test::run_kv3d;
using cli_test::TempDir;

TEST(BoundsCommand, ReportsBoxOfFileAndStandardInput) {
    TempDir dir;
    const std::string path = dir.write("p.txt", "# bracket\n0 0 0\n40, 5, 0\n\n5\t30\t12\n");
    const auto text = run_kv3d({"bounds", path});
    EXPECT_EQ(text.status, 0);
    EXPECT_TRUE(text.err.empty());
    EXPECT_NE(text.out.find("(40, 30, 12)"), std::string::npos) << text.out;

    const auto json = run_kv3d({"bounds", "--json", "-"}, "1 2 3\n-1 5 0\n0 0 9000\n");
    ASSERT_EQ(json.status, 0) << json.err;
    const auto doc = nlohmann::json::parse(json.out);
    EXPECT_EQ(doc.at("points"), 3);
    EXPECT_EQ(doc.at("box").at("min"), nlohmann::json::parse("[-1, 0, 0]"));
    EXPECT_EQ(doc.at("box").at("max"), nlohmann::json::parse("[1, 5, 9000]"));
    EXPECT_EQ(doc.at("box").at("size"), nlohmann::json::parse("[2, 5, 9000]"));
    EXPECT_EQ(doc.at("out_of_range"), 1);
}

TEST(BoundsCommand, BadInputGivesOneLineAndNothingOnOutput) {
    TempDir dir;
    const std::string bad = dir.write("bad.txt", "1 2 3\n4 5 six\n");
    const std::string empty = dir.write("empty.txt", "# nothing\n");
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const Case cases[] = {
        {{"bounds", bad},
         "kv3d: " + bad + ":2: expected three finite numbers, 'six' is not a number\n"},
        {{"bounds", "--json", bad},
         "kv3d: " + bad + ":2: expected three finite numbers, 'six' is not a number\n"},
        {{"bounds", empty}, "kv3d: " + empty + ": 0 points, at least 1 needed\n"},
        {{"bounds", dir.path("none.txt")},
         "kv3d: " + dir.path("none.txt") + ": cannot open: No such file or directory\n"},
    };
    for (const Case& c : cases) {
        const auto r = run_kv3d(c.args);
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.out.empty());
        EXPECT_EQ(r.err, c.message);
    }
    for (const auto& args :
         {std::vector<std::string>{"bounds"}, std::vector<std::string>{"bounds", bad, "--nope"},
          std::vector<std::string>{"bounds", bad, "extra"}}) {
        const auto r = run_kv3d(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.out.empty());
        EXPECT_TRUE(is_one_line(r.err)) << r.err;
    }
}

// The box of random point sets is the per-axis minimum and maximum, whatever
// the order of the points.
TEST(BoundsCommand, RandomPointSetsMatchPerAxisExtremes) {
    std::mt19937 rng(77);
    std::uniform_real_distribution<double> coord(-5000.0, 5000.0);
    for (int round = 0; round < 10; ++round) {
        std::vector<std::array<double, 3>> points(1 + rng() % 50);
        for (auto& p : points) {
            p = {coord(rng), coord(rng), coord(rng)};
        }
        std::array<double, 3> lo = points[0];
        std::array<double, 3> hi = points[0];
        for (const auto& p : points) {
            for (int k = 0; k < 3; ++k) {
                lo[k] = std::min(lo[k], p[k]);
                hi[k] = std::max(hi[k], p[k]);
            }
        }
        for (int order = 0; order < 2; ++order) {
            std::string input;
            for (const auto& p : points) {
                input += kv3dcli::format_number(p[0]) + " " + kv3dcli::format_number(p[1]) + " " +
                         kv3dcli::format_number(p[2]) + "\n";
            }
            const auto r = run_kv3d({"bounds", "--json", "-"}, input);
            ASSERT_EQ(r.status, 0) << r.err;
            const auto box = nlohmann::json::parse(r.out).at("box");
            for (int k = 0; k < 3; ++k) {
                EXPECT_EQ(box.at("min").at(k).get<double>(), lo[k]);
                EXPECT_EQ(box.at("max").at(k).get<double>(), hi[k]);
            }
            std::shuffle(points.begin(), points.end(), rng);
        }
    }
}

}  // namespace
