#pragma once

#include <kv3d/kv3d_export.h>

// Holder of the library-wide enums.
class KV3D_API Kv3d {
public:
    Kv3d() = default;
    Kv3d(const Kv3d&) = default;
    Kv3d& operator=(const Kv3d&) { return *this; }

    // The axes of a coordinate system.
    enum AxisId : int { X_AXIS = 0, Y_AXIS = 1, Z_AXIS = 2 };

    // How two lines, a plane and a line, or two planes meet.
    enum IntersectionType : int {
        COINCIDENT = 0,    // the same line or plane within tolerance
        PARALLEL = 1,      // parallel and apart
        CONTAINED = 2,     // the line lies in the plane
        INTERSECTING = 3,  // one common point, or for planes one common line
        SKEW = 4           // lines neither parallel nor meeting
    };
};
