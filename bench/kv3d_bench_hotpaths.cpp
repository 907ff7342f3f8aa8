// The value-type hot paths beside textbook versions of the same queries, in
// the same run: line-line intersection against the closest-point formula,
// the conjugated transform constructors and the general inversion against a
// direct translation-scale-translation product, triangle-triangle against
// Moeller's interval test, segment-triangle against Moeller-Trumbore (all
// random pairs, then those that meet and those apart by the textbook
// answer), the box of a point array against a plain min/max loop; CGAL
// beside them where it is installed; and the floor of the triangle tests:
// the plane rejection they must make and the least work left after it.
// Prints the time ratios, the share of pairs the floor's rejection settles,
// and the heap allocations per call.

#include <kv3d/kv3d.h>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "RatioReporter.h"
#include "support/AllocationCounter.h"

#ifdef KV3D_BENCH_WITH_CGAL
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/intersections.h>
#endif

namespace {

using P = Kv3dPoint;
using V = Kv3dVector;

constexpr std::size_t kPairs = 4096;
constexpr std::size_t kBoxPoints = 1000000;

class Draw {
public:
    explicit Draw(unsigned seed) : rng_(seed) {}
    double uniform(double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(rng_);
    }
    P point() {
        const double x = uniform(0, 1), y = uniform(0, 1);
        return P(x, y, uniform(0, 1));
    }

private:
    std::mt19937 rng_;
};

struct TrianglePair {
    Kv3dTriangle a, b;
};
struct SegmentPair {
    Kv3dTriangle t;
    Kv3dLine s;
};

const std::vector<std::pair<Kv3dLine, Kv3dLine>>& line_pairs() {
    static const std::vector<std::pair<Kv3dLine, Kv3dLine>> pairs = [] {
        Draw d(1);
        std::vector<std::pair<Kv3dLine, Kv3dLine>> v;
        for (std::size_t i = 0; i < kPairs; ++i) {
            const P a = d.point(), b = d.point(), c = d.point(), e = d.point();
            v.emplace_back(Kv3dLine(a, b), Kv3dLine(c, e));
        }
        return v;
    }();
    return pairs;
}

// Random triangles with vertices in the unit cube.
const std::vector<TrianglePair>& triangle_pairs() {
    static const std::vector<TrianglePair> pairs = [] {
        Draw d(2);
        std::vector<TrianglePair> v;
        for (std::size_t i = 0; i < kPairs; ++i) {
            const P a = d.point(), b = d.point(), c = d.point();
            const P e = d.point(), f = d.point(), g = d.point();
            v.push_back({Kv3dTriangle(a, b, c), Kv3dTriangle(e, f, g)});
        }
        return v;
    }();
    return pairs;
}

// Random triangles and segments in the unit cube.
const std::vector<SegmentPair>& segment_pairs() {
    static const std::vector<SegmentPair> pairs = [] {
        Draw d(3);
        std::vector<SegmentPair> v;
        for (std::size_t i = 0; i < kPairs; ++i) {
            const P a = d.point(), b = d.point(), c = d.point();
            const P e = d.point(), f = d.point();
            v.push_back({Kv3dTriangle(a, b, c), Kv3dLine(e, f)});
        }
        return v;
    }();
    return pairs;
}

const KvArray<P>& box_points() {
    static const KvArray<P> points = [] {
        Draw d(4);
        KvArray<P> v;
        v.reserve(kBoxPoints);
        for (std::size_t i = 0; i < kBoxPoints; ++i) {
            v.append(d.point());
        }
        return v;
    }();
    return points;
}

// ---- Textbook versions --------------------------------------------------

double dot(const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
void cross(const double* a, const double* b, double* c) {
    c[0] = a[1] * b[2] - a[2] * b[1];
    c[1] = a[2] * b[0] - a[0] * b[2];
    c[2] = a[0] * b[1] - a[1] * b[0];
}
void sub(const double* a, const double* b, double* c) {
    c[0] = a[0] - b[0];
    c[1] = a[1] - b[1];
    c[2] = a[2] - b[2];
}

// The closest points of two lines p1 + s d1, p2 + t d2 (Eberly): the
// parameters, whether the lines pass within tol, and the common point.
int closest_points(const Kv3dLine& l1, const Kv3dLine& l2, double tol, double* point, double* s,
                   double* t) {
    const double* p1 = l1.basepoint().as_array();
    const double* d1 = l1.vector().as_array();
    const double* p2 = l2.basepoint().as_array();
    const double* d2 = l2.vector().as_array();
    double r[3];
    sub(p1, p2, r);
    const double a = dot(d1, d1), b = dot(d1, d2), c = dot(d2, d2);
    const double d = dot(d1, r), e = dot(d2, r);
    const double den = a * c - b * b;
    if (den <= 1e-14 * a * c) {
        return 1;  // parallel
    }
    *s = (b * e - c * d) / den;
    *t = (a * e - b * d) / den;
    double gap[3];
    for (int k = 0; k < 3; ++k) {
        point[k] = p1[k] + *s * d1[k];
        gap[k] = point[k] - (p2[k] + *t * d2[k]);
    }
    return dot(gap, gap) < tol * tol ? 3 : 4;
}

// Moeller-Trumbore for the segment p + t (q - p), 0 <= t <= 1.
bool moeller_trumbore(const Kv3dTriangle& tri, const Kv3dLine& seg) {
    const double* v0 = tri.p0().as_array();
    double e1[3], e2[3], pv[3], tv[3], qv[3];
    sub(tri.p1().as_array(), v0, e1);
    sub(tri.p2().as_array(), v0, e2);
    const double* dir = seg.vector().as_array();
    cross(dir, e2, pv);
    const double det = dot(e1, pv);
    if (std::fabs(det) < 1e-15) {
        return false;
    }
    const double inv = 1.0 / det;
    sub(seg.basepoint().as_array(), v0, tv);
    const double u = dot(tv, pv) * inv;
    if (u < 0.0 || u > 1.0) {
        return false;
    }
    cross(tv, e1, qv);
    const double v = dot(dir, qv) * inv;
    if (v < 0.0 || u + v > 1.0) {
        return false;
    }
    const double t = dot(e2, qv) * inv;
    return t >= 0.0 && t <= 1.0;
}

// Moeller's triangle-triangle test (1997), without divisions, with its
// coplanar branch (edge-edge and point-in-triangle tests in the projection
// onto the plane of the two largest normal components).
namespace moeller {

bool edge_edge(const double* v0, const double* u0, const double* u1, double ax, double ay, int i0,
               int i1) {
    const double bx = u0[i0] - u1[i0], by = u0[i1] - u1[i1];
    const double cx = v0[i0] - u0[i0], cy = v0[i1] - u0[i1];
    const double f = ay * bx - ax * by, d = by * cx - bx * cy;
    if ((f > 0 && d >= 0 && d <= f) || (f < 0 && d <= 0 && d >= f)) {
        const double e = ax * cy - ay * cx;
        return f > 0 ? (e >= 0 && e <= f) : (e <= 0 && e >= f);
    }
    return false;
}

bool edge_against_triangle(const double* v0, const double* v1, const double* const u[3], int i0,
                           int i1) {
    const double ax = v1[i0] - v0[i0], ay = v1[i1] - v0[i1];
    return edge_edge(v0, u[0], u[1], ax, ay, i0, i1) || edge_edge(v0, u[1], u[2], ax, ay, i0, i1) ||
           edge_edge(v0, u[2], u[0], ax, ay, i0, i1);
}

bool point_in_triangle(const double* v, const double* const u[3], int i0, int i1) {
    double d[3];
    for (int k = 0; k < 3; ++k) {
        const double* a = u[k];
        const double* b = u[(k + 1) % 3];
        const double aa = b[i1] - a[i1], bb = -(b[i0] - a[i0]);
        const double cc = -aa * a[i0] - bb * a[i1];
        d[k] = aa * v[i0] + bb * v[i1] + cc;
    }
    return d[0] * d[1] > 0.0 && d[0] * d[2] > 0.0;
}

bool coplanar(const double* n, const double* const v[3], const double* const u[3]) {
    const double a0 = std::fabs(n[0]), a1 = std::fabs(n[1]), a2 = std::fabs(n[2]);
    int i0 = 1, i1 = 2;
    if (a0 > a1) {
        if (a0 <= a2) {
            i0 = 0;
            i1 = 1;
        }
    } else if (a2 > a1) {
        i0 = 0;
        i1 = 1;
    } else {
        i0 = 0;
        i1 = 2;
    }
    for (int k = 0; k < 3; ++k) {
        if (edge_against_triangle(v[k], v[(k + 1) % 3], u, i0, i1)) {
            return true;
        }
    }
    return point_in_triangle(v[0], u, i0, i1) || point_in_triangle(u[0], v, i0, i1);
}

// The interval of a triangle on the line of intersection: a + b / x0 ...
// kept as numerators and denominators (Moeller's NEWCOMPUTE_INTERVALS).
bool intervals(const double* vp, const double* d, double d0d1, double d0d2, double& a, double& b,
               double& c, double& x0, double& x1) {
    auto set = [&](int i, int j, int k) {
        a = vp[i];
        b = (vp[j] - vp[i]) * d[i];
        c = (vp[k] - vp[i]) * d[i];
        x0 = d[i] - d[j];
        x1 = d[i] - d[k];
    };
    if (d0d1 > 0.0) {
        set(2, 0, 1);
    } else if (d0d2 > 0.0) {
        set(1, 0, 2);
    } else if (d[1] * d[2] > 0.0 || d[0] != 0.0) {
        set(0, 1, 2);
    } else if (d[1] != 0.0) {
        set(1, 0, 2);
    } else if (d[2] != 0.0) {
        set(2, 0, 1);
    } else {
        return false;
    }
    return true;
}

// Both triangles straddle the other's plane (du, dv: the signed values of
// their vertices on the other's normal, with the products du[0] du[1] ...):
// the intervals on the line of the planes' intersection overlap, or, in one
// plane, the projections meet.
[[gnu::always_inline]] inline bool meet_on_line(const double* const v[3], const double* const u[3],
                                                const double* n1, const double* n2,
                                                const double* du, const double* dv, double du0du1,
                                                double du0du2, double dv0dv1, double dv0dv2) {
    double dir[3];
    cross(n1, n2, dir);
    int index = 0;
    double best = std::fabs(dir[0]);
    for (int k = 1; k < 3; ++k) {
        if (std::fabs(dir[k]) > best) {
            best = std::fabs(dir[k]);
            index = k;
        }
    }
    const double vp[3] = {v[0][index], v[1][index], v[2][index]};
    const double up[3] = {u[0][index], u[1][index], u[2][index]};
    double a, b, c, x0, x1, d, e, f, y0, y1;
    if (!intervals(vp, dv, dv0dv1, dv0dv2, a, b, c, x0, x1) ||
        !intervals(up, du, du0du1, du0du2, d, e, f, y0, y1)) {
        return coplanar(n1, v, u);
    }
    const double xx = x0 * x1, yy = y0 * y1, xxyy = xx * yy;
    double s1[2] = {a * xxyy + b * x1 * yy, a * xxyy + c * x0 * yy};
    double s2[2] = {d * xxyy + e * xx * y1, d * xxyy + f * xx * y0};
    if (s1[0] > s1[1]) std::swap(s1[0], s1[1]);
    if (s2[0] > s2[1]) std::swap(s2[0], s2[1]);
    return !(s1[1] < s2[0] || s2[1] < s1[0]);
}

bool intersect(const Kv3dTriangle& t1, const Kv3dTriangle& t2) {
    const double* const v[3] = {t1.p0().as_array(), t1.p1().as_array(), t1.p2().as_array()};
    const double* const u[3] = {t2.p0().as_array(), t2.p1().as_array(), t2.p2().as_array()};
    double e1[3], e2[3], n1[3], n2[3];
    sub(v[1], v[0], e1);
    sub(v[2], v[0], e2);
    cross(e1, e2, n1);
    const double d1 = -dot(n1, v[0]);
    double du[3];
    for (int k = 0; k < 3; ++k) {
        du[k] = dot(n1, u[k]) + d1;
    }
    const double du0du1 = du[0] * du[1], du0du2 = du[0] * du[2];
    if (du0du1 > 0.0 && du0du2 > 0.0) {
        return false;
    }
    sub(u[1], u[0], e1);
    sub(u[2], u[0], e2);
    cross(e1, e2, n2);
    const double d2 = -dot(n2, u[0]);
    double dv[3];
    for (int k = 0; k < 3; ++k) {
        dv[k] = dot(n2, v[k]) + d2;
    }
    const double dv0dv1 = dv[0] * dv[1], dv0dv2 = dv[0] * dv[2];
    if (dv0dv1 > 0.0 && dv0dv2 > 0.0) {
        return false;
    }
    return meet_on_line(v, u, n1, n2, du, dv, du0du1, du0du2, dv0dv1, dv0dv2);
}

}  // namespace moeller

// ---- The floor: the rejection every pair pays for, in plain doubles --------
//
// The library rejects a pair when one piece lies on one side of the other's
// plane beyond the reach of every certified answer, and certifies every true
// answer. This is the least of that work, written as tightly as it goes, for
// measuring how close any implementation that keeps both can come to the
// textbook tests: the plane values alone, then (the estimate for the whole
// test) the textbook remainder on the pairs they leave and the certificate
// of the crossing that makes a pair meet.
//
// Why the limit is sound. Any vector x is a separating axis: when the values
// x . q of the points of one piece and of the other lie more than R |x| apart,
// so do the pieces. Take x = n, the computed e1 x e2, values taken from p0.
// The triangle's own vertices have the values 0, n . e1, n . e2, which the
// rounding of n leaves at most eps |e1|_1 |e2|_1 |e_i|_1 from zero (n' . e_i = 0
// for the exact cross product n', |n - n'| <= gamma_2 (|e1| x+ |e2|)); the
// limit allows twice that. A segment's values run linearly from n . (B0 - p0)
// to n . (B0 - p0) + n . b; the computed d0, d1 are off by at most
// 4 eps |n|_1 2M (the difference, three products and sums, and the final
// sum), M the largest coordinate magnitude, bounded from above by the 1-norms
// of p0 and the offsets at hand. Both values beyond
//   limit = (R0 + 64 eps M) |n|_1 + 2 eps |e1|_1 |e2|_1 (|e1|_1 + |e2|_1)
// on one side therefore put every point of the segment more than
// R0 + 56 eps M from the triangle: beyond the reach of the certificates
// (1.5 point tolerances, the 1e-15 of the computed-point comparisons, a
// relative 1e-9 for the rounding of the certified bounds, and 16 eps M for
// the rounding of the pieces themselves). Two triangles: the same with the
// other's three vertices. NaN fails every comparison and rejects nothing;
// the library applies the same limit for coordinates up to 1e30.
namespace floor_estimate {

constexpr double kEps = std::numeric_limits<double>::epsilon();

double l1(const double* v) { return std::fabs(v[0]) + std::fabs(v[1]) + std::fabs(v[2]); }

// R0: the reach of every certified answer but its rounding term.
double base_reach() { return (1.5 * Kv3dResObj::same_point_tol() + 1e-15) * (1.0 + 1e-9); }

// A triangle's frame from p0: e1, e2, n = e1 x e2.
struct Frame {
    Frame(const double* p0, const double* p1, const double* p2) : p(p0) {
        sub(p1, p0, e1);
        sub(p2, p0, e2);
        cross(e1, e2, n);
    }
    // The plane limit for pieces whose offsets from p0 have the 1-norms
    // `more` in total.
    double limit(double more) const {
        const double l1_e1 = l1(e1), l1_e2 = l1(e2);
        const double m = (l1(p) + l1_e1 + l1_e2 + more) * (1.0 + 1e-12);
        return (base_reach() + 64.0 * kEps * m) * l1(n) +
               2.0 * kEps * (l1_e1 * l1_e2) * (l1_e1 + l1_e2);
    }
    const double* p;
    double e1[3], e2[3], n[3];
};

// The values d0, d1, d2 beyond the plane limit on one side, for pieces
// whose offsets from p0 have the 1-norms more() in total; the limit is
// computed only where the values have one sign.
template <class More>
bool one_side(const Frame& F, double d0, double d1, double d2, const More& more) {
    const double lo = std::min(d0, std::min(d1, d2)), hi = std::max(d0, std::max(d1, d2));
    if (!(lo > 0.0) && !(hi < 0.0)) {
        return false;
    }
    const double limit = F.limit(more());
    return lo > limit || hi < -limit;
}

// The rejection of a segment B0 + u b by the triangle's plane. r receives
// B0 - p0 for the remainder.
bool segment_apart(const Frame& F, const double* B0, const double* b, double* r) {
    sub(B0, F.p, r);
    const double d0 = dot(F.n, r);
    const double d1 = d0 + dot(F.n, b);
    const auto more = [&] { return l1(r) + l1(b); };
    return one_side(F, d0, d1, d1, more);
}

bool segment_opening(const Kv3dTriangle& t, const Kv3dLine& s) {
    const Frame F(t.p0().as_array(), t.p1().as_array(), t.p2().as_array());
    double r[3];
    return segment_apart(F, s.basepoint().as_array(), s.vector().as_array(), r);
}

// The offsets of q's vertices from F.p and their values on F.n.
struct Offsets {
    Offsets(const Frame& F, const double* const q[3]) {
        for (int k = 0; k < 3; ++k) {
            sub(q[k], F.p, r[k]);
            d[k] = dot(F.n, r[k]);
        }
    }
    double l1_sum() const { return l1(r[0]) + l1(r[1]) + l1(r[2]); }
    double r[3][3], d[3];
};

bool triangles_opening(const Kv3dTriangle& a, const Kv3dTriangle& b) {
    const double* const v[3] = {a.p0().as_array(), a.p1().as_array(), a.p2().as_array()};
    const double* const u[3] = {b.p0().as_array(), b.p1().as_array(), b.p2().as_array()};
    const Frame fa(v[0], v[1], v[2]);
    const Offsets ob(fa, u);
    const auto more_b = [&] { return ob.l1_sum(); };
    if (one_side(fa, ob.d[0], ob.d[1], ob.d[2], more_b)) {
        return true;
    }
    const Frame fb(u[0], u[1], u[2]);
    const Offsets oa(fb, v);
    const auto more_a = [&] { return oa.l1_sum(); };
    return one_side(fb, oa.d[0], oa.d[1], oa.d[2], more_a);
}

// The certificate of a crossing r = s e1 + t e2 - w b found with det: the
// determinant beyond its rounding bound and the residual of the two points
// below the reach (the error-bound branch, rarely needed, left out).
bool crossing_certified(const Frame& F, const double* b, const double* r, double det, double s,
                        double t, double w) {
    const double a0 = std::fabs(F.e1[0]), a1 = std::fabs(F.e1[1]), a2 = std::fabs(F.e1[2]);
    const double c0 = std::fabs(F.e2[0]), c1 = std::fabs(F.e2[1]), c2 = std::fabs(F.e2[2]);
    const double z0 = std::fabs(b[0]), z1 = std::fabs(b[1]), z2 = std::fabs(b[2]);
    const double dd =
        4.0 * kEps *
        (a0 * (c1 * z2 + c2 * z1) + a1 * (c2 * z0 + c0 * z2) + a2 * (c0 * z1 + c1 * z0));
    if (!(std::fabs(det) > dd)) {
        return false;
    }
    double res = 0.0;
    for (int k = 0; k < 3; ++k) {
        res += std::fabs(F.e1[k] * s + F.e2[k] * t - b[k] * w - r[k]);
    }
    res += 4.0 * kEps *
           (std::fabs(s) * l1(F.e1) + std::fabs(t) * l1(F.e2) + std::fabs(w) * l1(b) + l1(r));
    return res < 1.5 * Kv3dResObj::same_point_tol();
}

// Moeller-Trumbore's remainder after the plane values, with the crossing
// certified where it is found.
bool crossing(const Frame& F, const double* b, const double* r) {
    double pv[3], qv[3];
    cross(b, F.e2, pv);
    const double det = dot(F.e1, pv);
    if (!(std::fabs(det) > 1e-15)) {
        return false;
    }
    const double inv = 1.0 / det;
    const double s = dot(r, pv) * inv;
    if (s < 0.0 || s > 1.0) {
        return false;
    }
    cross(r, F.e1, qv);
    const double t = dot(b, qv) * inv;
    if (t < 0.0 || s + t > 1.0) {
        return false;
    }
    const double w = dot(F.e2, qv) * inv;
    return w >= 0.0 && w <= 1.0 && crossing_certified(F, b, r, det, s, t, w);
}

// The floor estimate of the whole segment test.
bool segment(const Kv3dTriangle& t, const Kv3dLine& s) {
    const Frame F(t.p0().as_array(), t.p1().as_array(), t.p2().as_array());
    double r[3];
    const double* b = s.vector().as_array();
    if (segment_apart(F, s.basepoint().as_array(), b, r)) {
        return false;
    }
    return crossing(F, b, r);
}

// The crossing of edge k of the pair: edges 0 to 2 are b's against a,
// 3 to 5 a's against b.
bool edge_crossing(const double* const v[3], const double* const u[3], const Frame& fa,
                   const Frame& fb, const Offsets& ob, const Offsets& oa, int k) {
    const double* const* q = k < 3 ? u : v;
    const int i = k % 3;
    double e[3];
    sub(q[(i + 1) % 3], q[i], e);
    return k < 3 ? crossing(fa, e, ob.r[i]) : crossing(fb, e, oa.r[i]);
}

// The floor estimate of the whole triangle test: both openings, Moeller's
// remainder on their values, and for a pair that meets the certified
// crossing of the edge `edge` (predicted without cost: the least any
// prediction can spend). edge < 0 tries the six in order and returns the
// first that certifies, or -1.
int triangles(const Kv3dTriangle& a, const Kv3dTriangle& b, int edge) {
    const double* const v[3] = {a.p0().as_array(), a.p1().as_array(), a.p2().as_array()};
    const double* const u[3] = {b.p0().as_array(), b.p1().as_array(), b.p2().as_array()};
    const Frame fa(v[0], v[1], v[2]);
    const Offsets ob(fa, u);
    const auto more_b = [&] { return ob.l1_sum(); };
    if (one_side(fa, ob.d[0], ob.d[1], ob.d[2], more_b)) {
        return -1;
    }
    const Frame fb(u[0], u[1], u[2]);
    const Offsets oa(fb, v);
    const auto more_a = [&] { return oa.l1_sum(); };
    const double du0du1 = ob.d[0] * ob.d[1], du0du2 = ob.d[0] * ob.d[2];
    const double dv0dv1 = oa.d[0] * oa.d[1], dv0dv2 = oa.d[0] * oa.d[2];
    if (one_side(fb, oa.d[0], oa.d[1], oa.d[2], more_a) || (du0du1 > 0.0 && du0du2 > 0.0) ||
        (dv0dv1 > 0.0 && dv0dv2 > 0.0) ||
        !moeller::meet_on_line(v, u, fa.n, fb.n, ob.d, oa.d, du0du1, du0du2, dv0dv1, dv0dv2)) {
        return -1;
    }
    if (edge >= 0) {
        return edge_crossing(v, u, fa, fb, ob, oa, edge) ? edge : -1;
    }
    for (int k = 0; k < 6; ++k) {
        if (edge_crossing(v, u, fa, fb, ob, oa, k)) {
            return k;
        }
    }
    return -1;
}

}  // namespace floor_estimate

// ---- Benchmarks ---------------------------------------------------------

template <class F>
void over_pairs(benchmark::State& state, std::size_t count, F&& f) {
    for (auto _ : state) {
        int hits = 0;
        for (std::size_t i = 0; i < count; ++i) {
            hits += f(i) ? 1 : 0;
        }
        benchmark::DoNotOptimize(hits);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * count));
}

void BM_LineIntersect(benchmark::State& state) {
    const auto& pairs = line_pairs();
    over_pairs(state, kPairs, [&](std::size_t i) {
        P at;
        double s = 0.0, t = 0.0;
        const auto r = pairs[i].first.intersect(pairs[i].second, &at, &s, &t);
        benchmark::DoNotOptimize(s);
        benchmark::DoNotOptimize(t);
        return r == Kv3d::INTERSECTING;
    });
}

void BM_ClosestPointFormula(benchmark::State& state) {
    const auto& pairs = line_pairs();
    over_pairs(state, kPairs, [&](std::size_t i) {
        double at[3], s = 0.0, t = 0.0;
        const int r = closest_points(pairs[i].first, pairs[i].second, 1e-3, at, &s, &t);
        benchmark::DoNotOptimize(s);
        benchmark::DoNotOptimize(t);
        return r == 3;
    });
}

const std::vector<std::pair<double, P>>& scalings() {
    static const std::vector<std::pair<double, P>> v = [] {
        Draw d(5);
        std::vector<std::pair<double, P>> s;
        for (std::size_t i = 0; i < kPairs; ++i) {
            const double f = d.uniform(0.5, 2);
            s.emplace_back(f, d.point());
        }
        return s;
    }();
    return v;
}

void BM_TransformScaleAboutPoint(benchmark::State& state) {
    const auto& s = scalings();
    over_pairs(state, kPairs, [&](std::size_t i) {
        const Kv3dTransform T(s[i].first, s[i].second);
        return T.as_matrix()[3] > 0.0;
    });
}

// The same transform by the product translate(p) scale(s) translate(-p).
void BM_TranslateScaleTranslate(benchmark::State& state) {
    const auto& s = scalings();
    over_pairs(state, kPairs, [&](std::size_t i) {
        const double f = s[i].first;
        const double* p = s[i].second.as_array();
        double m[16] = {f, 0, 0, 0, 0, f, 0, 0, 0, 0, f, 0, 0, 0, 0, 1};
        for (int k = 0; k < 3; ++k) {
            m[4 * k + 3] = p[k] - f * p[k];
        }
        benchmark::DoNotOptimize(m);
        return m[3] > 0.0;
    });
}

void BM_TransformScrew(benchmark::State& state) {
    const auto& s = scalings();
    over_pairs(state, kPairs, [&](std::size_t i) {
        const Kv3dTransform T(s[i].second, V(1, 2, s[i].first), s[i].first, 1.0);
        return T.as_matrix()[3] > 0.0;
    });
}

// Planes through the scaling centres, normal (1, 2, f); built once so that
// only the transform's constructor is timed.
const std::vector<Kv3dPlane>& planes() {
    static const std::vector<Kv3dPlane> v = [] {
        std::vector<Kv3dPlane> p;
        for (const auto& [f, at] : scalings()) {
            p.emplace_back(at, Kv3dDirection(1, 2, f), nullptr);
        }
        return p;
    }();
    return v;
}

void BM_TransformPlaneScaling(benchmark::State& state) {
    const auto& s = scalings();
    const auto& p = planes();
    over_pairs(state, kPairs, [&](std::size_t i) {
        const Kv3dTransform T(p[i], s[i].first);
        return T.as_matrix()[3] > 0.0;
    });
}

const std::vector<Kv3dTransform>& general_transforms() {
    static const std::vector<Kv3dTransform> v = [] {
        Draw d(6);
        std::vector<Kv3dTransform> t;
        for (std::size_t i = 0; i < kPairs; ++i) {
            const P p = d.point(), x = d.point(), y = d.point(), z = d.point();
            t.emplace_back(Kv3dCoordSys(p, x.as_vector(), y.as_vector(), z.as_vector()));
        }
        return t;
    }();
    return v;
}

void BM_TransformInvert(benchmark::State& state) {
    const auto& t = general_transforms();
    over_pairs(state, kPairs, [&](std::size_t i) {
        Kv3dTransform T = t[i];
        return T.invert();
    });
}

void BM_TransformIsInvertible(benchmark::State& state) {
    const auto& t = general_transforms();
    over_pairs(state, kPairs, [&](std::size_t i) { return t[i].is_invertible(); });
}

void BM_TriangleTriangle(benchmark::State& state) {
    const auto& pairs = triangle_pairs();
    over_pairs(state, kPairs, [&](std::size_t i) { return pairs[i].a.intersect(pairs[i].b); });
}

void BM_MoellerTriangleTriangle(benchmark::State& state) {
    const auto& pairs = triangle_pairs();
    over_pairs(state, kPairs,
               [&](std::size_t i) { return moeller::intersect(pairs[i].a, pairs[i].b); });
}

void BM_SegmentTriangle(benchmark::State& state) {
    const auto& pairs = segment_pairs();
    over_pairs(state, kPairs, [&](std::size_t i) { return pairs[i].t.intersect(pairs[i].s); });
}

void BM_MoellerTrumbore(benchmark::State& state) {
    const auto& pairs = segment_pairs();
    over_pairs(state, kPairs,
               [&](std::size_t i) { return moeller_trumbore(pairs[i].t, pairs[i].s); });
}

void BM_FloorTrianglesOpening(benchmark::State& state) {
    const auto& pairs = triangle_pairs();
    over_pairs(state, kPairs, [&](std::size_t i) {
        return floor_estimate::triangles_opening(pairs[i].a, pairs[i].b);
    });
}

// The edge whose crossing certifies each pair that meets, found beforehand.
const std::vector<int>& certifying_edges() {
    static const std::vector<int> v = [] {
        std::vector<int> e;
        for (const TrianglePair& p : triangle_pairs()) {
            e.push_back(floor_estimate::triangles(p.a, p.b, -1));
        }
        return e;
    }();
    return v;
}

void BM_FloorTriangles(benchmark::State& state) {
    const auto& pairs = triangle_pairs();
    const auto& edges = certifying_edges();
    over_pairs(state, kPairs, [&](std::size_t i) {
        return floor_estimate::triangles(pairs[i].a, pairs[i].b, edges[i]) >= 0;
    });
}

void BM_FloorSegmentOpening(benchmark::State& state) {
    const auto& pairs = segment_pairs();
    over_pairs(state, kPairs, [&](std::size_t i) {
        return floor_estimate::segment_opening(pairs[i].t, pairs[i].s);
    });
}

void BM_FloorSegment(benchmark::State& state) {
    const auto& pairs = segment_pairs();
    over_pairs(state, kPairs,
               [&](std::size_t i) { return floor_estimate::segment(pairs[i].t, pairs[i].s); });
}

// The random pairs split by the textbook answer, so that the ratios show
// what a pair that meets and a pair apart each cost.
template <class Pair, class Meets>
std::vector<Pair> split(const std::vector<Pair>& pairs, bool meeting, Meets meets) {
    std::vector<Pair> v;
    for (const Pair& p : pairs) {
        if (meets(p) == meeting) {
            v.push_back(p);
        }
    }
    return v;
}

bool moeller_meets(const TrianglePair& p) { return moeller::intersect(p.a, p.b); }
bool moeller_trumbore_meets(const SegmentPair& p) { return moeller_trumbore(p.t, p.s); }

// The pairs of all that the textbook test meets answers meeting for, split
// once per kind of pair.
template <class Pair, bool (*meets)(const Pair&)>
const std::vector<Pair>& pairs_by(const std::vector<Pair>& all, bool meeting) {
    static const std::vector<Pair> sets[2] = {split(all, false, meets), split(all, true, meets)};
    return sets[meeting ? 1 : 0];
}

bool library_triangle_meets(const TrianglePair& p) { return p.a.intersect(p.b); }
bool library_segment_meets(const SegmentPair& p) { return p.t.intersect(p.s); }

// test over the pairs of all() that the textbook test answers meeting for.
template <class Pair, const std::vector<Pair>& (*all)(), bool (*textbook)(const Pair&),
          bool (*test)(const Pair&)>
void over_pairs_by(benchmark::State& state, bool meeting) {
    const std::vector<Pair>& pairs = pairs_by<Pair, textbook>(all(), meeting);
    over_pairs(state, pairs.size(), [&](std::size_t i) { return test(pairs[i]); });
}

void BM_TriangleTriangleBy(benchmark::State& state, bool meeting) {
    over_pairs_by<TrianglePair, triangle_pairs, moeller_meets, library_triangle_meets>(state,
                                                                                       meeting);
}

void BM_MoellerBy(benchmark::State& state, bool meeting) {
    over_pairs_by<TrianglePair, triangle_pairs, moeller_meets, moeller_meets>(state, meeting);
}

void BM_SegmentTriangleBy(benchmark::State& state, bool meeting) {
    over_pairs_by<SegmentPair, segment_pairs, moeller_trumbore_meets, library_segment_meets>(
        state, meeting);
}

void BM_MoellerTrumboreBy(benchmark::State& state, bool meeting) {
    over_pairs_by<SegmentPair, segment_pairs, moeller_trumbore_meets, moeller_trumbore_meets>(
        state, meeting);
}

void BM_BoxFromPoints(benchmark::State& state) {
    const KvArray<P>& points = box_points();
    for (auto _ : state) {
        const Kv3dBBox box(points);
        benchmark::DoNotOptimize(box);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kBoxPoints));
}

void BM_PlainMinMaxLoop(benchmark::State& state) {
    const KvArray<P>& points = box_points();
    for (auto _ : state) {
        double lo[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL}, hi[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
        for (const P& p : points) {
            for (int k = 0; k < 3; ++k) {
                lo[k] = std::min(lo[k], p[k]);
                hi[k] = std::max(hi[k], p[k]);
            }
        }
        benchmark::DoNotOptimize(lo);
        benchmark::DoNotOptimize(hi);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kBoxPoints));
}

#ifdef KV3D_BENCH_WITH_CGAL
using K = CGAL::Exact_predicates_inexact_constructions_kernel;

K::Point_3 cgal(const P& p) { return K::Point_3(p.x(), p.y(), p.z()); }
K::Triangle_3 cgal(const Kv3dTriangle& t) {
    return K::Triangle_3(cgal(t.p0()), cgal(t.p1()), cgal(t.p2()));
}

void BM_CgalTriangleTriangle(benchmark::State& state) {
    std::vector<std::pair<K::Triangle_3, K::Triangle_3>> pairs;
    for (const TrianglePair& p : triangle_pairs()) {
        pairs.emplace_back(cgal(p.a), cgal(p.b));
    }
    over_pairs(state, kPairs,
               [&](std::size_t i) { return CGAL::do_intersect(pairs[i].first, pairs[i].second); });
}

void BM_CgalSegmentTriangle(benchmark::State& state) {
    std::vector<std::pair<K::Triangle_3, K::Segment_3>> pairs;
    for (const SegmentPair& p : segment_pairs()) {
        pairs.emplace_back(
            cgal(p.t), K::Segment_3(cgal(p.s.basepoint()), cgal(p.s.basepoint() + p.s.vector())));
    }
    over_pairs(state, kPairs,
               [&](std::size_t i) { return CGAL::do_intersect(pairs[i].first, pairs[i].second); });
}

void BM_CgalBbox3(benchmark::State& state) {
    std::vector<K::Point_3> points;
    for (const P& p : box_points()) {
        points.push_back(cgal(p));
    }
    for (auto _ : state) {
        const CGAL::Bbox_3 box = CGAL::bbox_3(points.begin(), points.end());
        benchmark::DoNotOptimize(box);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kBoxPoints));
}

BENCHMARK(BM_CgalTriangleTriangle)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_CgalSegmentTriangle)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_CgalBbox3)->Unit(benchmark::kNanosecond);
#endif

BENCHMARK(BM_LineIntersect)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_ClosestPointFormula)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_TransformScaleAboutPoint)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_TransformScrew)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_TransformPlaneScaling)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_TranslateScaleTranslate)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_TransformInvert)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_TransformIsInvertible)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_TriangleTriangle)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_MoellerTriangleTriangle)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_SegmentTriangle)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_MoellerTrumbore)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_FloorTrianglesOpening)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_FloorTriangles)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_FloorSegmentOpening)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_FloorSegment)->Unit(benchmark::kNanosecond);
BENCHMARK_CAPTURE(BM_TriangleTriangleBy, meeting, true)->Unit(benchmark::kNanosecond);
BENCHMARK_CAPTURE(BM_MoellerBy, meeting, true)->Unit(benchmark::kNanosecond);
BENCHMARK_CAPTURE(BM_TriangleTriangleBy, apart, false)->Unit(benchmark::kNanosecond);
BENCHMARK_CAPTURE(BM_MoellerBy, apart, false)->Unit(benchmark::kNanosecond);
BENCHMARK_CAPTURE(BM_SegmentTriangleBy, meeting, true)->Unit(benchmark::kNanosecond);
BENCHMARK_CAPTURE(BM_MoellerTrumboreBy, meeting, true)->Unit(benchmark::kNanosecond);
BENCHMARK_CAPTURE(BM_SegmentTriangleBy, apart, false)->Unit(benchmark::kNanosecond);
BENCHMARK_CAPTURE(BM_MoellerTrumboreBy, apart, false)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_BoxFromPoints)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_PlainMinMaxLoop)->Unit(benchmark::kNanosecond);

// Heap allocations per call of each library operation, over kPairs calls.
template <class F>
void print_allocations(const char* label, F&& f) {
    const std::size_t n = allocation_counter::during([&] {
        for (std::size_t i = 0; i < kPairs; ++i) {
            f(i);
        }
    });
    std::printf("%-40s %.2f\n", label, static_cast<double>(n) / kPairs);
}

void print_all_allocations() {
    std::printf("\nheap allocations per call:\n");
    const auto& lines = line_pairs();
    const auto& s = scalings();
    const auto& t = general_transforms();
    const auto& tris = triangle_pairs();
    const auto& segs = segment_pairs();
    print_allocations("Kv3dLine::intersect(line)", [&](std::size_t i) {
        P at;
        double a = 0.0, b = 0.0;
        benchmark::DoNotOptimize(lines[i].first.intersect(lines[i].second, &at, &a, &b));
    });
    print_allocations("Kv3dTransform(double, const Kv3dPoint&)", [&](std::size_t i) {
        benchmark::DoNotOptimize(Kv3dTransform(s[i].first, s[i].second));
    });
    print_allocations("Kv3dTransform screw motion", [&](std::size_t i) {
        benchmark::DoNotOptimize(Kv3dTransform(s[i].second, V(1, 2, 3), s[i].first, 1.0));
    });
    print_allocations("Kv3dTransform plane scaling", [&](std::size_t i) {
        benchmark::DoNotOptimize(Kv3dTransform(planes()[i], s[i].first));
    });
    print_allocations("Kv3dTransform::invert (general)", [&](std::size_t i) {
        Kv3dTransform T = t[i];
        benchmark::DoNotOptimize(T.invert());
    });
    print_allocations("Kv3dTransform::is_invertible",
                      [&](std::size_t i) { benchmark::DoNotOptimize(t[i].is_invertible()); });
    print_allocations("Kv3dTriangle::intersect(triangle)", [&](std::size_t i) {
        benchmark::DoNotOptimize(tris[i].a.intersect(tris[i].b));
    });
    print_allocations("Kv3dTriangle::intersect(segment)", [&](std::size_t i) {
        benchmark::DoNotOptimize(segs[i].t.intersect(segs[i].s));
    });
    print_allocations("Kv3dBBox from 10^6 points (per call)", [&](std::size_t i) {
        if (i == 0) {
            benchmark::DoNotOptimize(Kv3dBBox(box_points()));
        }
    });
}

// The share of the random pairs that the floor's opening settles, and of
// those the textbook tests answer meeting for.
void print_floor_shares() {
    std::size_t tri_settled = 0, tri_meet = 0, seg_settled = 0, seg_meet = 0;
    for (const TrianglePair& p : triangle_pairs()) {
        tri_settled += floor_estimate::triangles_opening(p.a, p.b) ? 1 : 0;
        tri_meet += moeller::intersect(p.a, p.b) ? 1 : 0;
    }
    for (const SegmentPair& p : segment_pairs()) {
        seg_settled += floor_estimate::segment_opening(p.t, p.s) ? 1 : 0;
        seg_meet += moeller_trumbore(p.t, p.s) ? 1 : 0;
    }
    const double n = static_cast<double>(kPairs);
    std::printf("\nshare of random pairs settled by the floor opening / meeting:\n");
    std::printf("%-36s %.3f / %.3f\n", "triangle-triangle", tri_settled / n, tri_meet / n);
    std::printf("%-36s %.3f / %.3f\n", "segment-triangle", seg_settled / n, seg_meet / n);
}

}  // namespace

int main(int argc, char** argv) {
    return run_benchmarks_with_ratios(argc, argv, [](const RatioReporter& reporter) {
        std::printf("\ntime ratios (library / textbook or peer), same run:\n");
        reporter.print_ratio("line-line / closest-point formula", "BM_LineIntersect",
                             "BM_ClosestPointFormula");
        reporter.print_ratio("scale about point / direct product", "BM_TransformScaleAboutPoint",
                             "BM_TranslateScaleTranslate");
        reporter.print_ratio("triangle-triangle / Moeller", "BM_TriangleTriangle",
                             "BM_MoellerTriangleTriangle");
        reporter.print_ratio("triangle-triangle / CGAL", "BM_TriangleTriangle",
                             "BM_CgalTriangleTriangle");
        reporter.print_ratio("segment-triangle / Moeller-Trumbore", "BM_SegmentTriangle",
                             "BM_MoellerTrumbore");
        reporter.print_ratio("segment-triangle / CGAL", "BM_SegmentTriangle",
                             "BM_CgalSegmentTriangle");
        reporter.print_ratio("floor opening, triangles / Moeller", "BM_FloorTrianglesOpening",
                             "BM_MoellerTriangleTriangle");
        reporter.print_ratio("floor estimate, triangles / Moeller", "BM_FloorTriangles",
                             "BM_MoellerTriangleTriangle");
        reporter.print_ratio("floor opening, segment / M-T", "BM_FloorSegmentOpening",
                             "BM_MoellerTrumbore");
        reporter.print_ratio("floor estimate, segment / M-T", "BM_FloorSegment",
                             "BM_MoellerTrumbore");
        for (const char* by : {"meeting", "apart"}) {
            const std::string label = std::string(", ") + by;
            reporter.print_ratio(("triangle-triangle / Moeller" + label).c_str(),
                                 std::string("BM_TriangleTriangleBy/") + by,
                                 std::string("BM_MoellerBy/") + by);
            reporter.print_ratio(("segment-triangle / M-T" + label).c_str(),
                                 std::string("BM_SegmentTriangleBy/") + by,
                                 std::string("BM_MoellerTrumboreBy/") + by);
        }
        reporter.print_ratio("box of 10^6 points / plain loop", "BM_BoxFromPoints",
                             "BM_PlainMinMaxLoop");
        reporter.print_ratio("box of 10^6 points / CGAL bbox_3", "BM_BoxFromPoints",
                             "BM_CgalBbox3");
        std::printf("\nnanoseconds per call:\n");
        const char* const names[] = {
            "BM_LineIntersect",           "BM_ClosestPointFormula",   "BM_TransformScaleAboutPoint",
            "BM_TransformScrew",          "BM_TransformPlaneScaling", "BM_TranslateScaleTranslate",
            "BM_TransformInvert",         "BM_TransformIsInvertible", "BM_TriangleTriangle",
            "BM_MoellerTriangleTriangle", "BM_CgalTriangleTriangle",  "BM_SegmentTriangle",
            "BM_MoellerTrumbore",         "BM_CgalSegmentTriangle"};
        for (const char* name : names) {
            reporter.print_per_item(name, name, kPairs);
        }
        for (const char* name : {"BM_BoxFromPoints", "BM_PlainMinMaxLoop", "BM_CgalBbox3"}) {
            reporter.print_per_item(name, name, kBoxPoints);
        }
        print_floor_shares();
        print_all_allocations();
    });
}
