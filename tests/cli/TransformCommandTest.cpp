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
using nlohmann::json;

json run_json(std::vector<std::string> args, const std::string& std_in = "") {
    args.push_back("--json");
    const auto r = run_kv3d(args, std_in);
    EXPECT_EQ(r.status, 0) << r.err;
    return r.status == 0 ? json::parse(r.out) : json();
}

TEST(TransformCommand, ExactFitsOfTwoAndFourPairs) {
    TempDir dir;
    const std::string pairs =
        dir.write("pairs.txt", "# source -> target\n0 0 0  1 1 1\n1,0,0, 1,3,1\n");
    const auto rigid = run_json({"transform", pairs, "--apply", "-"}, "1 0 0\n");
    EXPECT_EQ(rigid.at("type"), "rigid");
    EXPECT_EQ(rigid.at("points").at(0), json::parse("[1, 2, 1]"));
    EXPECT_EQ(rigid.at("residuals"), json::parse("[0, 1]"));
    EXPECT_TRUE(rigid.at("orthonormal").get<bool>());
    EXPECT_EQ(rigid.at("matrix").at(3), json::parse("[0, 0, 0, 1]"));
    const auto similar =
        run_json({"transform", pairs, "--type", "similarity", "--apply", "-"}, "1 0 0\n");
    EXPECT_EQ(similar.at("points").at(0), json::parse("[1, 3, 1]"));
    EXPECT_FALSE(similar.at("orthonormal").get<bool>());
    const auto text = run_kv3d({"transform", pairs});
    EXPECT_NE(text.out.find("[  0  -1  0  1 ]"), std::string::npos) << text.out;

    // Four pairs fix an affine map; a fifth is only measured.
    const auto affine =
        run_json({"transform", "--type", "affine", "-"},
                 "0 0 0 0 0 0\n1 0 0 1 0 0\n0 1 0 0 3 0\n0 0 1 1 0 1\n9 9 9 0 0 0\n");
    EXPECT_EQ(affine.at("pairs_used"), 4);
    EXPECT_EQ(affine.at("matrix").at(0), json::parse("[1, 0, 1, 0]"));
    EXPECT_EQ(affine.at("matrix").at(1), json::parse("[0, 3, 0, 0]"));
    EXPECT_EQ(affine.at("residuals").at(3).get<double>(), 0.0);
    EXPECT_GT(affine.at("residuals").at(4).get<double>(), 1.0);
}

// A random rigid motion (rotation from a random unit quaternion, random
// shift) carried by five random pairs: the rigid fit reproduces it.
TEST(TransformCommand, RandomRigidMotionsAreRecovered) {
    std::mt19937 rng(4242);
    std::normal_distribution<double> gauss(0.0, 1.0);
    std::uniform_real_distribution<double> coord(-100.0, 100.0);
    for (int round = 0; round < 10; ++round) {
        double q[4] = {gauss(rng), gauss(rng), gauss(rng), gauss(rng)};
        const double n = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
        const double w = q[0] / n, x = q[1] / n, y = q[2] / n, z = q[3] / n;
        const double R[3][4] = {
            {1 - 2 * (y * y + z * z), 2 * (x * y - w * z), 2 * (x * z + w * y), coord(rng)},
            {2 * (x * y + w * z), 1 - 2 * (x * x + z * z), 2 * (y * z - w * x), coord(rng)},
            {2 * (x * z - w * y), 2 * (y * z + w * x), 1 - 2 * (x * x + y * y), coord(rng)}};
        auto line = [&](const double p[3], bool moved) {
            std::string s;
            for (int i = 0; i < 3; ++i) {
                const double v =
                    moved ? R[i][0] * p[0] + R[i][1] * p[1] + R[i][2] * p[2] + R[i][3] : p[i];
                s += format_number(v) + " ";
            }
            return s;
        };
        std::string pairs;
        for (int i = 0; i < 5; ++i) {
            const double p[3] = {coord(rng), coord(rng), coord(rng)};
            pairs += line(p, false) + line(p, true) + "\n";
        }
        const double probe[3] = {coord(rng), coord(rng), coord(rng)};
        TempDir dir;
        const auto doc =
            run_json({"transform", "-", "--apply", dir.write("p.txt", line(probe, false))}, pairs);
        EXPECT_EQ(doc.at("pairs_used"), 3);
        EXPECT_LT(doc.at("max_residual").get<double>(), 1e-9);
        for (int i = 0; i < 3; ++i) {
            const double expected =
                R[i][0] * probe[0] + R[i][1] * probe[1] + R[i][2] * probe[2] + R[i][3];
            EXPECT_NEAR(doc.at("points").at(0).at(i).get<double>(), expected, 1e-9);
            for (int j = 0; j < 4; ++j) {
                EXPECT_NEAR(doc.at("matrix").at(i).at(j).get<double>(), R[i][j], 1e-9);
            }
        }
    }
}

TEST(TransformCommand, BadInputGivesOneLineAndStatusTwo) {
    TempDir dir;
    const std::string collinear = dir.write("c.txt", "0 0 0 1 1 1\n1 0 0 2 1 1\n2 0 0 3 1 1\n");
    const std::string good = dir.write("g.txt", "0 0 0 1 1 1\n");
    const struct {
        std::vector<std::string> args;
        std::string std_in;
        std::string err;
    } cases[] = {
        {{"transform", collinear},
         "",
         "kv3d: " + collinear +
             ": the points of the pairs used are coincident or collinear, the fitted transform is "
             "singular\n"},
        {{"transform", "-"},
         "0 0 0 1 1 1\n1 0 0 2 1\n",
         "kv3d: <stdin>:2: expected six finite numbers, found 5\n"},
        {{"transform", good, "--apply", "-"},
         "1 2 3\n4 5\n",
         "kv3d: <stdin>:2: expected three finite numbers, found 2\n"},
        {{"transform", "-", "--apply", "-"},
         "",
         "kv3d: standard input ('-') can feed only one of the two files\n"},
        {{"transform", "-"}, "", "kv3d: <stdin>: 0 point pairs, at least 1 needed\n"},
        {{"transform", good, "--type", "projective"}, "", ""},
        {{"transform", good, "--apply"}, "", ""},
    };
    for (const auto& c : cases) {
        const auto r = run_kv3d(c.args, c.std_in);
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.out.empty());
        EXPECT_TRUE(is_one_line(r.err)) << r.err;
        if (!c.err.empty()) {
            EXPECT_EQ(r.err, c.err);
        }
    }
    // A single pair is a translation, and enough.
    EXPECT_EQ(run_json({"transform", good, "--apply", "-"}, "5 5 5\n").at("points").at(0),
              json::parse("[6, 6, 6]"));
}

}  // namespace
