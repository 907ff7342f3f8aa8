#include <cmath>
#include <random>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "CliTestSupport.h"
#include "InputError.h"
#include "NumberFormat.h"
#include "PointFileReader.h"

namespace {

using cli_test::TempDir;
using kv3dcli::InputError;
using kv3dcli::PointFileReader;

// The message of the InputError that reading path throws; "" when it reads.
std::string read_error(const std::string& path, std::size_t min_points = 1,
                       const std::string& std_in = "") {
    std::istringstream in(std_in);
    try {
        PointFileReader(in).read_points(path, min_points);
    } catch (const InputError& e) {
        return e.what();
    }
    return "";
}

TEST(PointFileReader, ReadsCommentsBlankLinesCommasAndTabs) {
    TempDir dir;
    const std::string path = dir.write("points.txt",
                                       "# a header comment\n"
                                       "\n"
                                       "  4,5,6   # trailing comment\n"
                                       "7\t8\t9\r\n"
                                       "-1.5e3 , +2 ,.25\n"
                                       "   \t  \n"
                                       "10 11 12");  // no final newline
    std::istringstream in;
    const KvArray<Kv3dPoint> points = PointFileReader(in).read_points(path, 1);
    ASSERT_EQ(points.size(), 4u);
    EXPECT_EQ(points[0].z(), 6.0);
    EXPECT_EQ(points[1].y(), 8.0);
    EXPECT_EQ(points[2].x(), -1500.0);
    EXPECT_EQ(points[2].y(), 2.0);
    EXPECT_EQ(points[2].z(), 0.25);
    EXPECT_EQ(points[3].z(), 12.0);

    std::istringstream std_in("1 2 3\n4,5,6\n");
    EXPECT_EQ(PointFileReader(std_in).read_points("-", 2)[1].y(), 5.0);
}

TEST(PointFileReader, BadInputNamesFileAndLine) {
    TempDir dir;
    const std::string p = dir.path("p.txt");
    const std::string expected = ": expected three finite numbers, ";
    const struct {
        const char* content;
        std::string error;
    } cases[] = {
        {"1 2 3\n\n1 2\n", ":3" + expected + "found 2"},
        {"1 2 3 4\n", ":1" + expected + "found 4"},
        {"# c\n1 2 nan\n", ":2" + expected + "'nan' is not finite"},
        {"1 -inf 2\n", ":1" + expected + "'-inf' is not finite"},
        {"1 1e999 2\n", ":1" + expected + "'1e999' is not finite"},
        {"1 2 3abc\n", ":1" + expected + "'3abc' is not a number"},
        {"1,,2,3\n", ":1" + expected + "empty field between commas"},
        {"1,2,3,\n", ":1" + expected + "empty field between commas"},
        {"1e-400 2 3\n", ""},  // underflow reads as zero
        {"# only a comment\n", ": 0 points, at least 1 needed"},
    };
    for (const auto& c : cases) {
        dir.write("p.txt", c.content);
        EXPECT_EQ(read_error(p), c.error.empty() ? "" : p + c.error);
    }
    EXPECT_EQ(read_error(dir.write("one.txt", "1 2 3\n"), 2),
              dir.path("one.txt") + ": 1 point, at least 2 needed");
    EXPECT_EQ(read_error("-", 1, "1 2\n"), "<stdin>:1: expected three finite numbers, found 2");
    EXPECT_EQ(read_error(dir.path("missing.txt")),
              dir.path("missing.txt") + ": cannot open: No such file or directory");
    EXPECT_EQ(read_error(dir.path("")), dir.path("") + ": cannot read: Is a directory");
}

// Random files in the tool's own number format, with random separators,
// comments and blank lines, read back bit for bit.
TEST(PointFileReader, RandomFilesRoundTrip) {
    TempDir dir;
    std::mt19937_64 rng(20240611);
    std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(-30, 30);
    const char* const separators[] = {" ", "\t", ",", " , ", "  ", ",\t"};
    for (int round = 0; round < 20; ++round) {
        std::vector<double> expected;
        std::string content;
        for (int i = 1 + static_cast<int>(rng() % 40); i > 0; --i) {
            if (rng() % 5 == 0) {
                content += (rng() % 2 == 0) ? "\n" : "   # comment 1 2 3\n";
            }
            for (int k = 0; k < 3; ++k) {
                expected.push_back(std::ldexp(mantissa(rng), exponent(rng)));
                content += kv3dcli::format_number(expected.back());
                content += k < 2 ? separators[rng() % 6] : (rng() % 3 == 0 ? " # c\n" : "\n");
            }
        }
        std::istringstream in;
        const auto points = PointFileReader(in).read_points(dir.write("r.txt", content), 1);
        ASSERT_EQ(points.size() * 3, expected.size());
        for (std::size_t i = 0; i < points.size(); ++i) {
            EXPECT_EQ(points[i].x(), expected[3 * i]);
            EXPECT_EQ(points[i].y(), expected[3 * i + 1]);
            EXPECT_EQ(points[i].z(), expected[3 * i + 2]);
        }
    }
}

}  // namespace
