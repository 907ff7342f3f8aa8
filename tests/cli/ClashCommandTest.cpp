#include <kv3d/Kv3dTriangle.h>

#include <cstdint>
#include <cstring>
#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CliTestSupport.h"
#include "NumberFormat.h"

namespace {

using cli_test::is_one_line;
using cli_test::run_kv3d;
using cli_test::TempDir;
using kv3dcli::format_number;
using Mesh = std::vector<std::vector<float>>;  // nine coordinates per triangle

Mesh random_mesh(std::mt19937& rng, int count) {
    std::uniform_real_distribution<float> where(0.0f, 10.0f);
    std::uniform_real_distribution<float> step(-1.5f, 1.5f);
    Mesh mesh;
    for (int i = 0; i < count; ++i) {
        const float p[3] = {where(rng), where(rng), where(rng)};
        std::vector<float> t(p, p + 3);
        for (int v = 0; v < 2; ++v) {
            for (int k = 0; k < 3; ++k) {
                t.push_back(p[k] + step(rng));
            }
        }
        mesh.push_back(t);
    }
    return mesh;
}

std::string text_file(const Mesh& mesh) {
    std::string out = "# nine numbers a line\n";
    for (const auto& t : mesh) {
        for (int k = 0; k < 9; ++k) {
            out += format_number(t[k]) + (k == 8 ? "\n" : k % 3 == 2 ? ",  " : " ");
        }
    }
    return out;
}

std::string ascii_stl(const Mesh& mesh) {
    std::string out = "solid mesh\n";
    for (const auto& t : mesh) {
        out += " facet normal 0 0 0\n  outer loop\n";
        for (int v = 0; v < 3; ++v) {
            out += "   vertex " + format_number(t[3 * v]) + " " + format_number(t[3 * v + 1]) +
                   " " + format_number(t[3 * v + 2]) + "\n";
        }
        out += "  endloop\n endfacet\n";
    }
    return out + "endsolid mesh\n";
}

std::string binary_stl(const Mesh& mesh) {
    std::string out = "solid header of a binary file";
    out.resize(80, ' ');
    auto put = [&out](const void* p) { out.append(static_cast<const char*>(p), 4); };
    const std::uint32_t count = static_cast<std::uint32_t>(mesh.size());
    put(&count);
    const float zero = 0.0f;
    for (const auto& t : mesh) {
        for (int k = 0; k < 3; ++k) {
            put(&zero);
        }
        for (int k = 0; k < 9; ++k) {
            put(&t[k]);
        }
        out.append(2, '\0');
    }
    return out;
}

nlohmann::json all_pairs(const Mesh& a, const Mesh& b) {
    auto triangles = [](const Mesh& m) {
        std::vector<Kv3dTriangle> out;
        for (const auto& t : m) {
            const double c[9] = {t[0], t[1], t[2], t[3], t[4], t[5], t[6], t[7], t[8]};
            out.emplace_back(c);
        }
        return out;
    };
    const auto ta = triangles(a);
    const auto tb = triangles(b);
    nlohmann::json pairs = nlohmann::json::array();
    for (std::size_t i = 0; i < ta.size(); ++i) {
        for (std::size_t j = 0; j < tb.size(); ++j) {
            if (ta[i].intersect(tb[j])) {
                pairs.push_back({i, j});
            }
        }
    }
    return pairs;
}

TEST(ClashCommand, EveryFormatGivesTheAllPairsAnswer) {
    std::mt19937 rng(5150);
    const Mesh a = random_mesh(rng, 120);
    const Mesh b = random_mesh(rng, 90);
    const nlohmann::json expected = all_pairs(a, b);
    ASSERT_GT(expected.size(), 10u);

    TempDir dir;
    const std::string files_a[] = {dir.write("a.stl", binary_stl(a)),
                                   dir.write("a.txt", ascii_stl(a)),
                                   dir.write("a.dat", text_file(a))};
    const std::string files_b[] = {dir.write("b.stl", binary_stl(b)),
                                   dir.write("b.txt", ascii_stl(b)),
                                   dir.write("b.dat", text_file(b))};
    const char* const formats[] = {"binary STL", "ASCII STL", "text"};
    for (int i = 0; i < 3; ++i) {
        const auto r = run_kv3d({"clash", "--json", files_a[i], files_b[(i + 1) % 3]});
        ASSERT_EQ(r.status, 0) << r.err;
        const auto doc = nlohmann::json::parse(r.out);
        EXPECT_EQ(doc.at("a").at("format"), formats[i]);
        EXPECT_EQ(doc.at("a").at("triangles"), 120);
        EXPECT_EQ(doc.at("b").at("triangles"), 90);
        EXPECT_EQ(doc.at("count"), expected.size());
        EXPECT_EQ(doc.at("pairs"), expected);
    }
    // Standard input feeds one side; the text report lists the pairs too.
    const auto text = run_kv3d({"clash", files_a[0], "-"}, ascii_stl(b));
    ASSERT_EQ(text.status, 0) << text.err;
    const std::string first = expected.at(0).at(0).dump() + "  " + expected.at(0).at(1).dump();
    EXPECT_NE(text.out.find("\n  " + first + "\n"), std::string::npos) << text.out;
}

TEST(ClashCommand, BadFilesGiveOneLineAndStatusTwo) {
    std::mt19937 rng(3);
    const Mesh mesh = random_mesh(rng, 3);
    TempDir dir;
    const std::string good = dir.write("good.stl", binary_stl(mesh));
    std::string cut = binary_stl(mesh);
    cut.resize(cut.size() - 1);
    const std::string truncated = dir.write("cut.stl", cut);
    std::string ascii = ascii_stl(mesh);
    ascii.replace(ascii.find("vertex"), 6, "vertx");
    const std::string bad_vertex = dir.write("bad.stl", ascii);
    Mesh with_nan = mesh;
    with_nan[2][7] = std::nanf("");
    const std::string nan_file = dir.write("nan.stl", binary_stl(with_nan));
    const std::string empty = dir.write("empty.txt", "# no triangles\n");

    const struct {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{"clash", good, truncated},
         "kv3d: " + truncated +
             ": truncated binary STL: the header announces 3 triangles (234 bytes), the file has "
             "233 bytes\n"},
        {{"clash", bad_vertex, good},
         "kv3d: " + bad_vertex + ":4: expected 'vertex' or 'endloop', found 'vertx'\n"},
        {{"clash", good, nan_file},
         "kv3d: " + nan_file + ": triangle 2: vertex coordinate is not finite\n"},
        {{"clash", empty, good}, "kv3d: " + empty + ": 0 triangles, at least 1 needed\n"},
        {{"clash", "-", "-"}, "kv3d: standard input ('-') can feed only one of the two files\n"},
    };
    for (const auto& c : cases) {
        const auto r = run_kv3d(c.args);
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.out.empty());
        EXPECT_EQ(r.err, c.err);
    }
    for (const auto& args : {std::vector<std::string>{"clash", good},
                             std::vector<std::string>{"clash", good, good, good},
                             std::vector<std::string>{"clash", "--fast", good, good}}) {
        const auto r = run_kv3d(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.out.empty());
        EXPECT_TRUE(is_one_line(r.err)) << r.err;
    }
}

}  // namespace
