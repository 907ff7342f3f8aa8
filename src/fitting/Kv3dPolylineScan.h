#pragma once

// What the three polyline distances share: the vertex sample, the bound taken
// from it, the parameter clamp and the result they write.

#include <kv/KvArray.h>
#include <kv3d/Kv3dPoint.h>

#include <cmath>
#include <cstddef>
#include <limits>

namespace kv3d_polyline {

// Every step-th vertex is sampled: n / 20 for n > 20 vertices, else every one,
// so that fewer than 40 vertices of a long polyline are sampled.
inline std::size_t sampling_step(std::size_t n) { return n > 20 ? n / 20 : 1; }

// The bound a scan starts from: 1.01 times the smallest sampled squared
// distance plus 1e-6 (squared model units), above the sample itself.
inline double sampled_bound(double smallest_square) { return 1.01 * smallest_square + 1e-6; }

// s clamped to [0, 1]; -0.0 becomes 0.0, NaN stays NaN. Both comparisons
// are made in any case, so that a loop around it can go without branches.
inline double clamp_unit(double s) {
    const bool low = s <= 0.0;
    const bool high = s >= 1.0;
    return low ? 0.0 : (high ? 1.0 : s);
}

// The point (1 - t) v[i] + t v[i + 1] of segment i.
inline Kv3dPoint segment_point(const Kv3dPoint* v, std::size_t i, double t) {
    return v[i] * (1.0 - t) + v[i + 1] * t;
}

// The smallest sampled squared distance and the vertex where it was found.
struct Sample {
    double smallest;
    std::size_t start;
};

// square(Vi) over V0 and every step-th vertex from V1 on before the last
// (n >= 2): the first smallest, compared strictly.
template <class Square>
Sample sample_vertices(const Kv3dPoint* v, std::size_t n, Square&& square) {
    Sample sample{square(v[0]), 0};
    if (n > 2) {
        const std::size_t step = sampling_step(n);
        for (std::size_t i = 1; i < n - 1; i += step) {
            const double d = square(v[i]);
            if (d < sample.smallest) {
                sample = Sample{d, i};
            }
        }
    }
    return sample;
}

// The distance whose square a scan ended with; below 1e-20 it is 0.0.
inline double distance_of_square(double square) { return square < 1e-20 ? 0.0 : std::sqrt(square); }

// Where a scan stands on one polyline: the best segment and its parameter.
// Results are written only after the returned distance has been computed, so
// that an output may share its object with an input.
struct ScanResult {
    std::size_t segment = 0;
    double parameter = 0.0;
    // False while nothing has improved on the sampled bound.
    bool improved = false;

    void take(std::size_t i, double t) {
        segment = i;
        parameter = t;
        improved = true;
    }

    Kv3dPoint nearest(const Kv3dPoint* v) const { return segment_point(v, segment, parameter); }

    // Writes the nearest point of v and, where asked for, segment and parameter.
    void write(const Kv3dPoint* v, Kv3dPoint& nearest_out, int* segment_out,
               double* parameter_out) const {
        write(nearest(v), segment, parameter, nearest_out, segment_out, parameter_out);
    }

    // The result of a one-vertex polyline: V0, segment 0, parameter 0.0.
    static void write_vertex(const Kv3dPoint* v, Kv3dPoint& nearest_out, int* segment_out,
                             double* parameter_out) {
        write(v[0], 0, 0.0, nearest_out, segment_out, parameter_out);
    }

private:
    static void write(const Kv3dPoint& p, std::size_t i, double t, Kv3dPoint& nearest_out,
                      int* segment_out, double* parameter_out) {
        nearest_out = p;
        if (segment_out != nullptr) {
            *segment_out = static_cast<int>(i);
        }
        if (parameter_out != nullptr) {
            *parameter_out = t;
        }
    }
};

// A polyline without segments: none gives +infinity and writes nothing, one
// vertex V0 gives distance(V0) and V0 itself, segment 0, parameter 0.0.
// Returns false, with nothing done, for two vertices or more.
template <class Distance>
bool measure_without_segments(const KvArray<Kv3dPoint>& polyline, Distance&& distance,
                              Kv3dPoint& nearest, int* segment, double* parameter, double& result) {
    if (polyline.size() == 0) {
        result = std::numeric_limits<double>::infinity();
        return true;
    }
    if (polyline.size() == 1) {
        result = distance(polyline[0]);
        ScanResult::write_vertex(polyline.data(), nearest, segment, parameter);
        return true;
    }
    return false;
}

}  // namespace kv3d_polyline
