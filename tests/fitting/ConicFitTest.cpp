#include <algorithm>
#include <cmath>
#include <vector>

#include "FittingTestUtil.h"
#include "support/NamedCases.h"

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

// Every point lies on the fitted curve, in the canonical x-y plane.
void expect_points_on_fit(const Fit& f, const Points& pts, double tol, const std::string& name) {
    Kv3dTransform back = f.T;
    ASSERT_TRUE(back.invert()) << "case: " << name;
    for (const P& p : pts) {
        const P q = moved(p, back);
        const double x = q.x() / f.a, y = q.y(), yb = y / f.b;
        const double residual[] = {x * x + yb * yb - 1, x * x - yb * yb - 1, x * x + 2 * y,
                                   x * x - y * y,       x * x - 1,           q.x()};
        EXPECT_NEAR(residual[f.type >= 0 && f.type < 5 ? f.type : 5], 0.0, tol) << "case: " << name;
        EXPECT_NEAR(q.z(), 0.0, tol * (1 + f.a)) << "case: " << name;
    }
}

Points line_points(const P& p0, const V& step, std::initializer_list<double> at) {
    Points pts;
    for (double s : at) pts.append(p0 + step * s);
    return pts;
}

}  // namespace

// Curves of every type but the single line, of engineering size in tilted
// planes far from the origin, each under rigid motions about (1000, -700,
// 300): from five points exactly, every point on the placed canonical curve
// (which holds the classification of the fitted equation for every type,
// sign and rotation); from eight exact points of a hyperbola exactly (least
// squares); from 60 points of an ellipse moved by up to 0.01 in every
// direction, to 0.05.
TEST(ConicFit, TiltedCurvesFarFromTheOrigin) {
    const struct {
        const char* name;
        int type;
        double a, b, s0, ds;
        int n, trials;
        double noise;
    } curves[] = {
        {"25 mm bore", 0, 12.5, 12.5, -2.5, 1.2, 5, 20, 0},
        {"250 x 120 ellipse", 0, 125, 60, -2.5, 1.2, 5, 20, 0},
        {"hyperbola", 1, 30, 20, -1.0, 0.45, 5, 20, 0},
        {"parabola", 2, 10, 0, -15, 7, 5, 20, 0},
        {"crossing lines", 3, 1.5, 1, -2, 1.1, 5, 20, 0},
        {"parallel lines", 4, 6, 0, -2, 1.1, 5, 20, 0},
        {"eight hyperbola points", 1, 30, 20, -1, 0.3, 8, 3, 0},
        {"60 noisy points", 0, 125, 60, 0, 0.1, 60, 3, 0.01},
    };
    RandomDraw g(7);
    for (const auto& c : curves) {
        for (int trial = 0; trial < c.trials; ++trial) {
            const std::string name = std::string(c.name) + ", trial " + std::to_string(trial);
            const Kv3dTransform M = random_motion(g, P(1000, -700, 300));
            Points pts;
            for (int k = 0; k < c.n; ++k) {
                const V e(g.uniform(-1, 1), g.uniform(-1, 1), g.uniform(-1, 1));
                pts.append(moved(canonical(c.type, c.a, c.b, c.s0 + k * c.ds, k % 2 ? -1 : 1), M) +
                           e * c.noise);
            }
            const Fit f = fit(pts);
            const double tol = c.noise > 0 ? 5 * c.noise : 1e-9 * c.a;
            expect_fit(f, c.type, c.a, c.b, tol, name);
            // The frame's origin is the centre, vertex or crossing; parallel
            // lines have it anywhere on their midline.
            const double off = c.type == 4 ? 0.0 : moved(P(), f.T).distance(moved(P(), M));
            EXPECT_NEAR(off, 0.0, c.noise > 0 ? 0.05 : 1e-8) << "case: " << name << ", origin";
            if (c.noise == 0) expect_points_on_fit(f, pts, 1e-9, name);
            if (c.n > 5 || trial > 0) continue;
            // Five points: the same bits through either function, the same
            // curve for any order of the points.
            EXPECT_TRUE(same_matrix(fit(pts, nullptr, nullptr).T, f.T)) << "case: " << name;
            std::vector<std::size_t> order{0, 1, 2, 3, 4};
            for (int k = 1; std::next_permutation(order.begin(), order.end()); ++k) {
                Points perm;
                for (std::size_t i : order) perm.append(pts[i]);
                expect_fit(fit(perm), c.type, c.a, c.b, tol, name + ", order " + std::to_string(k));
            }
        }
    }
}

// y = x^2 through three points, with the tangents at both ends; four points
// of the tilted 250 x 120 ellipse and the tangent at one end.
TEST(ConicFit, PointsAndTangents) {
    const D t0(1, -2, 0), t2(1, 2, 0);
    const Fit f = fit(Points{P(-1, 1, 0), P(0, 0, 0), P(1, 1, 0)}, &t0, &t2);
    expect_fit(f, 2, std::sqrt(0.5), 0.0, 1e-14, "three points, two tangents");
    EXPECT_NEAR(moved(P(), f.T).distance(P()), 0.0, 1e-14) << "case: three points, vertex";
    RandomDraw g(19);
    const Kv3dTransform M = random_motion(g, P(1000, -700, 300));
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
// through the first point; a and b are not written on this path. Collinear
// points leave rounding (about 1e-14) in one in-plane coordinate, which the
// scale-free rank would count as a dimension.
TEST(ConicFit, CollinearPoints) {
    RandomDraw g(41);
    for (int trial = 0; trial <= 2000; ++trial) {
        const std::string name = "random line " + std::to_string(trial);
        V step(g.uniform(-10, 10), g.uniform(-10, 10), g.uniform(-10, 10));
        P p0(std::round(g.uniform(-1000, 1000)), std::round(g.uniform(-1000, 1000)), 0);
        if (trial == 2000) {  // along x, rounding across
            p0 = P(-74, -118, 79), step = V(-11.934189749249542, -1.4615167276835606e-15, 0);
        }
        const Fit f = fit(line_points(p0, step, {0, 1, 2.5, 4, 7}));
        expect_fit(f, 5, -7.0, -8.0, 0.0, name);
        EXPECT_NEAR(moved(P(), f.T).distance(p0), 0.0, 1e-10) << "case: " << name << ", origin";
        EXPECT_NEAR((moved(P(0, 1, 0), f.T) - p0 - V(step.direction(), 1.0)).length(), 0.0, 1e-10)
            << "case: " << name << ", y axis";
    }
    // Three points with both tangents along their line: only index 2 exists.
    // More than five: every point beyond the second is tested.
    const D along(1, 1, 0);
    EXPECT_EQ(fit(line_points(P(0, 0, 0), V(1, 1, 0), {0, 1, 3}), &along, &along).type, 5)
        << "case: three points, tangents along";
    EXPECT_EQ(fit(line_points(P(), V(1, 0, 0), {-1e5, -5e4, 0, 2e4, 5e4, 7e4, 1e5})).type, 5)
        << "case: seven points on a line";
}

// No curve: false, and the outputs as they were (the type -1 when the
// equation has no real curve).
TEST(ConicFit, FalseCasesLeaveTheOutputs) {
    const Points five{P(2, 0, 0), P(0, 1, 0), P(-2, 0, 0), P(0, -1, 0), P(1.5, 0.5, 0)};
    const Points four{five[0], five[1], five[2], five[3]}, three{five[0], five[1], five[2]},
        six{five[0], five[1], five[2], five[3], five[4], P(1, -1, 0)};
    const D t(1, 0, 0);
    const Points four_and_one{P(0, 0, 0), P(1, 0, 0), P(2, 0, 0), P(3, 0, 0), P(1, 1, 0)};
    // A point 5e-5 off a 2e5 long line is below the in-plane rounding limit
    // (1e-9 of the largest coordinate), so the rank is 3, but beyond the 1e-5
    // line test.
    Points off_4 = line_points(P(), V(1, 0, 0), {-1e5, -5e4, 0, 2e4, 5e4, 7e4, 1e5}), off_6 = off_4;
    off_4[4] = off_4[4] + V(0, 5e-5, 0);
    off_6[6] = off_6[6] + V(0, 5e-5, 0);
    // A circle of radius 1e6: its quadratic coefficients, about 1e-12 of the
    // constant, fall below the 1e-10 flush, which leaves no real curve.
    Points huge;
    for (double s : {0.0, 1.3, 2.5, 3.9, 5.1}) huge.append(canonical(0, 1e6, 1e6, s));
    const struct {
        const char* name;
        Fit f;
        int type = -9;
    } cases[] = {
        {"five points and a tangent", fit(five, &t, nullptr)},
        {"four points, no tangent", fit(four, nullptr, nullptr)},
        {"four points, two tangents", fit(four, &t, &t)},
        {"three points, one tangent", fit(three, nullptr, &t)},
        {"six points with the tangent function", fit(six, nullptr, nullptr)},
        {"four points", fit(four)},
        {"no points", fit(Points())},
        {"five equal points", fit(Points(std::vector<P>(5, P(1, 2, 3))))},
        {"first two equal", fit(line_points(P(1, 1, 1), V(1, 0, 0), {0, 0, 1, 2, 3}))},
        {"four on a line, one off (rank 4)", fit(four_and_one)},
        {"point 4 off a long line", fit(off_4)},
        {"point 6 off a long line", fit(off_6)},
        {"no real curve", fit(huge), -1},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(c.f.ok) << "case: " << c.name;
        EXPECT_EQ(c.f.type, c.type) << "case: " << c.name;
        EXPECT_TRUE(same_matrix(c.f.T, Fit().T)) << "case: " << c.name;
    }
}

// In-plane values at most 1e-9 of the largest (of the points' coordinates,
// or of the tangent's components) are rounding and become 0: exactly at the
// limit the fit equals that of 0, just beyond it differs. The points keep
// their centroid at the origin and lie in z = 0, so the plane frame is exact.
TEST(ConicFit, InPlaneRoundingLimit) {
    const auto ellipse = [](double dx, double tx) {
        const D tangent(tx, 1, 0);
        const Points pts{P(-8, 0, 0), P(8, 0, 0), P(dx, 4, 0), P(-dx, -4, 0)};
        return fit(pts, &tangent, nullptr).T;
    };
    const Kv3dTransform exact = ellipse(0.0, 0.0);
    const double limit = 1e-9 * 8.0, beyond = std::nextafter(limit, 1.0);
    expect_each<bool>({
        {"coordinate at the limit", same_matrix(ellipse(limit, 0.0), exact), true},
        {"coordinate beyond the limit", same_matrix(ellipse(beyond, 0.0), exact), false},
        {"tangent at the limit", same_matrix(ellipse(0.0, 1e-9), exact), true},
        {"tangent beyond the limit", same_matrix(ellipse(0.0, std::nextafter(1e-9, 1.0)), exact),
         false},
    });
}
