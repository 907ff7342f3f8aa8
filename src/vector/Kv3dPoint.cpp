#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dTolerance.h>

#include <cmath>

KvJournal& operator<<(KvJournal& journal, const Kv3dPoint& v) {
    return journal << "Kv3dPoint( " << v.x() << ", " << v.y() << ", " << v.z() << ")";
}

void Kv3dPoint::debug(KvJournal& journal, KvDebug level, bool, int indent) const {
    if (static_cast<int>(level) <= 1) {
        return;
    }
    Kv_DebugIndentation(journal, indent);
    journal << *this << kvEndExpr;
}

bool Kv3d_same_location(const Kv3dPoint& a, const Kv3dPoint& b, double tol) {
    const double dx = a.x() - b.x();
    const double dy = a.y() - b.y();
    const double dz = a.z() - b.z();
    if (std::fabs(dx) > tol || std::fabs(dy) > tol || std::fabs(dz) > tol) {
        return false;
    }
    return dx * dx + dy * dy + dz * dz <= tol * tol;
}
