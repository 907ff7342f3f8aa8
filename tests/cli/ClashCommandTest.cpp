#include <kv3d/Kv3dTriangle.h>

#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CliTestSupport.h"
#include "NumberFormat.h"

namespace {

using cli_test::binary_stl;
using cli_test::Mesh;
using cli_test::run_kv3d;
using cli_test::TempDir;
using kv3dcli::format_number;

Mesh random_mesh(std::mt19937& rng, int count) {
    std::uniform_real_distribution<float> where(0.0f, 10.0f);
    std::uniform_real_distribution<float> step(-1.5f, 1.5f);
    Mesh mesh(static_cast<std::size_t>(count));
    for (auto& t : mesh) {
        for (int k = 0; k < 3; ++k) {
            t[k] = where(rng);
            t[k + 3] = t[k] + step(rng);
            t[k + 6] = t[k] + step(rng);
        }
    }
    return mesh;
}

// ASCII STL when `stl`, else nine numbers a line.
std::string text_mesh(const Mesh& mesh, bool stl) {
    std::string out = stl ? "solid mesh\n" : "# nine numbers a line\n";
    for (const auto& t : mesh) {
        out += stl ? "facet normal 0 0 0\nouter loop\n" : "";
        for (int v = 0; v < 3; ++v) {
            out += (stl ? "vertex " : "") + format_number(t[3 * v]) + " " +
                   format_number(t[3 * v + 1]) + " " + format_number(t[3 * v + 2]) +
                   (stl     ? "\n"
                    : v < 2 ? ", "
                            : "\n");
        }
        out += stl ? "endloop\nendfacet\n" : "";
    }
    return out + (stl ? "endsolid mesh\n" : "");
}

nlohmann::json all_pairs(const Mesh& a, const Mesh& b) {
    nlohmann::json pairs = nlohmann::json::array();
    for (std::size_t i = 0; i < a.size(); ++i) {
        const double ca[9] = {a[i][0], a[i][1], a[i][2], a[i][3], a[i][4],
                              a[i][5], a[i][6], a[i][7], a[i][8]};
        for (std::size_t j = 0; j < b.size(); ++j) {
            const double cb[9] = {b[j][0], b[j][1], b[j][2], b[j][3], b[j][4],
                                  b[j][5], b[j][6], b[j][7], b[j][8]};
            if (Kv3dTriangle(ca).intersect(Kv3dTriangle(cb))) {
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

    // The extensions mislead on purpose: the content decides.
    TempDir dir;
    const std::string files_a[] = {dir.write("a.txt", binary_stl(a, "solid")),
                                   dir.write("a.bin", text_mesh(a, true)),
                                   dir.write("a.stl", text_mesh(a, false))};
    const std::string files_b[] = {dir.write("b.txt", binary_stl(b)),
                                   dir.write("b.bin", text_mesh(b, true)),
                                   dir.write("b.stl", text_mesh(b, false))};
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
    const auto text = run_kv3d({"clash", files_a[0], "-"}, text_mesh(b, true));
    ASSERT_EQ(text.status, 0) << text.err;
    const std::string first = expected.at(0).at(0).dump() + "  " + expected.at(0).at(1).dump();
    EXPECT_NE(text.out.find("\n  " + first + "\n"), std::string::npos) << text.out;
}

TEST(ClashCommand, BadInputGivesOneLineAndStatusTwo) {
    std::mt19937 rng(3);
    TempDir dir;
    const std::string good = dir.write("good.stl", binary_stl(random_mesh(rng, 3)));
    std::string cut = binary_stl(random_mesh(rng, 3));
    cut.resize(cut.size() - 1);
    const std::string truncated = dir.write("cut.stl", cut);
    const std::string empty = dir.write("empty.txt", "# no triangles\n");
    const struct {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{"clash", good, truncated},
         "kv3d: " + truncated +
             ": truncated binary STL: the header announces 3 triangles (234 bytes), the file has "
             "233 bytes\n"},
        {{"clash", empty, good}, "kv3d: " + empty + ": 0 triangles, at least 1 needed\n"},
        {{"clash", "-", "-"}, "kv3d: standard input ('-') can feed only one of the two files\n"},
    };
    for (const auto& c : cases) {
        const auto r = run_kv3d(c.args);
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.out.empty());
        EXPECT_EQ(r.err, c.err);
    }
}

}  // namespace
