#pragma once

#include <kv/KvArray.h>
#include <kv3d/Kv3dBBox.h>
#include <kv3d/Kv3dBSphere.h>
#include <kv3d/Kv3dPoint.h>

#include <string>

namespace kv3dcli {

// The points (an even sample of a large set), their bounding box and their
// enclosing sphere with its centre, in three orthographic views; numbers
// with the given significant digits.
std::string bounds_picture(const std::string& name, const KvArray<Kv3dPoint>& points,
                           const Kv3dBBox& box, const Kv3dBSphere& sphere, int digits);

}  // namespace kv3dcli
