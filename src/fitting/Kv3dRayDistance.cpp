// Distance from a ray's carrier line to a polyline.

#include <kv3d/Kv3dDistance.h>
#include <kvla/KvLaAlgorithms.h>
#include <kvla/KvLaDblMat.h>

#include <cstddef>

#include "Kv3dPolylineScan.h"

namespace {

// The parameter on segment i (from a along e) of the closest approach of the
// segment's carrier line to the ray's: the solution s of
//     (e.e) s - (e.D) u = -(w.e),   -(e.D) s + u = w.D,   w = a - O,
// clamped to [0, 1]; 0.5 where the solver finds no unique solution (e
// parallel to D, where every parameter is as close as any other).
double closest_parameter(const Kv3dRay& ray, const Kv3dVector& e, const Kv3dVector& w,
                         KvLaDblMat& a, KvLaDblMat& b, KvLaDblMat& x) {
    const Kv3dDirection& d = ray.direction();
    const double ed = e % d;
    a(0, 0) = e % e;
    a(0, 1) = -ed;
    a(1, 0) = -ed;
    a(1, 1) = 1.0;
    b(0, 0) = -(w % e);
    b(1, 0) = w % d;
    if (!kvla_linearsolve(a, b, x, nullptr)) {
        return 0.5;
    }
    return kv3d_polyline::clamp_unit(x(0, 0));
}

}  // namespace

double Kv3d_distance(const Kv3dRay& ray, const KvArray<Kv3dPoint>& polyline, Kv3dPoint& nearest,
                     int* segment, double* parameter) {
    double answer = 0.0;
    if (kv3d_polyline::measure_without_segments(
            polyline, [&ray](const Kv3dPoint& p) { return ray.distance(p); }, nearest, segment,
            parameter, answer)) {
        return answer;
    }
    const std::size_t n = polyline.size();
    const Kv3dPoint* v = polyline.data();

    // The sample; the last vertex is not sampled.
    const kv3d_polyline::Sample sample = kv3d_polyline::sample_vertices(
        v, n, [&ray](const Kv3dPoint& p) { return ray.distance_sqr(p); });
    kv3d_polyline::ScanResult result;
    result.segment = sample.start;
    double bound = kv3d_polyline::sampled_bound(sample.smallest);

    KvLaDblMat a(2, 2, 0.0);
    KvLaDblMat b(2, 1, 0.0);
    KvLaDblMat x;
    for (std::size_t i = 0; i + 1 < n; ++i) {
        const Kv3dVector e = v[i + 1] - v[i];
        double s = 0.0;
        if (e.geom_zero()) {
            if (ray.distance_sqr(v[i]) >= bound) {
                continue;
            }
        } else {
            // |h| is the distance between the two carrier lines (0 where
            // they are parallel), a lower bound of the segment's distance.
            const Kv3dVector w = v[i] - ray.point();
            const double h = (e * ray.direction()).direction() % w;
            if (h * h >= bound) {
                continue;
            }
            s = closest_parameter(ray, e, w, a, b, x);
        }
        const double d2 = ray.distance_sqr(kv3d_polyline::segment_point(v, i, s));
        if (d2 < bound) {
            bound = d2;
            result.take(i, s);
        }
    }
    const double distance = result.improved ? kv3d_polyline::distance_of_square(bound)
                                            : ray.distance(result.nearest(v));
    result.write(v, nearest, segment, parameter);
    return distance;
}
