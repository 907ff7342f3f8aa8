// The intersection tests of Kv3dTriangle. The segment test is the OR of its
// sub-tests: for each edge the segment test or (for an edge parallel to the
// segment) the point test of the segment's start, the crossing of the
// triangle's plane inside the triangle, and the in-plane rule; the triangle
// test is the OR of the segment tests of the six edges.
//
// Every true answer is certified. The segment and on-segment tests compare
// computed points to within 1e-15. The sub-tests that solve a 3 x 3 system by
// Cramer's rule (the crossing, the inside test, the in-plane rule) answer
// true only when the rounding of the solve provably cannot have put the
// point they find more than kReach point tolerances from the triangle (see
// "Certificates"); a determinant within its own rounding counts as singular.
// Without this, a segment nearly parallel to the plane, or a triangle with
// nearly collinear vertices, lets rounding noise land the unknowns in range
// and report pieces far apart as meeting.
//
// Each sub-test is computed exactly so, but they run in the order that
// settles most pairs soonest: each edge's crossing first, the rest of its
// segment test only where neither the crossing nor a separation settles
// it, and none where a separation provably rules out every certified
// answer (see "Proofs that the answer is false").

#include <kv3d/Kv3dResObj.h>
#include <kv3d/Kv3dTriangle.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace {

// Unit directions whose dot product reaches this count as parallel.
const double kParallelCos = 0.9999999999999998;
// Determinants at or below this magnitude count as singular.
const double kSingularDet = 1e-15;
// Two computed points closer than this are the same point.
const double kSamePoint = 1e-15;
// A certified answer puts the segment within this many point tolerances of
// the triangle: the tolerance band of the inside test and the in-plane rule,
// and up to half a tolerance more for rounding.
const double kReach = 1.5;
const double kEps = std::numeric_limits<double>::epsilon();

// det[x y z] of three columns: x . (y x z).
double triple(const Kv3dVector& x, const Kv3dVector& y, const Kv3dVector& z) { return x % (y * z); }

// A bound on the rounding of triple(x, y, z). Component i of y x z is
// y_j z_k - y_k z_j with three roundings, off by at most
// gamma_2 (|y_j z_k| + |y_k z_j|); the dot product with x adds at most
// gamma_3 sum |x_i| |(y x z)_i| (gamma_k = k u / (1 - k u), u = eps / 2).
// Together
//   |fl(triple(x, y, z)) - x . (y x z)| <= gamma_5 |x| . (|y| x+ |z|),
// where x+ is the cross product with its minus signs made plus. Computed in
// floating point that bound comes out low by a factor 1 - gamma_5 at most;
// 8 u = 4 eps exceeds gamma_5 / (1 - gamma_5) ~ 5 u with room for the
// rounding of the quotients and bounds built from it below. (A valid
// triangle's edges and a segment's vector are longer than 1e-20, so no
// product that matters falls below the normal range.)
double triple_rounding(const Kv3dVector& x, const Kv3dVector& y, const Kv3dVector& z) {
    const double x0 = std::fabs(x.x()), x1 = std::fabs(x.y()), x2 = std::fabs(x.z());
    const double y0 = std::fabs(y.x()), y1 = std::fabs(y.y()), y2 = std::fabs(y.z());
    const double z0 = std::fabs(z.x()), z1 = std::fabs(z.y()), z2 = std::fabs(z.z());
    const double p = x0 * (y1 * z2 + y2 * z1) + x1 * (y2 * z0 + y0 * z2) + x2 * (y0 * z1 + y1 * z0);
    return 4.0 * kEps * p;
}

// |x| + |y| + |z|, at least the length.
double l1(const Kv3dVector& v) { return std::fabs(v.x()) + std::fabs(v.y()) + std::fabs(v.z()); }

double excess(double v) { return v > 0.0 ? v : 0.0; }

bool in_unit_interval(double v) { return v >= 0.0 && v <= 1.0; }

// What every query needs of a triangle: the spanning vectors e1 = p1 - p0
// and e2 = p2 - p0, their 1-norms, and the normal n = e1 x e2.
struct Frame {
    explicit Frame(const Kv3dTriangle& t)
        : e1(t.p1() - t.p0()), e2(t.p2() - t.p0()), n(e1 * e2), l1_e1(l1(e1)), l1_e2(l1(e2)) {}

    Kv3dVector e1;
    Kv3dVector e2;
    Kv3dVector n;
    double l1_e1;
    double l1_e2;
};

// A triangle ready for the rest of the segment tests: its frame, its
// vertices, its edges p0 -> p1, p1 -> p2, p2 -> p0 as vectors, and on first
// use the unit directions of the edges and of n. Built only where neither a
// crossing nor a separation settles the answer, once per query, so that
// every quantity is computed once however many segments are tested.
class Prepared : public Frame {
public:
    // edge[0] is e1 and edge[2] the negated e2, bit for bit (a - b is
    // exactly -(b - a)).
    Prepared(const Kv3dTriangle& t, const Frame& f)
        : Frame(f), v{t.p0(), t.p1(), t.p2()}, edge{e1, t.p2() - t.p1(), -e2} {}

    const Kv3dDirection& dir(int i) {
        if (!dir_[i]) {
            dir_[i] = edge[i].direction();
        }
        return *dir_[i];
    }
    const Kv3dDirection& normal_dir() {
        if (!nd_) {
            nd_ = n.direction();
        }
        return *nd_;
    }

    Kv3dPoint v[3];
    Kv3dVector edge[3];

private:
    std::optional<Kv3dDirection> dir_[3];
    std::optional<Kv3dDirection> nd_;
};

// ---- Certificates ----------------------------------------------------------
//
// A Cramer solve of r = v0 c0 + v1 c1 + v2 c2 computes det = triple(c0, c1,
// c2) and v_i = N_i / det, N_i the triple product with r in column i. A
// determinant within its own rounding, |det| <= dD (dD = triple_rounding of
// the columns), counts as singular. Otherwise an answer true found at v
// stands when either certificate shows the segment within kReach tol of the
// triangle (for the computed vectors):
//  - Residual: the point of the triangle and the point of the segment (or
//    the point tested) that v names are computed and compared. Sharp
//    whenever the solve is accurate, even where the columns are nearly
//    dependent, as for a triangle with nearly collinear vertices.
//  - Error bounds: with dN_i the rounding bound of N_i, the exact solution
//    for the computed columns and right-hand side differs from v_i by at
//    most err_i = (dN_i + |v_i| dD) / (|det| - dD) (N/D - N'/D' =
//    (dN D' - N' dD) / (D D') written with the computed values). Decides
//    where rounding spoils the residual but the point lies well inside, as
//    for a segment crossing at a grazing angle under a fine tolerance.
// The exact point p0 + s e1 + t e2 of the plane has the weights 1 - s - t,
// s, t; when they fall short of 0 by m in total, the weights made
// non-negative and scaled to sum 1 move each weight by at most m, so the
// point lies within m (|e1| + |e2|) of the triangle.

double reach_of_certificates() { return kReach * Kv3dResObj::same_point_tol(); }

// How far the point with affine coordinates s, t (off by at most ds, dt)
// may lie outside the triangle.
double outside_triangle(const Frame& F, double s, double t, double ds, double dt) {
    const double m = excess(ds - s) + excess(dt - t) + excess(s + t + ds + dt - 1.0);
    return m * (F.l1_e1 + F.l1_e2);
}

// |s e1 + t e2 + u c - r| as computed, and beyond it the rounding of its
// four terms and three sums per coordinate (gamma_4 each, 4 eps with room).
double residual(const Frame& F, const Kv3dVector& c, double s, double t, double u,
                const Kv3dVector& r) {
    const double d = l1(F.e1 * s + F.e2 * t + c * u - r);
    return d + 4.0 * kEps *
                   (std::fabs(s) * F.l1_e1 + std::fabs(t) * F.l1_e2 + std::fabs(u) * l1(c) + l1(r));
}

// err[3] for the unknowns v[3] of the columns c and right-hand side r,
// given |det| > dd.
void solution_error(const Kv3dVector (&c)[3], const Kv3dVector& r, double det, double dd,
                    const double (&v)[3], double (&err)[3]) {
    const double margin = std::fabs(det) - dd;
    err[0] = (triple_rounding(r, c[1], c[2]) + std::fabs(v[0]) * dd) / margin;
    err[1] = (triple_rounding(c[0], r, c[2]) + std::fabs(v[1]) * dd) / margin;
    err[2] = (triple_rounding(c[0], c[1], r) + std::fabs(v[2]) * dd) / margin;
}

// The crossing found at (s, t, u) for B0 + u b, r = B0 - p0, nb = -b. By its
// residual the points p0 + s e1 + t e2 of the triangle and B0 + u b of the
// segment lie that far apart; by the error bounds the exact crossing of the
// segment's line and the plane lies outside the triangle by outside_triangle
// at most, and off the segment by at most the excess of u over [0, 1]
// (times |b|).
bool crossing_certified(const Frame& F, const Kv3dVector& r, const Kv3dVector& nb, double det,
                        double s, double t, double u) {
    const double dd = triple_rounding(F.e1, F.e2, nb);
    if (!(std::fabs(det) > dd)) {
        return false;
    }
    const double reach = reach_of_certificates();
    if (residual(F, nb, s, t, u, r) < reach) {
        return true;
    }
    double err[3];
    solution_error({F.e1, F.e2, nb}, r, det, dd, {s, t, u}, err);
    const double off = excess(err[2] - u) + excess(u + err[2] - 1.0);
    return outside_triangle(F, s, t, err[0], err[1]) + off * l1(nb) < reach;
}

// q = p0 + r found at (s, t, k) in the columns e1, e2, n (det their triple
// product). By its residual q lies that far from p0 + s e1 + t e2, which
// lies outside the triangle by outside_triangle at most; by the error bounds
// the exact solution puts q at |k| |n| from a point of the plane that lies
// outside the triangle by outside_triangle at most.
bool plane_point_certified(const Frame& F, const Kv3dVector& r, double det, const double (&v)[3]) {
    const double dd = triple_rounding(F.e1, F.e2, F.n);
    if (!(std::fabs(det) > dd)) {
        return false;
    }
    const double reach = reach_of_certificates();
    if (residual(F, F.n, v[0], v[1], 0.0, r) + outside_triangle(F, v[0], v[1], 0.0, 0.0) < reach) {
        return true;
    }
    double err[3];
    solution_error({F.e1, F.e2, F.n}, r, det, dd, v, err);
    const double height = (std::fabs(v[2]) + err[2]) * F.n.length();
    return height + outside_triangle(F, v[0], v[1], err[0], err[1]) < reach;
}

// ---- The written sub-tests, certified --------------------------------------

// Segment A (A0 + s a, the edge) against segment B (B0 + w b): with c = a x b,
// B0 - A0 = s a + u c - w b solved by Cramer's rule. The segments meet when
// s, u, w lie in [0, 1] and the two points found coincide. Rounding noise
// reaches this determinant (|c|^2) only for edges parallel in fact that the
// direction test misses by an ulp; the final comparison of two computed
// points, one on each segment, keeps the answer sound without a certificate.
bool segments_meet(const Kv3dPoint& A0, const Kv3dVector& a, const Kv3dPoint& B0,
                   const Kv3dVector& b) {
    const Kv3dVector c = a * b;
    const Kv3dVector nb = -b;
    const double det = triple(a, c, nb);
    if (!(std::fabs(det) > kSingularDet)) {
        return false;
    }
    const Kv3dVector r = B0 - A0;
    const double s = triple(r, c, nb) / det;
    if (!in_unit_interval(s)) {
        return false;
    }
    const double u = triple(a, r, nb) / det;
    if (!in_unit_interval(u)) {
        return false;
    }
    const double w = triple(a, c, r) / det;
    if (!in_unit_interval(w)) {
        return false;
    }
    return (A0 + a * s).distance(B0 + b * w) < kSamePoint;
}

// q on the segment S0 + t v, 0 <= t <= 1, by its orthogonal foot.
bool on_segment(const Kv3dPoint& q, const Kv3dPoint& S0, const Kv3dVector& v) {
    if (v.numerical_zero()) {
        return false;
    }
    const double t = (v % (q - S0)) / (v % v);
    if (!in_unit_interval(t)) {
        return false;
    }
    return (S0 + v * t).distance(q) < kSamePoint;
}

// The plane coordinates of q = p0 + r: r = s e1 + t e2 + k n by Cramer's
// rule with det = triple(e1, e2, n) (|n|^2 exactly, rounded); k only where
// asked for.
void plane_coordinates(const Frame& F, const Kv3dVector& r, double det, double& s, double& t) {
    s = triple(r, F.e2, F.n) / det;
    t = triple(F.e1, r, F.n) / det;
}
void plane_solution(const Frame& F, const Kv3dVector& r, double det, double (&v)[3]) {
    plane_coordinates(F, r, det, v[0], v[1]);
    v[2] = triple(F.e1, F.e2, r) / det;
}

// q in the closed triangle: s and t locate the foot of q in the plane, k n
// is its offset from the plane. The foot must lie in the closed triangle
// (s >= 0, t >= 0, s + t <= 1, no tolerance), and q must lie in the plane as
// the library judges a point in a plane: its distance |k| |n| from it
// strictly below the point tolerance. The same band admits a segment to the
// in-plane decision of meets_in_plane, so both paths agree on what counts as
// lying in the triangle's plane.
bool inside(const Prepared& P, const Kv3dPoint& q) {
    const double det = triple(P.e1, P.e2, P.n);
    if (!(std::fabs(det) > kSingularDet)) {
        return false;
    }
    const Kv3dVector r = q - P.v[0];
    double v[3];
    plane_solution(P, r, det, v);
    return v[0] >= 0.0 && v[1] >= 0.0 && v[0] + v[1] <= 1.0 &&
           std::fabs(v[2]) * P.n.length() < Kv3dResObj::same_point_tol() &&
           plane_point_certified(P, r, det, v);
}

// q on an edge segment (p0 -> p1, p1 -> p2, p2 -> p0), else inside.
bool point_test(const Prepared& P, const Kv3dPoint& q) {
    for (int i = 0; i < 3; ++i) {
        if (on_segment(q, P.v[i], P.edge[i])) {
            return true;
        }
    }
    return inside(P, q);
}

// The edge-by-edge part of the segment test: an edge parallel to the segment
// decides by the point test of the segment's start (the same for every such
// edge, so taken once), any other edge by the segment test. dl is b's
// direction; the opposite direction's dot product with an edge direction is
// exactly the negated one.
bool meets_an_edge(Prepared& P, const Kv3dPoint& B0, const Kv3dVector& b, const Kv3dDirection& dl) {
    int start_inside = -1;
    for (int i = 0; i < 3; ++i) {
        const double c = dl % P.dir(i);
        if (c >= kParallelCos || -c >= kParallelCos) {
            if (start_inside < 0) {
                start_inside = point_test(P, B0) ? 1 : 0;
            }
            if (start_inside == 1) {
                return true;
            }
        } else if (segments_meet(P.v[i], P.edge[i], B0, b)) {
            return true;
        }
    }
    return false;
}

// Restricts [lo, hi] to the part of [0, 1] where f0 + lambda (f1 - f0) >= 0;
// false when no part of the segment satisfies it.
bool clip(double f0, double f1, double& lo, double& hi) {
    if (f0 >= 0.0 && f1 >= 0.0) {
        return true;
    }
    if (f0 < 0.0 && f1 < 0.0) {
        return false;
    }
    const double lambda = f0 / (f0 - f1);
    if (f0 < 0.0) {
        lo = std::max(lo, lambda);
    } else {
        hi = std::min(hi, lambda);
    }
    return true;
}

// A segment lying in the triangle's plane (both end points strictly within
// the point tolerance of it) meets the triangle when its projection into the
// plane meets the closed triangle: crossing an edge, touching, or lying
// inside. The edge-by-edge test cannot see this, since its crossing system
// is singular for a segment parallel to the plane. Decided without a
// tolerance band by clipping the projected segment against the three
// half-planes s >= 0, t >= 0, 1 - s - t >= 0; the answer true stands when
// the middle of the clipped part is certified as the inside test certifies
// a point.
bool meets_in_plane(Prepared& P, const Kv3dPoint& B0, const Kv3dVector& b) {
    const Kv3dDirection& nd = P.normal_dir();
    if (nd.x() == 0.0 && nd.y() == 0.0 && nd.z() == 0.0) {
        return false;
    }
    const double tol = Kv3dResObj::same_point_tol();
    const Kv3dPoint B1 = B0 + b;
    if (!(std::fabs(nd % (B0 - P.v[0])) < tol) || !(std::fabs(nd % (B1 - P.v[0])) < tol)) {
        return false;
    }
    const double det = triple(P.e1, P.e2, P.n);
    if (!(det > 0.0)) {
        return false;
    }
    double s0, t0, s1, t1;
    plane_coordinates(P, B0 - P.v[0], det, s0, t0);
    plane_coordinates(P, B1 - P.v[0], det, s1, t1);
    if (!std::isfinite(s0) || !std::isfinite(t0) || !std::isfinite(s1) || !std::isfinite(t1)) {
        return false;
    }
    double lo = 0.0;
    double hi = 1.0;
    if (!clip(s0, s1, lo, hi) || !clip(t0, t1, lo, hi) ||
        !clip((1.0 - s0) - t0, (1.0 - s1) - t1, lo, hi) || !(lo <= hi)) {
        return false;
    }
    const Kv3dVector r = (B0 + b * (0.5 * (lo + hi))) - P.v[0];
    double v[3];
    plane_solution(P, r, det, v);
    return plane_point_certified(P, r, det, v);
}

// ---- Proofs that the answer is false ---------------------------------------
//
// M is the largest magnitude of a coordinate of the points involved (all
// finite, M at most 1e30), so every difference of two of them is at most 2M
// in each coordinate.
//
// Reach. A true answer puts a point of the segment (as computed: from its
// start along its vector, which for a triangle's edge is the rounded vertex
// difference) within kReach tol of the triangle spanned by the rounded
// e1, e2 from p0 (Cramer sub-tests), or a computed point of each within
// kSamePoint of the other (segment and on-segment tests). Rounded edges,
// spanning vectors and right-hand sides are off by at most u 2M per
// coordinate, the computed points of the segment and on-segment tests by
// 5 u M, and the certified bounds by a relative few u: so the pieces as
// given come within
//   reach = (kReach tol + kSamePoint) (1 + 1e-9) + 64 eps M
// of each other, 16 eps M covering the rounding above with room and 48 eps M
// left for the rounding of the separations below.
//
// Separations. If the values x . p of the points of one piece and those of
// the other on an axis x lie more than reach |x| apart, the pieces lie more
// than reach apart and every sub-test between them is false. The tests
// compare against reach |x|_1 >= reach |x|, |x|_1 bounded where x is not
// computed by |a x b|_1 <= |a|_1 |b|_1. Axes:
//  - A triangle's normal n, values taken from p0: n . (q - p0) for the other
//    piece's points, each rounded by at most gamma_4 |n|_1 2M, inside the
//    48 eps M; its own vertices have the values 0, n . e1, n . e2 (see Plane).
//  - For pieces in one plane, the in-plane normals n x e of a triangle's
//    edge lines, every vertex's value taken from p0 and rounded as on the
//    normal.
//  - For a segment B0 + u b against the triangle, the axes e2 x b, e1 x b
//    and (e2 - e1) x b, one per edge line. The crossing solve's triple
//    products are exactly the values on them, with r = B0 - p0 and
//    D = triple(e1, e2, -b), N_s = triple(r, e2, -b), N_t = triple(e1, r, -b):
//    on e2 x b the triangle has the values 0, 0, -D and the segment -N_s;
//    on e1 x b, 0, 0, D and N_t; on (e2 - e1) x b, 0, -D, -D and
//    -N_s - N_t. Rounded by at most 4 eps |x|_1 |y|_1 |z|_1 each (the
//    triple product with absolute values is at most the product of the
//    1-norms), the sum by a few u more.

// An upper bound on M from 1-norms at hand instead of a scan of every
// coordinate: p1 = p0 + (p1 - p0) with |p1 - p0|_inf <= |e1|_1 / (1 - u)^3
// (the rounding of the difference and of the norm's two sums), likewise p2;
// `more` adds the bounds of further points relative to p0. The factor
// covers the rounding of every sum involved with room. NaN and infinity
// propagate through the sums and leave no separation applicable.
double coordinate_bound(const Frame& F, const Kv3dPoint& p0, double more) {
    return (l1(p0.as_vector()) + F.l1_e1 + F.l1_e2 + more) * (1.0 + 1e-12);
}

// The reach for points with coordinates up to m >= M in magnitude; none applies
// (applies() false) beyond 1e30.
class Reach {
public:
    explicit Reach(double m) {
        if (m <= 1e30) {
            value_ = (reach_of_certificates() + kSamePoint) * (1.0 + 1e-9) + 64.0 * kEps * m;
        }
    }
    bool applies() const { return value_ > 0.0; }
    double operator()() const { return value_; }

private:
    double value_ = 0.0;
};

// What a triangle's plane separates: the points q with n . (q - p0) beyond
// reach |n|_1 from the values of its own vertices, 0, n . e1 and n . e2.
// These last are zero but for the rounding of n: for n' = e1 x e2 exact,
// |(n - n') . e1| <= gamma_2 |e1| . (|e1| x+ |e2|) <= eps |e1|_1^2 |e2|_1,
// likewise for e2 (far from zero for a sliver); the limit allows twice that.
class Plane {
public:
    Plane(const Frame& T, double reach)
        : limit_(reach * l1(T.n) + 2.0 * kEps * (T.l1_e1 * T.l1_e2) * (T.l1_e1 + T.l1_e2)) {}

    // Values d0, d1 (and d2) beyond reach of the triangle, on one side.
    // (Evaluated without branches: the outcome is rarely predictable.)
    bool apart(double d0, double d1, double d2) const {
        return ((d0 > limit_) & (d1 > limit_) & (d2 > limit_)) |
               ((d0 < -limit_) & (d1 < -limit_) & (d2 < -limit_));
    }
    bool apart(double d0, double d1) const { return apart(d0, d1, d1); }
    // Values within reach of the plane: pieces in one plane meet, if at all,
    // at edges or in the plane, where the crossings are singular.
    bool close(const double (&d)[3]) const {
        return std::fabs(d[0]) <= limit_ && std::fabs(d[1]) <= limit_ && std::fabs(d[2]) <= limit_;
    }

private:
    double limit_;
};

// How far a value p lies outside the interval between 0 and q.
double gap(double p, double q) { return std::max(p - std::max(0.0, q), std::min(0.0, q) - p); }

enum class Outcome {
    kMeets,  // the crossing sub-test is true
    kApart,  // proven beyond reach of the triangle: every sub-test false
    kOpen    // the crossing is false; the other sub-tests decide
};

// The crossing sub-test of the segment B0 + u b (r = B0 - p0) against the
// triangle, as written and certified, and what its triple products prove
// when it is false: a separation along one of the axes e2 x b, e1 x b,
// (e2 - e1) x b (see "Separations"). The separations are tried on the
// numerators first, before any division: a proven separation puts the
// segment beyond the reach of every certified answer, the crossing
// included, whatever the quotients would have been. l_r and l_b are the
// 1-norms of r and b, which the callers have at hand.
Outcome cross_or_separate(const Frame& F, const Kv3dVector& r, double l_r, const Kv3dVector& b,
                          double l_b, double reach) {
    const Kv3dVector nb = -b;
    const double det = triple(F.e1, F.e2, nb);
    if (!(std::fabs(det) > kSingularDet)) {
        return Outcome::kOpen;
    }
    const double ns = triple(r, F.e2, nb);
    const double slack = 8.0 * kEps * l_b * (l_r + F.l1_e1 + F.l1_e2) * (F.l1_e1 + F.l1_e2);
    if (gap(ns, det) > reach * F.l1_e2 * l_b + slack) {
        return Outcome::kApart;
    }
    const double nt = triple(F.e1, r, nb);
    if (gap(nt, det) > reach * F.l1_e1 * l_b + slack ||
        gap(ns + nt, det) > reach * (F.l1_e1 + F.l1_e2) * l_b + slack) {
        return Outcome::kApart;
    }
    const double s = ns / det;
    const double t = nt / det;
    if (s >= 0.0 && t >= 0.0 && s + t <= 1.0) {
        const double u = triple(F.e1, F.e2, r) / det;
        if (u >= 0.0 && u <= 1.0 && crossing_certified(F, r, nb, det, s, t, u)) {
            return Outcome::kMeets;
        }
    }
    return Outcome::kOpen;  // outside, beyond an end, or uncertain: the rest decides
}

// The crossing sub-test: the segment B0 + u b, 0 <= u <= 1, passes through
// the triangle's plane inside the closed triangle.
bool crosses_plane_inside(const Prepared& P, const Kv3dPoint& B0, const Kv3dVector& b) {
    const Kv3dVector r = B0 - P.v[0];
    return cross_or_separate(P, r, l1(r), b, l1(b), HUGE_VAL) == Outcome::kMeets;
}

// The segment test but for the crossing, which the callers try first.
bool meets_but_crossing(Prepared& P, const Kv3dPoint& B0, const Kv3dVector& b,
                        const Kv3dDirection& dl) {
    return meets_an_edge(P, B0, b, dl) || meets_in_plane(P, B0, b);
}

// The segment test, every sub-test in the written order: where no
// separation applies.
bool segment_test(Prepared& P, const Kv3dPoint& B0, const Kv3dVector& b, const Kv3dDirection& dl) {
    return meets_an_edge(P, B0, b, dl) || crosses_plane_inside(P, B0, b) ||
           meets_in_plane(P, B0, b);
}

// The segment test of every edge of B against A, then of A against B, in
// the written order. The edge vector of a prepared triangle is the segment
// vector, so its direction is the prepared one.
bool any_edge_meets(Prepared& A, Prepared& B) {
    for (int i = 0; i < 3; ++i) {
        if (segment_test(A, B.v[i], B.edge[i], B.dir(i))) {
            return true;
        }
    }
    for (int i = 0; i < 3; ++i) {
        if (segment_test(B, A.v[i], A.edge[i], A.dir(i))) {
            return true;
        }
    }
    return false;
}

// The segment test's rarer paths, out of line so that the common path
// keeps a small stack frame: the sub-tests but the crossing where the
// crossing left the answer open, and the whole segment test where the
// coordinates are too large for any separation.
[[gnu::noinline]] bool segment_meets_but_crossing(const Kv3dTriangle& t, const Frame& F,
                                                  const Kv3dPoint& B0, const Kv3dVector& b) {
    Prepared P(t, F);
    return meets_but_crossing(P, B0, b, b.direction());
}
[[gnu::noinline]] bool segment_meets(const Kv3dTriangle& t, const Frame& F, const Kv3dPoint& B0,
                                     const Kv3dVector& b) {
    Prepared P(t, F);
    return !b.numerical_zero() && segment_test(P, B0, b, b.direction());
}

}  // namespace

bool Kv3dTriangle::intersect(const Kv3dLine& line) const {
    if (!valid_) {
        return false;
    }
    // A numerically zero vector makes every answer false: tested only where
    // an answer could be true.
    const Kv3dPoint& B0 = line.basepoint();
    const Kv3dVector& b = line.vector();
    const Frame F(*this);
    const Kv3dVector r = B0 - p0_;
    const double l_r = l1(r), l_b = l1(b);
    // B0 = p0 + r and B1 = B0 + b lie within |r|_1 + |b|_1 of p0.
    const Reach reach(coordinate_bound(F, p0_, l_r + l_b));
    if (!reach.applies()) {
        return segment_meets(*this, F, B0, b);
    }
    if (Plane(F, reach()).apart(F.n % r, F.n % ((B0 + b) - p0_)) || b.numerical_zero()) {
        return false;
    }
    switch (cross_or_separate(F, r, l_r, b, l_b, reach())) {
        case Outcome::kMeets:
            return true;
        case Outcome::kApart:
            return false;
        default:
            return segment_meets_but_crossing(*this, F, B0, b);
    }
}

namespace {

// The segment test of the edges of s (frame fs) against t (frame ft), but
// where an edge's crossing sub-test or a separation decides it; r[i] is s's
// vertex i less t's p0 and d[i] its value on t's normal. Edges left open
// are marked.
bool any_crossing(const Kv3dTriangle& s, const Frame& ft, const Frame& fs, const Kv3dVector (&r)[3],
                  const double (&d)[3], const Plane& plane, double reach, bool (&open)[3]) {
    for (int i = 0; i < 3; ++i) {
        open[i] = false;
        if (plane.apart(d[i], d[i == 2 ? 0 : i + 1])) {
            continue;
        }
        // The edges as Prepared holds them: e1, p2 - p1, -e2.
        const Kv3dVector edge = i == 0 ? fs.e1 : (i == 1 ? s.p2() - s.p1() : -fs.e2);
        // |-e2|_1 is |e2|_1 bit for bit.
        const double l_edge = i == 0 ? fs.l1_e1 : (i == 1 ? l1(edge) : fs.l1_e2);
        const Outcome o = cross_or_separate(ft, r[i], l1(r[i]), edge, l_edge, reach);
        if (o == Outcome::kMeets) {
            return true;
        }
        open[i] = o == Outcome::kOpen;
    }
    return false;
}

// The rest of the segment test of S's open edges against T.
bool any_open_edge_meets(Prepared& T, Prepared& S, const bool (&open)[3]) {
    for (int i = 0; i < 3; ++i) {
        if (open[i] && meets_but_crossing(T, S.v[i], S.edge[i], S.dir(i))) {
            return true;
        }
    }
    return false;
}

// Pieces in one plane: a separation along the in-plane normals m = n x e
// of the triangle's edge lines (e = e1, e2 - e1, e2), the values of its
// own vertices (0, m . e1, m . e2) against those of the other triangle's
// vertices q[j] (m . (q[j] - p0), p0 = p).
bool apart_in_plane(const Frame& F, const Kv3dPoint& p, const Kv3dTriangle& other, double reach) {
    const Kv3dVector r[3] = {other.p0() - p, other.p1() - p, other.p2() - p};
    const Kv3dVector lines[3] = {F.e1, F.e2 - F.e1, F.e2};
    for (const Kv3dVector& e : lines) {
        const Kv3dVector m = F.n * e;
        const double a1 = m % F.e1, a2 = m % F.e2;
        const double b0 = m % r[0], b1 = m % r[1], b2 = m % r[2];
        const double limit = reach * l1(m);
        if (std::min(b0, std::min(b1, b2)) - std::max(0.0, std::max(a1, a2)) > limit ||
            std::min(0.0, std::min(a1, a2)) - std::max(b0, std::max(b1, b2)) > limit) {
            return true;
        }
    }
    return false;
}

// The offsets r[i] = q[i] - p of a triangle's vertices q from the p0 p of
// the other, and their values d[i] = n . r[i] on its normal n.
struct Offsets {
    Offsets(const Kv3dVector& n, const Kv3dPoint& p, const Kv3dTriangle& q)
        : r{q.p0() - p, q.p1() - p, q.p2() - p}, d{n % r[0], n % r[1], n % r[2]} {}

    // |r[0]|_1 + |r[1]|_1 + |r[2]|_1.
    double l1_sum() const { return l1(r[0]) + l1(r[1]) + l1(r[2]); }

    Kv3dVector r[3];
    double d[3];
};

// Every edge of b against a and every edge of a against b, without
// separations: where the coordinates are too large for them.
[[gnu::noinline]] bool all_edges_meet(const Kv3dTriangle& a, const Frame& fa, const Kv3dTriangle& b,
                                      const Frame& fb) {
    Prepared A(a, fa);
    Prepared B(b, fb);
    return any_edge_meets(A, B);
}

// Triangles within reach of each other's planes: separated in the plane,
// or decided edge by edge.
[[gnu::noinline]] bool meet_in_one_plane(const Kv3dTriangle& a, const Frame& fa,
                                         const Kv3dTriangle& b, const Frame& fb, double reach) {
    if (apart_in_plane(fa, a.p0(), b, reach) || apart_in_plane(fb, b.p0(), a, reach)) {
        return false;
    }
    return all_edges_meet(a, fa, b, fb);
}

// The rest of the segment tests of the edges that no crossing or
// separation settled.
[[gnu::noinline]] bool open_edges_meet(const Kv3dTriangle& a, const Frame& fa,
                                       const Kv3dTriangle& b, const Frame& fb,
                                       const bool (&open_a)[3], const bool (&open_b)[3]) {
    Prepared A(a, fa);
    Prepared B(b, fb);
    return any_open_edge_meets(A, B, open_b) || any_open_edge_meets(B, A, open_a);
}

}  // namespace

// Every edge of other against this triangle and every edge of this against
// other, each exactly as intersect(const Kv3dLine&) decides it. The edge
// vector of a prepared triangle is the segment vector, so its direction is
// the prepared one.
bool Kv3dTriangle::intersect(const Kv3dTriangle& other) const {
    // other's flag is other.numerical_valid(): every writer of a vertex keeps
    // it so.
    if (!valid_ || !other.valid_) {
        return false;
    }
    const Frame fa(*this);
    const Offsets ob(fa.n, p0_, other);
    // This triangle's vertices lie within |e1|_1 or |e2|_1 of p0, the other's
    // within |ob.r[i]|_1: the reach covers both before other's frame exists.
    const Reach reach(coordinate_bound(fa, p0_, ob.l1_sum()));
    if (!reach.applies()) {
        return all_edges_meet(*this, fa, other, Frame(other));
    }
    const Plane plane_a(fa, reach());
    if (plane_a.apart(ob.d[0], ob.d[1], ob.d[2])) {
        return false;
    }
    const Frame fb(other);
    const Offsets oa(fb.n, other.p0_, *this);
    const Plane plane_b(fb, reach());
    if (plane_b.apart(oa.d[0], oa.d[1], oa.d[2])) {
        return false;
    }
    if (plane_a.close(ob.d) && plane_b.close(oa.d)) {
        return meet_in_one_plane(*this, fa, other, fb, reach());
    }
    bool open_b[3], open_a[3];
    if (any_crossing(other, fa, fb, ob.r, ob.d, plane_a, reach(), open_b) ||
        any_crossing(*this, fb, fa, oa.r, oa.d, plane_b, reach(), open_a)) {
        return true;
    }
    if (!(open_a[0] || open_a[1] || open_a[2] || open_b[0] || open_b[1] || open_b[2])) {
        return false;
    }
    return open_edges_meet(*this, fa, other, fb, open_a, open_b);
}
