#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "CliTestSupport.h"
#include "InputReader.h"
#include "PointFileReader.h"

namespace {

using cli_test::write_file;

// The coordinates of the points read from path.
std::vector<double> read(const std::string& path, const std::string& std_in = "") {
    std::istringstream in(std_in);
    std::vector<double> coords;
    for (const Kv3dPoint& p : kv3dcli::PointFileReader(in).read_points(path, 1)) {
        coords.insert(coords.end(), {p.x(), p.y(), p.z()});
    }
    return coords;
}

// Over three buffers of lines in every accepted spelling, with random
// separators, comments, blank lines and line ends, read from a file and from
// standard input, against strtod of each token. The last line has no line end
// and a number too small for a double, which reads as 0.
TEST(PointFileReader, StreamsLargeFilesAcrossBufferBoundariesBitForBit) {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
    const char* const forms[] = {"%.17g", "%.3f", "%+.6e", "%.0f.", "  %.4f"};
    const char* const within[] = {" ", "\t", ",", " , ", "  ", ",\t"};
    const char* const between[] = {" # c\n", "\n", "\n\n \t\n", "\n# 1 2 3\n", " # c\r\n", "\r\n"};
    std::string content = "# a header\n\n";
    std::vector<double> expected;
    while (content.size() < 3 * kv3dcli::InputReader::kBufferBytes + 1000) {
        for (int k = 0; k < 3; ++k) {
            const double v = std::ldexp(mantissa(rng), static_cast<int>(rng() % 80) - 40);
            char token[64];
            std::snprintf(token, sizeof token, forms[rng() % 5], v);
            expected.push_back(std::strtod(token, nullptr));
            content += token;
            content += k < 2 ? within[rng() % 6] : between[rng() % 6];
        }
    }
    content += "1e-400 .25 12";
    expected.insert(expected.end(), {0, 0.25, 12});
    EXPECT_EQ(read(write_file("big.txt", content)), expected) << "case: file";
    EXPECT_EQ(read("-", content), expected) << "case: standard input";
}

}  // namespace
