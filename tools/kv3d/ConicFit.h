#pragma once

#include <kv/KvArray.h>
#include <kv3d/Kv3dDirection.h>
#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dTransform.h>

namespace kv3dcli {

// The plane conic through points in space, as the fit-conic command finds
// it: the type code of ConicCanonical.h (-1: no real curve), the shape
// values a and b, the placement of the canonical frame (canonical to model)
// and the largest distance of the points from the curve.
struct ConicFit {
    int type = -1;
    double a = 1.0;
    double b = 0.0;
    Kv3dTransform placement;
    double max_distance = 0.0;

    bool found() const { return type >= 0; }
};

// Without tangents, the conic of five points or the least-squares conic of
// more; with tangent directions at the first or the last point (null: none),
// the conic through the points and tangents, five conditions in all.
ConicFit fit_conic(const KvArray<Kv3dPoint>& points, const Kv3dDirection* first_tangent,
                   const Kv3dDirection* last_tangent);

}  // namespace kv3dcli
