#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dTransform.h>

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

Kv3dPoint& Kv3dPoint::apply(const Kv3dTransform& T) {
    Kv3dTransform::multiply(T.as_matrix(), Kv3dTransform::POINT_RECORD, 1, 3, 1, c_);
    return *this;
}
