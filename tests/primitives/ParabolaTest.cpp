#include <kv3d/detail/Kv3dRealRoots.h>
#include <kv3d/kv3d.h>

#include <cmath>
#include <limits>
#include <random>
#include <sstream>
#include <vector>

#include <gtest/gtest.h>

namespace {

Kv3dParabola parabola(const Kv3dPoint& a, const Kv3dPoint& b, const Kv3dPoint& c) {
    return Kv3dParabola(KvArray<Kv3dPoint>{a, b, c});
}

std::vector<double> roots_of(std::initializer_list<double> coeffs) {
    KvArray<double> roots{99.0};
    Kv3dRealRoots::solve(KvArray<double>(coeffs), roots);
    return std::vector<double>(roots.begin(), roots.end());
}

void expect_roots(std::initializer_list<double> coeffs, std::vector<double> expected) {
    const std::vector<double> got = roots_of(coeffs);
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_NEAR(got[i], expected[i], 1e-9) << "root " << i;
    }
}

void expect_point(const Kv3dPoint& p, double x, double y, double z) {
    EXPECT_EQ(p.x(), x);
    EXPECT_EQ(p.y(), y);
    EXPECT_EQ(p.z(), z);
}

const Kv3dPoint O(0, 0, 0), P1(1, 1, 0), P2(2, 0, 0);

TEST(Parabola, EvaluationOnAndBeyondTheControlRange) {
    const Kv3dParabola c = parabola(O, P1, P2);
    expect_point(c.evaluate(0.0), 0, 0, 0);
    expect_point(c.evaluate(1.0), 2, 0, 0);
    expect_point(c.evaluate(0.5), 1, 0.5, 0);
    expect_point(c.evaluate(2.0), 4, -4, 0);
    expect_point(c.evaluate(-1.0), -2, -4, 0);
    EXPECT_DOUBLE_EQ(c.find_parameter(Kv3dPoint(1, 0.5, 0), nullptr), 0.5);
    EXPECT_TRUE(c.contains(Kv3dPoint(1, 0.5, 0)));
    EXPECT_FALSE(c.contains(Kv3dPoint(1, 1, 0)));  // the middle control point is off the curve
    EXPECT_DOUBLE_EQ(c.distance(Kv3dPoint(1, 1, 0)), 0.5);
    EXPECT_NEAR(c.find_parameter(Kv3dPoint(5, 0, 0), nullptr), 1.417, 1e-3);
}

TEST(Parabola, StationaryParametersAndStartChoice) {
    const Kv3dParabola c = parabola(O, P1, P2);
    const Kv3dPoint q(1, -5, 0);
    // 4 f(t) for q: f = 4 t^3 - 6 t^2 - 6 t + 4, reported as 0.5, 2, -1.
    expect_roots({4, -6, -6, 4}, {0.5, 2.0, -1.0});
    // 2 and -1 are both at sqrt(10): the one reported first wins.
    EXPECT_NEAR(c.find_parameter(q, nullptr), 2.0, 1e-9);
    const double starts[] = {0.0, 1.2, 1.3, -0.4, 100.0};
    const double expected[] = {0.5, 0.5, 2.0, -1.0, 2.0};
    for (int i = 0; i < 5; ++i) {
        EXPECT_NEAR(c.find_parameter(q, &starts[i]), expected[i], 1e-9) << starts[i];
    }
}

TEST(Parabola, DegenerateControlPolygons) {
    const Kv3dPoint a(3, -1, 2);
    const Kv3dParabola point = parabola(a, a, a);
    EXPECT_EQ(point.find_parameter(Kv3dPoint(7, 2, 2), nullptr), 0.0);
    EXPECT_EQ(point.distance(Kv3dPoint(7, 2, 2)), 5.0);
    const Kv3dParabola line = parabola(O, Kv3dPoint(1, 0, 0), P2);
    EXPECT_DOUBLE_EQ(line.find_parameter(Kv3dPoint(0.5, 3, 0), nullptr), 0.25);
    // contains is strict at exactly the point tolerance.
    const double tol = Kv3dResObj::same_point_tol();
    EXPECT_FALSE(line.contains(Kv3dPoint(1, tol, 0)));
    EXPECT_TRUE(line.contains(Kv3dPoint(1, tol * 0.999, 0)));
    EXPECT_FALSE(parabola(O, Kv3dPoint(1e-4, 0, 0), P2).is_valid());
    EXPECT_FALSE(parabola(O, Kv3dPoint(2, 1e-4, 0), P2).is_valid());
    EXPECT_TRUE(parabola(O, P1, Kv3dPoint(1e-4, 0, 0)).is_valid());  // p0 = p2 is allowed
}

TEST(Parabola, ShortArraysRepeatTheLastPoint) {
    const Kv3dParabola empty{KvArray<Kv3dPoint>()};
    for (int i = 0; i < 3; ++i) expect_point(empty[i], 0, 0, 0);
    const Kv3dParabola one{KvArray<Kv3dPoint>{P1}};
    for (int i = 0; i < 3; ++i) expect_point(one[i], 1, 1, 0);
    const Kv3dParabola two{KvArray<Kv3dPoint>{P1, P2}};
    expect_point(two[0], 1, 1, 0);
    expect_point(two[2], 2, 0, 0);
    const Kv3dParabola four{KvArray<Kv3dPoint>{O, P1, P2, Kv3dPoint(9, 9, 9)}};
    expect_point(four[2], 2, 0, 0);
    expect_point(four[3], 0, 0, 0);
    expect_point(four[-1], 0, 0, 0);
}

TEST(Parabola, ApplyJournalAndNaN) {
    Kv3dParabola c = parabola(O, P1, P2);
    c.apply(Kv3dTransform(Kv3dVector(1, 2, 3)));
    expect_point(c[1], 2, 3, 3);
    std::ostringstream out;
    KvJournal j(out);
    j << parabola(O, P1, P2);
    EXPECT_EQ(out.str(),
              "Kv3dParabola( Kv3dPoint( 0, 0, 0) , Kv3dPoint( 1, 1, 0) , Kv3dPoint( 2, 0, 0) )");
    out.str("");
    c.debug(j, static_cast<KvDebug>(1), false, 2);
    EXPECT_EQ(out.str(), "");
    parabola(O, P1, P2).debug(j, static_cast<KvDebug>(2), false, 2);
    EXPECT_EQ(out.str(),
              "  Kv3dParabola( pnt[0] : Kv3dPoint( 0, 0, 0)\n"
              "                pnt[1] : Kv3dPoint( 1, 1, 0)\n"
              "                pnt[2] : Kv3dPoint( 2, 0, 0)\n"
              "              )          \n");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double t = c.find_parameter(Kv3dPoint(nan, 0, 0), &nan);
    EXPECT_TRUE(std::isnan(t) || t == 0.0);
    EXPECT_FALSE(parabola(O, Kv3dPoint(nan, 1, 0), P2).contains(O));
}

TEST(RealRoots, ClosedFormCases) {
    expect_roots({-2, 0, 1}, {-std::sqrt(2.0), std::sqrt(2.0)});
    expect_roots({1, 2, 1}, {-1.0});  // double root once
    expect_roots({1, 0, 1}, {});
    expect_roots({0, 0, 0, 0}, {0.0});
    expect_roots({5}, {});
    expect_roots({}, {});
    expect_roots({-6, 11, -6, 1}, {2.0, 3.0, 1.0});
    expect_roots({-1, 3, -3, 1}, {1.0, 1.0});    // triple root
    expect_roots({-2, 1, 5e-13, 0}, {2.0});      // leading terms below 1e-12 drop
    expect_roots({6, -5, 1, 0, 0}, {2.0, 3.0});  // dropping from five coefficients
    expect_roots({1, 0, 0, 0, 1}, {});           // degree 4 is not solved
    expect_roots({-8, 0, 0, 1}, {2.0});          // one real root of a cubic
    expect_roots({std::nan(""), 1, 1, 1}, {});   // NaN discriminant
    KvArray<double> same{-2, 1};
    Kv3dRealRoots::solve(same, same);  // coefficients and roots in one array
    ASSERT_EQ(same.size(), 1u);
    EXPECT_EQ(same[0], 2.0);
}

// The global foot point is no farther than any sampled curve point, and a
// foot point found from a start is stationary: (C(t) - q) . C'(t) = 0, up to
// the cancellation of the closed-form cubic when Q is near zero.
TEST(Parabola, RandomFootPointsAgainstSampling) {
    std::mt19937 rng(4242);
    std::uniform_real_distribution<double> u(-2.0, 2.0);
    auto rnd = [&] { return Kv3dPoint(u(rng), u(rng), u(rng)); };
    for (int k = 0; k < 200; ++k) {
        const Kv3dParabola c = parabola(rnd(), rnd(), rnd());
        const Kv3dPoint q = rnd();
        double best = std::numeric_limits<double>::infinity();
        for (int i = 0; i <= 4000; ++i)
            best = std::min(best, c.evaluate(-4.0 + i * 0.002).distance(q));
        EXPECT_LE(c.distance(q), best + 1e-9);
        const double start = u(rng);
        const double t = c.find_parameter(q, &start);
        const Kv3dVector d = c.evaluate(t) - q;
        const Kv3dVector tangent = (c[1] - c[0]) * (2.0 * (1.0 - t)) + (c[2] - c[1]) * (2.0 * t);
        EXPECT_NEAR(d % tangent, 0.0, 1e-5 * (1.0 + d.length() * tangent.length()));
    }
}

}  // namespace
