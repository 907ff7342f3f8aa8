#include <kv3d/Kv3dTriangle.h>

#include <kv3d/Kv3dTolerance.h>

namespace {

void write_vertex(KvJournal& journal, const char* label, const Kv3dPoint& p) {
    journal << label << p.x() << ", " << p.y() << ", " << p.z() << ")" << kvEndExpr;
}

}  // namespace

Kv3dDirection Kv3dTriangle::normal() const {
    if (!valid_) {
        return Kv3dDirection(0.0, 0.0, 1.0);
    }
    const Kv3dVector n = (p1_ - p0_) * (p2_ - p0_);
    return Kv3dDirection(n.x(), n.y(), n.z());
}

double Kv3dTriangle::area() const {
    if (!valid_) {
        return 0.0;
    }
    return ((p1_ - p0_) * (p2_ - p0_)).length() * 0.5;
}

Kv3dPoint Kv3dTriangle::center_of_area() const {
    if (!valid_) {
        return Kv3dPoint(0.0, 0.0, 0.0);
    }
    return Kv3dPoint((p0_.x() + p1_.x() + p2_.x()) / 3.0, (p0_.y() + p1_.y() + p2_.y()) / 3.0,
                     (p0_.z() + p1_.z() + p2_.z()) / 3.0);
}

Kv3dBBox Kv3dTriangle::bbox() const {
    if (!valid_) {
        return Kv3dBBox();
    }
    Kv3dBBox box(p0_);
    box.update_bbox(p1_);
    box.update_bbox(p2_);
    return box;
}

// With n = e1 x e2 and q the projection of p into the plane, the weight of a
// vertex is the signed area of the opposite sub-triangle at q over the whole:
// w0 = n . ((p1 - q) x (p2 - q)) / (n . n), w1 likewise, w2 = 1 - w0 - w1.
// Without a plane (a vanishing edge, or collinear vertices, where n . n = 0)
// p is projected onto the first edge line that is not geom_zero.
KvTrianglePar Kv3dTriangle::find_parameter(const Kv3dPoint& p) const {
    if (numerical_valid()) {
        const Kv3dVector n = (p1_ - p0_) * (p2_ - p0_);
        if (!Kv3d_numerical_zero(n)) {
            const double nn = n % n;
            const Kv3dPoint q = p - n * ((n % (p - p0_)) / nn);
            const double w0 = (n % ((p1_ - q) * (p2_ - q))) / nn;
            const double w1 = (n % ((p2_ - q) * (p0_ - q))) / nn;
            return KvTrianglePar(w0, w1, 1.0 - w0 - w1);
        }
    }
    const Kv3dPoint* const from[3] = {&p0_, &p1_, &p2_};
    const Kv3dPoint* const to[3] = {&p1_, &p2_, &p0_};
    for (int i = 0; i < 3; ++i) {
        const Kv3dVector v = *to[i] - *from[i];
        if (v.geom_zero()) {
            continue;
        }
        const double t = (v % (p - *from[i])) / (v % v);
        switch (i) {
            case 0:
                return KvTrianglePar(1.0 - t, t, 0.0);
            case 1:
                return KvTrianglePar(0.0, 1.0 - t, t);
            default:
                return KvTrianglePar(t, 0.0, 1.0 - t);
        }
    }
    return KvTrianglePar(1.0 / 3.0, 1.0 / 3.0, 1.0 / 3.0);
}

Kv3dTriangle& Kv3dTriangle::apply(const Kv3dTransform& T) {
    p0_.apply(T);
    p1_.apply(T);
    p2_.apply(T);
    valid_ = numerical_valid();
    return *this;
}

KvJournal& operator<<(KvJournal& journal, const Kv3dTriangle& t) {
    write_vertex(journal, "Kv3dTriangle p0 (", t.p0());
    write_vertex(journal, "             p1 (", t.p1());
    write_vertex(journal, "             p2 (", t.p2());
    return journal;
}

void Kv3dTriangle::debug(KvJournal& journal, KvDebug level, bool, int depth) const {
    if (static_cast<int>(level) <= 1) {
        return;
    }
    Kv_DebugIndentation(journal, depth);
    journal << *this << kvEndExpr;
}
