#include <kv3d/Kv3dCartesCoordSys.h>
#include <kv3d/Kv3dRotation.h>

namespace {

// The unit vector along v; zero for a numerically zero v.
Kv3dVector unit(const Kv3dVector& v) {
    Kv3dVector n = v;
    n.normalize();
    return n;
}

// Axis ids outside 0..2 count as the x axis, as in axis() and the
// one-vector constructor.
int axis_index(Kv3d::AxisId id) {
    const int i = static_cast<int>(id);
    return i == 1 || i == 2 ? i : 0;
}

}  // namespace

Kv3dCartesCoordSys::~Kv3dCartesCoordSys() = default;

Kv3dCartesCoordSys::Kv3dCartesCoordSys(const Kv3dPoint& p, const Kv3dVector& v, Kv3d::AxisId id)
    : Kv3dCoordSys() {
    set_basepoint(p);
    const Kv3dVector n = unit(v);
    const Kv3dVector o = Kv3d_orthogonal_vector(n);
    switch (axis_index(id)) {
        case 1:
            yt_axis_ = n;
            zt_axis_ = o;
            xt_axis_ = yt_axis_ * zt_axis_;
            break;
        case 2:
            zt_axis_ = n;
            yt_axis_ = o;
            xt_axis_ = yt_axis_ * zt_axis_;
            break;
        default:
            xt_axis_ = n;
            yt_axis_ = o;
            zt_axis_ = xt_axis_ * yt_axis_;
            break;
    }
}

Kv3dCartesCoordSys::Kv3dCartesCoordSys(const Kv3dPoint& p, const Kv3dVector& a, const Kv3dVector& b)
    : Kv3dCoordSys() {
    set_basepoint(p);
    xt_axis_ = unit(a);
    zt_axis_ = unit(xt_axis_ * b);
    yt_axis_ = unit(zt_axis_ * xt_axis_);
}

Kv3dCartesCoordSys::Kv3dCartesCoordSys(const Kv3dPoint& p, const Kv3dVector& a, Kv3d::AxisId ia,
                                       const Kv3dVector& b, Kv3d::AxisId ib)
    : Kv3dCoordSys() {
    const int i = axis_index(ia);
    const int j = axis_index(ib);
    if (i == j) {
        return;
    }
    set_basepoint(p);
    const Kv3dVector w0 = unit(a);
    const Kv3dVector w2 = unit(w0 * b);
    const Kv3dVector w1 = unit(w2 * w0);
    const int k = 3 - i - j;
    Kv3dVector* axes[3] = {&xt_axis_, &yt_axis_, &zt_axis_};
    *axes[i] = w0;
    *axes[j] = w1;
    *axes[k] = w2;
    // (w0, w1, w2) is right-handed; an odd order of (i, j) turns it
    // left-handed, mended by reversing the remaining axis.
    if (!((xt_axis_ * yt_axis_) % zt_axis_ > 0.0)) {
        *axes[k] = -*axes[k];
    }
}

KvUVWPar Kv3dCartesCoordSys::find_parameter(const Kv3dPoint& q) const {
    const Kv3dVector d = q - basepoint_;
    return KvUVWPar(d % xt_axis_, d % yt_axis_, d % zt_axis_);
}

void Kv3dCartesCoordSys::debug(KvJournal& journal, KvDebug level, bool, int indent) const {
    if (static_cast<int>(level) <= 1) {
        return;
    }
    write_debug(journal, "Kv3dCartesCoordSys ", indent);
}
