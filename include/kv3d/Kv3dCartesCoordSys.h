#pragma once

#include <kv/KvJournal.h>
#include <kv/KvUVWPar.h>
#include <kv3d/Kv3dCoordSys.h>
#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dTypes.h>
#include <kv3d/Kv3dVector.h>
#include <kv3d/kv3d_export.h>

// An orthonormal, right-handed coordinate system (x × y = z), completed from
// one or two given vectors. Degenerate input (a zero or parallel vector)
// gives zero axes, which geom_valid() rejects.
class KV3D_API Kv3dCartesCoordSys : public Kv3dCoordSys {
public:
    // Base point at the origin, the global unit axes.
    Kv3dCartesCoordSys() = default;
    Kv3dCartesCoordSys(const Kv3dCartesCoordSys&) = default;
    Kv3dCartesCoordSys& operator=(const Kv3dCartesCoordSys&) = default;
    ~Kv3dCartesCoordSys() override;

    // Base point p, the global unit axes.
    explicit Kv3dCartesCoordSys(const Kv3dPoint& p) : Kv3dCoordSys() { set_basepoint(p); }
    // Axis id along v, the other two completed by Kv3d_orthogonal_vector and a
    // cross product; ids other than 1 and 2 put v on the x axis.
    Kv3dCartesCoordSys(const Kv3dPoint& p, const Kv3dVector& v, Kv3d::AxisId id);
    // x along a, y in the plane of a and b on b's side.
    Kv3dCartesCoordSys(const Kv3dPoint& p, const Kv3dVector& a, const Kv3dVector& b);
    // Axis ia along a, axis ib in the plane of a and b on b's side, the third
    // axis completing a right-handed system. An id outside 0..2 counts as the
    // x axis; equal ids give the default system at the origin.
    Kv3dCartesCoordSys(const Kv3dPoint& p, const Kv3dVector& a, Kv3d::AxisId ia,
                       const Kv3dVector& b, Kv3d::AxisId ib);

    bool is_cartesian() const override { return true; }
    // d = q - basepoint projected on the axes: (d · x, d · y, d · z).
    KvUVWPar find_parameter(const Kv3dPoint& q) const override;

    // As the base class's, named "Kv3dCartesCoordSys ".
    void debug(KvJournal& journal, KvDebug level, bool flag, int indent) const;
};
