// Distance between two polylines.

#include <kv3d/Kv3dDistance.h>
#include <kvla/detail/KvLaHouseholder.h>

#include <cmath>
#include <cstddef>
#include <limits>

#include "Kv3dDistanceBox.h"
#include "Kv3dPolylineScan.h"
#include "Kv3dSegmentBoxTree.h"

namespace {

using kv3d_polyline::clamp_unit;

double square(double x) { return x * x; }

// The scan over the segment pairs (i of the first polyline, j of the second)
// with the best distance so far, best (a distance, compared squared).
class PairScan {
public:
    PairScan(double best, std::size_t sa, std::size_t sb) : best_(best) {
        first_.segment = sa;
        second_.segment = sb;
    }

    // Pair (i, j), segments a0 + s ea and b0 + t eb, s and t in [0, 1].
    void measure(const Kv3dPoint* a, std::size_t i, const Kv3dPoint* b, std::size_t j) {
        const Kv3dPoint& a0 = a[i];
        const Kv3dPoint& b0 = b[j];
        const Kv3dVector ea = a[i + 1] - a0;
        const Kv3dVector eb = b[j + 1] - b0;
        const Kv3dVector w = b0 - a0;
        const double la = ea.length();
        const double lb = eb.length();
        if (a0.distance(b0) - la - lb > best_) {
            return;
        }
        // The squared distance of the two points is |s ea - t eb - w|^2.
        // Columns ea, -eb, w (column-major 3 x 3), triangularised by two
        // reflections, give it as (r00 s + r01 t - c0)^2 + (r11 t - c1)^2
        // + c2^2; |c2| is the distance of the two carrier lines.
        double m[9] = {ea.x(), ea.y(), ea.z(), -eb.x(), -eb.y(), -eb.z(), w.x(), w.y(), w.z()};
        double up = 0.0;
        kvla_detail::householder_construct(0, 1, 3, m, 1, up);
        kvla_detail::householder_apply(0, 1, 3, m, 1, up, m + 3, 1, 3, 2);
        kvla_detail::householder_construct(1, 2, 3, m + 3, 1, up);
        kvla_detail::householder_apply(1, 2, 3, m + 3, 1, up, m + 6, 1, 3, 1);
        const double r00 = m[0];
        const double r01 = m[3];
        const double r11 = m[4];
        const double c0 = m[6];
        const double c1 = m[7];
        const double c2 = m[8];
        if (std::fabs(c2) > best_) {
            return;
        }
        // The closest approach of the carrier lines, when inside both.
        if (la > 1e-6 && lb > 1e-6 && std::fabs(r11) > 1e-6) {
            const double t = c1 / r11;
            if (0.0 <= t && t <= 1.0) {
                const double s = (c0 - t * r01) / r00;
                if (0.0 <= s && s <= 1.0 && offer(c2 * c2, i, j, s, t)) {
                    return;
                }
            }
        }
        const bool both_short = la < 1e-6 && lb < 1e-6;
        if (!both_short && lb >= 1e-6) {
            // The ends of segment i projected onto segment j.
            for (const double s : {0.0, 1.0}) {
                const double t =
                    clamp_unit(((c0 - r00 * s) * r01 + r11 * c1) / (r01 * r01 + r11 * r11));
                offer(square(r01 * t + r00 * s - c0) + square(r11 * t - c1) + c2 * c2, i, j, s, t);
            }
        }
        if (!both_short && la >= 1e-6) {
            // The ends of segment j projected onto segment i.
            for (const double t : {0.0, 1.0}) {
                const double s = clamp_unit((c0 - r01 * t) / r00);
                offer(square(r00 * s + r01 * t - c0) + square(r11 * t - c1) + c2 * c2, i, j, s, t);
            }
        }
        if (both_short) {
            offer(c0 * c0 + c1 * c1 + c2 * c2, i, j, 0.0, 0.0);
        }
    }

    // The best distance, which the box tests read as their limit.
    const double& best() const { return best_; }
    const kv3d_polyline::ScanResult& first() const { return first_; }
    const kv3d_polyline::ScanResult& second() const { return second_; }

private:
    // Takes a squared distance below the best one, and then says so.
    bool offer(double candidate, std::size_t i, std::size_t j, double s, double t) {
        if (!(candidate < best_ * best_)) {
            return false;
        }
        best_ = std::sqrt(candidate);
        first_.take(i, s);
        second_.take(j, t);
        return true;
    }

    double best_;
    kv3d_polyline::ScanResult first_;
    kv3d_polyline::ScanResult second_;
};

// The best sampled vertex pair, as the segments starting there (the last
// vertex stands for the last segment), and the distance bound it gives.
PairScan sampled_start(const KvArray<Kv3dPoint>& first, const KvArray<Kv3dPoint>& second) {
    const std::size_t na = first.size();
    const std::size_t nb = second.size();
    const std::size_t step_a = kv3d_polyline::sampling_step(na);
    const std::size_t step_b = kv3d_polyline::sampling_step(nb);
    // From +infinity, not from a large finite value: polylines farther apart
    // than its root would keep it, and the scan, bounded below their true
    // distance, could find nothing.
    double smallest = std::numeric_limits<double>::infinity();
    std::size_t sa = 0;
    std::size_t sb = 0;
    for (std::size_t i = 0; i < na; i += step_a) {
        for (std::size_t j = 0; j < nb; j += step_b) {
            const double d = first[i].square_distance(second[j]);
            if (d < smallest) {
                smallest = d;
                sa = i;
                sb = j;
            }
        }
    }
    return PairScan(std::sqrt(kv3d_polyline::sampled_bound(smallest)), sa == na - 1 ? na - 2 : sa,
                    sb == nb - 1 ? nb - 2 : sb);
}

}  // namespace

double Kv3d_distance(const KvArray<Kv3dPoint>& first, const KvArray<Kv3dPoint>& second,
                     Kv3dPoint& nearest_first, Kv3dPoint& nearest_second, int* segment_first,
                     double* parameter_first, int* segment_second, double* parameter_second) {
    if (first.size() == 0 || second.size() == 0) {
        return std::numeric_limits<double>::infinity();
    }
    if (first.size() == 1) {
        kv3d_polyline::ScanResult::write_vertex(first.data(), nearest_first, segment_first,
                                                parameter_first);
        return Kv3d_distance(first[0], second, nearest_second, segment_second, parameter_second);
    }
    if (second.size() == 1) {
        kv3d_polyline::ScanResult::write_vertex(second.data(), nearest_second, segment_second,
                                                parameter_second);
        return Kv3d_distance(second[0], first, nearest_first, segment_first, parameter_first);
    }

    // Every pair (i, j) in the order i, then j, that the box tree does not
    // pass over: the same order and start as the scan of all pairs, whose
    // result this is, to the bit. By induction along that order: while both
    // states agree, a pair measured changes them alike, and a pair passed
    // over was found, earlier in the same walk, farther apart than the best
    // distance then by more than rounding can hide (Kv3dDistanceBox.h); the
    // best distance only falls, so the full scan leaves its state unchanged
    // there too.
    PairScan scan = sampled_start(first, second);
    const Kv3dPoint* a = first.data();
    const Kv3dPoint* b = second.data();
    const kv3d_polyline::SegmentBoxTree tree(second);
    for (std::size_t i = 0; i + 1 < first.size(); ++i) {
        tree.for_each_near(kv3d_polyline::DistanceBox(a + i, 2), scan.best(),
                           [&](std::size_t j) { scan.measure(a, i, b, j); });
    }

    const double distance = scan.first().improved
                                ? scan.best()
                                : scan.first().nearest(a).distance(scan.second().nearest(b));
    scan.first().write(a, nearest_first, segment_first, parameter_first);
    scan.second().write(b, nearest_second, segment_second, parameter_second);
    return distance;
}
