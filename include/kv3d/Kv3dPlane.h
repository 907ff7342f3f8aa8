#pragma once

#include <kv/KvJournal.h>
#include <kv/KvUVPar.h>
#include <kv3d/Kv3dDirection.h>
#include <kv3d/Kv3dLine.h>
#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dResObj.h>
#include <kv3d/Kv3dTypes.h>
#include <kv3d/Kv3dVector.h>
#include <kv3d/kv3d_export.h>

#include <cmath>

class Kv3dBBox;
class Kv3dTransform;

// Infinite plane with a unit normal, a base point and two spanning axes, so
// that it is also the surface basepoint + u * u_axis + v * v_axis. The axes
// need be neither unit length nor orthogonal. Except after the
// point-and-normal constructor, normal = (u_axis x v_axis).direction(), the
// zero direction for parallel or zero axes.
class KV3D_API Kv3dPlane {
public:
    // The plane z = 0 with the global x and y axes.
    Kv3dPlane() : basepoint_(), u_axis_(1.0, 0.0, 0.0), v_axis_(0.0, 1.0, 0.0) { set_normal(); }
    Kv3dPlane(const Kv3dPoint& p, const Kv3dVector& u, const Kv3dVector& v)
        : basepoint_(p), u_axis_(u), v_axis_(v) {
        set_normal();
    }
    // p1 at parameters (1, 0), p2 at (0, 1).
    Kv3dPlane(const Kv3dPoint& p0, const Kv3dPoint& p1, const Kv3dPoint& p2)
        : basepoint_(p0), u_axis_(p1 - p0), v_axis_(p2 - p0) {
        set_normal();
    }
    // Keeps n as the normal. u_axis is *u projected into the plane, or
    // without u a unit vector perpendicular to n in a coordinate plane;
    // v_axis = n x u_axis.
    Kv3dPlane(const Kv3dPoint& p, const Kv3dDirection& n, const Kv3dVector* u);
    Kv3dPlane(const Kv3dPlane&) = default;
    const Kv3dPlane& operator=(const Kv3dPlane& q) {
        normal_ = q.normal_;
        basepoint_ = q.basepoint_;
        u_axis_ = q.u_axis_;
        v_axis_ = q.v_axis_;
        return *this;
    }

    const Kv3dDirection& normal() const { return normal_; }
    const Kv3dPoint& basepoint() const { return basepoint_; }
    const Kv3dVector& u_axis() const { return u_axis_; }
    const Kv3dVector& v_axis() const { return v_axis_; }

    // (basepoint + u * u_axis) + v * v_axis
    Kv3dPoint evaluate(const KvUVPar& uv) const {
        return (basepoint_ + u_axis_ * uv.u) + v_axis_ * uv.v;
    }
    // Parameters of the orthogonal projection of p onto the plane.
    KvUVPar find_parameter(const Kv3dPoint& p) const;
    // The axes span a plane: u_axis x v_axis is not geom_zero.
    bool is_valid() const { return !(u_axis_ * v_axis_).geom_zero(); }
    // Signed: positive on the side the normal points to.
    double distance(const Kv3dPoint& p) const { return normal_ % (p - basepoint_); }
    Kv3dPoint image(const Kv3dPoint& p) const { return p - (normal_ % (p - basepoint_)) * normal_; }
    bool contains(const Kv3dPoint& p) const {
        return std::fabs(normal_ % (p - basepoint_)) < Kv3dResObj::same_point_tol();
    }
    bool contains(const Kv3dLine& l) const {
        return std::fabs(normal_ % (l.basepoint() - basepoint_)) < Kv3dResObj::same_point_tol() &&
               normal_.orthogonal(l.vector());
    }
    bool parallel(const Kv3dPlane& q) const {
        return normal_.geom_equal(q.normal_) || normal_.geom_equal(-q.normal_);
    }
    // The same plane within tolerance; opposite normals count as the same,
    // the axes are not compared.
    bool geom_equal(const Kv3dPlane& q) const {
        if (!(std::fabs(normal_ % (q.basepoint_ - basepoint_)) < Kv3dResObj::same_point_tol())) {
            return false;
        }
        return normal_.geom_equal(q.normal_) || normal_.geom_equal(-q.normal_);
    }

    // CONTAINED or PARALLEL for a line orthogonal to the normal (nothing
    // written), INTERSECTING otherwise with the common point, its plane
    // parameters and its line parameter.
    Kv3d::IntersectionType intersect(const Kv3dLine& l, Kv3dPoint* point, KvUVPar* uv,
                                     double* t) const;
    // COINCIDENT or PARALLEL for parallel planes (nothing written), else
    // INTERSECTING with the common line along normal x q.normal.
    Kv3d::IntersectionType intersect(const Kv3dPlane& q, Kv3dLine* line) const;
    // True when a corner lies within the point tolerance or the corners lie
    // on both sides.
    bool intersect(const Kv3dBBox& box) const;

    // The basepoint moves as a point, the axes as vectors; the normal is
    // recomputed from the moved axes.
    Kv3dPlane& apply(const Kv3dTransform& T);

    void debug(KvJournal& journal, KvDebug level, bool flag, int indent) const;

private:
    void set_normal() { normal_ = (u_axis_ * v_axis_).direction(); }

    Kv3dDirection normal_;
    Kv3dPoint basepoint_;
    Kv3dVector u_axis_;
    Kv3dVector v_axis_;
};

// "Kv3dPlane( <basepoint> , <normal> , <u_axis> , <v_axis>)"
KV3D_API KvJournal& operator<<(KvJournal& journal, const Kv3dPlane& plane);
