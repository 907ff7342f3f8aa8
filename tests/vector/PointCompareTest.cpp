#include <kv3d/kv3d.h>

#include <limits>
#include <memory>

#include <gtest/gtest.h>

namespace {

using P = Kv3dPoint;

// By the squared distance from the origin, exactly; NaN compares equal.
TEST(PointCompare, SignsFollowTheDistanceFromTheOrigin) {
    const Kv3dPointCompare at_zero, at_five(P(5, 0, 0));
    const struct {
        const char* name;
        const Kv3dPointCompare& compare;
        P a, b;
        int sign;
    } cases[] = {{"nearer", at_zero, P(1, 0, 0), P(0, 2, 0), -1},
                 {"farther", at_zero, P(0, 2, 0), P(1, 0, 0), 1},
                 {"equally far", at_zero, P(1, 0, 0), P(0, -1, 0), 0},
                 {"NaN", at_zero, P(std::numeric_limits<double>::quiet_NaN(), 0, 0), P(), 0},
                 {"last bit", at_five, P(5, 0, 1), P(5, 0, std::nextafter(1.0, 2.0)), -1}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.compare(c.a, c.b), c.sign) << "case: " << c.name;
        EXPECT_EQ(c.compare.eq(c.a, c.b), c.sign == 0) << "case: eq, " << c.name;
        EXPECT_EQ(c.compare.neq(c.a, c.b), c.sign != 0) << "case: neq, " << c.name;
        EXPECT_EQ(c.compare.lt(c.a, c.b), c.sign < 0) << "case: lt, " << c.name;
        EXPECT_EQ(c.compare.gt(c.a, c.b), c.sign > 0) << "case: gt, " << c.name;
        EXPECT_EQ(c.compare.leq(c.a, c.b), c.sign <= 0) << "case: leq, " << c.name;
        EXPECT_EQ(c.compare.geq(c.a, c.b), c.sign >= 0) << "case: geq, " << c.name;
    }
    EXPECT_EQ(at_five.key(P(6, 2, 0)), 5.0) << "case: key";
}

// A copy compares from the same origin; a sort puts the nearest first.
TEST(PointCompare, CloneAndSort) {
    const Kv3dPointCompare original(P(1, 2, 3));
    const std::unique_ptr<KvCompare<P>> copy(original.clone());
    EXPECT_EQ((*copy)(P(1, 2, 4), P(1, 2, 5)), -1) << "case: clone compares from the origin";
    KvArray<P> pts{P(0, 0, 0), P(4, 1, 0), P(9, 0, 0), P(5, 0, 0.5), P(-3, 0, 0)};
    pts.sort(Kv3dPointCompare(P(5, 0, 0)));
    EXPECT_EQ(pts[0].z(), 0.5) << "case: nearest to (5, 0, 0) first";
    EXPECT_EQ(pts[4].x(), -3.0) << "case: farthest last";
}

}  // namespace
