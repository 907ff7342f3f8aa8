#pragma once

#include <kv/KvArray.h>
#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dVector.h>

#include <string>

namespace kv3dcli {

// What a distance is measured from: a point, the whole line of a ray, or a
// polyline.
struct DistanceFrom {
    enum class Kind { kPoint, kRay, kPolyline };
    Kind kind = Kind::kPoint;
    // The point, or the ray's origin.
    Kv3dPoint point;
    Kv3dVector direction;
    // The polyline and its file's name.
    const KvArray<Kv3dPoint>* polyline = nullptr;
    std::string name;
};

// The distance measured from `from` to the polyline `to` in three
// orthographic views: both polylines (large ones sampled evenly), the point
// or the ray's line, and the nearest points with their connecting segment;
// numbers with the given significant digits.
std::string distance_picture(const DistanceFrom& from, const std::string& to_name,
                             const KvArray<Kv3dPoint>& to, const Kv3dPoint& nearest_from,
                             const Kv3dPoint& nearest_to, double distance, int digits);

}  // namespace kv3dcli
