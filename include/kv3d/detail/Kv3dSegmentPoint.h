#pragma once

#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dVector.h>

namespace kv3d_detail {

// The point a0 + s (a1 - a0) of the segment from a0 to a1, rounded exactly
// as the line through a0 and a1 evaluates its parameter s: the vector
// a1 - a0 first, scaled by s, then added to a0.
inline Kv3dPoint segment_point(const Kv3dPoint& a0, const Kv3dPoint& a1, double s) {
    return a0 + (a1 - a0) * s;
}

}  // namespace kv3d_detail
