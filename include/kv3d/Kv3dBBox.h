#pragma once

#include <kv/KvArray.h>
#include <kv/KvIterator.h>
#include <kv/KvJournal.h>
#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dResObj.h>
#include <kv3d/kv3d_export.h>

class Kv3dBSphere;
class Kv3dTransform;

// Axis-aligned bounding box given by its minimum and maximum corner.
//
// The empty box carries sentinel corners: minimum (E, E, E) and maximum
// (-E, -E, -E), E being the model extent when the box was emptied. They make
// an empty box fail every overlap and containment test against geometry
// inside the model space without a separate test, and the first point added
// replaces both corners. Emptiness is read from the x coordinates alone.
class KV3D_API Kv3dBBox {
public:
    Kv3dBBox() { clear(); }
    explicit Kv3dBBox(const Kv3dPoint& p) : min_(p), max_(p) {}
    Kv3dBBox(const Kv3dBBox&) = default;
    // The empty box grown by every point in index order.
    explicit Kv3dBBox(const KvArray<Kv3dPoint, KvAllocator<Kv3dPoint>>& points);
    // The empty box grown by update_bbox(it).
    explicit Kv3dBBox(KvIterator<Kv3dPoint>& it);
    // The box of a sphere: its centre -+ radius() on every axis (a point
    // sphere gives the box of its centre); empty for an empty sphere.
    explicit Kv3dBBox(const Kv3dBSphere& s);
    Kv3dBBox& operator=(const Kv3dBBox&) = default;

    // Minimum x > maximum x (strict).
    bool is_empty() const { return min_.x() > max_.x(); }
    // Sentinel corners at plus and minus the current model extent.
    void clear() {
        const double e = Kv3dResObj::model_extent();
        min_ = Kv3dPoint(e, e, e);
        max_ = Kv3dPoint(-e, -e, -e);
    }
    void contract_to_point(const Kv3dPoint& p) {
        min_ = p;
        max_ = p;
    }

    const Kv3dPoint& bbmin() const { return min_; }
    const Kv3dPoint& bbmax() const { return max_; }

    // An empty box takes p as both corners; otherwise each axis of the
    // maximum grows to p where p lies strictly above it, then each axis of
    // the minimum where p lies strictly below it.
    void update_bbox(const Kv3dPoint& p) {
        if (is_empty()) {
            contract_to_point(p);
            return;
        }
        for (int i = 0; i < 3; ++i) {
            if (p[i] > max_[i]) {
                max_[i] = p[i];
            }
        }
        for (int i = 0; i < 3; ++i) {
            if (min_[i] > p[i]) {
                min_[i] = p[i];
            }
        }
    }
    // Adds the minimum, then the maximum corner of a non-empty box.
    void update_bbox(const Kv3dBBox& other) {
        if (other.is_empty()) {
            return;
        }
        const Kv3dPoint lo = other.min_;
        const Kv3dPoint hi = other.max_;
        update_bbox(lo);
        update_bbox(hi);
    }
    void update_bbox(const KvArray<Kv3dPoint, KvAllocator<Kv3dPoint>>& points);
    // Restarts the iterator and adds every element up to its end.
    void update_bbox(KvIterator<Kv3dPoint>& it);
    // Grows the box to hold a sphere. A box whose corners the sphere holds
    // becomes the sphere's box; an empty box or sphere changes nothing; a box
    // that holds the sphere stays; otherwise the sphere's six axis-extreme
    // points are added.
    void update_bbox(const Kv3dBSphere& s);

    // Overlap within the point tolerance. When result is given it receives
    // the common part; on an axis where the boxes only come within the
    // tolerance of each other it spans the gap between the faces. result may
    // be this box or other.
    bool intersect(const Kv3dBBox& other, Kv3dBBox* result) const;
    // Overlap of both boxes widened by margin on every side; no model
    // tolerance is involved.
    bool intersect_extended(const Kv3dBBox& other, double margin) const;
    // min - tol <= p <= max + tol on every axis (inclusive).
    bool contains(const Kv3dPoint& p) const {
        const double tol = Kv3dResObj::same_point_tol();
        for (int i = 0; i < 3; ++i) {
            if (!(p[i] >= min_[i] - tol) || !(max_[i] + tol >= p[i])) {
                return false;
            }
        }
        return true;
    }
    // False for an empty box; otherwise both corners of other are contained.
    bool contains(const Kv3dBBox& other) const;
    // False for an empty box, true for an empty sphere; otherwise the six
    // axis-extreme points of the sphere are contained.
    bool contains(const Kv3dBSphere& s) const;
    // The sphere's intersect(const Kv3dBBox&) with this box.
    bool intersect(const Kv3dBSphere& s) const;

    // The smallest box holding the images of the eight corners. An empty box
    // has no corners and stays empty.
    Kv3dBBox& apply(const Kv3dTransform& T);

    void debug(KvJournal& journal, KvDebug level, bool flag, int depth) const;

private:
    Kv3dPoint min_;
    Kv3dPoint max_;
};

// "Kv3dBBox( <min> , " end, "          <max>  ) " end.
KV3D_API KvJournal& operator<<(KvJournal& journal, const Kv3dBBox& box);
