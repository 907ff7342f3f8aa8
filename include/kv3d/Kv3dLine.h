#pragma once

#include <kv/KvJournal.h>
#include <kv3d/Kv3dDirection.h>
#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dResObj.h>
#include <kv3d/Kv3dTypes.h>
#include <kv3d/Kv3dVector.h>
#include <kv3d/kv3d_export.h>

class Kv3dBBox;
class Kv3dTransform;

// Infinite straight line: the point basepoint + t * vector for every real t.
// The vector is not normalised; it sets the unit of the parameter t. A line
// is valid when its vector is not geom_zero.
class KV3D_API Kv3dLine {
public:
    Kv3dLine() = default;
    Kv3dLine(const Kv3dPoint& p, const Kv3dVector& v) : vector_(v), basepoint_(p) {}
    // Parameter 0 at p1, parameter 1 at p2.
    Kv3dLine(const Kv3dPoint& p1, const Kv3dPoint& p2) : vector_(p2 - p1), basepoint_(p1) {}
    Kv3dLine(const Kv3dLine&) = default;
    const Kv3dLine& operator=(const Kv3dLine& l) {
        vector_ = l.vector_;
        basepoint_ = l.basepoint_;
        return *this;
    }

    const Kv3dPoint& basepoint() const { return basepoint_; }
    const Kv3dVector& vector() const { return vector_; }
    Kv3dDirection direction() const { return vector_.direction(); }

    bool is_valid() const { return !vector_.geom_zero(); }
    Kv3dPoint evaluate(double t) const { return basepoint_ + vector_ * t; }

    // Parameter of the orthogonal projection of p:
    // (v % (p - b)) / (v % v); 0.0 on a degenerate line.
    double find_parameter(const Kv3dPoint& p) const {
        if (vector_.geom_zero()) {
            return 0.0;
        }
        return (vector_ % (p - basepoint_)) / (vector_ % vector_);
    }
    Kv3dPoint image(const Kv3dPoint& p) const { return evaluate(find_parameter(p)); }
    double distance(const Kv3dPoint& p) const { return p.distance(image(p)); }
    double distance(const Kv3dLine& l) const;
    // Distance to the projection below the point tolerance (strict).
    bool contains(const Kv3dPoint& p) const {
        return p.distance(image(p)) < Kv3dResObj::same_point_tol();
    }
    // True also when either vector is geom_zero.
    bool parallel(const Kv3dLine& l) const { return vector_.parallel(l.vector_); }
    bool geom_equal(const Kv3dLine& l) const {
        return contains(l.basepoint_) && vector_.parallel(l.vector_);
    }

    // COINCIDENT or PARALLEL for parallel lines (nothing written); else
    // INTERSECTING when the lines pass within the point tolerance, SKEW
    // otherwise. t_this and t_other receive the parameters of the mutually
    // nearest points, point the common point (INTERSECTING only).
    Kv3d::IntersectionType intersect(const Kv3dLine& l, Kv3dPoint* point, double* t_this,
                                     double* t_other) const;
    // Slab test against the box widened by the point tolerance.
    bool intersect(const Kv3dBBox& box) const;

    // The basepoint moves as a point, the vector by the linear part only.
    Kv3dLine& apply(const Kv3dTransform& T);

    void debug(KvJournal& journal, KvDebug level, bool flag, int indent) const;

private:
    Kv3dVector vector_;
    Kv3dPoint basepoint_;
};

// "Kv3dLine( <basepoint> , <vector>)"
KV3D_API KvJournal& operator<<(KvJournal& journal, const Kv3dLine& l);
