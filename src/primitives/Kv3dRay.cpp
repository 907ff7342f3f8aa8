#include <kv3d/Kv3dRay.h>

void Kv3dRay::debug(KvJournal& journal, KvDebug level, bool, int indent) const {
    if (static_cast<int>(level) <= 1) {
        return;
    }
    Kv_DebugIndentation(journal, indent);
    journal << "Kv3dRay( point        : " << point_ << kvEndExpr;
    Kv_DebugIndentation(journal, indent);
    journal << "         direction    : " << direction_ << kvEndExpr;
    Kv_DebugIndentation(journal, indent);
    journal << "        )          " << kvEndExpr;
}

KvJournal& operator<<(KvJournal& journal, const Kv3dRay& r) {
    return journal << "Kv3dRay( " << r.point() << " , " << r.direction() << ")";
}
