// Distance from a point to a polyline.

#include <kv3d/Kv3dDistance.h>
#include <kvla/detail/KvLaHouseholder.h>

#include <cmath>
#include <cstddef>
#include <limits>

#include "Kv3dDistanceBox.h"
#include "Kv3dPolylineScan.h"

namespace {

using kv3d_polyline::DistanceBox;
using kv3d_polyline::ScanResult;

// Segments are screened in blocks of this many: one box test passes over a
// whole block far from q, so that a long polyline costs little more than one
// read of its vertices.
constexpr std::size_t kBlock = 16;

// The scan of the segments against q with its bound (a squared distance).
class PointScan {
public:
    PointScan(const Kv3dPoint& q, double bound, std::size_t start)
        : q_(q), q_box_(q), bound_(bound), radius_(std::sqrt(bound)) {
        result_.segment = start;
    }

    // Segments first .. last - 1, i.e. vertices first .. last, in order.
    void scan_block(const Kv3dPoint* v, std::size_t first, std::size_t last) {
        if (kv3d_polyline::far_apart(DistanceBox(v + first, last - first + 1), q_box_, radius_)) {
            return;
        }
        for (std::size_t i = first; i < last; ++i) {
            if (!kv3d_polyline::far_apart(DistanceBox(v + i, 2), q_box_, radius_)) {
                measure(v[i], v[i + 1], i);
            }
        }
    }

    double bound() const { return bound_; }
    const ScanResult& result() const { return result_; }

private:
    // Segment i from a to b. Its vector e is reflected onto the first axis
    // and w = q - a with it: then L = e[0] is the signed length of e, w[0]
    // the component of w along e in the same scale, and w[1], w[2] the part
    // of w perpendicular to e.
    void measure(const Kv3dPoint& a, const Kv3dPoint& b, std::size_t i) {
        Kv3dVector e = b - a;
        if (std::fabs(e.x()) < 1e-20 && std::fabs(e.y()) < 1e-20 && std::fabs(e.z()) < 1e-20) {
            return;
        }
        Kv3dVector w = q_ - a;
        double up = 0.0;
        kvla_detail::householder_construct(0, 1, 3, e.as_array(), 1, up);
        kvla_detail::householder_apply(0, 1, 3, e.as_array(), 1, up, w.as_array(), 1, 3, 1);
        const double length = e[0];
        const double along = w[0];
        const double perp2 = w[1] * w[1] + w[2] * w[2];
        if (perp2 > bound_) {
            return;
        }
        double s = 0.0;
        if (std::fabs(length) >= 1e-6) {
            s = kv3d_polyline::clamp_unit(along / length);
        }
        const double r = length * s - along;
        const double d2 = perp2 + r * r;
        if (d2 < bound_) {
            bound_ = d2;
            radius_ = std::sqrt(d2);
            result_.take(i, s);
        }
    }

    Kv3dPoint q_;
    DistanceBox q_box_;
    double bound_;
    // sqrt(bound_), the limit of the box tests.
    double radius_;
    ScanResult result_;
};

}  // namespace

double Kv3d_distance(const Kv3dPoint& q, const KvArray<Kv3dPoint>& polyline, Kv3dPoint& nearest,
                     int* segment, double* parameter) {
    const std::size_t n = polyline.size();
    if (n == 0) {
        return std::numeric_limits<double>::infinity();
    }
    const Kv3dPoint* v = polyline.data();
    if (n == 1) {
        const double distance = q.distance(v[0]);
        ScanResult::write_vertex(v, nearest, segment, parameter);
        return distance;
    }

    // The sample: V0, every step-th vertex from V1 on before the last, then
    // the last, which stands for the last segment.
    double smallest = q.square_distance(v[0]);
    std::size_t start = 0;
    if (n > 2) {
        const std::size_t step = kv3d_polyline::sampling_step(n);
        for (std::size_t i = 1; i < n - 1; i += step) {
            const double d = q.square_distance(v[i]);
            if (d < smallest) {
                smallest = d;
                start = i;
            }
        }
    }
    const double last = q.square_distance(v[n - 1]);
    if (last < smallest) {
        smallest = last;
        start = n - 2;
    }

    // The scan visits every segment in order; see Kv3dDistanceBox.h for why
    // a segment it passes over could not have changed the result.
    PointScan scan(q, kv3d_polyline::sampled_bound(smallest), start);
    for (std::size_t first = 0; first + 1 < n; first += kBlock) {
        scan.scan_block(v, first, first + kBlock < n - 1 ? first + kBlock : n - 1);
    }
    // Nothing below the bound: the bound is no distance of the polyline, the
    // distance to the point returned is.
    const ScanResult& result = scan.result();
    const double distance = result.improved ? kv3d_polyline::distance_of_square(scan.bound())
                                            : q.distance(result.nearest(v));
    result.write(v, nearest, segment, parameter);
    return distance;
}
