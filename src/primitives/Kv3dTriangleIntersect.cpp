// The intersection tests of Kv3dTriangle. The segment test is the OR of its
// sub-tests: for each edge the segment test or (for an edge parallel to the
// segment) the point test of the segment's start, the crossing of the
// triangle's plane inside the triangle, and the in-plane rule; the triangle
// test is the OR of the segment tests of the six edges. Each sub-test is
// computed exactly as written, but they run in the order that settles most
// pairs soonest (the crossings first, except for pieces lying in each
// other's plane, which meet at edges if at all), a crossing that provably
// cannot hold is skipped, and where a separation provably rules out every
// sub-test none runs (see "Proofs that the answer is false").

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

// det[x y z] of three columns: x . (y x z).
double triple(const Kv3dVector& x, const Kv3dVector& y, const Kv3dVector& z) { return x % (y * z); }

bool in_unit_interval(double v) { return v >= 0.0 && v <= 1.0; }

// A triangle ready for segment tests: its vertices, its edges p0 -> p1,
// p1 -> p2, p2 -> p0 as vectors, the spanning vectors e1 = p1 - p0 and
// e2 = p2 - p0, the normal n = e1 x e2 and its square, and on first use
// the unit directions of the edges and of n. Built once per query, so that
// every quantity is computed once however many segments are tested.
class Prepared {
public:
    // e1 is edge[0] and e2 the negated edge[2], bit for bit (a - b is
    // exactly -(b - a)).
    explicit Prepared(const Kv3dTriangle& t)
        : v{t.p0(), t.p1(), t.p2()},
          edge{t.p1() - t.p0(), t.p2() - t.p1(), t.p0() - t.p2()},
          e1(edge[0]),
          e2(-edge[2]),
          n(e1 * e2),
          nn(n % n) {}

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
    Kv3dVector e1;
    Kv3dVector e2;
    Kv3dVector n;
    double nn;  // n . n

private:
    std::optional<Kv3dDirection> dir_[3];
    std::optional<Kv3dDirection> nd_;
};

// ---- The written sub-tests -------------------------------------------------

// Segment A (A0 + s a, the edge) against segment B (B0 + w b): with c = a x b,
// B0 - A0 = s a + u c - w b solved by Cramer's rule. The segments meet when
// s, u, w lie in [0, 1] and the two points found coincide.
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

// q in the closed triangle: q - p0 = s e1 + t e2 + k n solved by Cramer's rule
// (the determinant is |n|^2). s and t locate the foot of q in the plane, k n
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
    const double s = triple(r, P.e2, P.n) / det;
    const double t = triple(P.e1, r, P.n) / det;
    const double k = triple(P.e1, P.e2, r) / det;
    return s >= 0.0 && t >= 0.0 && s + t <= 1.0 &&
           std::fabs(k) * P.n.length() < Kv3dResObj::same_point_tol();
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

// The segment B0 + u b, 0 <= u <= 1, passes through the triangle's plane
// inside the closed triangle: B0 - p0 = s e1 + t e2 - u b by Cramer's rule.
// Singular for a segment parallel to the plane.
bool crosses_plane_inside(const Prepared& P, const Kv3dPoint& B0, const Kv3dVector& b) {
    const Kv3dVector nb = -b;
    const double det = triple(P.e1, P.e2, nb);
    if (!(std::fabs(det) > kSingularDet)) {
        return false;
    }
    const Kv3dVector r = B0 - P.v[0];
    const double s = triple(r, P.e2, nb) / det;
    if (!(s >= 0.0)) {
        return false;
    }
    const double t = triple(P.e1, r, nb) / det;
    if (!(t >= 0.0 && s + t <= 1.0)) {
        return false;
    }
    const double u = triple(P.e1, P.e2, r) / det;
    return u >= 0.0 && u <= 1.0;
}

// Affine coordinates (s, t) of the orthogonal projection of q into the plane:
// q - p0 = s e1 + t e2 + k n, in which the triangle is s >= 0, t >= 0,
// s + t <= 1.
void plane_coordinates(const Prepared& P, double det, const Kv3dPoint& q, double& s, double& t) {
    const Kv3dVector r = q - P.v[0];
    s = triple(r, P.e2, P.n) / det;
    t = triple(P.e1, r, P.n) / det;
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
// half-planes s >= 0, t >= 0, 1 - s - t >= 0.
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
    plane_coordinates(P, det, B0, s0, t0);
    plane_coordinates(P, det, B1, s1, t1);
    if (!std::isfinite(s0) || !std::isfinite(t0) || !std::isfinite(s1) || !std::isfinite(t1)) {
        return false;
    }
    double lo = 0.0;
    double hi = 1.0;
    return clip(s0, s1, lo, hi) && clip(t0, t1, lo, hi) &&
           clip((1.0 - s0) - t0, (1.0 - s1) - t1, lo, hi) && lo <= hi;
}

// The segment test but for the crossing, which the callers try first.
bool meets_but_crossing(Prepared& P, const Kv3dPoint& B0, const Kv3dVector& b,
                        const Kv3dDirection& dl) {
    return meets_an_edge(P, B0, b, dl) || meets_in_plane(P, B0, b);
}

// The segment test, every sub-test in the written order.
bool segment_test(Prepared& P, const Kv3dPoint& B0, const Kv3dVector& b, const Kv3dDirection& dl) {
    return meets_an_edge(P, B0, b, dl) || crosses_plane_inside(P, B0, b) ||
           meets_in_plane(P, B0, b);
}

// test(triangle, start, vector, direction) for the edges of B against A,
// then for those of A against B, until one is true.
template <class Test>
bool any_edge(Prepared& A, Prepared& B, Test test) {
    for (int i = 0; i < 3; ++i) {
        if (test(A, B.v[i], B.edge[i], B.dir(i))) {
            return true;
        }
    }
    for (int i = 0; i < 3; ++i) {
        if (test(B, A.v[i], A.edge[i], A.dir(i))) {
            return true;
        }
    }
    return false;
}

// ---- Proofs that the answer is false ---------------------------------------
//
// M bounds the length of every point involved (M^2 is the largest squared
// length; all finite, M at most 1e30), so differences are at most 2M long.
// n is a triangle's computed normal e1 x e2; distances to its plane are
// taken as d = n . (q - p0), |n| times the true distance.
//
// Crossing. The crossing test of a segment from B0 to B1 = B0 + b solves
// with det = e1 . (e2 x -b) and u = e1 . (e2 x r) / det, r = B0 - p0. In
// exact arithmetic on the computed e1, e2, these triple products are
// n' . r = d0 and d0 - d1 (n' = e1 x e2 exact, d1 = n' . (r + b)), so
// u = d0 / (d0 - d1), outside [0, 1] when d0 and d1 have one sign. Each
// triple product is exact to within 5 eps |x| |y| |z| <= 5 eps 4 M^2 4 M,
// n differs from n' by at most 1.5 eps |e1| |e2| <= 6 eps M^2, and the
// computed d by 3 u |n| 4 M <= 24 eps M^3 more: when the computed d0 and d1
// share their sign and both exceed 2048 eps M^3, the computed u lies
// outside [0, 1] (its numerator and the difference of numerator and
// denominator keep their signs, with room for the rounding of the
// quotient). Such a crossing test is false and is not run.
//
// Separations. Let sigma = 1e-3 and E = 128 eps M / sigma^2 + 1e-8 tol.
// Call a triangle well shaped when |n| >= sigma |e1| |e2| (no angle below
// about 0.06 degrees), and a segment b steep to it when |n . b| >= sigma
// |n| |b|. A sub-test of a segment S against a well-shaped triangle T
// answers true only if some point Q of S and some point Z of T lie within
// tol + E of each other, the crossing test when S is also steep to T:
//  - The segment test and the on-segment test compare computed points
//    closer than 1e-15, which lie within 8 u M of S and of T's edges.
//  - The inside test, the crossing test and the in-plane rule solve 3 x 3
//    systems by Cramer's rule. Well shaped (and steep, for the crossing)
//    make each determinant at least sigma^2 times the product of its column
//    lengths (|n| for the normal column), so each unknown accepted within
//    [0, 1] moves its point by at most 5 eps (|r| + |column|) / sigma^2 <=
//    20 eps M / sigma^2 from the exact solution, whose points coincide
//    (crossing) or differ by the offset from the plane, below tol (inside
//    test, in-plane rule, where the computed unit normal adds at most
//    8 eps M / sigma). Three moves and the rest stay below E.
// So when both triangles are well shaped and every edge is steep to the
// other triangle or excluded from crossing it (the triangle and the
// segment, for the segment test), any separation of the two by more than
// tol + E proves every sub-test false: a plane of one triangle with all
// points of the other beyond it, an axis of the boxes, or an edge-cross axis
// (separating axes). The tests below demand reach = tol + 2E, which covers
// the rounding of the separations themselves.

const double kSigma2 = 1e-6;
const double kEps = std::numeric_limits<double>::epsilon();

// The largest squared length of count points (as vectors) and m; NaN when
// a coordinate is NaN, infinite when one is.
double largest_square(const Kv3dPoint* p, int count, double m) {
    for (int i = 0; i < count; ++i) {
        const Kv3dVector a = p[i].as_vector();
        const double s = a % a;
        m = s > m || s != s ? s : m;
    }
    return m;
}

// The bounds of the proofs for points of squared length up to mm; none
// applies (applies() false) beyond M = sqrt(mm) = 1e30 or for NaN.
class Bounds {
public:
    explicit Bounds(double mm) {
        if (mm <= 1e60) {  // false for NaN
            const double tol = Kv3dResObj::same_point_tol();
            const double m = std::sqrt(mm);
            reach_ = tol + 2.0 * (128.0 * kEps * m / kSigma2 + 1e-8 * tol);
            crossing_ = 2048.0 * kEps * mm * m;
            slack_ = 256.0 * kEps * mm * m;
        }
    }

    bool applies() const { return reach_ > 0.0; }
    double reach() const { return reach_; }
    // Plane distances (times |n|) beyond which no crossing test is true.
    double crossing() const { return crossing_; }
    // Rounding of the projections onto an edge-cross axis together: the two
    // ends of the edge the axis is perpendicular to project alike to within
    // it (|axis| <= 4 M^2).
    double projection_slack() const { return slack_; }

private:
    double reach_ = 0.0;
    double crossing_ = 0.0;
    double slack_ = 0.0;
};

// The box of count points.
struct Box {
    Box(const Kv3dPoint* p, int count) {
        for (int k = 0; k < 3; ++k) {
            lo[k] = hi[k] = p[0][k];
        }
        for (int i = 1; i < count; ++i) {
            for (int k = 0; k < 3; ++k) {
                const double x = p[i][k];
                lo[k] = x < lo[k] ? x : lo[k];
                hi[k] = x > hi[k] ? x : hi[k];
            }
        }
    }

    double lo[3];
    double hi[3];
};

bool boxes_apart(const Box& a, const Box& b, double reach) {
    for (int k = 0; k < 3; ++k) {
        if (b.lo[k] - a.hi[k] > reach || a.lo[k] - b.hi[k] > reach) {
            return true;
        }
    }
    return false;
}

bool well_shaped(const Prepared& P) { return P.nn >= kSigma2 * ((P.e1 % P.e1) * (P.e2 % P.e2)); }

bool steep(const Prepared& P, const Kv3dVector& b, double bb) {
    const double d = P.n % b;
    return d * d >= kSigma2 * (P.nn * bb);
}

// Two plane distances on one side beyond limit.
bool same_side(double d0, double d1, double limit) {
    return (d0 > limit && d1 > limit) || (d0 < -limit && d1 < -limit);
}

// The distances (times |n|) of a triangle S's vertices to the plane of T,
// and what they prove.
class Side {
public:
    Side(const Prepared& T, const Prepared& S) {
        for (int i = 0; i < 3; ++i) {
            d[i] = T.n % (S.v[i] - T.v[0]);
        }
        lo_ = d[0] < d[1] ? d[0] : d[1];
        lo_ = d[2] < lo_ ? d[2] : lo_;
        hi_ = d[0] > d[1] ? d[0] : d[1];
        hi_ = d[2] > hi_ ? d[2] : hi_;
    }

    // All of S beyond limit on one side.
    bool beyond(double limit) const { return lo_ > limit || hi_ < -limit; }
    // All of S within limit of the plane.
    bool within(double limit) const { return lo_ >= -limit && hi_ <= limit; }
    // Edge i of S excluded from crossing T's plane.
    bool excluded(int i, double crossing) const {
        return same_side(d[i], d[i == 2 ? 0 : i + 1], crossing);
    }
    // Every edge of S steep to T or excluded from crossing it.
    bool reliable(const Prepared& T, const Prepared& S, double crossing) const {
        if (beyond(crossing)) {
            return true;
        }
        for (int i = 0; i < 3; ++i) {
            if (!excluded(i, crossing) && !steep(T, S.edge[i], S.edge[i] % S.edge[i])) {
                return false;
            }
        }
        return true;
    }

    double d[3];

private:
    double lo_;
    double hi_;
};

// The intervals [lo_a, hi_a] and [lo_b, hi_b] of two point sets projected
// on the axis x lie more than reach |x| + slack apart (compared squared).
bool apart_on_axis(double lo_a, double hi_a, double lo_b, double hi_b, const Kv3dVector& x,
                   double reach, double slack) {
    const double gap = (lo_b - hi_a > lo_a - hi_b ? lo_b - hi_a : lo_a - hi_b) - slack;
    return gap > 0.0 && gap * gap > (reach * reach) * (x % x);
}

// The projections on x of a vertex on the edge x is perpendicular to and of
// the vertex off it.
void project(const Kv3dVector& x, const Kv3dPoint& on_edge, const Kv3dPoint& off, double& lo,
             double& hi) {
    const double a = x % on_edge.as_vector();
    const double b = x % off.as_vector();
    lo = a < b ? a : b;
    hi = a < b ? b : a;
}

// Separation along an axis a x b, a an edge of one triangle and b of the
// other.
bool apart_along_edge_axes(const Prepared& A, const Prepared& B, const Bounds& bounds) {
    const double slack = bounds.projection_slack();
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            const Kv3dVector x = A.edge[i] * B.edge[j];
            double lo_a, hi_a, lo_b, hi_b;
            project(x, A.v[i], A.v[(i + 2) % 3], lo_a, hi_a);
            project(x, B.v[j], B.v[(j + 2) % 3], lo_b, hi_b);
            if (apart_on_axis(lo_a, hi_a, lo_b, hi_b, x, bounds.reach(), slack)) {
                return true;
            }
        }
    }
    return false;
}

// The same for a segment B0 + u b against a triangle: axes edge x b, on
// which the whole segment projects like B0.
bool apart_along_edge_axes(const Prepared& P, const Kv3dPoint& B0, const Kv3dVector& b,
                           const Bounds& bounds) {
    const double slack = bounds.projection_slack();
    for (int i = 0; i < 3; ++i) {
        const Kv3dVector x = P.edge[i] * b;
        double lo_a, hi_a;
        project(x, P.v[i], P.v[(i + 2) % 3], lo_a, hi_a);
        const double at = x % B0.as_vector();
        if (apart_on_axis(lo_a, hi_a, at, at, x, bounds.reach(), slack)) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool Kv3dTriangle::intersect(const Kv3dLine& line) const {
    if (!valid_ || line.vector().numerical_zero()) {
        return false;
    }
    Prepared P(*this);
    const Kv3dPoint& B0 = line.basepoint();
    const Kv3dVector& b = line.vector();
    const Kv3dPoint ends[2] = {B0, B0 + b};
    const Bounds bounds(largest_square(ends, 2, largest_square(P.v, 3, 0.0)));
    if (!bounds.applies()) {
        return segment_test(P, B0, b, b.direction());
    }
    // Distances of the segment's ends to the plane, times |n|.
    const double d0 = P.n % (ends[0] - P.v[0]);
    const double d1 = P.n % (ends[1] - P.v[0]);
    const double reach = bounds.reach();
    const double n_reach = reach * std::sqrt(P.nn);
    if (std::fabs(d0) <= n_reach && std::fabs(d1) <= n_reach) {
        return segment_test(P, B0, b, b.direction());  // in the plane, as above
    }
    const bool excluded = same_side(d0, d1, bounds.crossing());
    if (!excluded && crosses_plane_inside(P, B0, b)) {
        return true;
    }
    if (well_shaped(P) && (excluded || steep(P, b, b % b))) {
        if (same_side(d0, d1, n_reach) || apart_along_edge_axes(P, B0, b, bounds) ||
            boxes_apart(Box(P.v, 3), Box(ends, 2), reach)) {
            return false;
        }
    }
    return meets_but_crossing(P, B0, b, b.direction());
}

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
    Prepared A(*this);
    Prepared B(other);
    const Bounds bounds(largest_square(B.v, 3, largest_square(A.v, 3, 0.0)));
    if (!bounds.applies()) {
        return any_edge(A, B, segment_test);
    }
    const Side b_to_a(A, B);  // B's vertices against A's plane
    const Side a_to_b(B, A);
    const double reach = bounds.reach();
    const double a_reach = reach * std::sqrt(A.nn);
    const double b_reach = reach * std::sqrt(B.nn);
    // Triangles each within reach of the other's plane (coplanar ones) meet,
    // if at all, at their edges or in the plane: the written order suits them.
    if (b_to_a.within(a_reach) && a_to_b.within(b_reach)) {
        return any_edge(A, B, segment_test);
    }
    const double crossing = bounds.crossing();
    // The separations hold only when both are well shaped and every edge
    // steep or excluded from crossing (decided on first use).
    int eligible = -1;
    auto proven = [&](bool separated) {
        if (separated && eligible < 0) {
            eligible = well_shaped(A) && well_shaped(B) && b_to_a.reliable(A, B, crossing) &&
                               a_to_b.reliable(B, A, crossing)
                           ? 1
                           : 0;
        }
        return separated && eligible == 1;
    };
    if (proven(b_to_a.beyond(a_reach) || a_to_b.beyond(b_reach))) {
        return false;
    }
    for (int i = 0; i < 3; ++i) {
        if ((!b_to_a.excluded(i, crossing) && crosses_plane_inside(A, B.v[i], B.edge[i])) ||
            (!a_to_b.excluded(i, crossing) && crosses_plane_inside(B, A.v[i], A.edge[i]))) {
            return true;
        }
    }
    if (proven(true) &&
        (apart_along_edge_axes(A, B, bounds) || boxes_apart(Box(A.v, 3), Box(B.v, 3), reach))) {
        return false;
    }
    return any_edge(A, B, meets_but_crossing);
}
