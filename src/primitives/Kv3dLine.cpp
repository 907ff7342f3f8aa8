#include <kv3d/Kv3dBBox.h>
#include <kv3d/Kv3dCoordSys.h>
#include <kv3d/Kv3dLine.h>
#include <kv3d/Kv3dTransform.h>
#include <kvla/KvLaInverse.h>

#include <cmath>

namespace {

// vector_.parallel(l.vector_) of two vectors that may be anything: true when
// either is geom_zero, else when their directions agree or are opposite. The
// direction of -b is exactly the negated direction of b (the same sum of
// squares, the same factor), so one dot product serves both comparisons.
bool parallel_vectors(const Kv3dVector& a, const Kv3dVector& b) {
    if (a.geom_zero() || b.geom_zero()) {
        return true;
    }
    const double c = a.direction() % b.direction();
    const double same = Kv3dResObj::same_angle_cos();
    return c >= same || -c >= same;
}

// The parameters a (along u) and c (along v) of the point q in the frame
// (p; u, w, v), w = u x v, by Cramer's rule on q - p = a u + b w + c v, when
// the rank test of the general inversion provably finds the 4 x 4 frame
// matrix [u w v p; 0 0 0 1] regular (see kvla_full_rank_bound: its
// column-scaled determinant is det / (|u| |w| |v| sqrt(1 + |p|^2)), and the
// triple product det is exact to within 4 eps |u| |w| |v|). The comparison
// runs on squares, within bounds that keep every product normal. False when
// the proof does not apply; a, c then unspecified.
bool frame_parameters(const Kv3dPoint& p, const Kv3dVector& u, const Kv3dVector& w,
                      const Kv3dVector& v, const Kv3dPoint& q, double& a, double& c) {
    const double uu = u % u;
    const double ww = w % w;
    const double vv = v % v;
    const Kv3dVector pv = p.as_vector();
    const double pp = pv % pv;
    const double lo = 1e-40;
    const double hi = 1e40;
    if (!(uu >= lo && uu <= hi && ww >= lo && ww <= hi && vv >= lo && vv <= hi && pp <= hi)) {
        return false;
    }
    const Kv3dVector wv = w * v;
    const Kv3dVector uw = u * w;
    const double det = u % wv;
    const double bound = kvla_full_rank_bound(1e-15);
    if (!(det * det > (bound * bound) * (((uu * ww) * vv) * (1.0 + pp)))) {
        return false;
    }
    const Kv3dVector r = q - p;
    a = (r % wv) / det;
    c = (r % uw) / det;
    return true;
}

}  // namespace

double Kv3dLine::distance(const Kv3dLine& l) const {
    if (parallel_vectors(vector_, l.vector_)) {
        return l.basepoint_.distance(image(l.basepoint_));
    }
    // Length of the offset along the common perpendicular.
    const Kv3dDirection n = (vector_ * l.vector_).direction();
    const Kv3dVector d = l.basepoint_ - basepoint_;
    return std::fabs(n % d);
}

Kv3d::IntersectionType Kv3dLine::intersect(const Kv3dLine& l, Kv3dPoint* point, double* t_this,
                                           double* t_other) const {
    const double tol = Kv3dResObj::same_point_tol();
    if (parallel_vectors(vector_, l.vector_)) {
        const bool near = tol > l.basepoint_.distance(image(l.basepoint_));
        return near ? Kv3d::COINCIDENT : Kv3d::PARALLEL;
    }
    const Kv3dVector c = vector_ * l.vector_;
    const bool near = tol > std::fabs(c.direction() % (l.basepoint_ - basepoint_));
    const Kv3d::IntersectionType result = near ? Kv3d::INTERSECTING : Kv3d::SKEW;
    if (point == nullptr && t_this == nullptr && t_other == nullptr) {
        return result;
    }
    // In the frame (l.basepoint; l.vector, w, vector) with w = l.vector x vector
    // this basepoint has coordinates (a, b, c):
    //   basepoint = l.basepoint + a l.vector + b w + c vector,
    // so l(a) and this(-c) differ by b w alone, which is perpendicular to
    // both lines: they are the mutually nearest points. w is -c exactly.
    const Kv3dVector w = -c;
    double a = 0.0;
    double cz = 0.0;
    if (!frame_parameters(l.basepoint_, l.vector_, w, vector_, basepoint_, a, cz)) {
        // The frame's transform by the general inversion (the zero matrix,
        // and so a = c = 0, when the frame is singular).
        const Kv3dCoordSys frame(l.basepoint_, l.vector_, w, vector_);
        Kv3dPoint local = basepoint_;
        local.apply(Kv3dTransform(frame, Kv3dTransform::GLOBAL_TO_LOCAL));
        a = local.x();
        cz = local.z();
    }
    const double t = -cz;
    if (near && point != nullptr) {
        *point = evaluate(t);
    }
    if (t_this != nullptr) {
        *t_this = t;
    }
    if (t_other != nullptr) {
        *t_other = a;
    }
    return result;
}

bool Kv3dLine::intersect(const Kv3dBBox& box) const {
    // An empty box holds no point, so no line meets it; its sentinel corners
    // would otherwise span the whole model space.
    if (box.is_empty()) {
        return false;
    }
    const double tol = Kv3dResObj::same_point_tol();
    const double eps = 2.220446049250313e-16;
    // Parameter interval of the line inside the slabs seen so far;
    // t_hi < t_lo means no slab has bounded it yet.
    double t_lo = 1.0;
    double t_hi = -1.0;
    const Kv3dPoint& mn = box.bbmin();
    const Kv3dPoint& mx = box.bbmax();
    for (int i = 0; i < 3; ++i) {
        const double a = vector_[i];
        const double b = basepoint_[i];
        if (std::fabs(a) < eps) {
            // The line runs along this slab: its coordinate must lie within
            // the slab widened by twice the tolerance.
            if (b < mn[i] - 2.0 * tol || b > mx[i] + 2.0 * tol) {
                return false;
            }
            continue;
        }
        const double lo = mn[i] - tol;
        const double hi = mx[i] + tol;
        double t1 = (lo - b) / a + eps;
        double t2 = (hi - b) / a - eps;
        if (t1 > t2) {
            const double s = t1;
            t1 = t2;
            t2 = s;
        }
        if (t_hi < t_lo) {
            t_lo = t1;
            t_hi = t2;
        } else {
            if (t_lo > t2 || t1 > t_hi) {
                return false;
            }
            t_lo = t_lo > t1 ? t_lo : t1;
            t_hi = t_hi < t2 ? t_hi : t2;
        }
    }
    return true;
}

Kv3dLine& Kv3dLine::apply(const Kv3dTransform& T) {
    basepoint_.apply(T);
    vector_.apply(T);
    return *this;
}

void Kv3dLine::debug(KvJournal& journal, KvDebug level, bool, int indent) const {
    if (static_cast<int>(level) <= 1) {
        return;
    }
    Kv_DebugIndentation(journal, indent);
    journal << "Kv3dLine( basepoint : " << basepoint_ << kvEndExpr;
    Kv_DebugIndentation(journal, indent);
    journal << "          vector    : " << vector_ << kvEndExpr;
    Kv_DebugIndentation(journal, indent);
    journal << "        )          " << kvEndExpr;
}

KvJournal& operator<<(KvJournal& journal, const Kv3dLine& l) {
    return journal << "Kv3dLine( " << l.basepoint() << " , " << l.vector() << ")";
}
