#include <nlohmann/json.hpp>
#include <string>

#include <gtest/gtest.h>

#include "CliTestSupport.h"

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
    const std::string bad_line =
        "kv3d: " + bad + ":2: expected three finite numbers, 'six' is not a number\n";
    const struct {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{"bounds", bad}, bad_line},
        {{"bounds", "--json", bad}, bad_line},
        {{"bounds", "-"}, "kv3d: <stdin>: 0 points, at least 1 needed\n"},
        {{"bounds"}, ""},
        {{"bounds", bad, "--nope"}, ""},
        {{"bounds", bad, "extra"}, ""},
    };
    for (const auto& c : cases) {
        const auto r = run_kv3d(c.args);
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.out.empty());
        EXPECT_TRUE(is_one_line(r.err)) << r.err;
        if (!c.err.empty()) {
            EXPECT_EQ(r.err, c.err);
        }
    }
}

}  // namespace
