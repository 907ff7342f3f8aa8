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
}

TEST(PointFileReader, StreamsLargeFilesAcrossBufferBoundariesBitForBit) {
    // Over three buffers of lines in every accepted spelling, with random
    // separators, comments and blank lines, read from a file and from standard
    // input, against strtod of each token.
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
    const char* const forms[] = {"%.17g", "%.3f", "%+.6e", "%.0f."};
    const char* const within[] = {" ", "\t", ",", " , ", "  ", ",\t"};
    const char* const between[] = {" # c\n", "\n", "\n\n \t\n", "\n# 1 2 3\n", " # c\r\n"};
    std::string content;
    std::vector<double> expected;
    while (content.size() < 3 * kv3dcli::InputReader::kBufferBytes + 1000) {
        for (int k = 0; k < 3; ++k) {
            const double v = std::ldexp(mantissa(rng), static_cast<int>(rng() % 80) - 40);
            char token[64];
            std::snprintf(token, sizeof token, forms[rng() % 4], v);
            expected.push_back(std::strtod(token, nullptr));
            content += token;
            content += k < 2 ? within[rng() % 6] : between[rng() % 5];
        }
    }
    EXPECT_EQ(read(write_file("big.txt", content)).coords, expected) << "case: file";
    EXPECT_EQ(read("-", 1, content).coords, expected) << "case: standard input";
}

// The messages of bad files are checked on the built tool (EndToEndTest.cpp).
TEST(PointFileReader, TooFewPointsAndLongLines) {
    const std::string p = write_file("p.txt", "1 2 3\n");
    EXPECT_EQ(read(p, 2).error, p + ": 1 point, at least 2 needed") << "case: one point";
    const std::string long_line(kv3dcli::InputReader::kBufferBytes + 1, ' ');
    const std::string q = write_file("long.txt", "1 2 3\n" + long_line + "\n");
    EXPECT_EQ(read(q).error, q + ":2: line longer than 1048576 bytes") << "case: long line";
}

}  // namespace
