#include <kv3d/Kv3dApply.h>
#include <kv3d/Kv3dDirection.h>
#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dTransform.h>
#include <kv3d/Kv3dVector.h>

#include <climits>
#include <cstddef>
#include <type_traits>

namespace {

// The element types are three contiguous doubles and nothing else, so an
// array of them is a packed array of 3-double records.
static_assert(sizeof(Kv3dPoint) == 3 * sizeof(double), "Kv3dPoint must be three doubles");
static_assert(sizeof(Kv3dVector) == 3 * sizeof(double), "Kv3dVector must be three doubles");
static_assert(std::is_standard_layout<Kv3dPoint>::value, "Kv3dPoint must be standard layout");
static_assert(std::is_standard_layout<Kv3dVector>::value, "Kv3dVector must be standard layout");

// Packed 3-double records in chunks whose count fits an int.
void apply_packed(const Kv3dTransform& T, int kind, std::size_t n, double* data) {
    constexpr std::size_t chunk = static_cast<std::size_t>(INT_MAX / 3);
    while (n > 0) {
        const std::size_t c = n < chunk ? n : chunk;
        Kv3dTransform::multiply(T.as_matrix(), kind, 1, 3, static_cast<int>(c), data);
        data += 3 * c;
        n -= c;
    }
}

}  // namespace

// The apply members of the vector types live with the transform they read.
Kv3dPoint& Kv3dPoint::apply(const Kv3dTransform& T) {
    Kv3dTransform::multiply(T.as_matrix(), Kv3dTransform::POINT_RECORD, 1, 3, 1, c_);
    return *this;
}

Kv3dVector& Kv3dVector::apply(const Kv3dTransform& T) {
    Kv3dTransform::multiply(T.as_matrix(), Kv3dTransform::VECTOR_RECORD, 1, 3, 1, c_);
    return *this;
}

// A d, renormalised: a direction that A maps to (numerically) zero becomes
// the zero direction.
Kv3dDirection& Kv3dDirection::apply(const Kv3dTransform& T) {
    Kv3dVector v(c_[0], c_[1], c_[2]);
    v.apply(T);
    *this = v.direction();
    return *this;
}

void Kv3d_apply(const Kv3dTransform& T, int count, int kind, double* data) {
    if (count <= 0 || data == nullptr) {
        return;
    }
    const int stride = kind == Kv3dTransform::HOMOGENEOUS_RECORD ? 4 : 3;
    Kv3dTransform::multiply(T.as_matrix(), kind, 1, stride, count, data);
}

void Kv3d_apply(const Kv3dTransform& T, KvArray<Kv3dPoint>& points) {
    if (points.size() == 0) {
        return;
    }
    apply_packed(T, Kv3dTransform::POINT_RECORD, points.size(), points.data()->as_array());
}

void Kv3d_apply(const Kv3dTransform& T, KvArray<Kv3dVector>& vectors) {
    if (vectors.size() == 0) {
        return;
    }
    apply_packed(T, Kv3dTransform::VECTOR_RECORD, vectors.size(), vectors.data()->as_array());
}
