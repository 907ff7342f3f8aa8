#include <kv3d/kv3d.h>

#include <sstream>

#include <gtest/gtest.h>

namespace {

const Kv3dPoint O(0, 0, 0), X(1, 0, 0), Y(0, 1, 0);

void expect_par(const KvTrianglePar& w, double w0, double w1, double w2) {
    EXPECT_NEAR(w[0], w0, 1e-12);
    EXPECT_NEAR(w[1], w1, 1e-12);
    EXPECT_NEAR(w[2], w2, 1e-12);
}

// The cached flag, seen from outside: false gives area 0 and normal (0, 0, 1);
// true with a vanishing edge would give the zero direction.
bool flag_of(const Kv3dTriangle& t) { return t.area() > 0.0 || t.normal().z() != 1.0; }

TEST(Triangle, ValidityFlagFollowsEveryWriter) {
    const double c[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    EXPECT_FALSE(flag_of(Kv3dTriangle()));
    EXPECT_TRUE(flag_of(Kv3dTriangle(O, X, Y)) && flag_of(Kv3dTriangle(c)));
    EXPECT_TRUE(flag_of(Kv3dTriangle(O, Kv3dVector(1, 0, 0), Kv3dVector(0, 1, 0))));
    EXPECT_FALSE(flag_of(Kv3dTriangle(O, O, Y)));
    EXPECT_FALSE(flag_of(Kv3dTriangle(static_cast<const double*>(nullptr))));
    Kv3dTriangle t(O, X, Y);
    t.set_p1(O);
    EXPECT_FALSE(flag_of(t));
    t.set_p1(X);
    t.set_p2(X);
    EXPECT_FALSE(flag_of(t));
    t.set_p2(Y);
    t.set_p0(Y);
    EXPECT_FALSE(flag_of(t));
    Kv3dTriangle small(O, Kv3dPoint(1e-25, 0, 0), Kv3dPoint(0, 1e-25, 0));
    EXPECT_FALSE(flag_of(small));
    EXPECT_TRUE(flag_of(small.apply(Kv3dTransform(1e30, O))));  // edges of 1e5 now
    // A far translation rounds edges of 1e-10 away.
    Kv3dTriangle tiny(O, Kv3dPoint(1e-10, 0, 0), Kv3dPoint(0, 1e-10, 0));
    const Kv3dVector far(1e10, 1e10, 0);
    EXPECT_TRUE(flag_of(tiny) && flag_of(Kv3dTriangle(tiny)));
    EXPECT_FALSE(flag_of(tiny + far) || flag_of(tiny - far));
    EXPECT_FALSE(flag_of(Kv3dTriangle(tiny) += far) || flag_of(tiny -= far));
}

TEST(Triangle, ValidityTestsAndGeometry) {
    const Kv3dTriangle t(O, X, Y);
    EXPECT_EQ(t.normal().z(), 1.0);
    EXPECT_EQ(Kv3dTriangle(O, Y, X).normal().z(), -1.0);
    EXPECT_EQ(t.area(), 0.5);
    EXPECT_DOUBLE_EQ(t.center_of_area().x(), 1.0 / 3.0);
    EXPECT_EQ(t.bbox().bbmax().x(), 1.0);
    EXPECT_TRUE(Kv3dTriangle().bbox().is_empty());
    const Kv3dTriangle line(O, X, Kv3dPoint(3, 0, 0));  // collinear, distinct
    EXPECT_TRUE(line.numerical_valid() && line.is_valid());
    EXPECT_EQ(line.normal().x() + line.normal().y() + line.normal().z(), 0.0);
    EXPECT_EQ(line.area(), 0.0);
    const Kv3dTriangle nearly(O, Kv3dPoint(1e-4, 0, 0), Y);
    EXPECT_TRUE(nearly.numerical_valid() && !nearly.is_valid());
    EXPECT_FALSE(Kv3dTriangle(O, Kv3dPoint(1e-25, 0, 0), Y).numerical_valid());
    EXPECT_TRUE(t[3] == 1.0 && t[7] == 1.0 && t[9] == 0.0 && t[-1] == 0.0);
    const Kv3dPoint e = t.evaluate(KvTrianglePar(2, -1, 3));  // weights used as given
    EXPECT_TRUE(e.x() == -1.0 && e.y() == 3.0);
}

TEST(Triangle, SignedWeightsAndDegenerateFallbacks) {
    const Kv3dTriangle t(Kv3dPoint(1, 1, 1), Kv3dPoint(2, 1, 1), Kv3dPoint(1, 2, 1));
    expect_par(t.find_parameter(Kv3dPoint(1.25, 1.25, 8)), 0.5, 0.25, 0.25);
    expect_par(t.find_parameter(Kv3dPoint(3, 1, 1)), -1, 2, 0);
    EXPECT_NEAR(t.image(Kv3dPoint(1.25, 1.25, 8)).z(), 1.0, 1e-12);
    // Collinear distinct vertices: the foot on the edge line p0 p1.
    const Kv3dTriangle line(O, X, Kv3dPoint(3, 0, 0));
    expect_par(line.find_parameter(Kv3dPoint(2, 5, 0)), -1, 2, 0);
    EXPECT_EQ(line.image(Kv3dPoint(2, 5, 0)).y(), 0.0);
    expect_par(Kv3dTriangle(O, O, Kv3dPoint(4, 0, 0)).find_parameter(X), 0, 0.75, 0.25);
    // p0 ~ p1 ~ p2 within the point tolerance, p2 - p0 beyond it: the edge p2 -> p0.
    const Kv3dTriangle chain(O, Kv3dPoint(0.0008, 0, 0), Kv3dPoint(0.0016, 0, 0));
    expect_par(chain.find_parameter(Kv3dPoint(0.0004, 1, 0)), 0.75, 0, 0.25);
    expect_par(Kv3dTriangle(X, X, X).find_parameter(Y), 1.0 / 3, 1.0 / 3, 1.0 / 3);
}

TEST(Triangle, JournalText) {
    std::ostringstream out;
    KvJournal j(out);
    const Kv3dTriangle t(O, Kv3dPoint(0.5, -2, 0), Y);
    j << t;
    const std::string text =
        "Kv3dTriangle p0 (0, 0, 0)\n"
        "             p1 (0.5, -2, 0)\n"
        "             p2 (0, 1, 0)\n";
    EXPECT_EQ(out.str(), text);
    out.str("");
    t.debug(j, static_cast<KvDebug>(1), true, 4);
    t.debug(j, static_cast<KvDebug>(2), true, 4);
    EXPECT_EQ(out.str(), "    " + text + "\n");
}

}  // namespace
