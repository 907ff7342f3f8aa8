#include <kv3d/kv3d.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace {

const double kTol = 0.001;

void expect_point(const Kv3dPoint& p, double x, double y, double z) {
    EXPECT_EQ(p.x(), x);
    EXPECT_EQ(p.y(), y);
    EXPECT_EQ(p.z(), z);
}

Kv3dBBox make_box(double x0, double y0, double z0, double x1, double y1, double z1) {
    Kv3dBBox b(Kv3dPoint(x0, y0, z0));
    b.update_bbox(Kv3dPoint(x1, y1, z1));
    return b;
}

// Row-major rotation by angle about the unit axis (ax, ay, az), plus t.
Kv3dTransform rotation(double ax, double ay, double az, double angle, const Kv3dVector& t) {
    const double c = std::cos(angle), s = std::sin(angle), k = 1.0 - c;
    const double m[16] = {c + ax * ax * k,
                          ax * ay * k - az * s,
                          ax * az * k + ay * s,
                          t.x(),
                          ay * ax * k + az * s,
                          c + ay * ay * k,
                          ay * az * k - ax * s,
                          t.y(),
                          az * ax * k - ay * s,
                          az * ay * k + ax * s,
                          c + az * az * k,
                          t.z(),
                          0.0,
                          0.0,
                          0.0,
                          1.0};
    return Kv3dTransform(m);
}

TEST(BBox, EmptyStateAndSentinels) {
    Kv3dBBox b;
    EXPECT_TRUE(b.is_empty());
    expect_point(b.bbmin(), 8000, 8000, 8000);
    expect_point(b.bbmax(), -8000, -8000, -8000);
    EXPECT_FALSE(b.contains(Kv3dPoint(0, 0, 0)));
    EXPECT_FALSE(b.contains(Kv3dPoint(7999, -7999, 0)));
    EXPECT_FALSE(b.contains(make_box(0, 0, 0, 1, 1, 1)));
    EXPECT_FALSE(make_box(-10, -10, -10, 10, 10, 10).contains(Kv3dBBox()));
    EXPECT_FALSE(b.intersect(make_box(-10, -10, -10, 10, 10, 10), nullptr));

    Kv3dBBox one(Kv3dPoint(1, 2, 3));
    EXPECT_FALSE(one.is_empty());
    one.clear();
    EXPECT_TRUE(one.is_empty());
    expect_point(one.bbmin(), 8000, 8000, 8000);
}

TEST(BBox, Growth) {
    Kv3dBBox b;
    b.update_bbox(Kv3dPoint(1, 2, 3));
    expect_point(b.bbmin(), 1, 2, 3);
    expect_point(b.bbmax(), 1, 2, 3);
    b.update_bbox(Kv3dPoint(0, 5, 3));
    expect_point(b.bbmin(), 0, 2, 3);
    expect_point(b.bbmax(), 1, 5, 3);

    Kv3dBBox same = b;
    same.update_bbox(Kv3dBBox());
    expect_point(same.bbmin(), 0, 2, 3);
    expect_point(same.bbmax(), 1, 5, 3);
    Kv3dBBox grown;
    grown.update_bbox(b);
    expect_point(grown.bbmin(), 0, 2, 3);
    expect_point(grown.bbmax(), 1, 5, 3);

    KvArray<Kv3dPoint> pts{Kv3dPoint(1, -1, 0), Kv3dPoint(-2, 4, 0.5), Kv3dPoint(0, 0, -3)};
    Kv3dBBox from_array(pts);
    expect_point(from_array.bbmin(), -2, -1, -3);
    expect_point(from_array.bbmax(), 1, 4, 0.5);
    KvArrayIterator<Kv3dPoint> it(pts);
    it.advance();
    Kv3dBBox from_iter(it);  // restarts the iterator first
    expect_point(from_iter.bbmin(), -2, -1, -3);
    EXPECT_TRUE(Kv3dBBox(KvArray<Kv3dPoint>()).is_empty());

    // A NaN coordinate never wins a strict comparison and is ignored.
    b.update_bbox(Kv3dPoint(std::numeric_limits<double>::quiet_NaN(), 9, 0));
    expect_point(b.bbmin(), 0, 2, 0);
    expect_point(b.bbmax(), 1, 9, 3);
}

TEST(BBox, ContainmentAtTheTolerance) {
    const Kv3dBBox b = make_box(0, 0, 0, 1, 1, 1);
    EXPECT_TRUE(b.contains(Kv3dPoint(1.0 + kTol, 0.5, 0.5)));
    EXPECT_TRUE(b.contains(Kv3dPoint(0.5, 0.0 - kTol, 0.5)));
    EXPECT_FALSE(b.contains(Kv3dPoint(1.0 + 1.5 * kTol, 0.5, 0.5)));
    EXPECT_FALSE(b.contains(Kv3dPoint(0.5, 0.5, -1.5 * kTol)));
    EXPECT_TRUE(b.contains(make_box(0.2, 0.2, 0.2, 1.0 + kTol, 1, 1)));
    EXPECT_FALSE(b.contains(make_box(0.2, 0.2, -1.5 * kTol, 0.3, 0.3, 0.3)));
}

TEST(BBox, IntersectWithinToleranceGivesTheGap) {
    const Kv3dBBox a = make_box(0, 0, 0, 1, 1, 1);
    const Kv3dBBox b = make_box(1 + 0.5 * kTol, 0.5, 0.25, 2, 1.5, 0.75);
    for (int order = 0; order < 2; ++order) {
        Kv3dBBox r;
        EXPECT_TRUE(order == 0 ? a.intersect(b, &r) : b.intersect(a, &r));
        expect_point(r.bbmin(), 1, 0.5, 0.25);
        expect_point(r.bbmax(), 1 + 0.5 * kTol, 1, 0.75);
    }
    // The result may be either operand.
    Kv3dBBox self = a;
    EXPECT_TRUE(self.intersect(b, &self));
    expect_point(self.bbmin(), 1, 0.5, 0.25);
    Kv3dBBox other = b;
    EXPECT_TRUE(a.intersect(other, &other));
    expect_point(other.bbmax(), 1 + 0.5 * kTol, 1, 0.75);

    const Kv3dBBox far = make_box(1 + 2 * kTol, 0, 0, 2, 1, 1);
    EXPECT_FALSE(a.intersect(far, nullptr));
    EXPECT_FALSE(far.intersect(a, nullptr));
    EXPECT_TRUE(a.intersect_extended(far, 1.1 * kTol));
    EXPECT_TRUE(far.intersect_extended(a, 1.1 * kTol));
    EXPECT_FALSE(a.intersect_extended(far, 0.9 * kTol));
    const Kv3dBBox touching = make_box(1, 0, 0, 2, 1, 1);
    EXPECT_TRUE(a.intersect_extended(touching, 0.0));
    EXPECT_FALSE(a.intersect_extended(touching, -1e-9));
}

TEST(BBox, ApplyKeepsEmptyAndBoundsTheCorners) {
    Kv3dBBox empty;
    empty.apply(rotation(0, 0, 1, 0.3, Kv3dVector(5, 0, 0)));
    EXPECT_TRUE(empty.is_empty());
    expect_point(empty.bbmin(), 8000, 8000, 8000);

    Kv3dBBox b = make_box(0, 0, 0, 2, 1, 1);
    b.apply(rotation(0, 0, 1, 1.5707963267948966, Kv3dVector()));
    EXPECT_NEAR(b.bbmin().x(), -1, 1e-15);
    EXPECT_NEAR(b.bbmin().y(), 0, 1e-15);
    EXPECT_NEAR(b.bbmax().x(), 0, 1e-15);
    EXPECT_NEAR(b.bbmax().y(), 2, 1e-15);
    EXPECT_EQ(b.bbmax().z(), 1);

    std::mt19937 rng(31);
    std::uniform_real_distribution<double> u(-3, 3);
    for (int n = 0; n < 200; ++n) {
        const Kv3dPoint p(u(rng), u(rng), u(rng));
        const Kv3dBBox box = make_box(p.x(), p.y(), p.z(), p.x() + std::fabs(u(rng)),
                                      p.y() + std::fabs(u(rng)), p.z() + std::fabs(u(rng)));
        const Kv3dDirection axis(u(rng), u(rng), u(rng));
        const Kv3dTransform T =
            rotation(axis.x(), axis.y(), axis.z(), u(rng), Kv3dVector(u(rng), u(rng), u(rng)));
        Kv3dBBox moved = box;
        moved.apply(T);
        Kv3dBBox reference;
        for (int c = 0; c < 8; ++c) {
            Kv3dPoint corner((c & 1 ? box.bbmax() : box.bbmin()).x(),
                             (c & 2 ? box.bbmax() : box.bbmin()).y(),
                             (c & 4 ? box.bbmax() : box.bbmin()).z());
            reference.update_bbox(corner.apply(T));
        }
        for (int i = 0; i < 3; ++i) {
            ASSERT_EQ(moved.bbmin()[i], reference.bbmin()[i]);
            ASSERT_EQ(moved.bbmax()[i], reference.bbmax()[i]);
        }
    }
}

TEST(BBox, JournalText) {
    const Kv3dBBox b = make_box(0, -1, 2, 0.5, 1, 2);
    std::ostringstream out;
    KvJournal j(out);
    j << b;
    EXPECT_EQ(out.str(),
              "Kv3dBBox( Kv3dPoint( 0, -1, 2) , \n          Kv3dPoint( 0.5, 1, 2)  ) \n");

    std::ostringstream dbg;
    KvJournal d(dbg);
    b.debug(d, static_cast<KvDebug>(1), false, 2);
    EXPECT_EQ(dbg.str(), "");
    b.debug(d, static_cast<KvDebug>(2), false, 2);
    EXPECT_EQ(dbg.str(),
              "  Kv3dBBox  - Minimum Coordinates: \n"
              "    Kv3dPoint( 0, -1, 2)\n"
              "          - Maximum Coordinates: \n"
              "    Kv3dPoint( 0.5, 1, 2)\n");
}

}  // namespace
