#include <kv3d/Kv3dBBox.h>
#include <kv3d/Kv3dBSphere.h>
#include <kv3d/Kv3dTransform.h>
#include <kvla/KvLaAlgorithms.h>

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "Kv3dEnclosingSphere.h"

namespace {

// q lies strictly closer than m to p (false for m < 0).
bool within(const Kv3dPoint& q, const Kv3dPoint& p, const double& m) {
    return Kv3d_distance_less_than_maximum_distance(q, p, m);
}

// The corners of a box, x changing fastest, then y, then z.
void box_corners(const Kv3dBBox& box, Kv3dPoint (&corners)[8]) {
    const Kv3dPoint& lo = box.bbmin();
    const Kv3dPoint& hi = box.bbmax();
    for (int i = 0; i < 8; ++i) {
        corners[i] =
            Kv3dPoint(i & 1 ? hi.x() : lo.x(), i & 2 ? hi.y() : lo.y(), i & 4 ? hi.z() : lo.z());
    }
}

}  // namespace

Kv3dBSphere::Kv3dBSphere(const Kv3dBBox& box) : radius_(-1.0) {
    if (box.is_empty()) {
        return;
    }
    update_bsphere(box.bbmin());
    update_bsphere(box.bbmax());
}

Kv3dBSphere::Kv3dBSphere(const KvArray<Kv3dPoint, KvAllocator<Kv3dPoint>>& points) : radius_(-1.0) {
    update_bsphere(points);
}

Kv3dBSphere::Kv3dBSphere(KvIterator<Kv3dPoint>& it) : radius_(-1.0) { update_bsphere(it); }

void Kv3dBSphere::update_bsphere(const Kv3dPoint& p) {
    if (is_empty()) {
        contract_to_point(p);
        return;
    }
    if (within(p, center_, radius_)) {
        return;
    }
    const Kv3dVector w = p - center_;
    const double d = w.length();
    const double k = (d - radius_) * 0.5;
    center_ += w * (k / d);
    radius_ += k;
    radius_ += tol();
}

void Kv3dBSphere::update_bsphere(const Kv3dBSphere& o) {
    if (o.is_empty()) {
        return;
    }
    if (is_empty() || (&o != this && o.contains(*this))) {
        center_ = o.center_;
        radius_ = o.radius_;
        return;
    }
    if (&o == this || contains(o)) {
        return;
    }
    if (within(o.center_, center_, tol())) {
        if (o.radius_ > radius_) {
            radius_ = o.radius_;
        }
        return;
    }
    Kv3dPoint far;
    o.compute_furthermost_point_on_shell(center_, far);
    update_bsphere(far);
}

void Kv3dBSphere::update_bsphere(const Kv3dBBox& box) {
    if (box.contains(*this)) {
        *this = Kv3dBSphere(box);
        return;
    }
    // The corners are enclosed as a point set; an empty sphere reaches here
    // only with an empty box and encloses no corners.
    Kv3dPoint corners[8];
    std::size_t n = 0;
    if (!is_empty()) {
        if (box.is_empty() || contains(box)) {
            return;
        }
        box_corners(box, corners);
        n = 8;
    }
    Kv3dEnclosingSphere::enclose(*this, corners, n);
}

void Kv3dBSphere::update_bsphere(const KvArray<Kv3dPoint, KvAllocator<Kv3dPoint>>& points) {
    if (!is_empty() && contains(points)) {
        return;  // already enclosed: no copy
    }
    Kv3dEnclosingSphere::enclose(*this, points.data(), points.size());
}

void Kv3dBSphere::update_bsphere(KvIterator<Kv3dPoint>& it) {
    if (!is_empty() && contains(it)) {
        return;
    }
    Kv3dEnclosingSphere::enclose(*this, it);
}

bool Kv3dBSphere::contains(const KvArray<Kv3dPoint, KvAllocator<Kv3dPoint>>& points) const {
    if (is_empty()) {
        return false;
    }
    const Kv3dPoint* p = points.data();
    const std::size_t n = points.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (!within(p[i], center_, radius_)) {
            return false;
        }
    }
    return true;
}

bool Kv3dBSphere::contains(KvIterator<Kv3dPoint>& it) const {
    if (is_empty()) {
        return false;
    }
    for (it.restart(); !it.at_end(); it.advance()) {
        const Kv3dPoint* p = it.current();
        if (p != nullptr && !within(*p, center_, radius_)) {
            return false;
        }
    }
    return true;
}

bool Kv3dBSphere::contains(const Kv3dBBox& box) const {
    if (is_empty()) {
        return false;
    }
    if (box.is_empty()) {
        return true;
    }
    Kv3dPoint corners[8];
    box_corners(box, corners);
    for (const Kv3dPoint& c : corners) {
        if (!within(c, center_, radius_)) {
            return false;
        }
    }
    return true;
}

bool Kv3dBSphere::contains(const Kv3dBSphere& o) const {
    if (is_empty()) {
        return false;
    }
    if (o.is_empty() || &o == this) {
        return true;
    }
    const double b = tol();
    if (std::fabs(radius_ - o.radius_) < b && within(center_, o.center_, b)) {
        return true;
    }
    return within(center_, o.center_, radius_ - o.radius_);
}

bool Kv3dBSphere::on_shell(const Kv3dPoint& p) const {
    if (is_empty()) {
        return false;
    }
    const double b = tol();
    if (within(p, center_, b)) {
        return radius_ == 0.0;
    }
    // A coordinate difference beyond r + 2b rejects at once. The band
    // reaches out to sqrt((r + 2b) r) <= r + 2b, so this never decides
    // otherwise than the band itself; a bound of r would turn away points
    // just outside the shell near its axis-extreme points, but not elsewhere.
    const double dx = std::fabs(p.x() - center_.x());
    const double dy = std::fabs(p.y() - center_.y());
    const double dz = std::fabs(p.z() - center_.z());
    const double reach = radius_ + 2.0 * b;
    if (dx > reach || dy > reach || dz > reach) {
        return false;
    }
    const double s = dx * dx + dy * dy + dz * dz;
    return s > (radius_ - 2.0 * b) * radius_ && (radius_ + 2.0 * b) * radius_ > s;
}

bool Kv3dBSphere::geom_equal(const Kv3dBSphere& o) const {
    if (&o == this) {
        return true;
    }
    if (is_empty() || o.is_empty()) {
        // Empty spheres hold no points: all of them are equal, and none
        // equals a sphere that holds some.
        return is_empty() && o.is_empty();
    }
    const double b = tol();
    return b > std::fabs(radius_ - o.radius_) && within(center_, o.center_, b);
}

bool Kv3dBSphere::intersect(const Kv3dBSphere& o, Kv3dBSphere* result) const {
    if (is_empty() || o.is_empty() || !within(center_, o.center_, radius_ + o.radius_)) {
        return false;
    }
    if (result == nullptr) {
        return true;
    }
    if (within(o.center_, center_, radius_) || within(center_, o.center_, o.radius_)) {
        const Kv3dBSphere& smaller = radius_ > o.radius_ ? o : *this;
        const Kv3dPoint c = smaller.center_;
        const double r = smaller.radius_;
        result->center_ = c;
        result->radius_ = r;
        return true;
    }
    // The shells meet in a circle whose plane lies a from c along co - c,
    // a = (ro + r) / 2 (r - ro) / d + d / 2; its radius is sqrt(r^2 - a^2).
    const Kv3dVector w = o.center_ - center_;
    const double d = w.length();
    const double a = (o.radius_ + radius_) * 0.5 * (radius_ - o.radius_) / d + d * 0.5;
    const Kv3dPoint c = center_ + w * (a / d);
    const double r = std::sqrt(std::fabs(radius_ * radius_ - a * a));
    result->center_ = c;
    result->radius_ = r;
    return true;
}

bool Kv3dBSphere::intersect(const Kv3dBBox& box) const {
    // An empty sphere or box holds no point; the sentinel corners of an empty
    // box would otherwise meet almost any sphere.
    if (is_empty() || box.is_empty()) {
        return false;
    }
    const double r = radius_;
    const Kv3dPoint& lo = box.bbmin();
    const Kv3dPoint& hi = box.bbmax();
    Kv3dBBox grown(Kv3dPoint(lo.x() - r, lo.y() - r, lo.z() - r));
    grown.update_bbox(Kv3dPoint(hi.x() + r, hi.y() + r, hi.z() + r));
    if (!grown.contains(center_)) {
        return false;
    }
    // Inside a face slab: the box grown along one axis only.
    for (int axis = 0; axis < 3; ++axis) {
        Kv3dPoint a = lo;
        Kv3dPoint z = hi;
        a[axis] -= r;
        z[axis] += r;
        Kv3dBBox slab(a);
        slab.update_bbox(z);
        if (slab.contains(center_)) {
            return true;
        }
    }
    // Off an edge or a corner: within r of the point of the box nearest to
    // the centre. Near a corner that point is the corner; near an edge it
    // lies on the edge, where the corners alone would miss a sphere that
    // reaches over the edge.
    Kv3dPoint nearest = center_;
    for (int axis = 0; axis < 3; ++axis) {
        nearest[axis] = std::min(std::max(nearest[axis], lo[axis]), hi[axis]);
    }
    return r >= 0.0 && within(center_, nearest, r);
}

bool Kv3dBSphere::intersect_extended(const Kv3dBSphere& o, double margin) const {
    if (is_empty() || o.is_empty()) {
        return false;
    }
    return ((margin + radius_) + o.radius_) + margin > o.center_.distance(center_);
}

void Kv3dBSphere::compute_furthermost_point_on_shell(const Kv3dPoint& p, Kv3dPoint& out) const {
    if (is_empty()) {
        return;
    }
    if (within(center_, p, tol())) {
        out = Kv3dPoint(center_.x(), center_.y(), center_.z() + radius_);
        return;
    }
    const Kv3dVector w = center_ - p;
    const double d = w.length();
    out = p + w * ((d + radius_) / d);
}

int Kv3dBSphere::axis_extreme_points(Kv3dPoint (&points)[6]) const {
    if (is_empty()) {
        return 0;
    }
    const double r = radius();
    for (int axis = 0; axis < 3; ++axis) {
        points[2 * axis] = center_;
        points[2 * axis][axis] += r;
        points[2 * axis + 1] = center_;
        points[2 * axis + 1][axis] -= r;
    }
    return 6;
}

Kv3dBSphere& Kv3dBSphere::apply(const Kv3dTransform& T) {
    center_.apply(T);
    if (T.is_orthonormal() || is_empty()) {
        return *this;
    }
    const double* m = T.as_matrix();
    const double linear[9] = {m[0], m[1], m[2], m[4], m[5], m[6], m[8], m[9], m[10]};
    radius_ *= kvla_spectral_norm_3x3(linear);
    return *this;
}

void Kv3dBSphere::debug(KvJournal& journal, KvDebug level, bool flag, int depth) const {
    if (static_cast<int>(level) <= 1) {
        return;
    }
    Kv_DebugIndentation(journal, depth);
    journal << "Kv3dBSphere  - Center Coordinates: " << kvEndExpr;
    center_.debug(journal, level, flag, Kv_DebugIndentStep() + depth);
    journal << "          - Radius: " << radius_ << "; " << kvEndExpr;
}

KvJournal& operator<<(KvJournal& journal, const Kv3dBSphere& s) {
    journal << "Kv3dBSphere( " << s.center() << " , " << kvEndExpr;
    journal << "          " << s.radius() << "  ) " << kvEndExpr;
    return journal;
}
