#pragma once

#include <kv/KvArray.h>
#include <kv/KvJournal.h>
#include <kv3d/Kv3dPoint.h>
#include <kv3d/kv3d_export.h>

class Kv3dTransform;

// A parabola in space given by three control points: the quadratic Bezier
// curve
//   C(t) = (1 - t)^2 p0 + 2 (1 - t) t p1 + t^2 p2
// continued to every real t. p0 = C(0) and p2 = C(1) lie on the curve; p1 is
// where the end tangents meet. With A = p1 - p0 and B = (p2 - p1) - A,
// C(t) = p0 + 2 t A + t^2 B, a straight line when B = 0.
class KV3D_API Kv3dParabola {
public:
    Kv3dParabola(const Kv3dParabola&) = default;
    // Elements 0, 1 and 2 of the array; further elements are ignored. A
    // shorter array is completed with copies of its last point (the origin
    // when it is empty), so that nothing past its end is read.
    Kv3dParabola(const KvArray<Kv3dPoint, KvAllocator<Kv3dPoint>>& points);
    ~Kv3dParabola() = default;
    Kv3dParabola& operator=(const Kv3dParabola&) = default;

    // p0 and p1 differ, and p1 and p2 differ, beyond the point tolerance.
    bool is_valid() const { return !pnt_[0].geom_equal(pnt_[1]) && !pnt_[1].geom_equal(pnt_[2]); }

    // A copy of control point i; the origin for an index other than 0, 1, 2.
    Kv3dPoint operator[](int i) const { return i >= 0 && i < 3 ? pnt_[i] : Kv3dPoint(); }

    // ((u u) p0 + ((2 u) t) p1) + (t t) p2 with u = 1 - t, for every real t.
    Kv3dPoint evaluate(double t) const {
        const double u = 1.0 - t;
        return (pnt_[0] * (u * u) + pnt_[1] * ((u * 2.0) * t)) + pnt_[2] * (t * t);
    }

    // Moves the three control points as points, in order.
    Kv3dParabola& apply(const Kv3dTransform& T);

    // A stationary parameter of the distance from point to the curve. Without
    // a start (null) the one nearest to the point: the global foot point; with
    // one, the stationary parameter nearest to *start, which may be a local
    // maximum of the distance. Not limited to [0, 1]; 0.0 when the distance
    // has no stationary point (identical control points give 0.0 too).
    double find_parameter(const Kv3dPoint& point, const double* start) const;
    // Distance from point to the global foot point.
    double distance(const Kv3dPoint& point) const;
    // distance(point) < same_point_tol() (strict).
    bool contains(const Kv3dPoint& point) const;

    // At a level above 1: four lines, one per control point and a closing one.
    void debug(KvJournal& journal, KvDebug level, bool flag, int depth) const;

private:
    Kv3dPoint pnt_[3];
};

// "Kv3dParabola( <p0> , <p1> , <p2> )"; ends no expression.
KV3D_API KvJournal& operator<<(KvJournal& journal, const Kv3dParabola& p);
