#include <kv3d/Kv3dPoint.h>

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
