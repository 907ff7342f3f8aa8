#include <kv3d/kv3d.h>

#include <random>
#include <sstream>

#include <gtest/gtest.h>

namespace {

using P = Kv3dPoint;
const double kTol = 0.001, E = 8000;  // the point tolerance and model extent at load time

Kv3dBBox box(const P& a, const P& b) {
    Kv3dBBox r(a);
    r.update_bbox(b);
    return r;
}
// Exactly the corners lo and hi; the failure prints the corners found.
::testing::AssertionResult spans(const Kv3dBBox& b, const P& lo, const P& hi) {
    if (b.bbmin().distance(lo) == 0 && b.bbmax().distance(hi) == 0)
        return ::testing::AssertionSuccess();
    const P &m = b.bbmin(), &M = b.bbmax();
    return ::testing::AssertionFailure() << "corners (" << m.x() << ", " << m.y() << ", " << m.z()
                                         << ") (" << M.x() << ", " << M.y() << ", " << M.z() << ")";
}

TEST(BBox, EmptyStateAndGrowth) {
    Kv3dBBox b, grown;
    const Kv3dBBox big = box({-10, -10, -10}, {10, 10, 10});
    EXPECT_TRUE(b.is_empty());
    EXPECT_TRUE(spans(b, {E, E, E}, {-E, -E, -E}));
    EXPECT_FALSE(b.contains(P(7999, -7999, 0)));
    EXPECT_FALSE(b.contains(big)) << "case: empty contains a box";
    EXPECT_FALSE(big.contains(b)) << "case: a box contains the empty one";
    EXPECT_FALSE(b.intersect(big, nullptr));
    b.update_bbox(P(1, 2, 3));
    EXPECT_FALSE(b.is_empty());
    EXPECT_TRUE(spans(b, {1, 2, 3}, {1, 2, 3}));
    b.update_bbox(P(0, 5, 3));
    b.update_bbox(Kv3dBBox());
    grown.update_bbox(b);
    EXPECT_TRUE(spans(grown, {0, 2, 3}, {1, 5, 3}));
    KvArray<P> pts{P(1, -1, 0), P(-2, 4, 0.5), P(0, 0, -3)};
    KvArrayIterator<P> it(pts);
    EXPECT_TRUE(spans(Kv3dBBox(pts), {-2, -1, -3}, {1, 4, 0.5})) << "case: array";
    EXPECT_TRUE(spans(Kv3dBBox(it), {-2, -1, -3}, {1, 4, 0.5})) << "case: iterator";
}

TEST(BBox, ToleranceBoundaries) {
    const Kv3dBBox a = box({0, 0, 0}, {1, 1, 1});
    EXPECT_TRUE(a.contains(P(1 + kTol, 0.5, 0.5))) << "case: tol beyond max x";
    EXPECT_TRUE(a.contains(P(0.5, -kTol, 0.5))) << "case: tol below min y";
    EXPECT_FALSE(a.contains(P(1 + 1.5 * kTol, 0.5, 0.5)));
    EXPECT_TRUE(a.contains(box({0.2, 0.2, 0.2}, {1 + kTol, 0.5, 0.5}))) << "case: box inside";
    EXPECT_FALSE(a.contains(box({0.2, 0.2, 0.2}, {1.5, 0.5, 0.5}))) << "case: maximum outside";
    EXPECT_FALSE(a.contains(box({-0.5, 0.2, 0.2}, {0.5, 0.5, 0.5}))) << "case: minimum outside";
    // Faces 0.5 tol apart: the result spans the gap on x and is the common
    // part elsewhere, in either order and written over either operand.
    const Kv3dBBox b = box({1 + 0.5 * kTol, 0.5, 0.25}, {2, 1.5, 0.75});
    Kv3dBBox r1, r2, self = a, other = b;
    EXPECT_TRUE(a.intersect(b, &r1)) << "case: a, b";
    EXPECT_TRUE(b.intersect(a, &r2)) << "case: b, a";
    EXPECT_TRUE(self.intersect(b, &self)) << "case: written over the first";
    EXPECT_TRUE(a.intersect(other, &other)) << "case: written over the second";
    const char* names[] = {"a, b", "b, a", "over the first", "over the second"};
    const Kv3dBBox* results[] = {&r1, &r2, &self, &other};
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(spans(*results[i], {1, 0.5, 0.25}, {1 + 0.5 * kTol, 1, 0.75}))
            << "case: " << names[i];
    const Kv3dBBox far = box({1 + 2 * kTol, 0, 0}, {2, 1, 1});
    EXPECT_FALSE(a.intersect(far, nullptr)) << "case: 2 tol apart";
    EXPECT_FALSE(far.intersect(a, nullptr)) << "case: 2 tol apart, swapped";
    EXPECT_FALSE(a.intersect_extended(far, 0.9 * kTol)) << "case: extended by 0.9 tol";
    EXPECT_TRUE(a.intersect_extended(far, 1.1 * kTol)) << "case: extended by 1.1 tol";
    EXPECT_TRUE(far.intersect_extended(a, 1.1 * kTol)) << "case: extended by 1.1 tol, swapped";
    EXPECT_TRUE(a.intersect_extended(box({1, 0, 0}, {2, 1, 1}), 0.0)) << "case: touching";
    EXPECT_TRUE(box({1, 0, 0}, {2, 1, 1}).intersect_extended(a, 0.0)) << "case: touching, swapped";
}

// The box of the eight transformed corners; an empty box stays empty.
TEST(BBox, ApplyBoundsTheTransformedCorners) {
    Kv3dBBox empty;
    empty.apply(Kv3dTransform(P(1, 0, 0), Kv3dVector(0, 0, 1), 0.3, 5.0));
    EXPECT_TRUE(spans(empty, {E, E, E}, {-E, -E, -E}));
    std::mt19937 rng(31);
    std::uniform_real_distribution<double> u(-3, 3);
    for (int n = 0; n < 200; ++n) {
        const P p(u(rng), u(rng), u(rng)), q(u(rng), u(rng), u(rng));
        const Kv3dTransform T(p, q - P(), u(rng), u(rng));
        Kv3dBBox moved = box(p, q), reference;
        for (int c = 0; c < 8; ++c)
            reference.update_bbox(
                P(c & 1 ? p.x() : q.x(), c & 2 ? p.y() : q.y(), c & 4 ? p.z() : q.z()).apply(T));
        ASSERT_TRUE(spans(moved.apply(T), reference.bbmin(), reference.bbmax()))
            << "case: draw " << n;
    }
}

TEST(BBox, JournalText) {
    std::ostringstream out;
    KvJournal j(out);
    j << box({0, -1, 2}, {0.5, 1, 2});
    EXPECT_EQ(out.str(),
              "Kv3dBBox( Kv3dPoint( 0, -1, 2) , \n          Kv3dPoint( 0.5, 1, 2)  ) \n");
    // One indentation only, the corners one step deeper; nothing at level 1.
    out.str("");
    box({0, -1, 2}, {0.5, 1, 2}).debug(j, static_cast<KvDebug>(1), false, 1);
    box({0, -1, 2}, {0.5, 1, 2}).debug(j, static_cast<KvDebug>(2), false, 1);
    EXPECT_EQ(out.str(),
              " Kv3dBBox  - Minimum Coordinates: \n   Kv3dPoint( 0, -1, 2)\n"
              "          - Maximum Coordinates: \n   Kv3dPoint( 0.5, 1, 2)\n");
}

}  // namespace
