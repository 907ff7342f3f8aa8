#include <kv3d/Kv3dResObj.h>
#include <kv3d/Kv3dTriangle.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "ClashDetector.h"

namespace {

using kv3dcli::find_clashes;
using Pairs = std::vector<std::pair<std::size_t, std::size_t>>;
using Triangles = std::vector<Kv3dTriangle>;

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

Pairs clashes(const Triangles& a, const Triangles& b) {
    return find_clashes(a, b, Kv3dResObj::same_point_tol()).pairs;
}

struct Random {
    std::mt19937 rng;
    double operator()(double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(rng);
    }
    Kv3dVector vector(double s) {
        return Kv3dVector((*this)(-s, s), (*this)(-s, s), (*this)(-s, s));
    }
    // A triangle of about the given size in the cube [0, extent]^3.
    Kv3dTriangle triangle(double extent, double size) {
        const Kv3dPoint p((*this)(0, extent), (*this)(0, extent), (*this)(0, extent));
        return Kv3dTriangle(p, p + vector(size), p + vector(size));
    }
};

TEST(ClashDetector, RandomSoupsMatchAllPairs) {
    Random g{std::mt19937(1234)};
    std::size_t found = 0;
    for (int round = 0; round < 6; ++round) {  // from sparse to crowded
        Triangles a;
        Triangles b;
        for (int i = 0; i < 150; ++i) {
            a.push_back(g.triangle(10.0, 0.5 + round));
            b.push_back(g.triangle(10.0, 0.5 + round));
        }
        const Pairs expected = all_pairs(a, b);
        EXPECT_EQ(clashes(a, b), expected);
        found += expected.size();
    }
    EXPECT_GT(found, 100u);
}

// B's triangles share a vertex or an edge with A's, or are A's moved off
// their plane by fractions and multiples of the point tolerance; both sets
// hold coplanar triangles in an axis plane and in a tilted plane, one
// triangle inside a bigger coplanar one, and degenerate ones.
TEST(ClashDetector, TouchingCoplanarNearAndDegenerateCasesMatchAllPairs) {
    const double tol = Kv3dResObj::same_point_tol();
    Random g{std::mt19937(99)};
    Triangles a;
    Triangles b;
    for (int i = 0; i < 60; ++i) {
        const Kv3dTriangle t = g.triangle(8.0, 1.5);
        a.push_back(t);
        const double shifts[] = {0.5, 0.99, 1.01, 1.5, 2.5};
        if (i % 4 == 0) {
            b.emplace_back(t.p1(), t.p1() + g.vector(1.0), t.p1() + g.vector(1.0));
        } else if (i % 4 == 1) {
            b.emplace_back(t.p0(), t.p2(), t.p0() + g.vector(1.0));
        } else {
            b.push_back(t + Kv3dVector(t.normal(), shifts[g.rng() % 5] * tol));
        }
    }
    const Kv3dVector u(0.6, 0.0, 0.8);
    const Kv3dVector v(0.0, 1.0, 0.0);
    const Kv3dVector x(1.0, 0.0, 0.0);
    for (int i = 0; i < 80; ++i) {
        // Alternately in the plane z = 2 and in the plane through (4, 4, 4) spanned by u, v.
        const Kv3dVector& s = i % 2 == 0 ? x : u;
        const Kv3dPoint p =
            (i % 2 == 0 ? Kv3dPoint(3, 3, 2) : Kv3dPoint(4, 4, 4)) + s * g(-3, 3) + v * g(-3, 3);
        (i % 4 < 2 ? a : b)
            .emplace_back(p, p + s * g(-1, 1) + v * g(-1, 1), p + s * g(-1, 1) + v * g(-1, 1));
    }
    a.emplace_back(Kv3dPoint(0, 0, 5), Kv3dPoint(9, 0, 5), Kv3dPoint(0, 9, 5));
    b.emplace_back(Kv3dPoint(1, 1, 5), Kv3dPoint(2, 1.5, 5), Kv3dPoint(1.2, 3, 5));
    const Kv3dPoint q(3, 3, 3);
    a.emplace_back(q, q, Kv3dPoint(4, 4, 4));
    b.emplace_back(q, q, Kv3dPoint(4, 4, 4));
    a.emplace_back(Kv3dPoint(0, 0, 0), Kv3dPoint(4, 4, 4), Kv3dPoint(8, 8, 8));  // collinear

    const auto result = find_clashes(a, b, tol);
    EXPECT_EQ(result.pairs, all_pairs(a, b));
    EXPECT_EQ(result.degenerate_a, 1u);
    EXPECT_EQ(result.degenerate_b, 1u);
    EXPECT_TRUE(std::binary_search(result.pairs.begin(), result.pairs.end(),
                                   std::make_pair(a.size() - 3, b.size() - 2)));
}

// intersect() is symmetric, so swapping A and B swaps every pair; shuffling
// a set relabels its indices and changes nothing else.
TEST(ClashDetector, SwapAndShuffleOnlyRelabelPairs) {
    Random g{std::mt19937(7)};
    Triangles a;
    Triangles b;
    for (int i = 0; i < 300; ++i) {
        a.push_back(g.triangle(20.0, 2.0));
        b.push_back(g.triangle(20.0, 2.0));
    }
    const Pairs forward = clashes(a, b);
    ASSERT_FALSE(forward.empty());
    std::vector<std::size_t> order(b.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::shuffle(order.begin(), order.end(), g.rng);
    Triangles shuffled;
    for (std::size_t i : order) {
        shuffled.push_back(b[i]);
    }
    Pairs swapped;
    for (const auto& p : clashes(b, a)) {
        swapped.emplace_back(p.second, p.first);
    }
    Pairs relabelled;
    for (const auto& p : clashes(a, shuffled)) {
        relabelled.emplace_back(p.first, order[p.second]);
    }
    std::sort(swapped.begin(), swapped.end());
    std::sort(relabelled.begin(), relabelled.end());
    EXPECT_EQ(swapped, forward);
    EXPECT_EQ(relabelled, forward);
}

TEST(ClashDetector, EmptyAndNonFiniteInputs) {
    const Triangles one{Kv3dTriangle(Kv3dPoint(0, 0, 0), Kv3dPoint(1, 0, 0), Kv3dPoint(0, 1, 0))};
    EXPECT_TRUE(clashes({}, one).empty());
    EXPECT_TRUE(clashes(one, {}).empty());
    // A NaN vertex cannot be sorted; such a triangle is tested against all.
    Triangles odd = one;
    odd.emplace_back(Kv3dPoint(std::nan(""), 0, 0), Kv3dPoint(1, 0, 0), Kv3dPoint(0, 1, 0));
    odd.emplace_back(Kv3dPoint(-1, 0.2, -1), Kv3dPoint(1, 0.2, 1), Kv3dPoint(0.2, 0.2, 0));
    EXPECT_EQ(clashes(odd, odd), all_pairs(odd, odd));
}

}  // namespace
