#pragma once

// The three polyline distance scans written out literally: every segment (or
// segment pair) in order, each through the exported Householder functions.
// The tests, the fuzz target and the benchmark hold the library's faster scans
// against these, to the bit.

#include <kv3d/kv3d.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>

namespace polyline_reference {

using Poly = KvArray<Kv3dPoint>;
constexpr double kInf = std::numeric_limits<double>::infinity();

struct Nearest {
    Kv3dPoint point;
    int segment = 0;
    double parameter = 0.0;
};

// A point or ray answer uses first only; a pair answer both.
struct Result {
    double distance = kInf;
    Nearest first, second;
};
using PairResult = Result;

inline std::size_t sampling_step(std::size_t n) { return n > 20 ? n / 20 : 1; }
inline double clamp01(double s) { return s <= 0.0 ? 0.0 : (s >= 1.0 ? 1.0 : s); }
inline Nearest on_segment(const Poly& v, std::size_t i, double t) {
    return Nearest{v[i] * (1.0 - t) + v[i + 1] * t, static_cast<int>(i), t};
}

// The sampled start of a scan: the nearest of V0 and every step-th inner vertex.
template <class Sqr>
std::size_t sampled_start(const Poly& v, Sqr sqr, double& d) {
    const std::size_t n = v.size();
    std::size_t start = 0;
    d = sqr(v[0]);
    for (std::size_t i = 1; n > 2 && i < n - 1; i += sampling_step(n)) {
        if (sqr(v[i]) < d) d = sqr(v[i]), start = i;
    }
    return start;
}

// The best segment of a point or ray scan so far, against a squared bound.
struct Scan {
    double bound, t = 0.0;
    std::size_t best;
    bool improved = false;

    void take(double d2, std::size_t i, double s) { bound = d2, t = s, best = i, improved = true; }
    // The root of the bound when a segment improved on the start, else the
    // exact distance to the start vertex.
    template <class Dist>
    Result result(const Poly& v, Dist dist) const {
        Result r{0.0, on_segment(v, best, t), {}};
        r.distance = !improved ? dist(r.first.point) : bound < 1e-20 ? 0.0 : std::sqrt(bound);
        return r;
    }
};

inline Result point(const Kv3dPoint& q, const Poly& v) {
    const std::size_t n = v.size();
    if (n <= 1) return n == 0 ? Result() : Result{q.distance(v[0]), Nearest{v[0]}, {}};
    double d;
    std::size_t start = sampled_start(
        v, [&](const Kv3dPoint& p) { return q.square_distance(p); }, d);
    if (q.square_distance(v[n - 1]) < d) d = q.square_distance(v[n - 1]), start = n - 2;
    Scan scan{1.01 * d + 1e-6, 0.0, start};
    for (std::size_t i = 0; i + 1 < n; ++i) {
        Kv3dVector e = v[i + 1] - v[i], w = q - v[i];
        if (std::fabs(e[0]) < 1e-20 && std::fabs(e[1]) < 1e-20 && std::fabs(e[2]) < 1e-20) continue;
        double up = 0.0;
        kvla_h1(0, 1, 3, e.as_array(), 1, up);
        kvla_h2(0, 1, 3, e.as_array(), 1, up, w.as_array(), 1, 3, 1);
        const double L = e[0], a = w[0], perp2 = w[1] * w[1] + w[2] * w[2];
        if (perp2 > scan.bound) continue;
        double s = 0.0;
        if (std::fabs(L) >= 1e-6) s = clamp01(a / L);
        const double d2 = perp2 + (L * s - a) * (L * s - a);
        if (d2 < scan.bound) scan.take(d2, i, s);
    }
    return scan.result(v, [&](const Kv3dPoint& p) { return q.distance(p); });
}

inline Result ray(const Kv3dRay& ray, const Poly& v) {
    const std::size_t n = v.size();
    if (n <= 1) return n == 0 ? Result() : Result{ray.distance(v[0]), Nearest{v[0]}, {}};
    double d;
    const std::size_t start = sampled_start(
        v, [&](const Kv3dPoint& p) { return ray.distance_sqr(p); }, d);
    Scan scan{1.01 * d + 1e-6, 0.0, start};
    const Kv3dDirection& D = ray.direction();
    for (std::size_t i = 0; i + 1 < n; ++i) {
        const Kv3dVector e = v[i + 1] - v[i];
        double s = 0.0;
        if (e.geom_zero()) {
            if (ray.distance_sqr(v[i]) >= scan.bound) continue;
        } else {
            const Kv3dVector w = v[i] - ray.point();
            const double h = (e * D).direction() % w;
            if (h * h >= scan.bound) continue;
            // The normal equations of the closest approach, A (s, u) = b.
            const double A[] = {e % e, -(e % D), -(e % D), 1.0}, b[] = {-(w % e), w % D};
            KvLaDblMat x;
            s = kvla_linearsolve(KvLaDblMat(A, 2, 2), KvLaDblMat(b, 2, 1), x, nullptr)
                    ? clamp01(x(0, 0))
                    : 0.5;
        }
        const Kv3dPoint P = v[i] * (1.0 - s) + v[i + 1] * s;
        if (ray.distance_sqr(P) < scan.bound) scan.take(ray.distance_sqr(P), i, s);
    }
    return scan.result(v, [&](const Kv3dPoint& p) { return ray.distance(p); });
}

// The best pair while scanning.
struct PairState {
    double Dbest;
    std::size_t sa, sb;
    double s = 0.0, t = 0.0;
    bool improved = false;

    bool take(double candidate, std::size_t i, std::size_t j, double si, double tj) {
        if (!(candidate < Dbest * Dbest)) return false;
        Dbest = std::sqrt(candidate);
        sa = i, sb = j, s = si, t = tj, improved = true;
        return true;
    }
};

inline void measure_pair(const Poly& A, std::size_t i, const Poly& B, std::size_t j,
                         PairState& st) {
    const Kv3dVector ea = A[i + 1] - A[i], eb = B[j + 1] - B[j], w = B[j] - A[i];
    const double la = ea.length(), lb = eb.length();
    if (A[i].distance(B[j]) - la - lb > st.Dbest) return;
    // The pair matrix (ea, -eb, w), column by column, reduced to R | c.
    double m[] = {ea[0], ea[1], ea[2], -eb[0], -eb[1], -eb[2], w[0], w[1], w[2]};
    double *col0 = m, *col1 = m + 3, *col2 = m + 6;
    double up = 0.0;
    kvla_h1(0, 1, 3, col0, 1, up);
    kvla_h2(0, 1, 3, col0, 1, up, col1, 1, 3, 2);
    kvla_h1(1, 2, 3, col1, 1, up);
    kvla_h2(1, 2, 3, col1, 1, up, col2, 1, 3, 1);
    const double r00 = col0[0], r01 = col1[0], r11 = col1[1];
    const double c0 = col2[0], c1 = col2[1], c2 = col2[2];
    if (std::fabs(c2) > st.Dbest) return;
    if (la > 1e-6 && lb > 1e-6 && std::fabs(r11) > 1e-6) {
        const double t = c1 / r11;
        if (0 <= t && t <= 1) {
            const double s = (c0 - t * r01) / r00;
            if (0 <= s && s <= 1 && st.take(c2 * c2, i, j, s, t)) return;
        }
    }
    if (!(la < 1e-6 && lb < 1e-6)) {
        for (double s = 0.0; lb >= 1e-6 && s <= 1.0; s += 1.0) {
            const double t = clamp01(((c0 - r00 * s) * r01 + r11 * c1) / (r01 * r01 + r11 * r11));
            const double x = r01 * t + r00 * s - c0, y = r11 * t - c1;
            st.take(x * x + y * y + c2 * c2, i, j, s, t);
        }
        for (double t = 0.0; la >= 1e-6 && t <= 1.0; t += 1.0) {
            const double s = clamp01((c0 - r01 * t) / r00);
            const double x = r00 * s + r01 * t - c0, y = r11 * t - c1;
            st.take(x * x + y * y + c2 * c2, i, j, s, t);
        }
    }
    if (la < 1e-6 && lb < 1e-6) st.take(c0 * c0 + c1 * c1 + c2 * c2, i, j, 0.0, 0.0);
}

inline Result pair(const Poly& A, const Poly& B) {
    const std::size_t nA = A.size(), nB = B.size();
    if (nA == 0 || nB == 0) return Result();
    if (nA == 1 || nB == 1) {
        const Result p = nA == 1 ? point(A[0], B) : point(B[0], A);
        return nA == 1 ? Result{p.distance, Nearest{A[0]}, p.first}
                       : Result{p.distance, p.first, Nearest{B[0]}};
    }
    double min = kInf;
    std::size_t sa = 0, sb = 0;
    for (std::size_t i = 0; i < nA; i += sampling_step(nA)) {
        for (std::size_t j = 0; j < nB; j += sampling_step(nB)) {
            if (A[i].square_distance(B[j]) < min) min = A[i].square_distance(B[j]), sa = i, sb = j;
        }
    }
    if (sa == nA - 1) sa = nA - 2;
    if (sb == nB - 1) sb = nB - 2;
    PairState st{std::sqrt(1.01 * min + 1e-6), sa, sb};
    for (std::size_t i = 0; i + 1 < nA; ++i) {
        for (std::size_t j = 0; j + 1 < nB; ++j) measure_pair(A, i, B, j, st);
    }
    Result r{0.0, on_segment(A, st.sa, st.s), on_segment(B, st.sb, st.t)};
    r.distance = st.improved ? st.Dbest : r.first.point.distance(r.second.point);
    return r;
}

// The library's answers in the same form.
inline Result library_point(const Kv3dPoint& q, const Poly& v) {
    Result r;
    r.distance = Kv3d_distance(q, v, r.first.point, &r.first.segment, &r.first.parameter);
    return r;
}
inline Result library_ray(const Kv3dRay& ray, const Poly& v) {
    Result r;
    r.distance = Kv3d_distance(ray, v, r.first.point, &r.first.segment, &r.first.parameter);
    return r;
}
inline Result library_pair(const Poly& a, const Poly& b) {
    Result r;
    r.distance = Kv3d_distance(a, b, r.first.point, r.second.point, &r.first.segment,
                               &r.first.parameter, &r.second.segment, &r.second.parameter);
    return r;
}

// Every value of an answer: the distance, then nearest x, y, z, segment and
// parameter on the first polyline and on the second.
inline std::array<double, 11> values(const Result& r) {
    const Nearest &a = r.first, &b = r.second;
    return {r.distance, a.point[0], a.point[1], a.point[2],        double(a.segment), a.parameter,
            b.point[0], b.point[1], b.point[2], double(b.segment), b.parameter};
}

// "" when got and want agree to the bit (0.0 not with -0.0; any NaN with any
// NaN, since arithmetic leaves the sign of a NaN result unspecified), else
// the values of both.
inline std::string difference(const Result& got, const Result& want) {
    const std::array<double, 11> g = values(got), w = values(want);
    bool same = true;
    std::ostringstream text;
    text.precision(17);
    for (std::size_t k = 0; k < g.size(); ++k) {
        same &= (std::isnan(g[k]) && std::isnan(w[k])) || std::memcmp(&g[k], &w[k], 8) == 0;
        text << (k ? ", " : "(") << g[k];
    }
    for (std::size_t k = 0; k < w.size(); ++k) text << (k ? ", " : ") instead of (") << w[k];
    return same ? std::string() : text.str() + ")";
}

}  // namespace polyline_reference
