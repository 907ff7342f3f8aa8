// Arbitrary doubles as polylines, points and rays through the three polyline
// distances: nothing may crash, read out of bounds or trip UBSan, and every
// answer must be the literal scan's, to the bit (the faster scans of the
// library may pass over segments only where that changes nothing).
#include <kv3d/kv3d.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "FuzzInput.h"
#include "support/PolylineDistanceReference.h"

using kv3dfuzz::check;
using kv3dfuzz::DoubleSource;

namespace {

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void check_same(const polyline_reference::Nearest& got, const polyline_reference::Nearest& want) {
    for (int k = 0; k < 3; ++k) {
        check(same_bits(got.point[k], want.point[k]));
    }
    check(got.segment == want.segment);
    check(same_bits(got.parameter, want.parameter));
}

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

    polyline_reference::Result r;
    r.distance = Kv3d_distance(q, b, r.nearest.point, &r.nearest.segment, &r.nearest.parameter);
    const polyline_reference::Result rp = polyline_reference::point(q, b);
    check(same_bits(r.distance, rp.distance));
    if (b.size() > 0) {
        check_same(r.nearest, rp.nearest);
    }

    r.distance = Kv3d_distance(ray, b, r.nearest.point, &r.nearest.segment, &r.nearest.parameter);
    const polyline_reference::Result rr = polyline_reference::ray(ray, b);
    check(same_bits(r.distance, rr.distance));
    if (b.size() > 0) {
        check_same(r.nearest, rr.nearest);
    }

    polyline_reference::PairResult p;
    p.distance = Kv3d_distance(a, b, p.first.point, p.second.point, &p.first.segment,
                               &p.first.parameter, &p.second.segment, &p.second.parameter);
    const polyline_reference::PairResult rpair = polyline_reference::pair(a, b);
    check(same_bits(p.distance, rpair.distance));
    if (a.size() > 0 && b.size() > 0) {
        check_same(p.first, rpair.first);
        check_same(p.second, rpair.second);
    }
    Kv3d_distance(q, a, r.nearest.point, nullptr, nullptr);
    return 0;
}
