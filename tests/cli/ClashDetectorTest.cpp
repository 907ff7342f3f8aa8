#include <kv3d/Kv3dResObj.h>
#include <kv3d/Kv3dTriangle.h>

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>
#include <numeric>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "ClashDetector.h"
#include "CliTestSupport.h"

namespace {

using cli_test::Mesh;
using kv3dcli::find_clashes;
using Pairs = std::vector<std::pair<std::size_t, std::size_t>>;
using Triangles = std::vector<Kv3dTriangle>;

const double kTol = Kv3dResObj::same_point_tol();

Pairs all_pairs(const Triangles& a, const Triangles& b) {
    Pairs pairs;
    for (std::size_t i = 0; i < a.size(); ++i) {
        for (std::size_t j = 0; j < b.size(); ++j) {
            if (a[i].intersect(b[j])) {
                pairs.emplace_back(i, j);
            }
        }
    }
    return pairs;
}

// The sweep finds exactly the pairs testing all pairs finds, in order; with
// the sets swapped and b shuffled, the same pairs relabelled. Returns their number.
std::size_t expect_all_pairs(const Triangles& a, const Triangles& b, std::mt19937& rng) {
    const Pairs expected = all_pairs(a, b);
    EXPECT_EQ(find_clashes(a, b, kTol).pairs, expected);
    std::vector<std::size_t> order(b.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::shuffle(order.begin(), order.end(), rng);
    Triangles shuffled;
    for (std::size_t j : order) {
        shuffled.push_back(b[j]);
    }
    Pairs relabelled;
    for (const auto& p : find_clashes(shuffled, a, kTol).pairs) {
        relabelled.emplace_back(p.second, order[p.first]);
    }
    std::sort(relabelled.begin(), relabelled.end());
    EXPECT_EQ(relabelled, expected);
    return expected.size();
}

struct Random {
    std::mt19937 rng;
    double operator()(double s) { return std::uniform_real_distribution<double>(-s, s)(rng); }
    Kv3dVector vector(double s) { return Kv3dVector((*this)(s), (*this)(s), (*this)(s)); }
    // A triangle of about the given size in the cube [0, 2 extent]^3.
    Kv3dTriangle triangle(double extent, double size) {
        const Kv3dPoint p = Kv3dPoint(extent, extent, extent) + vector(extent);
        return Kv3dTriangle(p, p + vector(size), p + vector(size));
    }
};

TEST(ClashDetector, RandomSoupsMatchAllPairs) {
    Random g{std::mt19937(1234)};
    std::size_t found = 0;
    for (int round = 0; round < 6; ++round) {  // from sparse to crowded
        Triangles a, b;
        for (int i = 0; i < 150; ++i) {
            a.push_back(g.triangle(5.0, 0.5 + round));
            b.push_back(g.triangle(5.0, 0.5 + round));
        }
        found += expect_all_pairs(a, b, g.rng);
    }
    EXPECT_GT(found, 100u);
    EXPECT_TRUE(find_clashes({}, {g.triangle(1, 1)}, kTol).pairs.empty());
    EXPECT_TRUE(find_clashes({g.triangle(1, 1)}, {}, kTol).pairs.empty());
}

// B's triangles share a vertex or an edge with A's, or are A's moved off
// their plane by fractions and multiples of the point tolerance; both sets
// hold coplanar triangles in an axis plane and in a tilted plane, one
// triangle inside a bigger coplanar one, degenerate ones and one with a NaN
// vertex (which cannot be sorted and is tested against all).
TEST(ClashDetector, TouchingCoplanarNearAndDegenerateCasesMatchAllPairs) {
    Random g{std::mt19937(99)};
    Triangles a, b;
    for (int i = 0; i < 60; ++i) {
        const Kv3dTriangle t = g.triangle(4.0, 1.5);
        const double shifts[] = {0.5, 0.99, 1.01, 1.5, 2.5};
        a.push_back(t);
        if (i % 4 == 0) {
            b.emplace_back(t.p1(), t.p1() + g.vector(1.0), t.p1() + g.vector(1.0));
        } else if (i % 4 == 1) {
            b.emplace_back(t.p0(), t.p2(), t.p0() + g.vector(1.0));
        } else {
            b.push_back(t + Kv3dVector(t.normal(), shifts[g.rng() % 5] * kTol));
        }
    }
    const Kv3dVector u(0.6, 0.0, 0.8), v(0.0, 1.0, 0.0), x(1.0, 0.0, 0.0);
    for (int i = 0; i < 80; ++i) {
        // Alternately in the plane z = 2 (a quarter of B's half a tolerance above it)
        // and in the plane through (4, 4, 4) spanned by u, v.
        const Kv3dVector& s = i % 2 == 0 ? x : u;
        const double lift = i % 8 == 2 ? 0.5 * kTol : 0.0;
        const Kv3dPoint p =
            (i % 2 == 0 ? Kv3dPoint(3, 3, 2 + lift) : Kv3dPoint(4, 4, 4)) + s * g(3) + v * g(3);
        (i % 4 < 2 ? a : b).emplace_back(p, p + s * g(1) + v * g(1), p + s * g(1) + v * g(1));
    }
    a.emplace_back(Kv3dPoint(0, 0, 5), Kv3dPoint(9, 0, 5), Kv3dPoint(0, 9, 5));
    b.emplace_back(Kv3dPoint(1, 1, 5), Kv3dPoint(2, 1.5, 5), Kv3dPoint(1.2, 3, 5));
    const Kv3dPoint q(3, 3, 3);
    a.emplace_back(q, q, Kv3dPoint(4, 4, 4));
    b.emplace_back(q, q, Kv3dPoint(4, 4, 4));
    a.emplace_back(Kv3dPoint(0, 0, 0), Kv3dPoint(4, 4, 4), Kv3dPoint(8, 8, 8));  // collinear
    b.emplace_back(Kv3dPoint(std::nan(""), 0, 0), Kv3dPoint(1, 0, 0), Kv3dPoint(0, 1, 0));

    expect_all_pairs(a, b, g.rng);
    const auto result = find_clashes(a, b, kTol);
    EXPECT_EQ(result.degenerate_a, 1u);
    EXPECT_EQ(result.degenerate_b, 1u);
    EXPECT_TRUE(std::binary_search(result.pairs.begin(), result.pairs.end(),
                                   std::make_pair(a.size() - 3, b.size() - 3)));
}

TEST(ClashCommand, ReportsTheAllPairsAnswer) {
    std::mt19937 rng(5150);
    std::uniform_real_distribution<float> where(0.0f, 10.0f), step(-1.5f, 1.5f);
    Mesh meshes[2] = {Mesh(120), Mesh(90)};
    Triangles sets[2];
    for (int m = 0; m < 2; ++m) {
        for (auto& t : meshes[m]) {
            double coords[9];
            for (int k = 0; k < 9; ++k) {
                coords[k] = t[k] = k < 3 ? where(rng) : t[k % 3] + step(rng);
            }
            sets[m].emplace_back(coords);
        }
    }
    const Pairs expected = all_pairs(sets[0], sets[1]);
    ASSERT_GT(expected.size(), 10u);

    // The extension misleads on purpose: the content decides.
    const std::string file_a =
        cli_test::write_file("a.txt", cli_test::binary_stl(meshes[0], "solid"));
    const auto r =
        cli_test::run_kv3d({"clash", "--json", file_a, "-"}, cli_test::binary_stl(meshes[1]));
    ASSERT_EQ(r.status, 0) << r.err;
    const auto doc = nlohmann::json::parse(r.out);
    EXPECT_EQ(doc.at("a").at("format"), "binary STL");
    EXPECT_EQ(doc.at("a").at("triangles"), 120);
    EXPECT_EQ(doc.at("b").at("triangles"), 90);
    EXPECT_EQ(doc.at("count"), expected.size());
    EXPECT_EQ(doc.at("pairs").get<Pairs>(), expected);
    // The text report lists the pairs too.
    const auto text = cli_test::run_kv3d({"clash", file_a, "-"}, cli_test::binary_stl(meshes[1]));
    ASSERT_EQ(text.status, 0) << text.err;
    const std::string first = "\n  " + std::to_string(expected[0].first) + "  " +
                              std::to_string(expected[0].second) + "\n";
    EXPECT_NE(text.out.find(first), std::string::npos) << text.out;
}

}  // namespace
