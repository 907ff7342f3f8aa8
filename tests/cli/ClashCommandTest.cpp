#include <kv3d/Kv3dTriangle.h>

#include <cstddef>
#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "CliTestSupport.h"

namespace {

using cli_test::contains;
using cli_test::Mesh;
using Pairs = std::vector<std::pair<std::size_t, std::size_t>>;

TEST(ClashCommand, ReportsTheAllPairsAnswerOnAnyThreadCount) {
    std::mt19937 rng(5150);
    std::uniform_real_distribution<float> where(0.0f, 10.0f), step(-1.5f, 1.5f);
    Mesh meshes[2] = {Mesh(120), Mesh(90)};
    std::vector<Kv3dTriangle> sets[2];
    for (int m = 0; m < 2; ++m) {
        for (auto& t : meshes[m]) {
            double coords[9];
            for (int k = 0; k < 9; ++k) {
                coords[k] = t[k] = k < 3 ? where(rng) : t[k % 3] + step(rng);
            }
            sets[m].emplace_back(coords);
        }
    }
    Pairs expected;
    for (std::size_t i = 0; i < sets[0].size(); ++i) {
        for (std::size_t j = 0; j < sets[1].size(); ++j) {
            if (sets[0][i].intersect(sets[1][j])) {
                expected.emplace_back(i, j);
            }
        }
    }
    ASSERT_GT(expected.size(), 10u) << "case: enough pairs to mean something";

    // The extension misleads on purpose: the content decides.
    const std::string file_a =
        cli_test::write_file("a.txt", cli_test::binary_stl(meshes[0], "solid"));
    const std::string stl_b = cli_test::binary_stl(meshes[1]);
    for (const char* threads : {"0", "1", "3"}) {
        const std::string name = std::string("--threads ") + threads;
        const auto doc = cli_test::run_json({"clash", file_a, "-", "--threads", threads}, stl_b);
        EXPECT_EQ(doc.at("a").at("format"), "binary STL") << "case: " << name;
        EXPECT_EQ(doc.at("a").at("triangles"), 120) << "case: " << name;
        EXPECT_EQ(doc.at("b").at("triangles"), 90) << "case: " << name;
        EXPECT_EQ(doc.at("count"), expected.size()) << "case: " << name;
        EXPECT_EQ(doc.at("pairs").get<Pairs>(), expected) << "case: " << name;
    }
    // The text report lists the pairs too, one per line.
    const auto text = cli_test::run_kv3d({"clash", file_a, "-"}, stl_b);
    ASSERT_EQ(text.status, 0) << "case: text report, " << text.err;
    const std::string first = "\n  " + std::to_string(expected[0].first) + "  " +
                              std::to_string(expected[0].second) + "\n";
    EXPECT_TRUE(contains(text.out, first)) << "case: text report";
}

}  // namespace
