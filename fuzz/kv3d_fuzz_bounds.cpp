// Arbitrary doubles through the bounding sphere: its members against other
// spheres, boxes and transforms, and the enclosing-sphere construction on
// point sets with copies, near copies and scaled copies of a few input
// points (so that both the sorting and the sort-free working arrays run).
// Nothing may crash, hang, read out of bounds or trip UBSan; the array and
// iterator forms must agree bit for bit, and for moderate finite input the
// result must enclose every point.
#include <kv3d/kv3d.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <sstream>

#include "FuzzInput.h"

using kv3dfuzz::check;
using kv3dfuzz::DoubleSource;

namespace {

bool moderate(const KvArray<Kv3dPoint>& pts) {
    for (const Kv3dPoint& p : pts) {
        for (int i = 0; i < 3; ++i) {
            if (!(std::fabs(p[i]) <= 1e3)) {
                return false;
            }
        }
    }
    return true;
}

void exercise_members(DoubleSource& in) {
    Kv3dBSphere a(in.point(), in.next());
    const Kv3dBSphere b(in.point(), in.next());
    Kv3dBSphere r;
    a.intersect(b, &r);
    a.intersect_extended(b, in.next());
    a.geom_equal(b);
    a.contains(b);
    a.on_shell(in.point());
    Kv3dPoint far;
    a.compute_furthermost_point_on_shell(in.point(), far);

    Kv3dBBox box(in.point());
    box.update_bbox(in.point());
    a.intersect(box);
    box.contains(a);
    box.update_bbox(a);
    const Kv3dBBox of(a);

    a.update_bsphere(b);
    a.update_bsphere(in.point());
    a.update_bsphere(box);
    double m[16];
    for (double& e : m) {
        e = in.next();
    }
    a.apply(Kv3dTransform(m));
    a.intersect(a, &a);

    std::ostringstream text;
    KvJournal journal(text);
    journal << a;
    a.debug(journal, static_cast<KvDebug>(2), false, 1);
}

// A few input points repeated as translated copies (spread: the sort-free
// working array), as copies moved by less than the sphere tolerance, or as
// exact copies (the sorting one).
KvArray<Kv3dPoint> cloud(DoubleSource& in) {
    KvArray<Kv3dPoint> base;
    const int count = in.count(16);
    for (int i = 0; i < count; ++i) {
        base.append(in.point());
    }
    const int mode = in.count(3);
    const int copies = in.count(40);
    const Kv3dVector step = in.vector();
    KvArray<Kv3dPoint> pts;
    for (int c = 0; c < copies; ++c) {
        for (int i = 0; i < count; ++i) {
            const Kv3dPoint& p = base[i];
            if (mode == 0) {
                pts.append(p + step * c);
            } else if (mode == 1) {
                pts.append(Kv3dPoint(p.x() + 1e-7 * c, p.y(), p.z()));
            } else {
                pts.append(p);
            }
        }
    }
    return pts;
}

void exercise_construction(DoubleSource& in) {
    const KvArray<Kv3dPoint> pts = cloud(in);
    const Kv3dBSphere old(in.point(), in.next());
    Kv3dBSphere s = old;
    s.update_bsphere(pts);
    KvArrayIterator<Kv3dPoint> it(pts);
    Kv3dBSphere t = old;
    t.update_bsphere(it);
    check(std::memcmp(&s, &t, sizeof s) == 0);
    if (old.is_empty() && pts.size() > 0 && moderate(pts)) {
        check(s.contains(pts));
    }
    Kv3dBBox box(pts);
    s.update_bsphere(box);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    DoubleSource in(data, size);
    exercise_members(in);
    exercise_construction(in);
    return 0;
}
