#include "ConicCanonical.h"

#include <algorithm>
#include <cmath>
#include <limits>

// The nearest point of a curve F(x, y) = 0 to (x0, y0) satisfies
// (x - x0, y - y0) = -t grad F / 2 for some t (Lagrange). For the ellipse and
// the hyperbola this gives the foot as a function of t and one equation in t
// that is monotone on the interval belonging to the point's own quadrant, so
// bisection finds it; by symmetry the point is first taken into the first
// quadrant.

namespace kv3dcli {

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// The root of a decreasing f on [lo, hi] (f(lo) >= 0 >= f(hi)), to the last
// bit: halving stops when no double lies between the bounds.
template <class F>
double decreasing_root(F f, double lo, double hi) {
    for (int i = 0; i < 2200; ++i) {
        const double mid = lo + (hi - lo) / 2;
        if (!(mid > lo && mid < hi)) {
            break;
        }
        const double v = f(mid);
        if (v > 0) {
            lo = mid;
        } else if (v < 0) {
            hi = mid;
        } else {
            return mid;
        }
    }
    return lo + (hi - lo) / 2;
}

// x^2/a^2 + y^2/b^2 = 1 with a >= b > 0, x0, y0 >= 0. With s = t / b^2,
// r = (a/b)^2, z = (x0/a, y0/b): x = r x0 / (s + r), y = y0 / (s + 1), and
// (r z0 / (s + r))^2 + (z1 / (s + 1))^2 = 1 decreases for s > -1.
double ellipse(double a, double b, double x0, double y0) {
    if (y0 > 0) {
        if (x0 == 0) {
            return std::fabs(y0 - b);
        }
        const double z0 = x0 / a, z1 = y0 / b, r = (a / b) * (a / b);
        const double g = z0 * z0 + z1 * z1 - 1;
        if (g == 0) {
            return 0.0;
        }
        const double n0 = r * z0;
        const double s = decreasing_root(
            [&](double v) { return std::pow(n0 / (v + r), 2) + std::pow(z1 / (v + 1), 2) - 1; },
            z1 - 1, g < 0 ? 0.0 : std::hypot(n0, z1) - 1);
        return std::hypot(r * x0 / (s + r) - x0, y0 / (s + 1) - y0);
    }
    // On the major axis: inside the evolute's cusp the foot leaves the axis.
    const double numer = a * x0, denom = a * a - b * b;
    if (numer < denom) {
        const double xd = numer / denom;
        return std::hypot(a * xd - x0, b * std::sqrt(1 - xd * xd));
    }
    return std::fabs(x0 - a);
}

// x^2/a^2 - y^2/b^2 = 1, x0, y0 >= 0: x = a^2 x0 / (a^2 + t),
// y = b^2 y0 / (b^2 - t), and (a x0 / (a^2 + t))^2 - (b y0 / (b^2 - t))^2 = 1
// decreases on (-a^2, b^2), the values of t that keep the foot in the point's
// quadrant.
double hyperbola(double a, double b, double x0, double y0) {
    const double a2 = a * a, b2 = b * b;
    if (x0 == 0) {
        // On the conjugate axis: equal feet on both branches (t = -a^2).
        const double y = b2 * y0 / (a2 + b2);
        return std::hypot(a * std::sqrt(1 + (y / b) * (y / b)), y - y0);
    }
    if (y0 == 0) {
        const double x = a2 * x0 / (a2 + b2);
        if (x <= a) {
            return std::fabs(x0 - a);
        }
        // Beyond (a^2 + b^2) / a the feet leave the axis (t = b^2).
        return std::hypot(x - x0, b * std::sqrt((x / a) * (x / a) - 1));
    }
    const double t = decreasing_root(
        [&](double v) {
            return std::pow(a * x0 / (a2 + v), 2) - std::pow(b * y0 / (b2 - v), 2) - 1;
        },
        -a2, b2);
    return std::hypot(a2 * x0 / (a2 + t) - x0, b2 * y0 / (b2 - t) - y0);
}

// y = -c x^2 with c = 1 / (2 a^2), x0 >= 0. The foot's x solves
// h(x) = 2 c^2 x^3 + (1 + 2 c y0) x - x0 = 0, which for x0 > 0 has exactly one
// positive root (h(0) < 0 and h is convex for x > 0).
double parabola(double a, double x0, double y0) {
    const double c = 1 / (2 * a * a);
    const auto dist = [&](double x) { return std::hypot(x - x0, -c * x * x - y0); };
    const double lin = 1 + 2 * c * y0;
    if (x0 == 0) {
        // The vertex, or the two symmetric feet when the point lies beyond
        // the focus-side centre of curvature.
        const double x2 = -lin / (2 * c * c);
        return x2 > 0 ? std::min(dist(0.0), dist(std::sqrt(x2))) : dist(0.0);
    }
    const auto h = [&](double x) { return 2 * c * c * x * x * x + lin * x - x0; };
    double hi = std::max(x0, 1.0);
    for (int i = 0; i < 2100 && !(h(hi) > 0); ++i) {
        hi *= 2;
    }
    return dist(decreasing_root([&](double x) { return -h(x); }, 0.0, hi));
}

const char* const kNames[] = {"ellipse",        "hyperbola",      "parabola",
                              "crossing lines", "parallel lines", "line"};
const char* const kEquations[] = {"x^2/a^2 + y^2/b^2 = 1", "x^2/a^2 - y^2/b^2 = 1",
                                  "x^2/a^2 + 2 y = 0",     "x = a y or x = -a y",
                                  "x = a or x = -a",       "x = 0"};
const char* const kOrigins[] = {
    "centre",           "centre", "vertex", "crossing point", "point midway between the lines",
    "point on the line"};

bool known(int type) { return type >= 0 && type <= 5; }

}  // namespace

const char* conic_type_name(int type) { return known(type) ? kNames[type] : "none"; }

const char* conic_equation(int type) { return known(type) ? kEquations[type] : ""; }

const char* conic_origin_name(int type) { return known(type) ? kOrigins[type] : ""; }

double conic_distance_2d(int type, double a, double b, double x, double y) {
    const double ax = std::fabs(x), ay = std::fabs(y);
    if (!(a > 0) || ((type == 0 || type == 1) && !(b > 0))) {
        return type == 5 ? ax : kNaN;
    }
    switch (type) {
        case 0:
            return a >= b ? ellipse(a, b, ax, ay) : ellipse(b, a, ay, ax);
        case 1:
            return hyperbola(a, b, ax, ay);
        case 2:
            return parabola(a, ax, y);
        case 3:
            return std::min(std::fabs(x - a * y), std::fabs(x + a * y)) / std::hypot(1.0, a);
        case 4:
            return std::fabs(ax - a);
        case 5:
            return ax;
        default:
            return kNaN;
    }
}

}  // namespace kv3dcli
