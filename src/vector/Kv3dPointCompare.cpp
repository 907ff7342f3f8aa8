#include <kv3d/Kv3dPointCompare.h>

#include <new>

Kv3dPointCompare::~Kv3dPointCompare() = default;

KvCompare<Kv3dPoint>* Kv3dPointCompare::clone() const {
    return new (std::nothrow) Kv3dPointCompare(*this);
}
