#include <kv3d/Kv3dDirection.h>
#include <kv3d/Kv3dTransform.h>

KvJournal& operator<<(KvJournal& journal, const Kv3dDirection& v) {
    return journal << "Kv3dDirection( " << v.x() << ", " << v.y() << ", " << v.z() << ")";
}

void Kv3dDirection::debug(KvJournal& journal, KvDebug level, bool, int indent) const {
    if (static_cast<int>(level) <= 1) {
        return;
    }
    Kv_DebugIndentation(journal, indent);
    journal << *this << kvEndExpr;
}

// A d, renormalised: a direction that A maps to (numerically) zero becomes
// the zero direction.
Kv3dDirection& Kv3dDirection::apply(const Kv3dTransform& T) {
    Kv3dVector v(c_[0], c_[1], c_[2]);
    v.apply(T);
    *this = v.direction();
    return *this;
}
