#include <cmath>
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
using kv3dcli::format_number;

std::string triple(double x, double y, double z) {
    return format_number(x) + " " + format_number(y) + " " + format_number(z);
}

nlohmann::json run_json(const std::vector<std::string>& args, const std::string& std_in = "") {
    std::vector<std::string> all = args;
    all.push_back("--json");
    const auto r = run_kv3d(all, std_in);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.err.empty());
    return r.status == 0 ? nlohmann::json::parse(r.out) : nlohmann::json();
}

TEST(TransformCommand, TwoPairsRigidAndSimilarity) {
    TempDir dir;
    const std::string pairs =
        dir.write("pairs.txt", "# source -> target\n0 0 0  1 1 1\n1,0,0, 1,3,1\n");
    const auto rigid = run_json({"transform", pairs, "--apply", "-"}, "1 0 0\n");
    EXPECT_EQ(rigid.at("type"), "rigid");
    EXPECT_EQ(rigid.at("pairs"), 2);
    EXPECT_EQ(rigid.at("points").at(0), nlohmann::json::parse("[1, 2, 1]"));
    EXPECT_EQ(rigid.at("residuals"), nlohmann::json::parse("[0, 1]"));
    EXPECT_TRUE(rigid.at("orthonormal").get<bool>());
    ASSERT_EQ(rigid.at("matrix").size(), 4u);
    EXPECT_EQ(rigid.at("matrix").at(3), nlohmann::json::parse("[0, 0, 0, 1]"));

    const auto similar =
        run_json({"transform", pairs, "--type", "similarity", "--apply", "-"}, "1 0 0\n");
    EXPECT_EQ(similar.at("points").at(0), nlohmann::json::parse("[1, 3, 1]"));
    EXPECT_FALSE(similar.at("orthonormal").get<bool>());

    const auto text = run_kv3d({"transform", pairs});
    EXPECT_EQ(text.status, 0);
    EXPECT_NE(text.out.find("[  0  -1  0  1 ]"), std::string::npos) << text.out;
}

// A random rigid motion (a rotation from a random unit quaternion, a random
// shift) carried by random pairs: the rigid fit reproduces it on further
// points, and every pair's residual vanishes, extra pairs included.
TEST(TransformCommand, RandomRigidMotionsAreRecovered) {
    std::mt19937 rng(4242);
    std::normal_distribution<double> gauss(0.0, 1.0);
    std::uniform_real_distribution<double> coord(-100.0, 100.0);
    for (int round = 0; round < 10; ++round) {
        double q[4] = {gauss(rng), gauss(rng), gauss(rng), gauss(rng)};
        const double n = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
        for (double& c : q) {
            c /= n;
        }
        const double w = q[0], x = q[1], y = q[2], z = q[3];
        const double R[3][3] = {
            {1 - 2 * (y * y + z * z), 2 * (x * y - w * z), 2 * (x * z + w * y)},
            {2 * (x * y + w * z), 1 - 2 * (x * x + z * z), 2 * (y * z - w * x)},
            {2 * (x * z - w * y), 2 * (y * z + w * x), 1 - 2 * (x * x + y * y)}};
        const double t[3] = {coord(rng), coord(rng), coord(rng)};
        auto move = [&](const double p[3], double out[3]) {
            for (int i = 0; i < 3; ++i) {
                out[i] = R[i][0] * p[0] + R[i][1] * p[1] + R[i][2] * p[2] + t[i];
            }
        };
        std::string pairs;
        for (int i = 0; i < 5; ++i) {
            const double p[3] = {coord(rng), coord(rng), coord(rng)};
            double m[3];
            move(p, m);
            pairs += triple(p[0], p[1], p[2]) + "  " + triple(m[0], m[1], m[2]) + "\n";
        }
        TempDir dir;
        const double probe[3] = {coord(rng), coord(rng), coord(rng)};
        const std::string points =
            dir.write("probe.txt", triple(probe[0], probe[1], probe[2]) + "\n");
        const auto doc = run_json({"transform", "-", "--apply", points}, pairs);
        EXPECT_EQ(doc.at("pairs_used"), 3);
        EXPECT_LT(doc.at("max_residual").get<double>(), 1e-9);
        double expected[3];
        move(probe, expected);
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(doc.at("points").at(0).at(i).get<double>(), expected[i], 1e-9);
            for (int j = 0; j < 3; ++j) {
                EXPECT_NEAR(doc.at("matrix").at(i).at(j).get<double>(), R[i][j], 1e-12);
            }
            EXPECT_NEAR(doc.at("matrix").at(i).at(3).get<double>(), t[i], 1e-9);
        }
    }
}

TEST(TransformCommand, AffineMapsFourPairsExactly) {
    const auto doc = run_json({"transform", "--type", "affine", "-"},
                              "0 0 0 0 0 0\n1 0 0 1 0 0\n0 1 0 0 3 0\n0 0 1 1 0 1\n9 9 9 0 0 0\n");
    EXPECT_EQ(doc.at("pairs_used"), 4);
    EXPECT_EQ(doc.at("matrix").at(0), nlohmann::json::parse("[1, 0, 1, 0]"));
    EXPECT_EQ(doc.at("matrix").at(1), nlohmann::json::parse("[0, 3, 0, 0]"));
    const auto& residuals = doc.at("residuals");
    ASSERT_EQ(residuals.size(), 5u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(residuals.at(i).get<double>(), 0.0);
    }
    EXPECT_GT(residuals.at(4).get<double>(), 1.0);  // the fifth pair is not used
}

TEST(TransformCommand, BadInputGivesOneLineAndStatusTwo) {
    TempDir dir;
    const std::string collinear = dir.write("c.txt", "0 0 0 1 1 1\n1 0 0 2 1 1\n2 0 0 3 1 1\n");
    const std::string short_line = dir.write("s.txt", "0 0 0 1 1 1\n1 0 0 2 1\n");
    const std::string good = dir.write("g.txt", "0 0 0 1 1 1\n");
    const std::string bad_points = dir.write("p.txt", "1 2 3\n4 5\n");
    const struct {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{"transform", collinear},
         "kv3d: " + collinear +
             ": the points of the pairs used are coincident or collinear, the fitted transform is "
             "singular\n"},
        {{"transform", short_line},
         "kv3d: " + short_line + ":2: expected six finite numbers, found 5\n"},
        {{"transform", good, "--apply", bad_points},
         "kv3d: " + bad_points + ":2: expected three finite numbers, found 2\n"},
        {{"transform", "-", "--apply", "-"},
         "kv3d: standard input ('-') can feed only one of the two files\n"},
        {{"transform", dir.write("e.txt", "")},
         "kv3d: " + dir.path("e.txt") + ": 0 point pairs, at least 1 needed\n"},
    };
    for (const auto& c : cases) {
        const auto r = run_kv3d(c.args);
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.out.empty());
        EXPECT_EQ(r.err, c.err);
    }
    for (const auto& args : {std::vector<std::string>{"transform", good, "--type", "projective"},
                             std::vector<std::string>{"transform"},
                             std::vector<std::string>{"transform", good, "--apply"}}) {
        const auto r = run_kv3d(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.out.empty());
        EXPECT_TRUE(is_one_line(r.err)) << r.err;
    }
    // A single pair is a translation, and enough.
    const auto one = run_json({"transform", good, "--apply", "-"}, "5 5 5\n");
    EXPECT_EQ(one.at("points").at(0), nlohmann::json::parse("[6, 6, 6]"));
}

}  // namespace
