#include <algorithm>
#include <limits>

#include "CliTestSupport.h"
#include "InputError.h"
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

// What a read gives: the coordinates, or the message of the InputError thrown.
struct Outcome {
    std::string format;
    std::vector<double> coords;
    std::string error;
};

template <class Read>
Outcome outcome(Read read) {
    Outcome o;
    try {
        const kv3dcli::TriangleSet set = read();
        o.format = set.format;
        o.coords = set.coords;
    } catch (const kv3dcli::InputError& e) {
        o.error = e.what();
    }
    return o;
}

std::string ascii_with(const std::string& from, const std::string& to) {
    std::string s = kAscii;
    return s.replace(s.find(from), from.size(), to);
}

// A read that fails with the message, after the file name.
Outcome bad(const std::string& error) { return Outcome{"", {}, error}; }

// The format told by content, never by name, and the triangles or the message
// naming the line (or triangle) of a bad file; the same from memory, from a
// file and from standard input (size unknown until the end), the large cases
// across many buffers.
TEST(TriangleFileReader, ReadsEachFormatFromMemoryFilesAndStandardInput) {
    cli_test::Mesh mesh;
    std::string text;
    std::vector<double> coords;
    for (int i = 0; i < 30000; ++i) {  // 1.5 MB of binary STL, more as text
        std::array<float, 9> t;
        for (std::size_t k = 0; k < 9; ++k) {
            t[k] = static_cast<float>((i * 9 + static_cast<int>(k)) % 1013) * 0.125f;
            text += std::to_string(t[k]) + (k < 8 ? " " : "\n");
            coords.push_back(t[k]);
        }
        mesh.push_back(t);
    }
    std::string truncated = binary_stl(mesh), cut = binary_stl(kTwo, "solid x");
    truncated.pop_back();
    cut.resize(cut.size() - 10);
    cli_test::Mesh with_nan = kTwo;
    with_nan[1][4] = std::numeric_limits<float>::quiet_NaN();
    const std::vector<double> two = {0,   0,    0,  1,   0,    0, 0, 1, 0,
                                     0.5, 0.25, -1, 0.5, 0.25, 1, 2, 2, 0};
    const struct {
        std::string data;
        Outcome expected;
    } cases[] = {
        {binary_stl(kTwo, "binary part"), {"binary STL", two, ""}},
        {binary_stl(kTwo, "solid exported by some CAD"), {"binary STL", two, ""}},  // size decides
        {kAscii, {"ASCII STL", two, ""}},
        {"# two\n0 0 0 1 0 0 0 1 0\n0.5,0.25,-1, 0.5,0.25,1, 2,2,0\n", {"text", two, ""}},
        {binary_stl({}), {"binary STL", {}, ""}},
        {"solid e\nendsolid e\n", {"ASCII STL", {}, ""}},
        {binary_stl(mesh, "solid but binary"), {"binary STL", coords, ""}},
        {text, {"text", coords, ""}},
        {truncated, bad(": truncated binary STL: the header announces 30000 triangles (1500084 "
                        "bytes), the file has 1500083 bytes")},
        {cut, bad(": truncated binary STL: the header announces 2 triangles (184 bytes), the file "
                  "has 174 bytes")},
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
            const Outcome got = outcome([&] {
                return from[0] == 'm'   ? TriangleFileReader::parse(InputText{"f", c.data})
                       : from[0] == 'a' ? TriangleFileReader(in).read(path, 0)
                                        : TriangleFileReader(in).read("-", 0);
            });
            const std::string name = "row " + std::to_string(&c - cases) + " (" +
                                     c.expected.format + c.expected.error + ") from " + from;
            EXPECT_EQ(got.format, c.expected.format) << "case: " << name;
            EXPECT_EQ(got.coords, c.expected.coords) << "case: " << name;
            EXPECT_EQ(got.error.substr(std::min(got.error.find(':'), got.error.size())),
                      c.expected.error)
                << "case: " << name;
        }
    }
}

}  // namespace
