#include <kv3d/kv3d.h>

#include <random>
#include <sstream>

#include <gtest/gtest.h>

namespace {

const double kTol = 0.001;

bool same(const Kv3dPoint& p, const Kv3dPoint& q) {
    return p.x() == q.x() && p.y() == q.y() && p.z() == q.z();
}

Kv3dBBox box(const Kv3dPoint& a, const Kv3dPoint& b) {
    Kv3dBBox r(a);
    r.update_bbox(b);
    return r;
}

TEST(BBox, EmptyStateAndGrowth) {
    Kv3dBBox b;
    const Kv3dBBox big = box(Kv3dPoint(-10, -10, -10), Kv3dPoint(10, 10, 10));
    EXPECT_TRUE(b.is_empty() && same(b.bbmin(), Kv3dPoint(8000, 8000, 8000)) &&
                same(b.bbmax(), Kv3dPoint(-8000, -8000, -8000)));
    EXPECT_FALSE(b.contains(Kv3dPoint(7999, -7999, 0)) || b.contains(big) || big.contains(b));
    EXPECT_FALSE(b.intersect(big, nullptr));

    b.update_bbox(Kv3dPoint(1, 2, 3));
    EXPECT_TRUE(!b.is_empty() && same(b.bbmin(), b.bbmax()));
    b.update_bbox(Kv3dPoint(0, 5, 3));
    b.update_bbox(Kv3dBBox());
    EXPECT_TRUE(same(b.bbmin(), Kv3dPoint(0, 2, 3)) && same(b.bbmax(), Kv3dPoint(1, 5, 3)));
    Kv3dBBox grown;
    grown.update_bbox(b);
    EXPECT_TRUE(same(grown.bbmin(), b.bbmin()) && same(grown.bbmax(), b.bbmax()));

    KvArray<Kv3dPoint> pts{Kv3dPoint(1, -1, 0), Kv3dPoint(-2, 4, 0.5), Kv3dPoint(0, 0, -3)};
    KvArrayIterator<Kv3dPoint> it(pts);
    const Kv3dBBox from_array(pts), from_iter(it);
    EXPECT_TRUE(same(from_array.bbmin(), Kv3dPoint(-2, -1, -3)) &&
                same(from_iter.bbmax(), Kv3dPoint(1, 4, 0.5)));
}

TEST(BBox, ToleranceBoundaries) {
    const Kv3dBBox a = box(Kv3dPoint(0, 0, 0), Kv3dPoint(1, 1, 1));
    EXPECT_TRUE(a.contains(Kv3dPoint(1.0 + kTol, 0.5, 0.5)));
    EXPECT_TRUE(a.contains(Kv3dPoint(0.5, 0.0 - kTol, 0.5)));
    EXPECT_FALSE(a.contains(Kv3dPoint(1.0 + 1.5 * kTol, 0.5, 0.5)));

    // Faces 0.5 tol apart: the result spans the gap on x and is the common
    // part elsewhere, in either order and written over either operand.
    const Kv3dBBox b = box(Kv3dPoint(1 + 0.5 * kTol, 0.5, 0.25), Kv3dPoint(2, 1.5, 0.75));
    Kv3dBBox r1, r2, self = a, other = b;
    EXPECT_TRUE(a.intersect(b, &r1) && b.intersect(a, &r2));
    EXPECT_TRUE(self.intersect(b, &self) && a.intersect(other, &other));
    for (const Kv3dBBox* r : {&r1, &r2, &self, &other}) {
        EXPECT_TRUE(same(r->bbmin(), Kv3dPoint(1, 0.5, 0.25)) &&
                    same(r->bbmax(), Kv3dPoint(1 + 0.5 * kTol, 1, 0.75)));
    }

    const Kv3dBBox far = box(Kv3dPoint(1 + 2 * kTol, 0, 0), Kv3dPoint(2, 1, 1));
    EXPECT_FALSE(a.intersect(far, nullptr) || far.intersect(a, nullptr));
    EXPECT_TRUE(a.intersect_extended(far, 1.1 * kTol) && far.intersect_extended(a, 1.1 * kTol));
    EXPECT_FALSE(a.intersect_extended(far, 0.9 * kTol));
    EXPECT_TRUE(a.intersect_extended(box(Kv3dPoint(1, 0, 0), Kv3dPoint(2, 1, 1)), 0.0));
}

TEST(BBox, ApplyBoundsTheTransformedCorners) {
    Kv3dBBox empty;
    empty.apply(Kv3dTransform(Kv3dPoint(1, 0, 0), Kv3dVector(0, 0, 1), 0.3, 5.0));
    EXPECT_TRUE(empty.is_empty() && same(empty.bbmin(), Kv3dPoint(8000, 8000, 8000)));

    Kv3dBBox b = box(Kv3dPoint(0, 0, 0), Kv3dPoint(2, 1, 1));
    b.apply(Kv3dTransform(Kv3dPoint(), Kv3dVector(0, 0, 1), 1.5707963267948966, 0.0));
    EXPECT_LT(b.bbmin().distance(Kv3dPoint(-1, 0, 0)) + b.bbmax().distance(Kv3dPoint(0, 2, 1)),
              1e-15);

    std::mt19937 rng(31);
    std::uniform_real_distribution<double> u(-3, 3);
    for (int n = 0; n < 200; ++n) {
        const Kv3dPoint p(u(rng), u(rng), u(rng)), q(u(rng), u(rng), u(rng));
        const Kv3dTransform T(p, q - Kv3dPoint(), u(rng), u(rng));
        Kv3dBBox moved = box(p, q), reference;
        moved.apply(T);
        for (int c = 0; c < 8; ++c) {
            Kv3dPoint corner(c & 1 ? p.x() : q.x(), c & 2 ? p.y() : q.y(), c & 4 ? p.z() : q.z());
            reference.update_bbox(corner.apply(T));
        }
        ASSERT_TRUE(same(moved.bbmin(), reference.bbmin()) &&
                    same(moved.bbmax(), reference.bbmax()));
    }
}

TEST(BBox, JournalText) {
    const Kv3dBBox b = box(Kv3dPoint(0, -1, 2), Kv3dPoint(0.5, 1, 2));
    std::ostringstream out, dbg;
    KvJournal j(out), d(dbg);
    j << b;
    EXPECT_EQ(out.str(),
              "Kv3dBBox( Kv3dPoint( 0, -1, 2) , \n          Kv3dPoint( 0.5, 1, 2)  ) \n");
    b.debug(d, static_cast<KvDebug>(1), false, 2);
    EXPECT_EQ(dbg.str(), "");
    b.debug(d, static_cast<KvDebug>(2), false, 2);
    EXPECT_EQ(dbg.str(),
              "  Kv3dBBox  - Minimum Coordinates: \n    Kv3dPoint( 0, -1, 2)\n"
              "          - Maximum Coordinates: \n    Kv3dPoint( 0.5, 1, 2)\n");
}

}  // namespace
