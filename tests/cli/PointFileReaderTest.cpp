#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CliTestSupport.h"
#include "InputError.h"
#include "InputReader.h"
#include "NumberFormat.h"
#include "PointFileReader.h"

namespace {

using cli_test::write_file;

// The coordinates read from path, or the message of the InputError thrown.
struct Read {
    std::vector<double> coords;
    std::string error;
};

Read read(const std::string& path, std::size_t min_points = 1, const std::string& std_in = "") {
    std::istringstream in(std_in);
    Read r;
    try {
        for (const Kv3dPoint& p : kv3dcli::PointFileReader(in).read_points(path, min_points)) {
            r.coords.insert(r.coords.end(), {p.x(), p.y(), p.z()});
        }
    } catch (const kv3dcli::InputError& e) {
        r.error = e.what();
    }
    return r;
}

TEST(PointFileReader, ReadsCommentsBlankLinesCommasTabsAndStandardInput) {
    const Read r = read(write_file("p.txt",
                                   "# a header comment\n\n  4,5,6   # trailing comment\n7\t8\t9\r\n"
                                   "-1.5e3 , +2 ,.25\n   \t  \n1e-400 11 12"));  // no final newline
    EXPECT_EQ(r.coords, std::vector<double>({4, 5, 6, 7, 8, 9, -1500, 2, 0.25, 0, 11, 12}))
        << r.error;
    EXPECT_EQ(read("-", 2, "1 2 3\n4,5,6\n").coords, std::vector<double>({1, 2, 3, 4, 5, 6}));

    // Random numbers in the tool's own format, with random separators, comments
    // and blank lines, read back bit for bit.
    std::mt19937_64 rng(20240611);
    std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
    const char* const within[] = {" ", "\t", ",", " , ", "  ", ",\t"};
    const char* const between[] = {" # c\n", "\n", "\n\n \t\n", "\n# 1 2 3\n"};
    for (int round = 0; round < 20; ++round) {
        std::vector<double> expected(3 + 3 * (rng() % 40));
        std::string content;
        for (std::size_t i = 0; i < expected.size(); ++i) {
            expected[i] = std::ldexp(mantissa(rng), static_cast<int>(rng() % 61) - 30);
            content += kv3dcli::format_number(expected[i]);
            content += i % 3 < 2 ? within[rng() % 6] : between[rng() % 4];
        }
        EXPECT_EQ(read(write_file("r.txt", content)).coords, expected);
    }
}

TEST(PointFileReader, StreamsLargeFilesAcrossBufferBoundariesBitForBit) {
    // Over three buffers of lines in every accepted spelling, read from a file
    // and from standard input, against strtod of each token.
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
    const char* const forms[] = {"%.17g", "%.3f", "%+.6e", "%.0f."};
    std::string content;
    std::vector<double> expected;
    while (content.size() < 3 * kv3dcli::InputReader::kBufferBytes + 1000) {
        for (int k = 0; k < 3; ++k) {
            const double v = std::ldexp(mantissa(rng), static_cast<int>(rng() % 80) - 40);
            char token[64];
            std::snprintf(token, sizeof token, forms[rng() % 4], v);
            expected.push_back(std::strtod(token, nullptr));
            content += token;
            content += k < 2 ? (rng() % 2 ? " " : " ,\t") : (rng() % 3 ? "\n" : " # c\r\n");
        }
    }
    EXPECT_EQ(read(write_file("big.txt", content)).coords, expected) << "case: file";
    EXPECT_EQ(read("-", 1, content).coords, expected) << "case: standard input";
    const std::string long_line(kv3dcli::InputReader::kBufferBytes + 1, ' ');
    const std::string p = write_file("long.txt", "1 2 3\n" + long_line + "\n");
    EXPECT_EQ(read(p).error, p + ":2: line longer than 1048576 bytes");
}

TEST(PointFileReader, BadInputNamesFileAndLine) {
    const std::string p = write_file("p.txt", ""), expected = ": expected three finite numbers, ";
    const struct {
        const char* content;
        std::string error;
    } cases[] = {
        {"1 2 3\n\n1 2\n", ":3" + expected + "found 2"},
        {"1 2 3 4\n", ":1" + expected + "found 4"},
        {"# c\n1 2 nan\n", ":2" + expected + "'nan' is not finite"},
        {"1 1e999 2\n", ":1" + expected + "'1e999' is not finite"},
        {"1 2 3abc\n", ":1" + expected + "'3abc' is not a number"},
        {"1,,2,3\n", ":1" + expected + "empty field between commas"},
        {"# only a comment\n", ": 0 points, at least 1 needed"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(read(write_file("p.txt", c.content)).error, p + c.error);
    }
    EXPECT_EQ(read(write_file("p.txt", "1 2 3\n"), 2).error, p + ": 1 point, at least 2 needed");
    EXPECT_EQ(read("-", 1, "1 2\n").error, "<stdin>:1: expected three finite numbers, found 2");
    const std::string dir = cli_test::scratch_dir().string();
    EXPECT_EQ(read(dir + "/no.txt").error, dir + "/no.txt: cannot open: No such file or directory");
    EXPECT_EQ(read(dir).error, dir + ": cannot read: Is a directory");
}

}  // namespace
