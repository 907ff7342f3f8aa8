#include <kv3d/kv3d.h>

#include <random>
#include <sstream>

#include <gtest/gtest.h>

#include "EnclosingOracle.h"
#include "support/NamedCases.h"

namespace {

using enclosing_oracle::xyz;
using P = Kv3dPoint;
const double kTol = 0.001, E = 8000;  // the point tolerance and model extent at load time

Kv3dBBox box(const P& a, const P& b) {
    Kv3dBBox r(a);
    r.update_bbox(b);
    return r;
}

// The empty box spans (E, E, E) .. (-E, -E, -E) and holds nothing; growth by
// points, boxes, arrays and iterators.
TEST(BBox, EmptyStateAndGrowth) {
    Kv3dBBox b, grown;
    const Kv3dBBox big = box({-10, -10, -10}, {10, 10, 10});
    EXPECT_EQ(xyz(b.bbmin()), xyz(P(E, E, E))) << "case: empty";
    EXPECT_EQ(xyz(b.bbmax()), xyz(P(-E, -E, -E))) << "case: empty";
    expect_each<bool>({{"empty contains a point", b.contains(P(7999, -7999, 0)), false},
                       {"empty contains a box", b.contains(big), false},
                       {"a box contains the empty one", big.contains(b), false},
                       {"empty meets a box", b.intersect(big, nullptr), false}});
    b.update_bbox(P(1, 2, 3));
    b.update_bbox(P(0, 5, 3));
    b.update_bbox(Kv3dBBox());
    grown.update_bbox(b);
    EXPECT_EQ(xyz(grown.bbmin()), xyz(P(0, 2, 3))) << "case: grown by a box";
    EXPECT_EQ(xyz(grown.bbmax()), xyz(P(1, 5, 3))) << "case: grown by a box";
    KvArray<P> pts{P(1, -1, 0), P(-2, 4, 0.5), P(0, 0, -3)};
    KvArrayIterator<P> it(pts);
    EXPECT_EQ(xyz(Kv3dBBox(it).bbmin()), xyz(P(-2, -1, -3))) << "case: iterator";
    EXPECT_EQ(xyz(Kv3dBBox(it).bbmax()), xyz(P(1, 4, 0.5))) << "case: iterator";
}

TEST(BBox, ToleranceBoundaries) {
    const Kv3dBBox a = box({0, 0, 0}, {1, 1, 1});
    const Kv3dBBox far = box({1 + 2 * kTol, 0, 0}, {2, 1, 1}), touching = box({1, 0, 0}, {2, 1, 1});
    expect_each<bool>({
        {"tol beyond max x", a.contains(P(1 + kTol, 0.5, 0.5)), true},
        {"1.5 tol beyond max x", a.contains(P(1 + 1.5 * kTol, 0.5, 0.5)), false},
        {"maximum outside", a.contains(box({0.2, 0.2, 0.2}, {1.5, 0.5, 0.5})), false},
        {"minimum outside", a.contains(box({-0.5, 0.2, 0.2}, {0.5, 0.5, 0.5})), false},
        {"2 tol apart", a.intersect(far, nullptr), false},
        {"extended by 0.9 tol", a.intersect_extended(far, 0.9 * kTol), false},
        {"extended by 1.1 tol", a.intersect_extended(far, 1.1 * kTol), true},
        {"extended by 1.1 tol, swapped", far.intersect_extended(a, 1.1 * kTol), true},
        {"touching, margin 0", a.intersect_extended(touching, 0.0), true},
        {"touching, margin 0, swapped", touching.intersect_extended(a, 0.0), true},
    });
    // Faces 0.5 tol apart: the result spans the gap on x and is the common
    // part elsewhere, in either order and written over either operand.
    const Kv3dBBox b = box({1 + 0.5 * kTol, 0.5, 0.25}, {2, 1.5, 0.75});
    Kv3dBBox r1, r2, self = a, other = b;
    const struct {
        const char* name;
        bool met;
        const Kv3dBBox& result;
    } cases[] = {{"a, b", a.intersect(b, &r1), r1},
                 {"b, a", b.intersect(a, &r2), r2},
                 {"over the first", self.intersect(b, &self), self},
                 {"over the second", a.intersect(other, &other), other}};
    for (const auto& c : cases) {
        EXPECT_TRUE(c.met) << "case: " << c.name;
        EXPECT_EQ(xyz(c.result.bbmin()), xyz(P(1, 0.5, 0.25))) << "case: " << c.name;
        EXPECT_EQ(xyz(c.result.bbmax()), xyz(P(1 + 0.5 * kTol, 1, 0.75))) << "case: " << c.name;
    }
}

// The box of the eight transformed corners; an empty box stays empty.
TEST(BBox, ApplyBoundsTheTransformedCorners) {
    Kv3dBBox empty;
    empty.apply(Kv3dTransform(P(1, 0, 0), Kv3dVector(0, 0, 1), 0.3, 5.0));
    EXPECT_TRUE(empty.is_empty()) << "case: empty box";
    std::mt19937 rng(31);
    std::uniform_real_distribution<double> u(-3, 3);
    for (int n = 0; n < 200; ++n) {
        const P p(u(rng), u(rng), u(rng)), q(u(rng), u(rng), u(rng));
        const Kv3dTransform T(p, q - P(), u(rng), u(rng));
        Kv3dBBox moved = box(p, q), reference;
        for (int c = 0; c < 8; ++c)
            reference.update_bbox(
                P(c & 1 ? p.x() : q.x(), c & 2 ? p.y() : q.y(), c & 4 ? p.z() : q.z()).apply(T));
        moved.apply(T);
        ASSERT_EQ(xyz(moved.bbmin()), xyz(reference.bbmin())) << "case: draw " << n;
        ASSERT_EQ(xyz(moved.bbmax()), xyz(reference.bbmax())) << "case: draw " << n;
    }
}

// One indentation only, the corners one step deeper; nothing at level 1.
TEST(BBox, JournalText) {
    std::ostringstream out;
    KvJournal j(out);
    j << box({0, -1, 2}, {0.5, 1, 2});
    EXPECT_EQ(out.str(), "Kv3dBBox( Kv3dPoint( 0, -1, 2) , \n          Kv3dPoint( 0.5, 1, 2)  ) \n")
        << "case: journal";
    out.str("");
    box({0, -1, 2}, {0.5, 1, 2}).debug(j, static_cast<KvDebug>(1), false, 1);
    box({0, -1, 2}, {0.5, 1, 2}).debug(j, static_cast<KvDebug>(2), false, 1);
    EXPECT_EQ(out.str(),
              " Kv3dBBox  - Minimum Coordinates: \n   Kv3dPoint( 0, -1, 2)\n"
              "          - Maximum Coordinates: \n   Kv3dPoint( 0.5, 1, 2)\n")
        << "case: debug levels 1 and 2";
}

}  // namespace
