#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "FittingTestUtil.h"

using namespace fit_test;

namespace {

using D = Kv3dDirection;

// What a call left in its outputs; they start as sentinels.
struct Fit {
    bool ok = false;
    int type = -9;
    double a = -7.0, b = -8.0;
    Kv3dTransform T = Kv3dTransform(2.0, P(1, 2, 3));

    bool transform_untouched() const {
        return std::memcmp(T.as_matrix(), Kv3dTransform(2.0, P(1, 2, 3)).as_matrix(),
                           16 * sizeof(double)) == 0;
    }
};

Fit fit(const Points& pts) {
    Fit f;
    f.ok = kv3d_conic_data_from_points_3d(pts, f.type, f.a, f.b, f.T);
    return f;
}

Fit fit(const Points& pts, const D* first, const D* last) {
    Fit f;
    f.ok = Kv3d_conic_from_points_and_tangents(pts, f.type, f.a, f.b, f.T, first, last);
    return f;
}

// Points (x'', y'', 0) of the canonical curve of the type at parameters s.
P canonical(int type, double a, double b, double s, int branch = 1) {
    switch (type) {
        case 0:
            return P(a * std::cos(s), b * std::sin(s), 0);
        case 1:
            return P(branch * a * std::cosh(s), b * std::sinh(s), 0);
        case 2:
            return P(s, -s * s / (2 * a * a), 0);
        default:
            return P(0, s, 0);
    }
}

// The canonical equation's residual at q (canonical coordinates).
double residual(int type, double a, double b, const P& q) {
    const double x = q.x(), y = q.y();
    switch (type) {
        case 0:
            return x * x / (a * a) + y * y / (b * b) - 1;
        case 1:
            return x * x / (a * a) - y * y / (b * b) - 1;
        case 2:
            return x * x / (a * a) + 2 * y;
        case 3:
            return (x - a * y) * (x + a * y);
        case 4:
            return (x - a) * (x + a);
        default:
            return x;
    }
}

// Every point lies on the fitted curve, in the canonical x-y plane.
void expect_points_on_fit(const Fit& f, const Points& pts, double tol, const std::string& name) {
    Kv3dTransform back = f.T;
    ASSERT_TRUE(back.invert()) << "case: " << name;
    for (const P& p : pts) {
        const P q = moved(p, back);
        EXPECT_NEAR(residual(f.type, f.a, f.b, q), 0.0, tol) << "case: " << name;
        EXPECT_NEAR(q.z(), 0.0, tol * (1 + f.a)) << "case: " << name;
    }
}

void expect_false_untouched(const Fit& f, const std::string& name, int type = -9) {
    EXPECT_FALSE(f.ok) << "case: " << name;
    EXPECT_EQ(f.type, type) << "case: " << name;
    EXPECT_EQ(f.a, -7.0) << "case: " << name;
    EXPECT_EQ(f.b, -8.0) << "case: " << name;
    EXPECT_TRUE(f.transform_untouched()) << "case: " << name;
}

Points line_points(const P& p0, const V& step, std::initializer_list<double> at) {
    Points pts;
    for (double s : at) pts.append(p0 + step * s);
    return pts;
}

}  // namespace

TEST(ConicFit, EllipseInThePlaneZ3) {
    const double r = std::sqrt(2.0), h = std::sqrt(0.5);
    Points pts{P(2, 0, 3), P(0, 1, 3), P(-2, 0, 3), P(0, -1, 3), P(r, h, 3)};
    const Fit f = fit(pts);
    EXPECT_TRUE(f.ok) << "case: ellipse";
    EXPECT_EQ(f.type, 0) << "case: ellipse";
    EXPECT_NEAR(f.a, 2.0, 1e-13) << "case: ellipse";
    EXPECT_NEAR(f.b, 1.0, 1e-13) << "case: ellipse";
    expect_near(moved(P(0, 0, 0), f.T), P(0, 0, 3), 1e-13, "ellipse, centre");
    // The ends of the axes, which end where depending on the axis signs.
    const P major = moved(P(2, 0, 0), f.T), minor = moved(P(0, 1, 0), f.T);
    expect_near(P(std::fabs(major.x()), major.y(), major.z()), P(2, 0, 3), 1e-13, "major end");
    expect_near(P(minor.x(), std::fabs(minor.y()), minor.z()), P(0, 1, 3), 1e-13, "minor end");
    expect_points_on_fit(f, pts, 1e-13, "ellipse");
    // Five points without tangents through either function: the same bits.
    const Fit g = fit(pts, nullptr, nullptr);
    EXPECT_EQ(std::memcmp(f.T.as_matrix(), g.T.as_matrix(), 16 * sizeof(double)), 0)
        << "case: both functions";
    // Any order of the points: the same curve.
    std::vector<int> order{0, 1, 2, 3, 4};
    while (std::next_permutation(order.begin(), order.end())) {
        Points perm;
        for (int i : order) perm.append(pts[static_cast<std::size_t>(i)]);
        const Fit p = fit(perm);
        const std::string name = "permutation " + std::to_string(order[0]) +
                                 std::to_string(order[1]) + std::to_string(order[2]) +
                                 std::to_string(order[3]) + std::to_string(order[4]);
        EXPECT_EQ(p.type, 0) << "case: " << name;
        EXPECT_NEAR(p.a, 2.0, 1e-13) << "case: " << name;
        EXPECT_NEAR(p.b, 1.0, 1e-13) << "case: " << name;
    }
}

// Curves of engineering size in tilted planes far from the origin: a 25 mm
// bore, a 250 x 120 ellipse, a hyperbola and a parabola, each under 20 rigid
// motions about (1000, -700, 300).
TEST(ConicFit, TiltedCurvesFarFromTheOrigin) {
    const struct {
        const char* name;
        int type;
        double a, b;
        double s[5];
    } curves[] = {
        {"25 mm bore", 0, 12.5, 12.5, {-2.5, -1.2, 0.1, 1.3, 2.4}},
        {"250 x 120 ellipse", 0, 125, 60, {-2.5, -1.2, 0.1, 1.3, 2.4}},
        {"hyperbola", 1, 30, 20, {-1.0, -0.3, 0.5, 1.1, 0.2}},
        {"parabola", 2, 10, 0, {-15, -6, 1, 7, 14}},
    };
    std::mt19937 rng(7);
    for (const auto& c : curves) {
        for (int trial = 0; trial < 20; ++trial) {
            const std::string name = std::string(c.name) + ", trial " + std::to_string(trial);
            const Kv3dTransform M = random_motion(rng, P(1000, -700, 300));
            Points pts;
            for (int k = 0; k < 5; ++k) {
                pts.append(moved(canonical(c.type, c.a, c.b, c.s[k], k % 2 ? -1 : 1), M));
            }
            const Fit f = fit(pts);
            EXPECT_TRUE(f.ok) << "case: " << name;
            EXPECT_EQ(f.type, c.type) << "case: " << name;
            EXPECT_NEAR(f.a, c.a, 1e-9 * c.a) << "case: " << name;
            EXPECT_NEAR(f.b, c.b, 1e-9 * c.a) << "case: " << name;
            expect_near(moved(P(0, 0, 0), f.T), moved(P(0, 0, 0), M), 1e-8, name + ", origin");
            const V z = moved(P(0, 0, 1), f.T) - moved(P(0, 0, 0), f.T);
            const V mz = moved(P(0, 0, 1), M) - moved(P(0, 0, 0), M);
            EXPECT_NEAR(std::fabs(z % mz), 1.0, 1e-12) << "case: " << name << ", plane";
            expect_points_on_fit(f, pts, 1e-9, name);
        }
    }
}

TEST(ConicFit, PointsAndTangents) {
    // y = x^2 through three points, with the tangents at both ends.
    const Points three{P(-1, 1, 0), P(0, 0, 0), P(1, 1, 0)};
    const D t0(1, -2, 0), t2(1, 2, 0);
    const Fit f = fit(three, &t0, &t2);
    EXPECT_TRUE(f.ok) << "case: three points, two tangents";
    EXPECT_EQ(f.type, 2) << "case: three points, two tangents";
    EXPECT_NEAR(f.a, std::sqrt(0.5), 1e-14) << "case: three points, two tangents";
    EXPECT_EQ(f.b, 0.0) << "case: three points, two tangents";
    expect_near(moved(P(0, 0, 0), f.T), P(0, 0, 0), 1e-14, "three points, vertex");

    // Four points of the tilted 250 x 120 ellipse and the tangent at one end.
    std::mt19937 rng(19);
    const Kv3dTransform M = random_motion(rng, P(1000, -700, 300));
    Points four;
    for (double s : {0.3, 1.1, 2.0, 4.0}) four.append(moved(canonical(0, 125, 60, s), M));
    const auto tangent = [&](double s) {
        return D(V(-125 * std::sin(s), 60 * std::cos(s), 0).apply(M).as_array());
    };
    const D first = tangent(0.3), last = tangent(4.0);
    for (const auto& [name, g] : {std::pair<const char*, Fit>{"first", fit(four, &first, nullptr)},
                                  {"last", fit(four, nullptr, &last)}}) {
        EXPECT_TRUE(g.ok) << "case: four points, tangent at the " << name;
        EXPECT_EQ(g.type, 0) << "case: four points, tangent at the " << name;
        EXPECT_NEAR(g.a, 125, 1e-8) << "case: four points, tangent at the " << name;
        EXPECT_NEAR(g.b, 60, 1e-8) << "case: four points, tangent at the " << name;
    }
    // Three collinear points with tangents across the line: the double line.
    const D across(0, 1, 0);
    const Fit dbl = fit(line_points(P(5, 5, 0), V(1, 0, 0), {0, 1, 3}), &across, &across);
    EXPECT_TRUE(dbl.ok) << "case: collinear points, tangents across";
    EXPECT_EQ(dbl.type, 5) << "case: collinear points, tangents across";
}

TEST(ConicFit, CollinearPoints) {
    // Lines along and across the model axes, far out and near the origin.
    // The last two leave rounding (about 1e-14) in one in-plane coordinate,
    // which the scale-free rank would count as a second dimension.
    const struct {
        const char* name;
        P p0;
        V step;
    } lines[] = {
        {"45 degrees in z = 0", P(0, 0, 0), V(1, 1, 0)},
        {"45 degrees far out", P(1000, -700, 300), V(3, 3, 0)},
        {"along x", P(1, 2, 3), V(2, 0, 0)},
        {"skew direction", P(1000, -700, 300), V(1, -2, 0.5)},
        {"in-plane rounding, skew", P(-861, 410, 0),
         V(5.7265678226467651, -1.5878930578147883, 2.3929263490616717)},
        {"in-plane rounding, along x", P(-74, -118, 79),
         V(-11.934189749249542, -1.4615167276835606e-15, 0)},
    };
    for (const auto& l : lines) {
        const Points pts = line_points(l.p0, l.step, {0, 1, 2.5, 4, 7});
        const Fit f = fit(pts);
        EXPECT_TRUE(f.ok) << "case: " << l.name;
        EXPECT_EQ(f.type, 5) << "case: " << l.name;
        EXPECT_EQ(f.a, -7.0) << "case: " << l.name << ", a not written";
        EXPECT_EQ(f.b, -8.0) << "case: " << l.name << ", b not written";
        expect_near(moved(P(0, 0, 0), f.T), l.p0, 1e-12, std::string(l.name) + ", origin");
        expect_near(moved(P(0, 1, 0), f.T) - l.p0, l.step.direction(), 1e-12,
                    std::string(l.name) + ", y axis");
    }
    std::mt19937 rng(41);
    for (int trial = 0; trial < 2000; ++trial) {
        const V step(uniform(rng, -10, 10), uniform(rng, -10, 10), uniform(rng, -10, 10));
        const P p0(std::round(uniform(rng, -1000, 1000)), std::round(uniform(rng, -1000, 1000)), 0);
        EXPECT_EQ(fit(line_points(p0, step, {0, 1, 2.5, 4, 7})).type, 5)
            << "case: random line " << trial;
    }
    // Three points with both tangents along their line: only index 2 exists.
    const D along(1, 1, 0);
    const Fit three = fit(line_points(P(0, 0, 0), V(1, 1, 0), {0, 1, 3}), &along, &along);
    EXPECT_EQ(three.type, 5) << "case: three points, tangents along";

    // The first two points equal: false.
    expect_false_untouched(fit(line_points(P(1, 1, 1), V(1, 0, 0), {0, 0, 1, 2, 3})),
                           "first two equal");
    // Four on a line and one off it: rank 4.
    Points four_and_one = line_points(P(0, 0, 0), V(1, 0, 0), {0, 1, 2, 3});
    four_and_one.append(P(1, 1, 0));
    expect_false_untouched(fit(four_and_one), "four on a line, one off");
    // More than five: every point beyond the second is tested. A point 5e-5
    // off a 2e5 long line is below the in-plane rounding limit (1e-9 of the
    // largest coordinate), so the rank is 3, but beyond the 1e-5 line test.
    for (std::size_t off : {4u, 6u}) {
        Points long_line = line_points(P(0, 0, 0), V(1, 0, 0), {-1e5, -5e4, 0, 2e4, 5e4, 7e4, 1e5});
        long_line[off] = long_line[off] + V(0, 5e-5, 0);
        expect_false_untouched(fit(long_line), "point " + std::to_string(off) + " off the line");
    }
    const Fit on = fit(line_points(P(0, 0, 0), V(1, 0, 0), {-1e5, -5e4, 0, 2e4, 5e4, 7e4, 1e5}));
    EXPECT_EQ(on.type, 5) << "case: seven points on a line";
}

TEST(ConicFit, FalseCasesLeaveTheOutputs) {
    const Points five{P(2, 0, 0), P(0, 1, 0), P(-2, 0, 0), P(0, -1, 0), P(1.5, 0.5, 0)};
    const Points four(std::vector<P>(five.begin(), five.begin() + 4));
    const Points three(std::vector<P>(five.begin(), five.begin() + 3));
    const Points six{P(2, 0, 0), P(0, 1, 0), P(-2, 0, 0), P(0, -1, 0), P(1, 1, 0), P(1, -1, 0)};
    const D t(1, 0, 0);
    expect_false_untouched(fit(five, &t, nullptr), "five points and a tangent");
    expect_false_untouched(fit(four, nullptr, nullptr), "four points, no tangent");
    expect_false_untouched(fit(four, &t, &t), "four points, two tangents");
    expect_false_untouched(fit(three, nullptr, &t), "three points, one tangent");
    expect_false_untouched(fit(three, nullptr, nullptr), "three points, no tangent");
    expect_false_untouched(fit(six, nullptr, nullptr), "six points with the tangent function");
    expect_false_untouched(fit(four), "four points");
    expect_false_untouched(fit(Points()), "no points");
    // A circle of radius 1e6: its quadratic coefficients, about 1e-12 of the
    // constant, fall below the 1e-10 flush, which leaves no real curve.
    Points huge;
    for (double s : {0.0, 1.3, 2.5, 3.9, 5.1}) huge.append(canonical(0, 1e6, 1e6, s));
    expect_false_untouched(fit(huge), "no real curve", -1);
    // Coincident points.
    expect_false_untouched(fit(Points(std::vector<P>(5, P(1, 2, 3)))), "five equal points");
}

TEST(ConicFit, LeastSquaresFitOfManyPoints) {
    std::mt19937 rng(31);
    const Kv3dTransform M = random_motion(rng, P(1000, -700, 300));
    // 60 points of the 250 x 120 ellipse, moved by up to 0.01 in every direction.
    Points noisy;
    for (int k = 0; k < 60; ++k) {
        const V e(uniform(rng, -1, 1), uniform(rng, -1, 1), uniform(rng, -1, 1));
        noisy.append(moved(canonical(0, 125, 60, 0.1 * k), M) + e * 0.01);
    }
    const Fit f = fit(noisy);
    EXPECT_TRUE(f.ok) << "case: 60 noisy points";
    EXPECT_EQ(f.type, 0) << "case: 60 noisy points";
    EXPECT_NEAR(f.a, 125, 0.05) << "case: 60 noisy points";
    EXPECT_NEAR(f.b, 60, 0.05) << "case: 60 noisy points";
    expect_near(moved(P(0, 0, 0), f.T), moved(P(0, 0, 0), M), 0.05, "60 noisy points, centre");
    // Eight exact points of a hyperbola: the exact curve.
    Points eight;
    for (int k = 0; k < 8; ++k)
        eight.append(moved(canonical(1, 30, 20, 0.3 * k - 1, k % 2 ? -1 : 1), M));
    const Fit h = fit(eight);
    EXPECT_EQ(h.type, 1) << "case: eight hyperbola points";
    EXPECT_NEAR(h.a, 30, 1e-8) << "case: eight hyperbola points";
    EXPECT_NEAR(h.b, 20, 1e-8) << "case: eight hyperbola points";
    expect_points_on_fit(h, eight, 1e-9, "eight hyperbola points");
}

// In-plane values at most 1e-9 of the largest (of the points' coordinates,
// or of the tangent's components) are rounding and become 0: exactly at the
// limit the fit equals that of 0, just beyond it differs. The points keep
// their centroid at the origin and lie in z = 0, so the plane frame is exact.
TEST(ConicFit, InPlaneRoundingLimit) {
    const auto ellipse = [](double dx, double tx) {
        const Points pts{P(-8, 0, 0), P(8, 0, 0), P(dx, 4, 0), P(-dx, -4, 0)};
        const D tangent(tx, 1, 0);
        return fit(pts, &tangent, nullptr);
    };
    const auto same = [](const Fit& f, const Fit& g) {
        return std::memcmp(f.T.as_matrix(), g.T.as_matrix(), 16 * sizeof(double)) == 0;
    };
    const Fit exact = ellipse(0.0, 0.0);
    ASSERT_EQ(exact.type, 0) << "case: ellipse through four points and a tangent";
    const double limit = 1e-9 * 8.0;
    EXPECT_TRUE(same(ellipse(limit, 0.0), exact)) << "case: coordinate at the limit";
    EXPECT_FALSE(same(ellipse(std::nextafter(limit, 1.0), 0.0), exact))
        << "case: coordinate beyond the limit";
    EXPECT_TRUE(same(ellipse(0.0, 1e-9), exact)) << "case: tangent component at the limit";
    EXPECT_FALSE(same(ellipse(0.0, std::nextafter(1e-9, 1.0)), exact))
        << "case: tangent component beyond the limit";
}
