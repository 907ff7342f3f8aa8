#include <cmath>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CliTestSupport.h"

namespace {

using cli_test::run_kv3d;
using cli_test::write_file;
using nlohmann::json;

json run_json(std::vector<std::string> args, const std::string& std_in = "") {
    args.push_back("--json");
    const auto r = run_kv3d(args, std_in);
    EXPECT_EQ(r.status, 0) << r.err;
    return r.status == 0 ? json::parse(r.out) : json();
}

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
    "# nominal -> measured\n"
    "0 0 0   5 0 2\n"
    "2 0 0   5 2 2\n"
    "0 1 0   4 0 2\n"
    "0 0 3   5 0 5\n";
const std::string kTurned = kFourTurned + "1 1 1   4 1 3\n";

TEST(RegisterCommand, RecoversARigidMotionFromAllPairs) {
    const json doc = run_json({"register", write_file("turned.txt", kTurned)});
    EXPECT_EQ(doc.at("command"), "register") << "case: command key";
    EXPECT_EQ(doc.at("type"), "rigid") << "case: default type";
    EXPECT_EQ(doc.at("pairs"), 5) << "case: pairs read";
    EXPECT_LT(
        matrix_diff(doc.at("matrix"), json::parse("[[0, -1, 0, 5], [1, 0, 0, 0], [0, 0, 1, 2]]")),
        1e-14)
        << "case: matrix";
    EXPECT_TRUE(doc.at("orthonormal").get<bool>()) << "case: orthonormal";
    EXPECT_TRUE(doc.at("orientation_preserving").get<bool>()) << "case: orientation";
    EXPECT_LT(doc.at("rms").get<double>(), 1e-14) << "case: rms";
    EXPECT_EQ(doc.at("residuals").size(), 5u) << "case: one residual a pair";
    EXPECT_LT(doc.at("max_residual").get<double>(), 1e-14) << "case: largest residual";
    EXPECT_FALSE(doc.contains("scale")) << "case: no scale for a rigid fit";
    EXPECT_FALSE(doc.contains("weights")) << "case: no weights key without weights";
}

TEST(RegisterCommand, SimilarityAffineAndMovedPoints) {
    // The turned pairs with every target doubled about the origin.
    const json similar = run_json(
        {"register", "--type", "similarity", "-", "--apply", write_file("one.txt", "1 0 0\n")},
        "0 0 0 10 0 4\n2 0 0 10 4 4\n0 1 0 8 0 4\n0 0 3 10 0 10\n");
    EXPECT_NEAR(similar.at("scale").get<double>(), 2.0, 1e-14) << "case: similarity scale";
    EXPECT_FALSE(similar.at("orthonormal").get<bool>()) << "case: similarity unmarked";
    EXPECT_NEAR(similar.at("points").at(0).at(1).get<double>(), 2.0, 1e-14)
        << "case: moved point y";

    // Shear x' = x + z and stretch y' = 3 y, from five pairs.
    const json affine =
        run_json({"register", "--type", "affine", "-"},
                 "0 0 0 0 0 0\n1 0 0 1 0 0\n0 1 0 0 3 0\n0 0 1 1 0 1\n2 2 2 4 6 2\n");
    EXPECT_LT(
        matrix_diff(affine.at("matrix"), json::parse("[[1, 0, 1, 0], [0, 3, 0, 0], [0, 0, 1, 0]]")),
        1e-14)
        << "case: affine matrix";
}

// Three consistent pairs: the exact fit of 'kv3d transform' and the best fit agree.
TEST(RegisterCommand, AgreesWithTransformOnThreePairs) {
    const std::string three = write_file("three.txt", "0 0 0 5 0 2\n2 0 0 5 2 2\n0 1 0 4 0 2\n");
    for (const char* type : {"rigid", "similarity"}) {
        const json best = run_json({"register", three, "--type", type});
        const json exact = run_json({"transform", three, "--type", type});
        EXPECT_LT(matrix_diff(best.at("matrix"), exact.at("matrix")), 1e-14) << "case: " << type;
    }
}

TEST(RegisterCommand, PairOrderDoesNotMatter) {
    const std::string reversed = write_file(
        "reversed.txt", "1 1 1 4 1 3\n0 0 3 5 0 5\n0 1 0 4 0 2\n2 0 0 5 2 2\n0 0 0 5 0 2.5\n");
    const std::string forward = write_file(
        "forward.txt", "0 0 0 5 0 2.5\n2 0 0 5 2 2\n0 1 0 4 0 2\n0 0 3 5 0 5\n1 1 1 4 1 3\n");
    const json a = run_json({"register", forward}), b = run_json({"register", reversed});
    EXPECT_LT(matrix_diff(a.at("matrix"), b.at("matrix")), 1e-14) << "case: matrix";
    EXPECT_NEAR(a.at("rms").get<double>(), b.at("rms").get<double>(), 1e-15) << "case: rms";
}

TEST(RegisterCommand, WeightsLeaveOutPairsOfWeightZero) {
    // The last pair is an outlier; weight 0 gives the fit of the other four.
    const std::string pairs = write_file("outlier.txt", kFourTurned + "1 1 1 9 9 9\n");
    const std::string four = write_file("four.txt", kFourTurned);
    const std::string weights = write_file("w.txt", "1\n1\n# a comment\n1\n1\n0\n");
    const json weighted = run_json({"register", pairs, "--weights", weights});
    const json without = run_json({"register", four});
    EXPECT_EQ(weighted.at("matrix"), without.at("matrix")) << "case: matrix without the outlier";
    EXPECT_EQ(weighted.at("rms"), without.at("rms")) << "case: rms without the outlier";
    EXPECT_EQ(weighted.at("residuals").size(), 5u) << "case: the outlier's residual is shown";
    EXPECT_EQ(weighted.at("weights"), weights) << "case: weights file named";
    EXPECT_NE(
        run_kv3d({"register", pairs, "--weights", weights}).out.find("RMS residual (weighted)"),
        std::string::npos)
        << "case: text label";
}

TEST(RegisterCommand, TextReportAndHelp) {
    const auto text = run_kv3d({"register", write_file("turned.txt", kTurned)});
    EXPECT_EQ(text.status, 0) << "case: status";
    EXPECT_EQ(text.out.rfind("kv3d register: ", 0), 0u) << "case: title";
    EXPECT_NE(text.out.find("RMS residual"), std::string::npos) << "case: rms line";
    EXPECT_NE(text.out.find("largest distance"), std::string::npos) << "case: largest line";
    EXPECT_NE(run_kv3d({"register", "--help"}).out.find("--weights"), std::string::npos)
        << "case: help";
    EXPECT_NE(run_kv3d({"--help"}).out.find("register"), std::string::npos) << "case: tool help";
}

TEST(RegisterCommand, DemoSection) {
    const json demo = run_json({"demo"}).at("registration");
    EXPECT_TRUE(demo.at("rigid_fitted").get<bool>()) << "case: rigid fit";
    EXPECT_LT(demo.at("rigid_max_residual").get<double>(),
              demo.at("exact_max_residual").get<double>())
        << "case: best fit beats the exact fit on three";
    EXPECT_TRUE(demo.at("mirror_keeps_orientation").get<bool>()) << "case: mirror";
    EXPECT_FALSE(demo.at("collinear_fitted").get<bool>()) << "case: collinear";
}

// Bad input: status 2, nothing on standard output, this one line on standard error.
TEST(RegisterCommand, RefusesBadInputWithOneLine) {
    const std::string pairs = write_file("turned.txt", kTurned);
    const std::string line =
        write_file("line.txt", "0 0 0 1 1 1\n1 1 1 2 2 2\n2 2 2 3 3 3\n3 3 3 5 5 5\n");
    const std::string flat =
        write_file("flat.txt", "0 0 0 1 1 1\n1 0 0 2 2 2\n0 1 0 3 3 3\n1 1 0 5 5 5\n");
    const std::string five = write_file("five.txt", "1\n2\n3\n4\n5\n");
    const std::string few = write_file("few.txt", "1\n1\n1\n1\n");
    const std::string negative = write_file("neg.txt", "1\n1\n\n-1\n1\n1\n");
    const std::string word = write_file("word.txt", "1\nheavy\n1\n1\n1\n");
    const std::string two = write_file("two.txt", "1 2\n1\n1\n1\n1\n");
    const std::string zeros = write_file("zeros.txt", "0\n0\n0\n1\n1\n");
    const struct {
        const char* name;
        std::vector<std::string> args;
        std::string std_in, err;
    } cases[] = {
        {"collinear",
         {"register", line},
         "",
         "kv3d: " + line +
             ": the source points lie on one line or nearly so and do not fix a rigid transform\n"},
        {"collinear, similarity",
         {"register", line, "--type", "similarity"},
         "",
         "kv3d: " + line +
             ": the source points lie on one line or nearly so and do not fix a similarity "
             "transform\n"},
        {"coplanar, affine",
         {"register", flat, "--type", "affine"},
         "",
         "kv3d: " + flat +
             ": the source points lie in one plane or nearly so and do not fix an affine "
             "transform\n"},
        {"two pairs",
         {"register", "-"},
         "0 0 0 1 1 1\n1 0 0 2 1 1\n",
         "kv3d: <stdin>: 2 point pairs, at least 3 needed\n"},
        {"three pairs, affine",
         {"register", "-", "--type", "affine"},
         "0 0 0 1 1 1\n1 0 0 2 1 1\n0 1 0 1 2 1\n",
         "kv3d: <stdin>: 3 point pairs, at least 4 needed\n"},
        {"not finite",
         {"register", "-"},
         "0 0 0 1 1 1\n1 0 0 2 1 nan\n",
         "kv3d: <stdin>:2: expected six finite numbers, 'nan' is not finite\n"},
        {"weights too few",
         {"register", pairs, "--weights", few},
         "",
         "kv3d: " + few + ": 4 weights for 5 point pairs, one a pair needed\n"},
        {"weights too many",
         {"register", line, "--weights", five},
         "",
         "kv3d: " + five + ": 5 weights for 4 point pairs, one a pair needed\n"},
        {"negative weight",
         {"register", pairs, "--weights", negative},
         "",
         "kv3d: " + negative + ":4: weight -1 is negative\n"},
        {"weight not a number",
         {"register", pairs, "--weights", word},
         "",
         "kv3d: " + word + ":2: expected one finite number, 'heavy' is not a number\n"},
        {"two weights on a line",
         {"register", pairs, "--weights", two},
         "",
         "kv3d: " + two + ":1: expected one finite number, found 2\n"},
        {"too few positive weights",
         {"register", pairs, "--weights", zeros},
         "",
         "kv3d: " + zeros + ": 2 pairs of positive weight, at least 3 needed\n"},
        {"weights from standard input twice",
         {"register", "-", "--weights", "-"},
         "",
         "kv3d: standard input ('-') can feed only one of the two files\n"},
        {"three files from standard input",
         {"register", "-", "--weights", "-", "--apply", "-"},
         "",
         "kv3d: standard input ('-') can feed only one of the three files\n"},
        {"missing weights file", {"register", pairs, "--weights", pairs + ".none"}, "", ""},
        {"bad type", {"register", pairs, "--type", "projective"}, "", ""},
        {"no pairs file", {"register"}, "", ""},
    };
    for (const auto& c : cases) {
        const auto r = run_kv3d(c.args, c.std_in);
        EXPECT_EQ(r.status, 2) << "case: " << c.name;
        EXPECT_EQ(r.out, "") << "case: " << c.name;
        EXPECT_EQ(r.err.rfind("kv3d: ", 0), 0u) << "case: " << c.name << ": " << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "case: " << c.name << ": " << r.err;
        if (!c.err.empty()) {
            EXPECT_EQ(r.err, c.err) << "case: " << c.name;
        }
    }
}

}  // namespace
