// Arbitrary doubles as polylines, points and rays through the three polyline
// distances: nothing may crash, read out of bounds or trip UBSan, and every
// answer must be the literal scan's, to the bit (the faster scans of the
// library may pass over segments only where that changes nothing).
#include <kv3d/kv3d.h>

#include <cstddef>
#include <cstdint>

#include "FuzzInput.h"
#include "support/PolylineDistanceReference.h"

using kv3dfuzz::check;
using kv3dfuzz::DoubleSource;

namespace {

// A polyline of up to 47 vertices; some repeat the one before, some step by
// a small multiple of an earlier step, so that ties and degenerate segments
// come up often.
KvArray<Kv3dPoint> polyline(DoubleSource& in) {
    KvArray<Kv3dPoint> v;
    const int n = in.count(48);
    for (int i = 0; i < n; ++i) {
        const int how = in.count(4);
        if (i > 0 && how == 0) {
            v.append(v[static_cast<std::size_t>(i - 1)]);
        } else if (i > 1 && how == 1) {
            const Kv3dVector step =
                v[static_cast<std::size_t>(i - 1)] - v[static_cast<std::size_t>(i - 2)];
            v.append(v[static_cast<std::size_t>(i - 1)] + step * static_cast<double>(in.count(3)));
        } else {
            v.append(in.point());
        }
    }
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    DoubleSource in(data, size);
    const KvArray<Kv3dPoint> a = polyline(in);
    const KvArray<Kv3dPoint> b = polyline(in);
    const Kv3dPoint q = in.point();
    const Kv3dRay ray(in.point(), Kv3dDirection(in.next(), in.next(), in.next()));

    using polyline_reference::difference;
    check(difference(polyline_reference::library_point(q, b), polyline_reference::point(q, b))
              .empty());
    check(difference(polyline_reference::library_ray(ray, b), polyline_reference::ray(ray, b))
              .empty());
    check(
        difference(polyline_reference::library_pair(a, b), polyline_reference::pair(a, b)).empty());
    Kv3dPoint nearest;
    Kv3d_distance(q, a, nearest, nullptr, nullptr);
    return 0;
}
