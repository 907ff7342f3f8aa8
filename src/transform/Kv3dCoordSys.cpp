#include <kv3d/Kv3dCoordSys.h>
#include <kv3d/Kv3dResObj.h>

#include <cmath>

Kv3dCoordSys::~Kv3dCoordSys() = default;

Kv3dPoint Kv3dCoordSys::evaluate(const KvUVWPar& par) const {
    return ((basepoint_ + xt_axis_ * par.u) + yt_axis_ * par.v) + zt_axis_ * par.w;
}

KvUVWPar Kv3dCoordSys::find_parameter(const Kv3dPoint& q) const {
    // Cramer's rule: with det = (x × y) · z, u = s · (y × z), v = s · (z × x),
    // w = s · (x × y) for s = (q - basepoint) / det.
    const double det = (xt_axis_ * yt_axis_) % zt_axis_;
    if (!(std::fabs(det) > 1e-20)) {
        return KvUVWPar(0.0, 0.0, 0.0);
    }
    const Kv3dVector s = (q - basepoint_) * (1.0 / det);
    return KvUVWPar(s % (yt_axis_ * zt_axis_), s % (zt_axis_ * xt_axis_),
                    s % (xt_axis_ * yt_axis_));
}

bool Kv3dCoordSys::geom_valid() const {
    // l = |x| |y| |z|, V = |(x × y) · z|; V / l is the volume of the system
    // with unit axes. Written as "both bounds hold" so that a NaN anywhere
    // makes the system invalid.
    const double tol = Kv3dResObj::same_point_tol();
    const double l = xt_axis_.length() * yt_axis_.length() * zt_axis_.length();
    const double V = std::fabs((xt_axis_ * yt_axis_) % zt_axis_);
    return l >= tol && V >= tol * l;
}

void Kv3dCoordSys::write_debug(KvJournal& journal, const char* name, int indent) const {
    const int inner = indent + Kv_DebugIndentStep();
    Kv_DebugIndentation(journal, indent);
    journal << name << kvEndExpr;
    Kv_DebugIndentation(journal, inner);
    journal << "basepoint : " << basepoint_ << kvEndExpr;
    Kv_DebugIndentation(journal, inner);
    journal << "xt_axis   : " << xt_axis_ << kvEndExpr;
    Kv_DebugIndentation(journal, inner);
    journal << "yt_axis   : " << yt_axis_ << kvEndExpr;
    Kv_DebugIndentation(journal, inner);
    journal << "zt_axis   : " << zt_axis_ << kvEndExpr;
}

void Kv3dCoordSys::debug(KvJournal& journal, KvDebug level, bool, int indent) const {
    if (static_cast<int>(level) <= 1) {
        return;
    }
    write_debug(journal, "Kv3dCoordSys ", indent);
}
