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

Pairs all_pairs(const std::vector<Kv3dTriangle>& a, const std::vector<Kv3dTriangle>& b) {
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

class Generator {
public:
    explicit Generator(unsigned seed) : rng_(seed) {}

    double uniform(double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(rng_);
    }
    Kv3dPoint point(double lo, double hi) {
        return Kv3dPoint(uniform(lo, hi), uniform(lo, hi), uniform(lo, hi));
    }
    Kv3dVector offset(double size) {
        return Kv3dVector(uniform(-size, size), uniform(-size, size), uniform(-size, size));
    }
    // A triangle of about the given size somewhere in the cube [lo, hi]^3.
    Kv3dTriangle triangle(double lo, double hi, double size) {
        const Kv3dPoint p = point(lo, hi);
        return Kv3dTriangle(p, p + offset(size), p + offset(size));
    }
    std::mt19937& rng() { return rng_; }

private:
    std::mt19937 rng_;
};

// Checks the sweep against all pairs; returns how many pairs intersect.
std::size_t expect_same_as_all_pairs(const std::vector<Kv3dTriangle>& a,
                                     const std::vector<Kv3dTriangle>& b) {
    const Pairs expected = all_pairs(a, b);
    const auto result = find_clashes(a, b, Kv3dResObj::same_point_tol());
    EXPECT_EQ(result.pairs, expected);
    EXPECT_LE(result.candidates, a.size() * b.size());
    EXPECT_GE(result.candidates, expected.size());
    return expected.size();
}

TEST(ClashDetector, RandomSoupsMatchAllPairs) {
    Generator g(1234);
    std::size_t found = 0;
    for (int round = 0; round < 6; ++round) {
        std::vector<Kv3dTriangle> a;
        std::vector<Kv3dTriangle> b;
        const double size = 0.5 + round;  // from sparse to crowded
        for (int i = 0; i < 150; ++i) {
            a.push_back(g.triangle(0.0, 10.0, size));
            b.push_back(g.triangle(0.0, 10.0, size));
        }
        found += expect_same_as_all_pairs(a, b);
    }
    EXPECT_GT(found, 100u);
}

// Triangles of B built on vertices and edges of A's triangles (touching),
// coplanar ones in an axis plane and in a tilted plane, copies of A moved
// off their plane by fractions and multiples of the point tolerance, and
// degenerate ones.
TEST(ClashDetector, TouchingCoplanarNearAndDegenerateCasesMatchAllPairs) {
    const double tol = Kv3dResObj::same_point_tol();
    Generator g(99);
    std::vector<Kv3dTriangle> a;
    std::vector<Kv3dTriangle> b;
    for (int i = 0; i < 60; ++i) {
        a.push_back(g.triangle(0.0, 8.0, 1.5));
    }
    for (int i = 0; i < 60; ++i) {
        const Kv3dTriangle& t = a[static_cast<std::size_t>(i)];
        switch (i % 4) {
            case 0:  // shares a vertex
                b.emplace_back(t.p1(), t.p1() + g.offset(1.0), t.p1() + g.offset(1.0));
                break;
            case 1:  // shares an edge
                b.emplace_back(t.p0(), t.p2(), t.p0() + g.offset(1.0));
                break;
            default: {  // the same triangle moved along its normal
                const double shifts[] = {0.5, 0.99, 1.01, 1.5, 2.5};
                const Kv3dVector n(t.normal(), shifts[g.rng()() % 5] * tol);
                b.push_back(t + n);
            }
        }
    }
    // Coplanar: the plane z = 2 and a tilted plane through (4, 4, 4).
    const Kv3dVector u(0.6, 0.0, 0.8);
    const Kv3dVector v(0.0, 1.0, 0.0);
    for (int i = 0; i < 40; ++i) {
        auto flat = [&](double z) {
            const Kv3dPoint p(g.uniform(0, 6), g.uniform(0, 6), z);
            return Kv3dTriangle(p, p + Kv3dVector(g.uniform(-1, 1), g.uniform(-1, 1), 0),
                                p + Kv3dVector(g.uniform(-1, 1), g.uniform(-1, 1), 0));
        };
        auto tilted = [&]() {
            const Kv3dPoint p = Kv3dPoint(4, 4, 4) + u * g.uniform(-3, 3) + v * g.uniform(-3, 3);
            return Kv3dTriangle(p, p + u * g.uniform(-1, 1) + v * g.uniform(-1, 1),
                                p + u * g.uniform(-1, 1) + v * g.uniform(-1, 1));
        };
        a.push_back(flat(2.0));
        b.push_back(flat(2.0));
        a.push_back(tilted());
        b.push_back(tilted());
    }
    // One triangle inside a bigger coplanar one, sharing no edge direction.
    a.emplace_back(Kv3dPoint(0, 0, 5), Kv3dPoint(9, 0, 5), Kv3dPoint(0, 9, 5));
    b.emplace_back(Kv3dPoint(1, 1, 5), Kv3dPoint(2, 1.5, 5), Kv3dPoint(1.2, 3, 5));
    // Degenerate: a repeated vertex, and three collinear points.
    const Kv3dPoint q(3, 3, 3);
    a.emplace_back(q, q, Kv3dPoint(4, 4, 4));
    b.emplace_back(q, q, Kv3dPoint(4, 4, 4));
    a.emplace_back(Kv3dPoint(0, 0, 0), Kv3dPoint(4, 4, 4), Kv3dPoint(8, 8, 8));
    expect_same_as_all_pairs(a, b);

    const auto result = find_clashes(a, b, tol);
    EXPECT_EQ(result.degenerate_a, 1u);
    EXPECT_EQ(result.degenerate_b, 1u);
    EXPECT_TRUE(std::binary_search(result.pairs.begin(), result.pairs.end(),
                                   std::make_pair(a.size() - 3, b.size() - 2)));
}

// intersect() is symmetric, so swapping A and B swaps every pair; shuffling
// a set permutes the indices and nothing else.
TEST(ClashDetector, SwapAndShuffleOnlyRelabelPairs) {
    Generator g(7);
    std::vector<Kv3dTriangle> a;
    std::vector<Kv3dTriangle> b;
    for (int i = 0; i < 300; ++i) {
        a.push_back(g.triangle(0.0, 20.0, 2.0));
        b.push_back(g.triangle(0.0, 20.0, 2.0));
    }
    const double tol = Kv3dResObj::same_point_tol();
    const Pairs forward = find_clashes(a, b, tol).pairs;
    ASSERT_FALSE(forward.empty());

    Pairs swapped;
    for (const auto& p : find_clashes(b, a, tol).pairs) {
        swapped.emplace_back(p.second, p.first);
    }
    std::sort(swapped.begin(), swapped.end());
    EXPECT_EQ(swapped, forward);

    std::vector<std::size_t> order(b.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::shuffle(order.begin(), order.end(), g.rng());
    std::vector<Kv3dTriangle> shuffled;
    for (std::size_t i : order) {
        shuffled.push_back(b[i]);
    }
    Pairs relabelled;
    for (const auto& p : find_clashes(a, shuffled, tol).pairs) {
        relabelled.emplace_back(p.first, order[p.second]);
    }
    std::sort(relabelled.begin(), relabelled.end());
    EXPECT_EQ(relabelled, forward);
}

TEST(ClashDetector, EmptyAndNonFiniteInputs) {
    const double tol = Kv3dResObj::same_point_tol();
    const std::vector<Kv3dTriangle> none;
    const std::vector<Kv3dTriangle> one{
        Kv3dTriangle(Kv3dPoint(0, 0, 0), Kv3dPoint(1, 0, 0), Kv3dPoint(0, 1, 0))};
    EXPECT_TRUE(find_clashes(none, one, tol).pairs.empty());
    EXPECT_TRUE(find_clashes(one, none, tol).pairs.empty());
    // A NaN vertex cannot be sorted; such a triangle is tested against all.
    const double nan = std::nan("");
    std::vector<Kv3dTriangle> odd = one;
    odd.emplace_back(Kv3dPoint(nan, 0, 0), Kv3dPoint(1, 0, 0), Kv3dPoint(0, 1, 0));
    odd.emplace_back(Kv3dPoint(-1, 0.2, -1), Kv3dPoint(1, 0.2, 1), Kv3dPoint(0.2, 0.2, 0));
    EXPECT_EQ(find_clashes(odd, odd, tol).pairs, all_pairs(odd, odd));
}

}  // namespace
