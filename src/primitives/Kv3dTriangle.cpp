#include <kv3d/Kv3dTriangle.h>

#include <kv3d/Kv3dResObj.h>
#include <kv3d/Kv3dTolerance.h>

#include <algorithm>
#include <cmath>

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

// A triangle ready for segment tests: its edges p0 -> p1, p1 -> p2, p2 -> p0
// as start points, vectors and unit directions, the spanning vectors
// e1 = p1 - p0 and e2 = p2 - p0, the normal n = e1 x e2 and its direction.
// Built once per query, so that testing several segments against the same
// triangle normalises each edge only once.
struct Prepared {
    explicit Prepared(const Kv3dTriangle& t)
        : v{t.p0(), t.p1(), t.p2()},
          edge{t.p1() - t.p0(), t.p2() - t.p1(), t.p0() - t.p2()},
          dir{edge[0].direction(), edge[1].direction(), edge[2].direction()},
          e1(t.p1() - t.p0()),
          e2(t.p2() - t.p0()),
          n(e1 * e2),
          nd(n.direction()) {}

    Kv3dPoint v[3];
    Kv3dVector edge[3];
    Kv3dDirection dir[3];
    Kv3dVector e1;
    Kv3dVector e2;
    Kv3dVector n;
    Kv3dDirection nd;
};

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
    const double u = triple(a, r, nb) / det;
    const double w = triple(a, c, r) / det;
    if (!in_unit_interval(s) || !in_unit_interval(u) || !in_unit_interval(w)) {
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
    const double t = triple(P.e1, r, nb) / det;
    const double u = triple(P.e1, P.e2, r) / det;
    return s >= 0.0 && t >= 0.0 && s + t <= 1.0 && u >= 0.0 && u <= 1.0;
}

// The edge-by-edge test: an edge parallel to the segment decides by the
// point test of the segment's start, any other edge by the segment test;
// then the crossing of the plane. dl is b's direction; the opposite
// direction's dot product with an edge direction is exactly the negated one.
bool edges_or_crossing(const Prepared& P, const Kv3dPoint& B0, const Kv3dVector& b,
                       const Kv3dDirection& dl) {
    for (int i = 0; i < 3; ++i) {
        const double c = dl % P.dir[i];
        const bool parallel = c >= kParallelCos || -c >= kParallelCos;
        if (parallel ? point_test(P, B0) : segments_meet(P.v[i], P.edge[i], B0, b)) {
            return true;
        }
    }
    return crosses_plane_inside(P, B0, b);
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
bool meets_in_plane(const Prepared& P, const Kv3dPoint& B0, const Kv3dVector& b) {
    if (P.nd.x() == 0.0 && P.nd.y() == 0.0 && P.nd.z() == 0.0) {
        return false;
    }
    const double tol = Kv3dResObj::same_point_tol();
    const Kv3dPoint B1 = B0 + b;
    if (!(std::fabs(P.nd % (B0 - P.v[0])) < tol) || !(std::fabs(P.nd % (B1 - P.v[0])) < tol)) {
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

// The segment B0 + u b, 0 <= u <= 1, against a triangle whose flag is true.
bool segment_meets(const Prepared& P, const Kv3dPoint& B0, const Kv3dVector& b,
                   const Kv3dDirection& dl) {
    if (b.numerical_zero()) {
        return false;
    }
    return edges_or_crossing(P, B0, b, dl) || meets_in_plane(P, B0, b);
}

void write_vertex(KvJournal& journal, const char* label, const Kv3dPoint& p) {
    journal << label << p.x() << ", " << p.y() << ", " << p.z() << ")" << kvEndExpr;
}

}  // namespace

Kv3dDirection Kv3dTriangle::normal() const {
    if (!valid_) {
        return Kv3dDirection(0.0, 0.0, 1.0);
    }
    const Kv3dVector n = (p1_ - p0_) * (p2_ - p0_);
    return Kv3dDirection(n.x(), n.y(), n.z());
}

double Kv3dTriangle::area() const {
    if (!valid_) {
        return 0.0;
    }
    return ((p1_ - p0_) * (p2_ - p0_)).length() * 0.5;
}

Kv3dPoint Kv3dTriangle::center_of_area() const {
    if (!valid_) {
        return Kv3dPoint(0.0, 0.0, 0.0);
    }
    return Kv3dPoint((p0_.x() + p1_.x() + p2_.x()) / 3.0, (p0_.y() + p1_.y() + p2_.y()) / 3.0,
                     (p0_.z() + p1_.z() + p2_.z()) / 3.0);
}

Kv3dBBox Kv3dTriangle::bbox() const {
    if (!valid_) {
        return Kv3dBBox();
    }
    Kv3dBBox box(p0_);
    box.update_bbox(p1_);
    box.update_bbox(p2_);
    return box;
}

// With n = e1 x e2 and q the projection of p into the plane, the weight of a
// vertex is the signed area of the opposite sub-triangle at q over the whole:
// w0 = n . ((p1 - q) x (p2 - q)) / (n . n), w1 likewise, w2 = 1 - w0 - w1.
// Without a plane (a vanishing edge, or collinear vertices, where n . n = 0)
// p is projected onto the first edge line that is not geom_zero.
KvTrianglePar Kv3dTriangle::find_parameter(const Kv3dPoint& p) const {
    if (numerical_valid()) {
        const Kv3dVector n = (p1_ - p0_) * (p2_ - p0_);
        if (!Kv3d_numerical_zero(n)) {
            const double nn = n % n;
            const Kv3dPoint q = p - n * ((n % (p - p0_)) / nn);
            const double w0 = (n % ((p1_ - q) * (p2_ - q))) / nn;
            const double w1 = (n % ((p2_ - q) * (p0_ - q))) / nn;
            return KvTrianglePar(w0, w1, 1.0 - w0 - w1);
        }
    }
    const Kv3dPoint* const from[3] = {&p0_, &p1_, &p2_};
    const Kv3dPoint* const to[3] = {&p1_, &p2_, &p0_};
    for (int i = 0; i < 3; ++i) {
        const Kv3dVector v = *to[i] - *from[i];
        if (v.geom_zero()) {
            continue;
        }
        const double t = (v % (p - *from[i])) / (v % v);
        switch (i) {
            case 0:
                return KvTrianglePar(1.0 - t, t, 0.0);
            case 1:
                return KvTrianglePar(0.0, 1.0 - t, t);
            default:
                return KvTrianglePar(t, 0.0, 1.0 - t);
        }
    }
    return KvTrianglePar(1.0 / 3.0, 1.0 / 3.0, 1.0 / 3.0);
}

Kv3dTriangle& Kv3dTriangle::apply(const Kv3dTransform& T) {
    p0_.apply(T);
    p1_.apply(T);
    p2_.apply(T);
    valid_ = numerical_valid();
    return *this;
}

bool Kv3dTriangle::intersect(const Kv3dLine& line) const {
    if (!valid_ || line.vector().numerical_zero()) {
        return false;
    }
    const Prepared P(*this);
    return segment_meets(P, line.basepoint(), line.vector(), line.vector().direction());
}

// Every edge of other against this triangle, then every edge of this against
// other, each exactly as intersect(const Kv3dLine&) decides it. The edge
// vector of a prepared triangle is the segment vector, so its direction is
// the prepared one.
bool Kv3dTriangle::intersect(const Kv3dTriangle& other) const {
    if (!valid_ || !other.numerical_valid()) {
        return false;
    }
    const Prepared A(*this);
    const Prepared B(other);
    for (int i = 0; i < 3; ++i) {
        if (segment_meets(A, B.v[i], B.edge[i], B.dir[i])) {
            return true;
        }
    }
    for (int i = 0; i < 3; ++i) {
        if (segment_meets(B, A.v[i], A.edge[i], A.dir[i])) {
            return true;
        }
    }
    return false;
}

KvJournal& operator<<(KvJournal& journal, const Kv3dTriangle& t) {
    write_vertex(journal, "Kv3dTriangle p0 (", t.p0());
    write_vertex(journal, "             p1 (", t.p1());
    write_vertex(journal, "             p2 (", t.p2());
    return journal;
}

void Kv3dTriangle::debug(KvJournal& journal, KvDebug level, bool, int depth) const {
    if (static_cast<int>(level) <= 1) {
        return;
    }
    Kv_DebugIndentation(journal, depth);
    journal << *this << kvEndExpr;
}
