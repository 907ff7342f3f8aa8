#include <cmath>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CliTestSupport.h"

namespace {

using cli_test::contains;
using cli_test::run_json;
using cli_test::run_kv3d;
using cli_test::write_file;
using nlohmann::json;

// Largest difference of the first three rows of two JSON matrices.
double matrix_diff(const json& a, const json& b) {
    double d = 0.0;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 4; ++j) {
            d = std::max(d, std::fabs(a.at(i).at(j).get<double>() - b.at(i).at(j).get<double>()));
        }
    }
    return d;
}

// A quarter turn about z, then a shift by (5, 0, 2): (x, y, z) -> (5 - y, x, z + 2).
const std::string kFourTurned =
    "# nominal -> measured\n0 0 0  5 0 2\n2 0 0  5 2 2\n"
    "0 1 0  4 0 2\n0 0 3  5 0 5\n";
const std::string kTurned = kFourTurned + "1 1 1  4 1 3\n";
const json kTurnMatrix = json::parse("[[0, -1, 0, 5], [1, 0, 0, 0], [0, 0, 1, 2]]");

TEST(RegisterCommand, ReportsTheFitOfAllPairs) {
    const json doc = run_json({"register", write_file("turned.txt", kTurned)});
    EXPECT_EQ(doc.at("command"), "register") << "case: command";
    EXPECT_EQ(doc.at("type"), "rigid") << "case: default type";
    EXPECT_EQ(doc.at("pairs"), 5) << "case: pairs read";
    EXPECT_LT(matrix_diff(doc.at("matrix"), kTurnMatrix), 1e-14) << "case: matrix";
    EXPECT_TRUE(doc.at("orthonormal").get<bool>()) << "case: orthonormal";
    EXPECT_LT(doc.at("rms").get<double>(), 1e-14) << "case: rms";
    EXPECT_EQ(doc.at("residuals").size(), 5u) << "case: one residual a pair";
    EXPECT_LT(doc.at("max_residual").get<double>(), 1e-14) << "case: largest residual";
    EXPECT_FALSE(doc.contains("scale")) << "case: no scale for a rigid fit";

    // The turned pairs with every target doubled about the origin.
    const json similar = run_json(
        {"register", "--type", "similarity", "-", "--apply", write_file("one.txt", "1 0 0\n")},
        "0 0 0 10 0 4\n2 0 0 10 4 4\n0 1 0 8 0 4\n0 0 3 10 0 10\n");
    EXPECT_NEAR(similar.at("scale").get<double>(), 2.0, 1e-14) << "case: similarity scale";
    EXPECT_NEAR(similar.at("points").at(0).at(1).get<double>(), 2.0, 1e-14) << "case: moved point";
    const auto text = run_kv3d({"register", write_file("turned.txt", kTurned)});
    EXPECT_TRUE(contains(text.out, "\nRMS residual ")) << "case: text report";
}

// Three consistent pairs: the exact fit of 'kv3d transform' and the best fit agree.
TEST(RegisterCommand, AgreesWithTransformOnThreePairs) {
    const std::string three = write_file("three.txt", "0 0 0 5 0 2\n2 0 0 5 2 2\n0 1 0 4 0 2\n");
    for (const char* type : {"rigid", "similarity"}) {
        EXPECT_LT(matrix_diff(run_json({"register", three, "--type", type}).at("matrix"),
                              run_json({"transform", three, "--type", type}).at("matrix")),
                  1e-14)
            << "case: " << type;
    }
}

TEST(RegisterCommand, WeightZeroLeavesAnOutlierOut) {
    const std::string pairs = write_file("outlier.txt", kFourTurned + "1 1 1 9 9 9\n");
    const std::string weights = write_file("w.txt", "1\n1\n# a comment\n1\n1\n0\n");
    const json weighted = run_json({"register", pairs, "--weights", weights});
    const json four = run_json({"register", write_file("four.txt", kFourTurned)});
    EXPECT_EQ(weighted.at("matrix"), four.at("matrix")) << "case: matrix";
    EXPECT_EQ(weighted.at("rms"), four.at("rms")) << "case: rms";
    EXPECT_EQ(weighted.at("residuals").size(), 5u) << "case: the outlier's residual is shown";
    EXPECT_EQ(weighted.at("weights"), weights) << "case: weights file named";
}

}  // namespace
