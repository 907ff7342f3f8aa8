#include "ConicFit.h"

#include <kv3d/Kv3dFitting.h>

#include <algorithm>
#include <cmath>

#include "ConicCanonical.h"

namespace kv3dcli {

namespace {

// The largest distance of the points from the canonical curve placed by T.
double largest_distance(const KvArray<Kv3dPoint>& points, const Kv3dTransform& T, int type,
                        double a, double b) {
    Kv3dTransform back = T;
    if (!back.invert()) {
        return std::nan("");
    }
    double largest = 0.0;
    for (Kv3dPoint p : points) {
        p.apply(back);
        const double d = std::hypot(conic_distance_2d(type, a, b, p.x(), p.y()), p.z());
        largest = std::isnan(d) ? d : std::max(largest, d);
    }
    return largest;
}

}  // namespace

ConicFit fit_conic(const KvArray<Kv3dPoint>& points, const Kv3dDirection* first_tangent,
                   const Kv3dDirection* last_tangent) {
    // The line found by the collinear test leaves a and b as they are: the
    // table values of type 5.
    ConicFit fit;
    const bool found =
        first_tangent == nullptr && last_tangent == nullptr
            ? kv3d_conic_data_from_points_3d(points, fit.type, fit.a, fit.b, fit.placement)
            : Kv3d_conic_from_points_and_tangents(points, fit.type, fit.a, fit.b, fit.placement,
                                                  first_tangent, last_tangent);
    if (!found) {
        fit.type = -1;
        return fit;
    }
    fit.max_distance = largest_distance(points, fit.placement, fit.type, fit.a, fit.b);
    return fit;
}

}  // namespace kv3dcli
