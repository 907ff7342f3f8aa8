#include <cstdint>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CliTestSupport.h"
#include "InputError.h"
#include "TriangleFileReader.h"

namespace {

using cli_test::TempDir;
using kv3dcli::InputError;
using kv3dcli::InputText;
using kv3dcli::TriangleFileReader;
using kv3dcli::TriangleSet;

void put_u32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
    }
}

void put_f32(std::string& out, float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    put_u32(out, bits);
}

// A binary STL with the given header text and triangles (nine floats each).
std::string binary_stl(const std::string& header, const std::vector<std::vector<float>>& triangles,
                       std::uint32_t announced) {
    std::string out = header.substr(0, 80);
    out.resize(80, ' ');
    put_u32(out, announced);
    for (const auto& t : triangles) {
        for (int k = 0; k < 3; ++k) {
            put_f32(out, 0.0f);  // normal, unused
        }
        for (float c : t) {
            put_f32(out, c);
        }
        out += std::string(2, '\0');
    }
    return out;
}

const std::vector<std::vector<float>> kTwo = {{0, 0, 0, 1, 0, 0, 0, 1, 0},
                                              {0.5f, 0.25f, -1, 0.5f, 0.25f, 1, 2, 2, 0}};

const char* const kAscii =
    "solid part\n"
    "  facet normal 0 0 1\n"
    "    outer loop\n"
    "      vertex 0 0 0\n"
    "      vertex 1 0 0\n"
    "      vertex 0 1 0\n"
    "    endloop\n"
    "  endfacet\n"
    "  FACET NORMAL 0 0 0\n"
    "    OUTER LOOP\n"
    "      VERTEX 0.5 0.25 -1\n"
    "      VERTEX 0.5 0.25 1\n"
    "      VERTEX 2e0 2 0\n"
    "    ENDLOOP\n"
    "  ENDFACET\n"
    "endsolid part\n";

TriangleSet parse(const std::string& data) {
    return TriangleFileReader::parse(InputText{"f", data});
}

std::string parse_error(const std::string& data) {
    try {
        parse(data);
    } catch (const InputError& e) {
        return e.what();
    }
    return "";
}

void expect_two_triangles(const TriangleSet& set) {
    ASSERT_EQ(set.size(), 2u);
    EXPECT_EQ(set.triangle(0)[3], 1.0);
    EXPECT_EQ(set.triangle(1)[0], 0.5);
    EXPECT_EQ(set.triangle(1)[1], 0.25);
    EXPECT_EQ(set.triangle(1)[5], 1.0);
    EXPECT_EQ(set.triangle(1)[6], 2.0);
}

TEST(TriangleFileReader, FormatsAreToldApartByContent) {
    const TriangleSet binary = parse(binary_stl("binary part", kTwo, 2));
    EXPECT_EQ(binary.format, "binary STL");
    expect_two_triangles(binary);

    // A binary header starting with "solid" is still binary: the size decides.
    const TriangleSet solid_header = parse(binary_stl("solid exported by some CAD", kTwo, 2));
    EXPECT_EQ(solid_header.format, "binary STL");
    expect_two_triangles(solid_header);

    const TriangleSet ascii = parse(kAscii);
    EXPECT_EQ(ascii.format, "ASCII STL");
    expect_two_triangles(ascii);

    const TriangleSet text =
        parse("# two triangles\n0 0 0 1 0 0 0 1 0\n0.5,0.25,-1, 0.5,0.25,1, 2,2,0\n");
    EXPECT_EQ(text.format, "text");
    expect_two_triangles(text);

    // An empty binary STL holds no triangle; so does an empty solid.
    EXPECT_EQ(parse(binary_stl("", {}, 0)).size(), 0u);
    EXPECT_EQ(parse("solid empty\nendsolid empty\n").size(), 0u);
}

TEST(TriangleFileReader, BadBinaryFiles) {
    std::string truncated = binary_stl("solid x", kTwo, 2);
    truncated.resize(truncated.size() - 10);
    EXPECT_EQ(parse_error(truncated),
              "f: truncated binary STL: the header announces 2 triangles (184 bytes), the file has "
              "174 bytes");
    EXPECT_EQ(parse_error(binary_stl("", kTwo, 3)),
              "f: truncated binary STL: the header announces 3 triangles (234 bytes), the file has "
              "184 bytes");
    EXPECT_EQ(parse_error(binary_stl("", kTwo, 1)),
              "f: malformed binary STL: the header announces 1 triangles (134 bytes), the file has "
              "184 bytes");
    EXPECT_EQ(parse_error(std::string("\0\0\0", 3)),
              "f: binary STL of 3 bytes, shorter than its 84-byte header");

    auto with_value = [](float v) {
        auto triangles = kTwo;
        triangles[1][4] = v;
        return binary_stl("", triangles, 2);
    };
    EXPECT_EQ(parse_error(with_value(std::numeric_limits<float>::quiet_NaN())),
              "f: triangle 1: vertex coordinate is not finite");
    EXPECT_EQ(parse_error(with_value(-std::numeric_limits<float>::infinity())),
              "f: triangle 1: vertex coordinate is not finite");
}

TEST(TriangleFileReader, BadAsciiAndTextFiles) {
    auto replaced = [](const std::string& from, const std::string& to) {
        std::string s = kAscii;
        s.replace(s.find(from), from.size(), to);
        return s;
    };
    EXPECT_EQ(parse_error(replaced("vertex 1 0 0", "vertex 1 0")),
              "f:5: expected 'vertex' and three finite numbers, found 2");
    EXPECT_EQ(parse_error(replaced("vertex 1 0 0", "vertex 1 nan 0")),
              "f:5: expected 'vertex' and three finite numbers, 'nan' is not finite");
    EXPECT_EQ(parse_error(replaced("vertex 1 0 0", "vertex 1 zero 0")),
              "f:5: expected 'vertex' and three finite numbers, 'zero' is not a number");
    EXPECT_EQ(parse_error(replaced("      vertex 0 1 0\n", "")),
              "f:6: a facet with 2 vertices, expected 3");
    EXPECT_EQ(
        parse_error(replaced("      vertex 0 1 0\n", "      vertex 0 1 0\n      vertex 0 1 0\n")),
        "f:7: a facet with more than three vertices");
    EXPECT_EQ(parse_error(replaced("  endfacet\n", "")), "f:8: expected 'endfacet', found 'FACET'");
    EXPECT_EQ(parse_error(replaced("    outer loop\n", "")),
              "f:3: expected 'outer loop', found 'vertex'");
    EXPECT_EQ(parse_error(replaced("endsolid part\n", "")),
              "f:15: unexpected end of file, 'endsolid' missing");
    EXPECT_EQ(parse_error(std::string(kAscii) + "junk\n"),
              "f:17: expected 'solid' or the end, found 'junk'");

    EXPECT_EQ(parse_error("0 0 0 1 0 0 0 1\n"), "f:1: expected nine finite numbers, found 8");
    EXPECT_EQ(parse_error("0 0 0 1 0 0 0 1 inf\n"),
              "f:1: expected nine finite numbers, 'inf' is not finite");
}

TEST(TriangleFileReader, ReadsFilesAndCountsTriangles) {
    TempDir dir;
    std::istringstream in;
    const TriangleFileReader reader(in);
    // The extension plays no part.
    const std::string ascii_named_bin = dir.write("part.bin", kAscii);
    const std::string binary_named_txt = dir.write("part.txt", binary_stl("solid", kTwo, 2));
    EXPECT_EQ(reader.read(ascii_named_bin, 1).format, "ASCII STL");
    EXPECT_EQ(reader.read(binary_named_txt, 1).format, "binary STL");
    const std::string empty = dir.write("empty.stl", binary_stl("", {}, 0));
    try {
        reader.read(empty, 1);
        FAIL() << "an empty mesh was accepted";
    } catch (const InputError& e) {
        EXPECT_EQ(std::string(e.what()), empty + ": 0 triangles, at least 1 needed");
    }
}

}  // namespace
