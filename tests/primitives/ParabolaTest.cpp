#include <kv3d/detail/Kv3dRealRoots.h>
#include <kv3d/kv3d.h>

#include <cmath>
#include <random>
#include <sstream>
#include <vector>

#include <gtest/gtest.h>

namespace {

using P = Kv3dPoint;
const P O(0, 0, 0), P1(1, 1, 0), P2(2, 0, 0);

Kv3dParabola parabola(const P& a, const P& b, const P& c) {
    return Kv3dParabola(KvArray<P>{a, b, c});
}
bool same(const P& a, const P& b) { return a.distance(b) == 0; }

void expect_roots(std::initializer_list<double> coeffs, std::vector<double> expected) {
    std::ostringstream name;
    for (double c : coeffs) name << c << " ";
    KvArray<double> roots{99.0};
    Kv3dRealRoots::solve(KvArray<double>(coeffs), roots);
    ASSERT_EQ(roots.size(), expected.size()) << "case: coefficients " << name.str();
    for (std::size_t i = 0; i < roots.size(); ++i)
        EXPECT_NEAR(roots[i], expected[i], 1e-9 * (1 + std::fabs(expected[i])))
            << "case: coefficients " << name.str() << ", root " << i;
}

// Points on the curve and foot points, then the journal text of the curve
// moved by (1, 2, 3).
TEST(Parabola, EvaluationFootPointsAndJournalText) {
    Kv3dParabola c = parabola(O, P1, P2);
    const double t[] = {0.5, 2, -1};
    const P at[] = {{1, 0.5, 0}, {4, -4, 0}, {-2, -4, 0}};
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(same(c.evaluate(t[i]), at[i])) << "case: t " << t[i];
    EXPECT_DOUBLE_EQ(c.distance(P1), 0.5) << "case: the middle control point, off the curve";
    // (1, -5, 0): f = 4 t^3 - 6 t^2 - 6 t + 4 has the roots 0.5, 2, -1, in this
    // order; 2 and -1 are both at sqrt(10), and the one reported first wins.
    const P q(1, -5, 0);
    EXPECT_NEAR(c.find_parameter(q, nullptr), 2.0, 1e-9) << "case: a tie, the first wins";
    const double starts[] = {0.0, 1.2, 1.3, -0.4}, nearest[] = {0.5, 0.5, 2.0, -1.0};
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(c.find_parameter(q, &starts[i]), nearest[i], 1e-9)
            << "case: from " << starts[i];
    std::ostringstream out;
    KvJournal j(out);
    j << c.apply(Kv3dTransform(Kv3dVector(1, 2, 3)));
    c.debug(j, static_cast<KvDebug>(1), false, 0);
    c.debug(j, static_cast<KvDebug>(2), false, 1);
    EXPECT_EQ(out.str(),
              "Kv3dParabola( Kv3dPoint( 1, 2, 3) , Kv3dPoint( 2, 3, 3) , Kv3dPoint( 3, 2, 3) )"
              " Kv3dParabola( pnt[0] : Kv3dPoint( 1, 2, 3)\n"
              "               pnt[1] : Kv3dPoint( 2, 3, 3)\n"
              "               pnt[2] : Kv3dPoint( 3, 2, 3)\n"
              "             )          \n");
}

TEST(Parabola, DegenerateControlPointsAndShortArrays) {
    const Kv3dParabola point = parabola(P1, P1, P1), line = parabola(O, P(1, 0, 0), P2);
    EXPECT_EQ(point.find_parameter(P(4, 5, 0), nullptr), 0) << "case: all control points equal";
    EXPECT_EQ(point.distance(P(4, 5, 0)), 5) << "case: all control points equal";
    EXPECT_DOUBLE_EQ(line.find_parameter(P(0.5, 3, 0), nullptr), 0.25) << "case: straight";
    const double tol = Kv3dResObj::same_point_tol(), nan = std::nan("");
    EXPECT_FALSE(line.contains(P(1, tol, 0))) << "case: at tol (strict)";
    EXPECT_TRUE(line.contains(P(1, std::nextafter(tol, 0.0), 0))) << "case: just inside tol";
    EXPECT_FALSE(parabola(O, P(1e-4, 0, 0), P2).is_valid()) << "case: p1 near p0";
    EXPECT_FALSE(parabola(O, P(2, 1e-4, 0), P2).is_valid()) << "case: p1 near p2";
    EXPECT_TRUE(parabola(O, P1, P(1e-4, 0, 0)).is_valid()) << "case: only p0 near p2";
    EXPECT_FALSE(parabola(O, P(nan, 1, 0), P2).contains(O)) << "case: NaN control point";
    EXPECT_EQ(parabola(O, P1, P2).find_parameter(P(nan, 0, 0), &nan), 0.0) << "case: NaN point";
    // A short array repeats its last point, the origin when empty; index 3 is out of range.
    const Kv3dParabola none{KvArray<P>()}, two{KvArray<P>{P1, P2}};
    EXPECT_TRUE(same(none[2], O)) << "case: empty";
    const P two_expected[] = {P1, P2, P2, O};
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(same(two[i], two_expected[i])) << "case: two, " << i;
}

TEST(RealRoots, ClosedFormCases) {
    expect_roots({-2, 0, 1}, {-std::sqrt(2.0), std::sqrt(2.0)});
    expect_roots({1, 2, 1}, {-1.0});  // a double root once
    expect_roots({1, 0, 1}, {});
    expect_roots({0, 0, 0, 0}, {0.0});
    expect_roots({5}, {});
    expect_roots({-6, 11, -6, 1}, {2.0, 3.0, 1.0});
    expect_roots({-1, 3, -3, 1}, {1.0, 1.0});  // the triple root
    expect_roots({-8, 0, 0, 1}, {2.0});
    expect_roots({-2, 1, 5e-13, 0}, {2.0});  // leading terms below 1e-12 drop
    expect_roots({-2, 1, std::nextafter(1e-12, 0.0)}, {2.0});
    expect_roots({-2, 1, 1e-12}, {-1e12 - 2, 2.0});  // exactly 1e-12 is kept
    // A discriminant below 1e-12 gives one root; exactly 1e-12 gives two.
    expect_roots({-1e-12, 0, 1}, {-1e-6, 1e-6});
    expect_roots({-std::nextafter(1e-12, 0.0), 0, 1}, {0.0});
    expect_roots({6, -5, 1, 0, 0}, {2.0, 3.0});
    expect_roots({1, 0, 0, 0, 1}, {});          // degree 4 is not solved
    expect_roots({std::nan(""), 1, 1, 1}, {});  // NaN discriminant
}

// The global foot point is no farther than any sampled curve point, and one
// found from a start is stationary, (C(t) - q) . C'(t) = 0, up to the
// cancellation of the closed-form cubic when Q is near zero.
TEST(Parabola, RandomFootPointsAgainstSampling) {
    std::mt19937 rng(4242);
    std::uniform_real_distribution<double> u(-2.0, 2.0);
    auto rnd = [&] { return P(u(rng), u(rng), u(rng)); };
    for (int k = 0; k < 200; ++k) {
        const Kv3dParabola c = parabola(rnd(), rnd(), rnd());
        const P q = rnd();
        double best = 1e300;
        for (int i = 0; i <= 4000; ++i)
            best = std::min(best, c.evaluate(-4 + i * 0.002).distance(q));
        EXPECT_LE(c.distance(q), best + 1e-9) << "case: draw " << k;
        const double start = u(rng), t = c.find_parameter(q, &start);
        const Kv3dVector d = c.evaluate(t) - q;
        const Kv3dVector tangent = (c[1] - c[0]) * (2.0 * (1.0 - t)) + (c[2] - c[1]) * (2.0 * t);
        EXPECT_NEAR(d % tangent, 0.0, 1e-5 * (1.0 + d.length() * tangent.length()))
            << "case: draw " << k;
    }
}

}  // namespace
