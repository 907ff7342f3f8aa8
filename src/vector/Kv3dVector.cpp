#include <kv3d/Kv3dTransform.h>
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

Kv3dVector& Kv3dVector::apply(const Kv3dTransform& T) {
    Kv3dTransform::multiply(T.as_matrix(), Kv3dTransform::VECTOR_RECORD, 1, 3, 1, c_);
    return *this;
}
