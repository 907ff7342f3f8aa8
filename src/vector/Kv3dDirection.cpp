#include <kv3d/Kv3dDirection.h>

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
