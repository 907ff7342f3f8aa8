#include <kv/KvArray.h>
#include <kv3d/Kv3dDistance.h>
#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dRay.h>

#include "DemoSections.h"
#include "ReportWriter.h"

// Demo section on the polyline distances.

namespace kv3dcli {

void demo_polyline_distance(ReportWriter& r) {
    const KvArray<Kv3dPoint> elbow{Kv3dPoint(0, 0, 0), Kv3dPoint(2, 0, 0), Kv3dPoint(2, 2, 0)};
    r.begin_section("polyline_distance", "Polyline (0,0,0), (2,0,0), (2,2,0)");
    Kv3dPoint nearest;
    int segment = 0;
    double parameter = 0.0;
    r.number("point_distance", "distance of (1, 0.5, 0)",
             Kv3d_distance(Kv3dPoint(1, 0.5, 0), elbow, nearest, &segment, &parameter));
    r.point("point_nearest", "nearest point", nearest);
    r.count("point_segment", "on segment", static_cast<std::size_t>(segment));
    r.number("point_parameter", "at parameter", parameter);

    const Kv3dRay parallel(Kv3dPoint(7, -1, 0), Kv3dDirection(-1, 0, 0));
    r.number("ray_distance", "distance of the line y = -1",
             Kv3d_distance(parallel, elbow, nearest, &segment, &parameter));
    r.point("ray_nearest", "nearest point (parallel: midpoint)", nearest);
    r.number("ray_parameter", "at parameter", parameter);

    const KvArray<Kv3dPoint> crossing{Kv3dPoint(1, 1, -1), Kv3dPoint(1, 1, 1), Kv3dPoint(3, 1, 1)};
    Kv3dPoint other;
    int other_segment = 0;
    double other_parameter = 0.0;
    r.number("pair_distance", "distance of (1,1,-1), (1,1,1), (3,1,1)",
             Kv3d_distance(crossing, elbow, other, nearest, &other_segment, &other_parameter,
                           &segment, &parameter));
    r.point("pair_nearest_first", "nearest point of that polyline", other);
    r.point("pair_nearest_second", "nearest point of the elbow", nearest);
    r.count("pair_segment_second", "on segment of the elbow", static_cast<std::size_t>(segment));
    r.end_section();
}

}  // namespace kv3dcli
