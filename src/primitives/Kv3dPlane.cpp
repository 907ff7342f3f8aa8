#include <kv3d/Kv3dBBox.h>
#include <kv3d/Kv3dPlane.h>
#include <kv3d/Kv3dTransform.h>

#include <cmath>

namespace {

// Least-squares (u, v) of w = u a + v b through the 2 x 2 normal equations.
// A zero determinant (parallel or zero axes) gives non-finite parameters.
KvUVPar solve_uv(const Kv3dVector& w, const Kv3dVector& a, const Kv3dVector& b) {
    const double aa = a % a;
    const double bb = b % b;
    const double ab = a % b;
    const double wa = w % a;
    const double wb = w % b;
    const double det = aa * bb - ab * ab;
    return KvUVPar((wa * bb - wb * ab) / det, (wb * aa - wa * ab) / det);
}

// Unit vector perpendicular to n in the coordinate plane where n's
// projection is longest (earlier cases win ties).
Kv3dVector default_u_axis(const Kv3dDirection& n) {
    const double nx = n.x(), ny = n.y(), nz = n.z();
    const double m_xy = std::sqrt(nx * nx + ny * ny);
    const double m_xz = std::sqrt(nx * nx + nz * nz);
    const double m_yz = std::sqrt(ny * ny + nz * nz);
    if (m_xy >= m_xz && m_xy >= m_yz) {
        const double s = m_xy > 1e-20 ? 1.0 / m_xy : 1.0;
        return Kv3dVector(-ny * s, nx * s, 0.0);
    }
    if (m_xz >= m_yz) {
        const double s = m_xz > 1e-20 ? 1.0 / m_xz : 1.0;
        return Kv3dVector(-nz * s, 0.0, nx * s);
    }
    const double s = m_yz > 1e-20 ? 1.0 / m_yz : 1.0;
    return Kv3dVector(0.0, -nz * s, ny * s);
}

}  // namespace

Kv3dPlane::Kv3dPlane(const Kv3dPoint& p, const Kv3dDirection& n, const Kv3dVector* u)
    : normal_(n), basepoint_(p) {
    if (u != nullptr) {
        u_axis_ = *u;
        if (!n.orthogonal(u_axis_)) {
            u_axis_ = u_axis_ - (n % u_axis_) * n;
        }
    } else {
        u_axis_ = default_u_axis(n);
    }
    v_axis_ = n * u_axis_;
}

KvUVPar Kv3dPlane::find_parameter(const Kv3dPoint& p) const {
    const Kv3dLine line(p, Kv3dVector(normal_, 1.0));
    KvUVPar result(0.0, 0.0);
    if (line.vector().orthogonal(normal_)) {
        return result;
    }
    // Foot of the perpendicular from p.
    const double t =
        ((normal_ % basepoint_.as_vector()) - (normal_ % p.as_vector())) / (normal_ % normal_);
    const Kv3dPoint x = line.evaluate(t);
    result = solve_uv(x - basepoint_, u_axis_, v_axis_);
    return result;
}

Kv3d::IntersectionType Kv3dPlane::intersect(const Kv3dLine& l, Kv3dPoint* point, KvUVPar* uv,
                                            double* t) const {
    if (l.vector().orthogonal(normal_)) {
        return std::fabs(normal_ % (l.basepoint() - basepoint_)) < Kv3dResObj::same_point_tol()
                   ? Kv3d::CONTAINED
                   : Kv3d::PARALLEL;
    }
    if (point == nullptr && uv == nullptr && t == nullptr) {
        return Kv3d::INTERSECTING;
    }
    // normal % (basepoint(l) + s vector(l)) = normal % basepoint, solved for s.
    const double s = ((normal_ % basepoint_.as_vector()) - (normal_ % l.basepoint().as_vector())) /
                     (normal_ % l.vector());
    const Kv3dPoint x = l.evaluate(s);
    if (point != nullptr) {
        *point = x;
    }
    if (uv != nullptr) {
        *uv = solve_uv(x - basepoint_, u_axis_, v_axis_);
    }
    if (t != nullptr) {
        *t = s;
    }
    return Kv3d::INTERSECTING;
}

Kv3d::IntersectionType Kv3dPlane::intersect(const Kv3dPlane& q, Kv3dLine* line) const {
    const Kv3dVector c = normal_ * q.normal_;
    if (c.geom_zero()) {
        return std::fabs(normal_ % (q.basepoint_ - basepoint_)) < Kv3dResObj::same_point_tol()
                   ? Kv3d::COINCIDENT
                   : Kv3d::PARALLEL;
    }
    if (line == nullptr) {
        return Kv3d::INTERSECTING;
    }
    // The point of the common line whose coordinate k is 0, k being the axis
    // of the largest component of c = N x Q: the remaining 2 x 2 system of
    // N % X = hN, Q % X = hQ has determinant +-c_k, the best conditioned one.
    const Kv3dDirection& N = normal_;
    const Kv3dDirection& Q = q.normal_;
    const double hN = N % basepoint_.as_vector();
    const double hQ = Q % q.basepoint_.as_vector();
    const double ax = std::fabs(c.x()), ay = std::fabs(c.y()), az = std::fabs(c.z());
    Kv3dPoint x;
    if (ax > ay && ax > az) {
        x = Kv3dPoint(0.0, (Q.z() * hN - hQ * N.z()) / c.x(), (hQ * N.y() - Q.y() * hN) / c.x());
    } else if (!(ax > ay) && ay > az) {
        x = Kv3dPoint(-(Q.z() * hN - hQ * N.z()) / c.y(), 0.0, -(hQ * N.x() - Q.x() * hN) / c.y());
    } else {
        x = Kv3dPoint((Q.y() * hN - hQ * N.y()) / c.z(), (hQ * N.x() - Q.x() * hN) / c.z(), 0.0);
    }
    *line = Kv3dLine(x, c);
    return Kv3d::INTERSECTING;
}

bool Kv3dPlane::intersect(const Kv3dBBox& box) const {
    // An empty box holds no point; its sentinel corners would otherwise
    // straddle every plane through the model space.
    if (box.is_empty()) {
        return false;
    }
    const double tol = Kv3dResObj::same_point_tol();
    const Kv3dPoint& a = box.bbmin();
    const Kv3dPoint& b = box.bbmax();
    // From the minimum corner, one coordinate changed at a time.
    const Kv3dPoint corners[8] = {a,
                                  Kv3dPoint(b.x(), a.y(), a.z()),
                                  Kv3dPoint(b.x(), b.y(), a.z()),
                                  Kv3dPoint(a.x(), b.y(), a.z()),
                                  Kv3dPoint(a.x(), b.y(), b.z()),
                                  b,
                                  Kv3dPoint(b.x(), a.y(), b.z()),
                                  Kv3dPoint(a.x(), a.y(), b.z())};
    const double d0 = distance(corners[0]);
    if (std::fabs(d0) < tol) {
        return true;
    }
    for (int i = 1; i < 8; ++i) {
        const double d = distance(corners[i]);
        if (std::fabs(d) < tol || d * d0 <= 0.0) {
            return true;
        }
    }
    return false;
}

Kv3dPlane& Kv3dPlane::apply(const Kv3dTransform& T) {
    basepoint_.apply(T);
    u_axis_.apply(T);
    v_axis_.apply(T);
    set_normal();
    return *this;
}

void Kv3dPlane::debug(KvJournal& journal, KvDebug level, bool, int indent) const {
    if (static_cast<int>(level) <= 1) {
        return;
    }
    Kv_DebugIndentation(journal, indent);
    journal << "           basepoint: " << basepoint_ << kvEndExpr;
    Kv_DebugIndentation(journal, indent);
    journal << "Kv3dPlane( normal   : " << normal_ << kvEndExpr;
    Kv_DebugIndentation(journal, indent);
    journal << "           u_axis   : " << u_axis_ << kvEndExpr;
    Kv_DebugIndentation(journal, indent);
    journal << "           v_axis   : " << v_axis_ << kvEndExpr;
    Kv_DebugIndentation(journal, indent);
    journal << "         )" << kvEndExpr;
}

KvJournal& operator<<(KvJournal& journal, const Kv3dPlane& plane) {
    return journal << "Kv3dPlane( " << plane.basepoint() << " , " << plane.normal() << " , "
                   << plane.u_axis() << " , " << plane.v_axis() << ")";
}

// The transform that scales distances from the plane by f (a mirror for
// f = -1, a projection onto the plane for f = 0). It lives with the plane,
// whose layer lies above the transform's.
Kv3dTransform::Kv3dTransform(const Kv3dPlane& plane, double f) : Kv3dTransform() {
    // In a frame whose z axis is the plane normal: z scaled by f. Only f = 1
    // and f = -1 leave the linear part orthonormal, so only they are marked
    // (invert() transposes a marked transform).
    m_[10] = f;
    conjugate_about_axis(plane.basepoint(), plane.normal());
    orthonormal_ = f == 1.0 || f == -1.0;
}
