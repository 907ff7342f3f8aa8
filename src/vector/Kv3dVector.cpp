#include <kv3d/Kv3dVector.h>

KvJournal& operator<<(KvJournal& journal, const Kv3dVector& v) {
    return journal << "Kv3dVector( " << v.x() << ", " << v.y() << ", " << v.z() << ")";
}

void Kv3dVector::debug(KvJournal& journal, KvDebug level, bool, int indent) const {
    if (static_cast<int>(level) <= 1) {
        return;
    }
    Kv_DebugIndentation(journal, indent);
    journal << *this << kvEndExpr;
}
