#include <kv3d/Kv3dBBox.h>
#include <kv3d/Kv3dCoordSys.h>
#include <kv3d/Kv3dLine.h>
#include <kv3d/Kv3dTransform.h>

#include <cmath>

double Kv3dLine::distance(const Kv3dLine& l) const {
    if (vector_.parallel(l.vector_)) {
        return l.basepoint_.distance(image(l.basepoint_));
    }
    // Length of the offset along the common perpendicular.
    const Kv3dDirection n = (vector_ * l.vector_).direction();
    const Kv3dVector d = l.basepoint_ - basepoint_;
    return std::fabs(n % d);
}

Kv3d::IntersectionType Kv3dLine::intersect(const Kv3dLine& l, Kv3dPoint* point, double* t_this,
                                           double* t_other) const {
    const bool near = Kv3dResObj::same_point_tol() > distance(l);
    if (vector_.parallel(l.vector_)) {
        return near ? Kv3d::COINCIDENT : Kv3d::PARALLEL;
    }
    const Kv3d::IntersectionType result = near ? Kv3d::INTERSECTING : Kv3d::SKEW;
    if (point == nullptr && t_this == nullptr && t_other == nullptr) {
        return result;
    }
    // In the frame (l.basepoint; l.vector, w, vector) with w = l.vector x vector
    // this basepoint has coordinates (a, b, c):
    //   basepoint = l.basepoint + a l.vector + b w + c vector,
    // so l(a) and this(-c) differ by b w alone, which is perpendicular to
    // both lines: they are the mutually nearest points.
    const Kv3dVector w = l.vector_ * vector_;
    const Kv3dCoordSys frame(l.basepoint_, l.vector_, w, vector_);
    const Kv3dTransform to_frame(frame, Kv3dTransform::GLOBAL_TO_LOCAL);
    Kv3dPoint local = basepoint_;
    local.apply(to_frame);
    const double t = -local.z();
    if (near && point != nullptr) {
        *point = evaluate(t);
    }
    if (t_this != nullptr) {
        *t_this = t;
    }
    if (t_other != nullptr) {
        *t_other = local.x();
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
