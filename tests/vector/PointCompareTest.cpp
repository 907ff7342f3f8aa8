#include <kv3d/kv3d.h>

#include <limits>
#include <memory>
#include <string>

#include <gtest/gtest.h>

namespace {

using P = Kv3dPoint;

TEST(PointCompare, SignsFollowTheDistanceFromTheOrigin) {
    const Kv3dPointCompare at_zero;
    struct Case {
        const char* name;
        P a;
        P b;
        int sign;
    };
    const Case cases[] = {{"nearer", P(1, 0, 0), P(0, 2, 0), -1},
                          {"farther", P(0, 2, 0), P(1, 0, 0), 1},
                          {"equally far", P(1, 0, 0), P(0, -1, 0), 0},
                          {"NaN", P(std::numeric_limits<double>::quiet_NaN(), 0, 0), P(), 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(at_zero(c.a, c.b), c.sign) << "case: " << c.name;
        EXPECT_EQ(at_zero.eq(c.a, c.b), c.sign == 0) << "case: eq, " << c.name;
        EXPECT_EQ(at_zero.neq(c.a, c.b), c.sign != 0) << "case: neq, " << c.name;
        EXPECT_EQ(at_zero.lt(c.a, c.b), c.sign < 0) << "case: lt, " << c.name;
        EXPECT_EQ(at_zero.gt(c.a, c.b), c.sign > 0) << "case: gt, " << c.name;
        EXPECT_EQ(at_zero.leq(c.a, c.b), c.sign <= 0) << "case: leq, " << c.name;
        EXPECT_EQ(at_zero.geq(c.a, c.b), c.sign >= 0) << "case: geq, " << c.name;
    }
    // Exact: a difference in the last bit of the squared distance orders.
    const Kv3dPointCompare at_five(P(5, 0, 0));
    EXPECT_EQ(at_five(P(5, 0, 1), P(5, 0, std::nextafter(1.0, 2.0))), -1) << "case: last bit";
    EXPECT_EQ(at_five.key(P(6, 2, 0)), 5.0) << "case: key";
    EXPECT_TRUE(at_five.ordered()) << "case: ordered";
}

TEST(PointCompare, CloneAndAssignmentCopyTheOrigin) {
    const Kv3dPointCompare original(P(1, 2, 3));
    const std::unique_ptr<KvCompare<P>> copy(original.clone());
    ASSERT_NE(copy, nullptr);
    const Kv3dPointCompare* typed = dynamic_cast<const Kv3dPointCompare*>(copy.get());
    ASSERT_NE(typed, nullptr);
    EXPECT_EQ(typed->get_origin().z(), 3.0) << "case: clone";
    EXPECT_EQ((*copy)(P(1, 2, 4), P(1, 2, 5)), -1) << "case: clone compares from the origin";

    Kv3dPointCompare assigned;
    assigned = original;
    EXPECT_EQ(assigned.get_origin().y(), 2.0) << "case: assignment";
    assigned.set_origin(P(9, 9, 9));
    const Kv3dPointCompare& same = assigned;
    assigned = same;
    EXPECT_EQ(assigned.get_origin().x(), 9.0) << "case: self-assignment";
    EXPECT_EQ(Kv3dPointCompare().get_origin().x(), 0.0) << "case: default origin";
}

TEST(PointCompare, ArraySortPutsTheNearestFirst) {
    KvArray<P> one{P(3, 3, 3)};
    one.sort(Kv3dPointCompare(P(5, 0, 0)));
    EXPECT_EQ(one[0].x(), 3.0) << "case: one point";
    KvArray<P> pts{P(0, 0, 0), P(4, 1, 0), P(9, 0, 0), P(5, 0, 0.5), P(-3, 0, 0)};
    pts.sort(Kv3dPointCompare(P(5, 0, 0)));
    EXPECT_EQ(pts[0].z(), 0.5) << "case: nearest to (5, 0, 0) first";
    EXPECT_EQ(pts[4].x(), -3.0) << "case: farthest last";
}

}  // namespace
