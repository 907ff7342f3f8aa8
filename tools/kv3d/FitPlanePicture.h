#pragma once

#include <kv/KvArray.h>
#include <kv3d/Kv3dPlane.h>
#include <kv3d/Kv3dPoint.h>

#include <string>

namespace kv3dcli {

// The points seen along the normal of their fitted plane, in the plane's
// frame (u to the right, v up), each coloured by its signed distance from
// the plane, with the colour scale, the base point and the axes; numbers with
// the given significant digits. A large set is sampled evenly; the farthest
// point on each side is always drawn.
std::string fit_plane_picture(const std::string& name, const KvArray<Kv3dPoint>& points,
                              const Kv3dPlane& plane, double rms, int digits);

}  // namespace kv3dcli
