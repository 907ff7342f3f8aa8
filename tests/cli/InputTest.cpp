#include <chrono>
#include <cstdio>

#include "CliTestSupport.h"
#include "InputError.h"
#include "InputReader.h"
#include "Progress.h"
#include "TriangleFileReader.h"

namespace {

using cli_test::binary_stl;
using kv3dcli::InputText;
using kv3dcli::TriangleFileReader;

const cli_test::Mesh kTwo = {{0, 0, 0, 1, 0, 0, 0, 1, 0},
                             {0.5f, 0.25f, -1, 0.5f, 0.25f, 1, 2, 2, 0}};

// Lines 1 to 16; keywords are read without regard to case.
const char* const kAscii =
    "solid part\n  facet normal 0 0 1\n    outer loop\n      vertex 0 0 0\n"
    "      vertex 1 0 0\n      vertex 0 1 0\n    endloop\n  endfacet\n"
    "  FACET NORMAL 0 0 0\n    OUTER LOOP\n      VERTEX 0.5 0.25 -1\n      VERTEX 0.5 0.25 1\n"
    "      VERTEX 2e0 2 0\n    ENDLOOP\n  ENDFACET\nendsolid part\n";

std::string ascii_with(const std::string& from, const std::string& to) {
    std::string s = kAscii;
    return s.replace(s.find(from), from.size(), to);
}

// What a read gives: the format and coordinates, or the message of the
// InputError thrown after the file name.
struct Outcome {
    std::string format;
    std::vector<double> coords{};
    std::string error{};
};

Outcome bad(const std::string& error) { return Outcome{"", {}, error}; }

// The format told by content, never by name, and the triangles or the message
// naming the line (or triangle) of a bad file; the same from memory, from a
// file and from standard input (size unknown until the end), the large cases
// across many buffers. Large text holds numbers in every accepted spelling,
// with random separators, comments, blank lines and line ends, read bit for
// bit as strtod reads each token (points are read the same way); its last line
// has no line end and a number too small for a double, which reads as 0.
TEST(TriangleFileReader, ReadsEachFormatFromMemoryFilesAndStandardInput) {
    cli_test::Mesh mesh(30000);  // 1.5 MB of binary STL
    std::vector<double> coords, text_coords;
    for (std::size_t i = 0; i < mesh.size() * 9; ++i) {
        coords.push_back(mesh[i / 9][i % 9] = static_cast<float>(i % 1013) * 0.125f);
    }
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
    const char* const forms[] = {"%.17g", "%.3f", "%+.6e", "%.0f.", "  %.4f"};
    const char* const within[] = {" ", "\t", ",", " , ", "  ", ",\t"};
    const char* const between[] = {" # c\n", "\n", "\n\n \t\n", "\n# 1 2 3\n", " # c\r\n", "\r\n"};
    std::string text = "# a header\n\n";
    for (int k = 0; text.size() < 3 * kv3dcli::InputReader::kBufferBytes || k % 9; ++k) {
        const double v = std::ldexp(mantissa(rng), static_cast<int>(rng() % 80) - 40);
        char token[64];
        std::snprintf(token, sizeof token, forms[rng() % 5], v);
        text_coords.push_back(std::strtod(token, nullptr));
        text += token;
        text += k % 9 < 8 ? within[rng() % 6] : between[rng() % 6];
    }
    text += "1e-400 .25 12 0 0 0 0 0 0";
    text_coords.insert(text_coords.end(), {0, 0.25, 12, 0, 0, 0, 0, 0, 0});
    std::string cut = binary_stl(kTwo, "solid x");
    cut.resize(cut.size() - 10);
    cli_test::Mesh with_nan = kTwo;
    with_nan[1][4] = std::numeric_limits<float>::quiet_NaN();
    const std::vector<double> two = {0,   0,    0,  1,   0,    0, 0, 1, 0,
                                     0.5, 0.25, -1, 0.5, 0.25, 1, 2, 2, 0};
    const struct {
        std::string data;
        Outcome expected;
    } cases[] = {
        {binary_stl(kTwo, "binary part"), {"binary STL", two}},
        {binary_stl(kTwo, "solid exported by some CAD"), {"binary STL", two}},  // size decides
        {kAscii, {"ASCII STL", two}},
        {"# two\n0 0 0 1 0 0 0 1 0\n0.5,0.25,-1, 0.5,0.25,1, 2,2,0\n", {"text", two}},
        {binary_stl({}), {"binary STL", {}}},
        {"solid e\nendsolid e\n", {"ASCII STL", {}}},
        {binary_stl(mesh, "solid but binary"), {"binary STL", coords}},
        {text, {"text", text_coords}},
        {cut, bad(": truncated binary STL: the header announces 2 triangles (184 bytes), the "
                  "file has 174 bytes")},
        {binary_stl(kTwo, "", 1), bad(": malformed binary STL: the header announces 1 triangles "
                                      "(134 bytes), the file has 184 bytes")},
        {std::string("\0\0\0", 3), bad(": binary STL of 3 bytes, shorter than its 84-byte header")},
        {binary_stl(with_nan), bad(": triangle 1: vertex coordinate is not finite")},
        {ascii_with("vertex 1 0 0", "vertex 1 0"),
         bad(":5: expected 'vertex' and three finite numbers, found 2")},
        {ascii_with("vertex 1 0 0", "vertex 1 -inf 0"),
         bad(":5: expected 'vertex' and three finite numbers, '-inf' is not finite")},
        {ascii_with("      vertex 0 1 0\n", ""), bad(":6: a facet with 2 vertices, expected 3")},
        {ascii_with("endloop", "vertex 0 1 0\nendloop"),
         bad(":7: a facet with more than three vertices")},
        {ascii_with("  endfacet\n", ""), bad(":8: expected 'endfacet', found 'FACET'")},
        {ascii_with("endsolid part\n", ""), bad(":15: unexpected end of file, 'endsolid' missing")},
        {std::string(kAscii) + "junk\n", bad(":17: expected 'solid' or the end, found 'junk'")},
        {"0 0 0 1 0 0 0 1\n", bad(":1: expected nine finite numbers, found 8")},
    };
    for (const auto& c : cases) {
        const std::string path = cli_test::write_file("t.stl", c.data);
        for (const char* from : {"memory", "a file", "standard input"}) {
            std::istringstream in(c.data);
            Outcome got;
            try {
                const kv3dcli::TriangleSet set =
                    from[0] == 'm'   ? TriangleFileReader::parse(InputText{"f", c.data})
                    : from[0] == 'a' ? TriangleFileReader(in).read(path, 0)
                                     : TriangleFileReader(in).read("-", 0);
                got = {set.format, set.coords, ""};
            } catch (const kv3dcli::InputError& e) {
                got.error = e.what();
                got.error.erase(0, got.error.find(':'));
            }
            const std::string name = "row " + std::to_string(&c - cases) + " (" +
                                     c.expected.format + c.expected.error + ") from " + from;
            EXPECT_EQ(got.format, c.expected.format) << "case: " << name;
            EXPECT_EQ(got.coords, c.expected.coords) << "case: " << name;
            EXPECT_EQ(got.error, c.expected.error) << "case: " << name;
        }
    }
}

// Work done within the first second leaves the terminal untouched; longer
// work shows a line, redrawn in place and erased at the end.
TEST(Progress, ShowsOnlyLongWorkAndErasesItsLine) {
    std::ostringstream terminal;
    {
        kv3dcli::Progress progress(&terminal, "reading a.txt");
        for (int i = 0; i < 100000; ++i) {
            progress.update(50, 200);
        }
        EXPECT_EQ(terminal.str(), "") << "case: short work";
        const auto start = std::chrono::steady_clock::now();
        while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(1300)) {
            progress.update(50, 200);
        }
    }
    EXPECT_TRUE(cli_test::contains(terminal.str(), "\rreading a.txt: 25%")) << "case: the line";
    EXPECT_EQ(terminal.str().rfind('\r') + 1, terminal.str().size()) << "case: erased at the end";
}

}  // namespace
