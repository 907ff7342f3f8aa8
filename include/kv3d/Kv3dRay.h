#pragma once

#include <kv/KvJournal.h>
#include <kv3d/Kv3dDirection.h>
#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dVector.h>
#include <kv3d/kv3d_export.h>

#include <cmath>

// A point with a unit direction. The direction is stored as given and never
// renormalised here. Distances measure the whole carrier line, behind the
// origin included.
class KV3D_API Kv3dRay {
public:
    Kv3dRay() = default;
    Kv3dRay(const Kv3dPoint& p, const Kv3dDirection& d) : point_(p), direction_(d) {}
    Kv3dRay(const Kv3dRay&) = default;
    Kv3dRay& operator=(const Kv3dRay&) = default;

    const Kv3dPoint& point() const { return point_; }
    const Kv3dDirection& direction() const { return direction_; }
    void set_point(const Kv3dPoint& p) { point_ = p; }
    void set_direction(const Kv3dDirection& d) { direction_ = d; }

    Kv3dPoint position(double t) const { return point_ + t * direction_; }
    // direction % (p - point), not clamped.
    double find_parameter(const Kv3dPoint& p) const { return direction_ % (p - point_); }
    // |d|^2 - |s * direction|^2 with d = p - point and s = d % direction,
    // raised to 0.0 where rounding makes it negative.
    double distance_sqr(const Kv3dPoint& p) const {
        const Kv3dVector d = p - point_;
        const double s = d % direction_;
        const Kv3dVector proj = s * direction_;
        const double r = (d % d) - (proj % proj);
        return r < 0.0 ? 0.0 : r;
    }
    double distance(const Kv3dPoint& p) const { return std::sqrt(distance_sqr(p)); }

    void debug(KvJournal& journal, KvDebug level, bool flag, int indent) const;

private:
    Kv3dPoint point_;
    Kv3dDirection direction_;
};

// "Kv3dRay( <point> , <direction>)"
KV3D_API KvJournal& operator<<(KvJournal& journal, const Kv3dRay& r);
