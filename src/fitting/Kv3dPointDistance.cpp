// Distance from a point to a polyline.

#include <kv3d/Kv3dDistance.h>

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

// Coordinates of the vertices of one block, axis by axis, so that the
// squares of its segments are computed side by side (vectorised).
struct BlockVertices {
    double x[kBlock + 1];
    double y[kBlock + 1];
    double z[kBlock + 1];
};

// The squared distance of q from segment k of the block, and its parameter,
// exactly as the written scan computes them: e = V(k+1) - Vk and w = q - Vk
// are reflected together (kvla_h1 on e, kvla_h2 on w, pivot 0, three
// elements), so that L = e[0] is the signed length of e, a = w[0] the
// component of w along e in the same scale and w[1], w[2] the part of w
// perpendicular to e; s = a / L clamped to [0, 1] (0 when |L| < 1e-6), and
// d2 = perp^2 + (L s - a)^2. The reflections are written out with their early
// returns as selects, so that there is no branch; they compute the same
// operations on the same values. A segment whose every component is below
// 1e-20 is skipped: its square is NaN, which never counts as smaller.
//
// d2 does not depend on the bound. The written scan skips a segment when
// perp^2 > bound, where d2 >= perp^2 > bound too; so taking a segment exactly
// when d2 < bound, in order, is the written scan.
inline double segment_square(const Kv3dPoint& q, const BlockVertices& b, std::size_t k,
                             double& parameter) {
    const double e0 = b.x[k + 1] - b.x[k];
    const double e1 = b.y[k + 1] - b.y[k];
    const double e2 = b.z[k + 1] - b.z[k];
    const double w0 = q.x() - b.x[k];
    const double w1 = q.y() - b.y[k];
    const double w2 = q.z() - b.z[k];
    // Conditions are combined with &, so that the compiler finds no branch.
    const bool skipped =
        (std::fabs(e0) < 1e-20) & (std::fabs(e1) < 1e-20) & (std::fabs(e2) < 1e-20);

    // kvla_h1(0, 1, 3, e, 1, up): up stays 0.0 and e as it was when cl <= 0.
    double cl = std::fabs(e0);
    cl = std::fabs(e1) < cl ? cl : std::fabs(e1);
    cl = std::fabs(e2) < cl ? cl : std::fabs(e2);
    const bool reflect = !(cl <= 0.0);
    const double clinv = 1.0 / cl;
    const double p = e0 * clinv;
    double sm = p * p;
    const double t1 = e1 * clinv;
    sm += t1 * t1;
    const double t2 = e2 * clinv;
    sm += t2 * t2;
    const double norm = cl * std::sqrt(sm);
    const double signed_norm = e0 > 0.0 ? -norm : norm;
    const double up = reflect ? e0 - signed_norm : 0.0;
    const double length = reflect ? signed_norm : e0;

    // kvla_h2(0, 1, 3, e, 1, up, w, 1, 3, 1): w stays as it was when
    // |e[0]| <= 0, up * e[0] >= 0 or the projection sm is 0.
    const double bb = up * length;
    const double binv = 1.0 / bb;
    const double proj = w0 * up + w1 * e1 + w2 * e2;
    const bool apply = !(std::fabs(length) <= 0.0) & !(bb >= 0.0) & (proj != 0.0);
    const double f = proj * binv;
    const double along = apply ? w0 + f * up : w0;
    const double n1 = apply ? w1 + f * e1 : w1;
    const double n2 = apply ? w2 + f * e2 : w2;

    const double perp2 = n1 * n1 + n2 * n2;
    const double ratio = kv3d_polyline::clamp_unit(along / length);
    const double s = std::fabs(length) >= 1e-6 ? ratio : 0.0;
    const double r = length * s - along;
    const double d2 = perp2 + r * r;
    parameter = s;
    return skipped ? std::numeric_limits<double>::quiet_NaN() : d2;
}

// The scan of the segments against q with its bound (a squared distance).
class PointScan {
public:
    PointScan(const Kv3dPoint& q, double bound, std::size_t start)
        : q_(q), q_box_(q), bound_(bound), radius_(std::sqrt(bound)) {
        result_.segment = start;
    }

    // Segments first .. first + count - 1 (count <= kBlock), in order.
    void scan_block(const Kv3dPoint* v, std::size_t first, std::size_t count) {
        if (kv3d_polyline::far_apart(DistanceBox(v + first, count + 1), q_box_, radius_)) {
            return;
        }
        BlockVertices b;
        for (std::size_t k = 0; k <= count; ++k) {
            b.x[k] = v[first + k].x();
            b.y[k] = v[first + k].y();
            b.z[k] = v[first + k].z();
        }
        double squares[kBlock];
        double parameters[kBlock];
        for (std::size_t k = 0; k < count; ++k) {
            squares[k] = segment_square(q_, b, k, parameters[k]);
        }
        for (std::size_t k = 0; k < count; ++k) {
            if (squares[k] < bound_) {
                bound_ = squares[k];
                result_.take(first + k, parameters[k]);
            }
        }
        radius_ = std::sqrt(bound_);
    }

    double bound() const { return bound_; }
    const ScanResult& result() const { return result_; }

private:
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
    double answer = 0.0;
    if (kv3d_polyline::measure_without_segments(
            polyline, [&q](const Kv3dPoint& p) { return q.distance(p); }, nearest, segment,
            parameter, answer)) {
        return answer;
    }
    const std::size_t n = polyline.size();
    const Kv3dPoint* v = polyline.data();

    // The sample, then the last vertex, which stands for the last segment.
    const auto square = [&q](const Kv3dPoint& p) { return q.square_distance(p); };
    kv3d_polyline::Sample sample = kv3d_polyline::sample_vertices(v, n, square);
    const double last = square(v[n - 1]);
    if (last < sample.smallest) {
        sample = kv3d_polyline::Sample{last, n - 2};
    }

    // The scan visits every segment in order; see Kv3dDistanceBox.h for why
    // a segment it passes over could not have changed the result.
    PointScan scan(q, kv3d_polyline::sampled_bound(sample.smallest), sample.start);
    for (std::size_t first = 0; first + 1 < n; first += kBlock) {
        scan.scan_block(v, first, first + kBlock < n - 1 ? kBlock : n - 1 - first);
    }
    // Nothing below the bound: the bound is no distance of the polyline, the
    // distance to the point returned is.
    const ScanResult& result = scan.result();
    const double distance = result.improved ? kv3d_polyline::distance_of_square(scan.bound())
                                            : q.distance(result.nearest(v));
    result.write(v, nearest, segment, parameter);
    return distance;
}
