#include <kv3d/Kv3dBBox.h>
#include <kv3d/Kv3dInterference.h>
#include <kv3d/Kv3dResObj.h>
#include <kv3d/Kv3dTriangle.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <numeric>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "support/RandomDraw.h"

namespace {

using P = Kv3dPoint;
using V = Kv3dVector;
using Triangles = KvArray<Kv3dTriangle>;
using Pairs = std::vector<std::pair<std::size_t, std::size_t>>;

const double kTol = Kv3dResObj::same_point_tol();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

bool has_nan(const Kv3dTriangle& t) {
    for (int k = 0; k < 9; ++k)
        if (std::isnan(t[k])) return true;
    return false;
}

// Testing all pairs. A pair is a candidate when both triangles are valid and
// their boxes, widened by the point tolerance, overlap, or either has a NaN
// coordinate (no box); near holds the candidates that intersect, far the
// other pairs that do: intersect() answers true only within the tolerance,
// so far must stay empty.
struct AllPairs {
    AllPairs(const Triangles& a, const Triangles& b) {
        for (std::size_t i = 0; i < a.size(); ++i) {
            for (std::size_t j = 0; j < b.size(); ++j) {
                const bool candidate = a[i].numerical_valid() && b[j].numerical_valid() &&
                                       (has_nan(a[i]) || has_nan(b[j]) ||
                                        a[i].bbox().intersect_extended(b[j].bbox(), kTol));
                candidates += candidate ? 1 : 0;
                if (a[i].intersect(b[j])) (candidate ? near : far).emplace_back(i, j);
            }
        }
    }

    Pairs near;
    Pairs far;
    std::size_t candidates = 0;
};

struct Search {
    bool ok = false;
    Pairs pairs;
    Kv3dInterferenceCounts counts;
};

Search search(const Triangles& a, const Triangles& b, int threads = 1) {
    Search s;
    KvArray<KvPair<std::size_t, std::size_t>> found;
    s.ok = Kv3d_find_intersecting_triangles(a, b, found, threads, &s.counts);
    for (const auto& p : found) s.pairs.emplace_back(p.first, p.second);
    return s;
}

Triangles permuted(const Triangles& t, const std::vector<std::size_t>& order) {
    Triangles out;
    for (std::size_t k : order) out.append(t[k]);
    return out;
}

std::vector<std::size_t> shuffled_order(std::size_t n, std::mt19937& rng) {
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::shuffle(order.begin(), order.end(), rng);
    return order;
}

// The search finds what testing all pairs finds, with its candidate count;
// with both sets shuffled and swapped, the same pairs relabelled. Returns
// the number of pairs.
std::size_t expect_all_pairs(const std::string& name, const Triangles& a, const Triangles& b,
                             std::mt19937& rng) {
    const AllPairs all(a, b);
    const Search s = search(a, b);
    EXPECT_TRUE(s.ok) << "case: " << name;
    EXPECT_EQ(s.pairs, all.near) << "case: " << name;
    EXPECT_EQ(s.counts.candidates, all.candidates) << "case: " << name;
    EXPECT_EQ(all.far, Pairs()) << "case: " << name << ", intersecting beyond the tolerance";

    const std::vector<std::size_t> order_a = shuffled_order(a.size(), rng);
    const std::vector<std::size_t> order_b = shuffled_order(b.size(), rng);
    Pairs relabelled;
    for (const auto& p : search(permuted(b, order_b), permuted(a, order_a)).pairs)
        relabelled.emplace_back(order_a[p.second], order_b[p.first]);
    std::sort(relabelled.begin(), relabelled.end());
    EXPECT_EQ(relabelled, all.near) << "case: " << name << ", swapped and shuffled";
    return all.near.size();
}

// A triangle of about the given size in the cube [-extent, extent]^3.
Kv3dTriangle random_triangle(RandomDraw& g, double extent, double size) {
    const P p = g.point(extent);
    return Kv3dTriangle(p, p + g.vector(size), p + g.vector(size));
}

TEST(Interference, RandomSoupsMatchAllPairs) {
    RandomDraw g(1234);
    std::mt19937 rng(4321);
    std::size_t found = 0;
    for (int round = 0; round < 6; ++round) {  // from sparse to crowded
        Triangles a, b;
        for (int i = 0; i < 150; ++i) {
            a.append(random_triangle(g, 5.0, 0.5 + round));
            b.append(random_triangle(g, 5.0, 0.5 + round));
        }
        found += expect_all_pairs("soup " + std::to_string(round), a, b, rng);
    }
    EXPECT_GT(found, 100u) << "case: the soups hold enough intersecting pairs to mean something";
}

// B's triangles share a vertex or an edge with A's, or are A's moved off
// their plane by fractions and multiples of the point tolerance; both sets
// hold coplanar triangles in an axis plane and in a tilted plane, one
// triangle inside a bigger coplanar one, degenerate ones and one with a NaN
// vertex (which has no box and is tested against all).
TEST(Interference, TouchingCoplanarNearAndDegenerateCasesMatchAllPairs) {
    RandomDraw g(99);
    std::mt19937 rng(7);
    Triangles a, b;
    const double shifts[] = {0.5, 0.99, 1.01, 1.5, 2.5};
    for (int i = 0; i < 60; ++i) {
        const Kv3dTriangle t = random_triangle(g, 4.0, 1.5);
        a.append(t);
        if (i % 4 == 0)
            b.append(Kv3dTriangle(t.p1(), t.p1() + g.vector(1.0), t.p1() + g.vector(1.0)));
        else if (i % 4 == 1)
            b.append(Kv3dTriangle(t.p0(), t.p2(), t.p0() + g.vector(1.0)));
        else
            b.append(t + V(t.normal(), shifts[g.pick(5)] * kTol));
    }
    const V u(0.6, 0.0, 0.8), v(0.0, 1.0, 0.0), x(1.0, 0.0, 0.0);
    for (int i = 0; i < 80; ++i) {
        // Alternately in the plane z = 2 (a quarter of B's half a tolerance
        // above it) and in the plane through (4, 4, 4) spanned by u, v.
        const V& s = i % 2 == 0 ? x : u;
        const double lift = i % 8 == 2 ? 0.5 * kTol : 0.0;
        const P p = (i % 2 == 0 ? P(3, 3, 2 + lift) : P(4, 4, 4)) + s * g.uniform(-3, 3) +
                    v * g.uniform(-3, 3);
        const P q = p + s * g.uniform(-1, 1) + v * g.uniform(-1, 1);
        (i % 4 < 2 ? a : b)
            .append(Kv3dTriangle(p, q, p + s * g.uniform(-1, 1) + v * g.uniform(-1, 1)));
    }
    a.append(Kv3dTriangle(P(0, 0, 5), P(9, 0, 5), P(0, 9, 5)));
    b.append(Kv3dTriangle(P(1, 1, 5), P(2, 1.5, 5), P(1.2, 3, 5)));
    const P q(3, 3, 3);
    a.append(Kv3dTriangle(q, q, P(4, 4, 4)));
    b.append(Kv3dTriangle(q, q, P(4, 4, 4)));
    a.append(Kv3dTriangle(P(0, 0, 0), P(4, 4, 4), P(8, 8, 8)));  // collinear
    b.append(Kv3dTriangle(P(kNaN, 0, 0), P(1, 0, 0), P(0, 1, 0)));
    // Infinite coordinates give boxes reaching infinity: they order poorly but
    // still overlap what they should.
    const double inf = std::numeric_limits<double>::infinity();
    a.append(Kv3dTriangle(P(inf, 0, 0), P(0, 1, 0), P(0, 0, 1)));
    b.append(Kv3dTriangle(P(-inf, -inf, -inf), P(inf, inf, inf), P(0, 1, 0)));
    b.append(Kv3dTriangle(P(1e308, 0, 0), P(-1e308, 1, 0), P(0, 0, 1e308)));

    expect_all_pairs("touching, coplanar, near, degenerate, infinite", a, b, rng);
    const Search s = search(a, b);
    EXPECT_EQ(s.counts.degenerate_a, 1u) << "case: a vanishing edge in A";
    EXPECT_EQ(s.counts.degenerate_b, 1u) << "case: a vanishing edge in B";
    EXPECT_TRUE(std::binary_search(s.pairs.begin(), s.pairs.end(),
                                   std::make_pair(a.size() - 4, b.size() - 5)))
        << "case: a triangle inside a bigger coplanar one";
}

// A NaN vertex leaves a triangle's other edge finite, and that edge can cross
// a triangle of the other set: found whichever set holds the NaN triangle.
TEST(Interference, TriangleWithANaNVertexMeetsByItsFiniteEdge) {
    const Kv3dTriangle flat(P(0, 0, 0), P(2, 0, 0), P(0, 2, 0));
    const Kv3dTriangle far(P(50, 50, 50), P(51, 50, 50), P(50, 51, 50));
    const Kv3dTriangle odd(P(kNaN, 0, 0), P(0.5, 0.5, -1), P(0.5, 0.5, 1));
    ASSERT_TRUE(flat.intersect(odd)) << "case: the finite edge crosses the flat triangle";
    const Search ab = search(Triangles{far, flat}, Triangles{odd});
    EXPECT_EQ(ab.pairs, (Pairs{{1, 0}})) << "case: NaN triangle in B";
    EXPECT_EQ(ab.counts.candidates, 2u) << "case: NaN triangle in B, tested against both";
    const Search ba = search(Triangles{odd}, Triangles{far, flat});
    EXPECT_EQ(ba.pairs, (Pairs{{0, 1}})) << "case: NaN triangle in A";
    const Search both = search(Triangles{odd, flat}, Triangles{odd});
    EXPECT_EQ(both.counts.candidates, 2u) << "case: NaN in both, each pair tested once";
}

// Boxes are widened by the point tolerance on each side: two triangles
// whose boxes lie 2 tol apart along x are tested, a step further they are
// not; touching ones meet.
TEST(Interference, BoxesWidenedByThePointToleranceOnEachSide) {
    ASSERT_EQ(kTol, 0.001) << "case: the load-time point tolerance";
    const Kv3dTriangle left(P(-1, 0, 0), P(0, 0, 0), P(-1, 1, 0));
    auto right = [](double x) { return Kv3dTriangle(P(x, 0, 0), P(x + 1, 0, 0), P(x, 1, 0)); };
    const double gap = 0.002;  // 0.002 - 0.001 is 0.001 exactly
    const struct {
        const char* name;
        double x;
        std::size_t candidates;
    } cases[] = {
        {"gap of exactly 2 tol", gap, 1},
        {"gap a step below 2 tol", std::nextafter(gap, 0.0), 1},
        {"gap a step beyond 2 tol", std::nextafter(gap, 1.0), 0},
        {"touching at x = 0", 0.0, 1},
    };
    for (const auto& c : cases) {
        const Search s = search(Triangles{left}, Triangles{right(c.x)});
        EXPECT_EQ(s.counts.candidates, c.candidates) << "case: " << c.name;
    }
    EXPECT_EQ(search(Triangles{left}, Triangles{right(0.0)}).pairs, (Pairs{{0, 0}}))
        << "case: triangles touching along an edge intersect";
}

// A grid of triangles large enough for many blocks of work and a deep tree;
// every thread count, the hardware's (0 and below) included, gives the same
// pairs and counts as one thread and as testing all pairs.
TEST(Interference, EveryThreadCountGivesTheSameAnswer) {
    RandomDraw g(2024);
    Triangles a, b;
    for (int i = 0; i < 1200; ++i) {
        a.append(random_triangle(g, 7.0, 1.0));
        b.append(random_triangle(g, 7.0, 1.0));
    }
    const AllPairs all(a, b);
    ASSERT_GT(all.near.size(), 200u) << "case: enough pairs to tell orders apart";
    for (int threads : {1, 2, 3, 8, 0, -4}) {
        const std::string name = "threads " + std::to_string(threads);
        const Search s = search(a, b, threads);
        EXPECT_TRUE(s.ok) << "case: " << name;
        EXPECT_EQ(s.pairs, all.near) << "case: " << name;
        EXPECT_EQ(s.counts.candidates, all.candidates) << "case: " << name;
    }
}

TEST(Interference, OutputsAreReplacedAndCountsOptional) {
    const Kv3dTriangle t(P(0, 0, 0), P(1, 0, 0), P(0, 1, 0));
    const Kv3dTriangle crossing(P(0.2, 0.2, -1), P(0.3, 0.2, 1), P(0.2, 0.4, 1));
    KvArray<KvPair<std::size_t, std::size_t>> pairs;
    pairs.append(KvPair<std::size_t, std::size_t>(7, 7));
    EXPECT_TRUE(Kv3d_find_intersecting_triangles(Triangles{t}, Triangles{crossing}, pairs))
        << "case: no counts asked for";
    ASSERT_EQ(pairs.size(), 1u) << "case: earlier contents replaced, not appended to";
    EXPECT_EQ(pairs[0].first, 0u) << "case: index in A";
    EXPECT_EQ(pairs[0].second, 0u) << "case: index in B";

    Kv3dInterferenceCounts counts;
    counts.candidates = 99;
    EXPECT_TRUE(Kv3d_find_intersecting_triangles(Triangles{}, Triangles{t}, pairs, 4, &counts))
        << "case: empty A";
    EXPECT_EQ(pairs.size(), 0u) << "case: empty A";
    EXPECT_EQ(counts.candidates, 0u) << "case: empty A";
    EXPECT_EQ(search(Triangles{t}, Triangles{}, 4).pairs, Pairs()) << "case: empty B";
    const Search degenerate = search(Triangles{Kv3dTriangle()}, Triangles{Kv3dTriangle(), t});
    EXPECT_EQ(degenerate.counts.degenerate_a, 1u) << "case: default triangle in A";
    EXPECT_EQ(degenerate.counts.degenerate_b, 1u) << "case: default triangle in B";
    EXPECT_EQ(degenerate.counts.candidates, 0u) << "case: degenerate triangles never tested";
}

}  // namespace
