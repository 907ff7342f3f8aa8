#include <nlohmann/json.hpp>
#include <string>

#include <gtest/gtest.h>

#include "CliTestSupport.h"

namespace {

using cli_test::run_json;
using cli_test::run_kv3d;
using cli_test::write_file;
using nlohmann::json;

TEST(Cli, HelpAndDemoInTextAndJson) {
    EXPECT_NE(run_kv3d({"--help"}).out.find("'#' starts a comment"), std::string::npos);
    EXPECT_NE(run_kv3d({"demo", "--help"}).out.find("--json"), std::string::npos);
    EXPECT_EQ(run_kv3d({"--version"}).out, "kv3d " KV3D_VERSION "\n");
    const auto text = run_kv3d({"demo"});
    EXPECT_EQ(text.status, 0);
    EXPECT_TRUE(text.err.empty());
    EXPECT_NE(text.out.find("Kv3dPoint( 1.5, -2, 8000)"), std::string::npos);

    const json doc = run_json({"demo"});
    EXPECT_EQ(doc.at("resolution").at("same_point_tol").get<double>(), 0.001);
    EXPECT_TRUE(doc.at("triangle").at("coplanar_inside").get<bool>());
    EXPECT_EQ(doc.at("clash").at("pairs"), json::parse("[[0, 4], [3, 0], [3, 1], [3, 2]]"));
}

TEST(BoundsCommand, ReportsBoxOfFileAndStandardInput) {
    const auto text =
        run_kv3d({"bounds", write_file("p.txt", "# bracket\n0 0 0\n40, 5, 0\n\n5\t30\t12\n")});
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("(40, 30, 12)"), std::string::npos) << text.out;

    json doc = run_json({"bounds", "-"}, "1 2 3\n-1 5 0\n0 0 9000\n");
    doc.erase("sphere");  // checked in BoundsSphereTest.cpp
    EXPECT_EQ(doc, json::parse(R"({"command": "bounds", "points": 3,)"
                               R"( "box": {"min": [-1, 0, 0], "max": [1, 5, 9000],)"
                               R"( "size": [2, 5, 9000], "center": [0, 2.5, 4500]},)"
                               R"( "out_of_range": 1})"));
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
    EXPECT_NE(text.out.find("[  0  -1  0  1 ]"), std::string::npos) << text.out;

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

// Bad arguments or input give status 2, nothing on standard output and one
// line on standard error naming the file and line ("" below: any one line).
TEST(Cli, EveryCommandRefusesBadInputWithOneLine) {
    const std::string bad = write_file("bad.txt", "1 2 3\n4 5 six\n");
    const std::string bad_line =
        "kv3d: " + bad + ":2: expected three finite numbers, 'six' is not a number\n";
    const std::string line = write_file("c.txt", "0 0 0 1 1 1\n1 0 0 2 1 1\n2 0 0 3 1 1\n");
    const std::string pair = write_file("g.txt", "0 0 0 1 1 1\n");
    const std::string empty = write_file("empty.txt", "# nothing\n");
    const std::string triangle = write_file("t.txt", "0 0 0 1 0 0 0 1 0\n");
    const std::string one_input = "kv3d: standard input ('-') can feed only one of the two files\n";
    const struct {
        std::vector<std::string> args;
        std::string std_in, err;
    } cases[] = {
        {{}, "", ""},
        {{"nonsense"}, "", ""},
        {{"demo", "--frobnicate"}, "", ""},
        {{"bounds", bad}, "", bad_line},
        {{"bounds", "--json", bad}, "", bad_line},
        {{"bounds", "-"}, "", "kv3d: <stdin>: 0 points, at least 1 needed\n"},
        {{"transform", line},
         "",
         "kv3d: " + line +
             ": the points of the pairs used are coincident or collinear, the fitted transform is "
             "singular\n"},
        {{"transform", "-"},
         "1 0 0 2 1\n",
         "kv3d: <stdin>:1: expected six finite numbers, found 5\n"},
        {{"transform", pair, "--apply", "-"}, "4 5\n", ""},
        {{"transform", "-", "--apply", "-"}, "", one_input},
        {{"transform", "-"}, "", "kv3d: <stdin>: 0 point pairs, at least 1 needed\n"},
        {{"transform", pair, "--type", "projective"}, "", ""},
        {{"clash", empty, pair}, "", "kv3d: " + empty + ": 0 triangles, at least 1 needed\n"},
        {{"clash", "-", pair}, "0 0 0 1 0 0 0 1 0\n", ""},
        {{"clash", "-", "-"}, "", one_input},
        {{"clash", "-", triangle, "--threads", "-1"},
         "0 0 0 1 0 0 0 1 0\n",
         "kv3d: --threads: Value -1 not in range 0 to 1024 (see kv3d --help)\n"},
    };
    for (const auto& c : cases) {
        const auto r = run_kv3d(c.args, c.std_in);
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.out.empty());
        EXPECT_TRUE(r.err.rfind("kv3d: ", 0) == 0 && r.err.find('\n') == r.err.size() - 1) << r.err;
        EXPECT_TRUE(c.err.empty() || r.err == c.err) << r.err;
    }
}

}  // namespace
