#pragma once

#include <kv/KvJournal.h>
#include <kv/KvUVWPar.h>
#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dTypes.h>
#include <kv3d/Kv3dVector.h>
#include <kv3d/kv3d_export.h>

// A general (affine) coordinate system: a base point and three axis vectors
// of any length and mutual angle. Local parameters (u, v, w) name the point
// basepoint + u x + v y + w z.
class KV3D_API Kv3dCoordSys {
public:
    // Base point at the origin, the global unit axes.
    Kv3dCoordSys()
        : basepoint_(0.0, 0.0, 0.0),
          xt_axis_(1.0, 0.0, 0.0),
          yt_axis_(0.0, 1.0, 0.0),
          zt_axis_(0.0, 0.0, 1.0) {}
    // Stores the four values as given: no test, no normalisation.
    Kv3dCoordSys(const Kv3dPoint& p, const Kv3dVector& x, const Kv3dVector& y, const Kv3dVector& z)
        : basepoint_(p), xt_axis_(x), yt_axis_(y), zt_axis_(z) {}
    Kv3dCoordSys(const Kv3dCoordSys&) = default;
    Kv3dCoordSys& operator=(const Kv3dCoordSys&) = default;
    virtual ~Kv3dCoordSys();

    // False here; true for the orthonormal right-handed kind.
    virtual bool is_cartesian() const { return false; }
    // basepoint + u x + v y + w z, summed in that order.
    virtual Kv3dPoint evaluate(const KvUVWPar& par) const;
    // The (u, v, w) of q by Cramer's rule; (0, 0, 0) when |(x × y) · z| <= 1e-20.
    virtual KvUVWPar find_parameter(const Kv3dPoint& q) const;

    const Kv3dPoint& basepoint() const { return basepoint_; }
    // Axis 0, 1 or 2; any other id gives the x axis.
    const Kv3dVector& axis(Kv3d::AxisId id) const {
        switch (static_cast<int>(id)) {
            case 1:
                return yt_axis_;
            case 2:
                return zt_axis_;
            default:
                return xt_axis_;
        }
    }

    // Invalid when an axis is too short (point tolerance > |x||y||z|) or the
    // axes are nearly coplanar (tol * |x||y||z| > |(x × y) · z|).
    bool geom_valid() const;
    // (x × y) · z > 0.0.
    bool right_handed() const { return (xt_axis_ * yt_axis_) % zt_axis_ > 0.0; }

    // At a level above 1: the class name, then the base point and the axes
    // one labelled line each.
    void debug(KvJournal& journal, KvDebug level, bool flag, int indent) const;

protected:
    void set_basepoint(const Kv3dPoint& p) { basepoint_ = p; }
    // The five journal lines under the given class name.
    void write_debug(KvJournal& journal, const char* name, int indent) const;

    Kv3dPoint basepoint_;
    Kv3dVector xt_axis_;
    Kv3dVector yt_axis_;
    Kv3dVector zt_axis_;
};
