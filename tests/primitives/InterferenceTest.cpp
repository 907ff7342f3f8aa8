#include <kv3d/kv3d.h>

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

#include "support/Around.h"
#include "support/RandomDraw.h"

namespace {

using P = Kv3dPoint;
using V = Kv3dVector;
using T = Kv3dTriangle;
using Triangles = KvArray<Kv3dTriangle>;
using Pairs = std::vector<std::pair<std::size_t, std::size_t>>;

const double kTol = Kv3dResObj::same_point_tol();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

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

// Testing all pairs. A pair is a candidate when both triangles are valid and
// their boxes, widened by the point tolerance, overlap, or either has a NaN
// coordinate (no box). The search must find the candidates that intersect.
void expect_all_pairs(const std::string& name, const Triangles& a, const Triangles& b,
                      std::mt19937& rng, std::initializer_list<int> threads = {1}) {
    auto has_nan = [](const Kv3dTriangle& t) {
        for (int k = 0; k < 9; ++k)
            if (std::isnan(t[k])) return true;
        return false;
    };
    Pairs near;
    std::size_t candidates = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        for (std::size_t j = 0; j < b.size(); ++j) {
            if (!a[i].numerical_valid() || !b[j].numerical_valid() ||
                !(has_nan(a[i]) || has_nan(b[j]) ||
                  a[i].bbox().intersect_extended(b[j].bbox(), kTol)))
                continue;
            ++candidates;
            if (a[i].intersect(b[j])) near.emplace_back(i, j);
        }
    }
    for (int n : threads) {
        const Search s = search(a, b, n);
        EXPECT_TRUE(s.ok) << "case: " << name << ", threads " << n;
        EXPECT_EQ(s.pairs, near) << "case: " << name << ", threads " << n;
        EXPECT_EQ(s.counts.candidates, candidates) << "case: " << name << ", threads " << n;
    }
    // Both sets shuffled and swapped: the same pairs, relabelled.
    std::vector<std::size_t> order[2];
    Triangles shuffled[2];
    for (int k = 0; k < 2; ++k) {
        order[k].resize(k == 0 ? a.size() : b.size());
        std::iota(order[k].begin(), order[k].end(), std::size_t{0});
        std::shuffle(order[k].begin(), order[k].end(), rng);
        for (std::size_t i : order[k]) shuffled[k].append(k == 0 ? a[i] : b[i]);
    }
    Pairs relabelled;
    for (const auto& p : search(shuffled[1], shuffled[0]).pairs)
        relabelled.emplace_back(order[0][p.second], order[1][p.first]);
    std::sort(relabelled.begin(), relabelled.end());
    EXPECT_EQ(relabelled, near) << "case: " << name << ", swapped and shuffled";
}

// A triangle of about the given size in the cube [-extent, extent]^3.
T random_triangle(RandomDraw& g, double extent, double size) {
    const P p = g.point(extent);
    return T(p, p + g.vector(size), p + g.vector(size));
}

// A soup large enough for many blocks of work and a deep tree, under every
// thread count (the hardware's: 0 and below).
TEST(Interference, RandomSoupMatchesAllPairs) {
    RandomDraw g(1234);
    std::mt19937 rng(4321);
    Triangles a, b;
    for (int i = 0; i < 2400; ++i) (i % 2 == 0 ? a : b).append(random_triangle(g, 7.0, 1.0));
    expect_all_pairs("soup", a, b, rng, {1, 2, 3, 8, 0, -4});
}

// Both sets hold coplanar triangles in an axis plane and in a tilted plane, one
// triangle inside a bigger coplanar one, degenerate ones and one with a NaN
// vertex (which has no box and is tested against all).
TEST(Interference, CoplanarAndDegenerateCasesMatchAllPairs) {
    RandomDraw g(99);
    std::mt19937 rng(7);
    Triangles a, b;
    // Alternately in the plane z = 2 (a quarter of B's half a tolerance above
    // it) and in the plane through (4, 4, 4) spanned by u, v.
    const V u(0.6, 0.0, 0.8), v(0.0, 1.0, 0.0), x(1.0, 0.0, 0.0);
    for (int i = 0; i < 80; ++i) {
        const V& s = i % 2 == 0 ? x : u;
        const P p = (i % 2 == 0 ? P(3, 3, 2 + (i % 8 == 2 ? 0.5 * kTol : 0.0)) : P(4, 4, 4)) +
                    s * g.uniform(-3, 3) + v * g.uniform(-3, 3);
        const P q = p + s * g.uniform(-1, 1) + v * g.uniform(-1, 1);
        (i % 4 < 2 ? a : b).append(T(p, q, p + s * g.uniform(-1, 1) + v * g.uniform(-1, 1)));
    }
    // In both sets: a triangle with a NaN vertex whose finite edge crosses
    // flat (found whichever set holds it), and one with a vanishing edge.
    const P o(0, 0, 0), q(3, 3, 3), w(4, 4, 4);
    const T flat(o, P(2, 0, 0), P(0, 2, 0)), odd(P(kNaN, 0, 0), P(0.5, 0.5, -1), P(0.5, 0.5, 1)),
        vanishing(q, q, w);
    for (const T& t :
         {flat, odd, vanishing, T(P(0, 0, 5), P(9, 0, 5), P(0, 9, 5)), T(o, w, P(8, 8, 8))})
        a.append(t);
    for (const T& t : {flat, odd, vanishing, T(P(1, 1, 5), P(2, 1.5, 5), P(1.2, 3, 5))})
        b.append(t);
    expect_all_pairs("coplanar, degenerate", a, b, rng);
    const Search s = search(a, b);
    EXPECT_EQ(s.counts.degenerate_a, 1u) << "case: a vanishing edge in A";
    EXPECT_EQ(s.counts.degenerate_b, 1u) << "case: a vanishing edge in B";
}

// Boxes are widened by the point tolerance on each side: two triangles
// whose boxes lie 2 tol apart along x are tested, a step further they are
// not (0.002 - 0.001 is 0.001 exactly).
TEST(Interference, BoxesWidenedByThePointToleranceOnEachSide) {
    ASSERT_EQ(kTol, 0.001) << "case: the load-time point tolerance";
    const T left(P(-1, 0, 0), P(0, 0, 0), P(-1, 1, 0));
    for (const Neighbour& gap : around(0.002)) {
        const double x = gap.value;
        EXPECT_EQ(search({left}, {T(P(x, 0, 0), P(x + 1, 0, 0), P(x, 1, 0))}).counts.candidates,
                  x <= 0.002 ? 1u : 0u)
            << "case: gap of 2 tol, " << gap.name;
    }
}

// Earlier contents of the output are replaced; the counts are optional.
TEST(Interference, OutputsAreReplacedAndCountsOptional) {
    const T t(P(0, 0, 0), P(1, 0, 0), P(0, 1, 0));
    KvArray<KvPair<std::size_t, std::size_t>> pairs{{7, 7}, {8, 8}};
    EXPECT_TRUE(Kv3d_find_intersecting_triangles({t}, {t}, pairs)) << "case: no counts";
    EXPECT_EQ(pairs.size(), 1u) << "case: replaced";
    Kv3dInterferenceCounts counts;
    counts.candidates = 99;
    Kv3d_find_intersecting_triangles({}, {t}, pairs, 4, &counts);
    EXPECT_EQ(pairs.size(), 0u) << "case: empty A";
    EXPECT_EQ(counts.candidates, 0u) << "case: empty A";
}

}  // namespace
