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
                                       "1 2 3\n"
                                       "  4,5,6   # trailing comment\n"
                                       "7\t8\t9\r\n"
                                       "-1.5e3 , +2 ,.25\n"
                                       "   \t  \n"
                                       "10 11 12");  // no final newline
    std::istringstream in;
    const KvArray<Kv3dPoint> points = PointFileReader(in).read_points(path, 1);
    ASSERT_EQ(points.size(), 5u);
    EXPECT_EQ(points[1].x(), 4.0);
    EXPECT_EQ(points[1].z(), 6.0);
    EXPECT_EQ(points[2].y(), 8.0);
    EXPECT_EQ(points[3].x(), -1500.0);
    EXPECT_EQ(points[3].y(), 2.0);
    EXPECT_EQ(points[3].z(), 0.25);
    EXPECT_EQ(points[4].z(), 12.0);
}

TEST(PointFileReader, BadLinesNameFileAndLine) {
    TempDir dir;
    const std::string p = dir.path("p.txt");
    auto error_of = [&](const std::string& content) {
        dir.write("p.txt", content);
        return read_error(p);
    };
    EXPECT_EQ(error_of("1 2 3\n\n1 2\n"), p + ":3: expected three finite numbers, found 2");
    EXPECT_EQ(error_of("1 2 3 4\n"), p + ":1: expected three finite numbers, found 4");
    EXPECT_EQ(error_of("# c\n1 2 nan\n"),
              p + ":2: expected three finite numbers, 'nan' is not finite");
    EXPECT_EQ(error_of("1 -inf 2\n"),
              p + ":1: expected three finite numbers, '-inf' is not finite");
    EXPECT_EQ(error_of("1 1e999 2\n"),
              p + ":1: expected three finite numbers, '1e999' is not finite");
    EXPECT_EQ(error_of("1 2 x\n"), p + ":1: expected three finite numbers, 'x' is not a number");
    EXPECT_EQ(error_of("1 2 3abc\n"),
              p + ":1: expected three finite numbers, '3abc' is not a number");
    EXPECT_EQ(error_of("1,,2,3\n"),
              p + ":1: expected three finite numbers, empty field between commas");
    EXPECT_EQ(error_of("1,2,3,\n"),
              p + ":1: expected three finite numbers, empty field between commas");
    EXPECT_EQ(error_of(",1,2,3\n"),
              p + ":1: expected three finite numbers, empty field between commas");
    EXPECT_EQ(error_of("1 2 3\n0x10 1 1\n"),
              p + ":2: expected three finite numbers, '0x10' is not a number");
    EXPECT_EQ(error_of("1 2 3\n\n\n\n1 2 3 # ok\n1 2 --3\n"),
              p + ":6: expected three finite numbers, '--3' is not a number");
    // Underflow is no error: the value reads as (almost) zero.
    EXPECT_EQ(error_of("1e-400 2 3\n"), "");
}

TEST(PointFileReader, TooFewPointsAndUnreadableFiles) {
    TempDir dir;
    EXPECT_EQ(read_error(dir.write("empty.txt", "")),
              dir.path("empty.txt") + ": 0 points, at least 1 needed");
    EXPECT_EQ(read_error(dir.write("comments.txt", "# only\n\n"), 1),
              dir.path("comments.txt") + ": 0 points, at least 1 needed");
    EXPECT_EQ(read_error(dir.write("one.txt", "1 2 3\n"), 2),
              dir.path("one.txt") + ": 1 point, at least 2 needed");
    EXPECT_EQ(read_error(dir.write("zero_ok.txt", ""), 0), "");

    const std::string missing = dir.path("missing.txt");
    EXPECT_EQ(read_error(missing), missing + ": cannot open: No such file or directory");
    // A directory opens but cannot be read.
    const std::string directory = dir.path("");
    EXPECT_NE(read_error(directory).find("cannot read"), std::string::npos)
        << read_error(directory);
}

TEST(PointFileReader, DashReadsStandardInput) {
    std::istringstream in("1 2 3\n4,5,6\n");
    const KvArray<Kv3dPoint> points = PointFileReader(in).read_points("-", 1);
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[1].y(), 5.0);
    EXPECT_EQ(read_error("-", 1, "1 2\n"), "<stdin>:1: expected three finite numbers, found 2");
}

TEST(PointFileReader, PairsHaveSixNumbers) {
    TempDir dir;
    std::istringstream in;
    const std::string path = dir.write("pairs.txt", "0 0 0  1 1 1\n1,0,0, 1,3,1\n");
    const auto pairs = PointFileReader(in).read_pairs(path, 1);
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(pairs[1].first.x(), 1.0);
    EXPECT_EQ(pairs[1].second.y(), 3.0);
    dir.write("pairs.txt", "0 0 0 1 1 1\n0 0 0\n");
    try {
        PointFileReader(in).read_pairs(path, 1);
        FAIL() << "a short pair line was accepted";
    } catch (const InputError& e) {
        EXPECT_EQ(std::string(e.what()), path + ":2: expected six finite numbers, found 3");
    }
}

// Random files written in the tool's own number format and with random
// separators, comments and blank lines read back bit for bit.
TEST(PointFileReader, RandomFilesRoundTrip) {
    TempDir dir;
    std::mt19937_64 rng(20240611);
    std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(-30, 30);
    const char* const separators[] = {" ", "\t", ",", " , ", "  ", ",\t"};
    for (int round = 0; round < 20; ++round) {
        std::vector<double> expected;
        std::string content;
        const int lines = 1 + static_cast<int>(rng() % 40);
        for (int i = 0; i < lines; ++i) {
            if (rng() % 5 == 0) {
                content += (rng() % 2 == 0) ? "\n" : "   # comment 1 2 3\n";
            }
            for (int k = 0; k < 3; ++k) {
                const double v = std::ldexp(mantissa(rng), exponent(rng));
                expected.push_back(v);
                content += kv3dcli::format_number(v);
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
