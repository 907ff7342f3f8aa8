#include <algorithm>
#include <cmath>
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

void expect_fit(const Fit& f, int type, double a, double b, double tol, const std::string& name) {
    EXPECT_TRUE(f.ok) << "case: " << name;
    EXPECT_EQ(f.type, type) << "case: " << name;
    EXPECT_NEAR(f.a, a, tol) << "case: " << name;
    EXPECT_NEAR(f.b, b, tol) << "case: " << name;
}

void expect_false_untouched(const Fit& f, const std::string& name, int type = -9) {
    EXPECT_FALSE(f.ok) << "case: " << name;
    EXPECT_EQ(f.type, type) << "case: " << name;
    EXPECT_EQ(f.a, -7.0) << "case: " << name;
    EXPECT_EQ(f.b, -8.0) << "case: " << name;
    EXPECT_TRUE(same_matrix(f.T, Fit().T)) << "case: " << name;
}

// The canonical equation's residual at q (canonical coordinates).
double residual(int type, double a, double b, const P& q) {
    const double x = q.x(), y = q.y();
    const double r[] = {x * x / (a * a) + y * y / (b * b) - 1,  // ellipse
                        x * x / (a * a) - y * y / (b * b) - 1,  // hyperbola
                        x * x / (a * a) + 2 * y};               // parabola
    return type >= 0 && type < 3 ? r[type] : x;
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

Points line_points(const P& p0, const V& step, std::initializer_list<double> at) {
    Points pts;
    for (double s : at) pts.append(p0 + step * s);
    return pts;
}

}  // namespace

TEST(ConicFit, EllipseInThePlaneZ3) {
    const Points pts{P(2, 0, 3), P(0, 1, 3), P(-2, 0, 3), P(0, -1, 3),
                     P(std::sqrt(2.0), std::sqrt(0.5), 3)};
    const Fit f = fit(pts);
    expect_near(moved(P(0, 0, 0), f.T), P(0, 0, 3), 1e-13, "ellipse, centre");
    expect_points_on_fit(f, pts, 1e-13, "ellipse");
    // Five points without tangents through either function: the same bits.
    EXPECT_TRUE(same_matrix(fit(pts, nullptr, nullptr).T, f.T)) << "case: both functions";
    // Any order of the points: the same curve.
    std::vector<std::size_t> order{0, 1, 2, 3, 4};
    for (int k = 0; k == 0 || std::next_permutation(order.begin(), order.end()); ++k) {
        Points perm;
        for (std::size_t i : order) perm.append(pts[i]);
        expect_fit(fit(perm), 0, 2.0, 1.0, 1e-13, "permutation " + std::to_string(k));
    }
}

// Curves of engineering size in tilted planes far from the origin: a 25 mm
// bore, a 250 x 120 ellipse, a hyperbola and a parabola, each under 20 rigid
// motions about (1000, -700, 300).
TEST(ConicFit, TiltedCurvesFarFromTheOrigin) {
    const struct {
        const char* name;
        int type;
        double a, b, s[5];
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
            expect_fit(f, c.type, c.a, c.b, 1e-9 * c.a, name);
            expect_near(moved(P(0, 0, 0), f.T), moved(P(0, 0, 0), M), 1e-8, name + ", origin");
            expect_points_on_fit(f, pts, 1e-9, name);  // in the curve's plane, on the curve
        }
    }
}

TEST(ConicFit, PointsAndTangents) {
    // y = x^2 through three points, with the tangents at both ends.
    const D t0(1, -2, 0), t2(1, 2, 0);
    const Fit f = fit(Points{P(-1, 1, 0), P(0, 0, 0), P(1, 1, 0)}, &t0, &t2);
    expect_fit(f, 2, std::sqrt(0.5), 0.0, 1e-14, "three points, two tangents");
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
    expect_fit(fit(four, &first, nullptr), 0, 125, 60, 1e-8, "four points, first tangent");
    expect_fit(fit(four, nullptr, &last), 0, 125, 60, 1e-8, "four points, last tangent");
}

// Five points on a line give type 5, the curve's y axis along the line
// through the first point; a and b are not written on this path.
void expect_line(const P& p0, const V& step, const std::string& name, double tol = 1e-12) {
    const Fit f = fit(line_points(p0, step, {0, 1, 2.5, 4, 7}));
    expect_fit(f, 5, -7.0, -8.0, 0.0, name);
    expect_near(moved(P(0, 0, 0), f.T), p0, tol, name + ", origin");
    expect_near(moved(P(0, 1, 0), f.T) - p0, step.direction(), tol, name + ", y axis");
}

TEST(ConicFit, CollinearPoints) {
    // The last two leave rounding (about 1e-14) in one in-plane coordinate,
    // which the scale-free rank would count as a dimension.
    expect_line(P(0, 0, 0), V(1, 1, 0), "45 degrees in z = 0");
    expect_line(P(-861, 410, 0), V(5.7265678226467651, -1.5878930578147883, 2.3929263490616717),
                "in-plane rounding, skew");
    expect_line(P(-74, -118, 79), V(-11.934189749249542, -1.4615167276835606e-15, 0),
                "in-plane rounding, along x");
    std::mt19937 rng(41);
    for (int trial = 0; trial < 2000; ++trial) {
        const V step(uniform(rng, -10, 10), uniform(rng, -10, 10), uniform(rng, -10, 10));
        const P p0(std::round(uniform(rng, -1000, 1000)), std::round(uniform(rng, -1000, 1000)), 0);
        expect_line(p0, step, "random line " + std::to_string(trial), 1e-10);
    }
    // Three points with both tangents along their line: only index 2 exists.
    const D along(1, 1, 0);
    EXPECT_EQ(fit(line_points(P(0, 0, 0), V(1, 1, 0), {0, 1, 3}), &along, &along).type, 5)
        << "case: three points, tangents along";
    expect_false_untouched(fit(line_points(P(1, 1, 1), V(1, 0, 0), {0, 0, 1, 2, 3})),
                           "first two equal");
    Points four_and_one = line_points(P(0, 0, 0), V(1, 0, 0), {0, 1, 2, 3});
    four_and_one.append(P(1, 1, 0));
    expect_false_untouched(fit(four_and_one), "four on a line, one off (rank 4)");
    // More than five: every point beyond the second is tested. A point 5e-5
    // off a 2e5 long line is below the in-plane rounding limit (1e-9 of the
    // largest coordinate), so the rank is 3, but beyond the 1e-5 line test.
    const auto long_line = [] {
        return line_points(P(0, 0, 0), V(1, 0, 0), {-1e5, -5e4, 0, 2e4, 5e4, 7e4, 1e5});
    };
    EXPECT_EQ(fit(long_line()).type, 5) << "case: seven points on a line";
    for (std::size_t off : {4u, 6u}) {
        Points pts = long_line();
        pts[off] = pts[off] + V(0, 5e-5, 0);
        expect_false_untouched(fit(pts), "point " + std::to_string(off) + " off the line");
    }
}

TEST(ConicFit, FalseCasesLeaveTheOutputs) {
    const Points five{P(2, 0, 0), P(0, 1, 0), P(-2, 0, 0), P(0, -1, 0), P(1.5, 0.5, 0)};
    const Points four{five[0], five[1], five[2], five[3]}, three{five[0], five[1], five[2]},
        six{five[0], five[1], five[2], five[3], five[4], P(1, -1, 0)};
    const D t(1, 0, 0);
    expect_false_untouched(fit(five, &t, nullptr), "five points and a tangent");
    expect_false_untouched(fit(four, nullptr, nullptr), "four points, no tangent");
    expect_false_untouched(fit(four, &t, &t), "four points, two tangents");
    expect_false_untouched(fit(three, nullptr, &t), "three points, one tangent");
    expect_false_untouched(fit(six, nullptr, nullptr), "six points with the tangent function");
    expect_false_untouched(fit(four), "four points");
    expect_false_untouched(fit(Points()), "no points");
    expect_false_untouched(fit(Points(std::vector<P>(5, P(1, 2, 3)))), "five equal points");
    // A circle of radius 1e6: its quadratic coefficients, about 1e-12 of the
    // constant, fall below the 1e-10 flush, which leaves no real curve.
    Points huge;
    for (double s : {0.0, 1.3, 2.5, 3.9, 5.1}) huge.append(canonical(0, 1e6, 1e6, s));
    expect_false_untouched(fit(huge), "no real curve", -1);
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
    expect_fit(f, 0, 125, 60, 0.05, "60 noisy points");
    expect_near(moved(P(0, 0, 0), f.T), moved(P(0, 0, 0), M), 0.05, "60 noisy points, centre");
    // Eight exact points of a hyperbola: the exact curve.
    Points eight;
    for (int k = 0; k < 8; ++k) {
        eight.append(moved(canonical(1, 30, 20, 0.3 * k - 1, k % 2 ? -1 : 1), M));
    }
    const Fit h = fit(eight);
    expect_fit(h, 1, 30, 20, 1e-8, "eight hyperbola points");
    expect_points_on_fit(h, eight, 1e-9, "eight hyperbola points");
}

// In-plane values at most 1e-9 of the largest (of the points' coordinates,
// or of the tangent's components) are rounding and become 0: exactly at the
// limit the fit equals that of 0, just beyond it differs. The points keep
// their centroid at the origin and lie in z = 0, so the plane frame is exact.
TEST(ConicFit, InPlaneRoundingLimit) {
    const auto ellipse = [](double dx, double tx) {
        const D tangent(tx, 1, 0);
        return fit(Points{P(-8, 0, 0), P(8, 0, 0), P(dx, 4, 0), P(-dx, -4, 0)}, &tangent, nullptr)
            .T;
    };
    const Kv3dTransform exact = ellipse(0.0, 0.0);
    const double limit = 1e-9 * 8.0;
    EXPECT_TRUE(same_matrix(ellipse(limit, 0.0), exact)) << "case: coordinate at the limit";
    EXPECT_FALSE(same_matrix(ellipse(std::nextafter(limit, 1.0), 0.0), exact))
        << "case: coordinate beyond the limit";
    EXPECT_TRUE(same_matrix(ellipse(0.0, 1e-9), exact)) << "case: tangent at the limit";
    EXPECT_FALSE(same_matrix(ellipse(0.0, std::nextafter(1e-9, 1.0)), exact))
        << "case: tangent beyond the limit";
}
