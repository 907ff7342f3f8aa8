// The fitting functions on arbitrary input: point clouds of arbitrary
// doubles, or of small integers (which make collinear points, repeated points
// and exact conics common), weight arrays of any length, conic equations of
// any matrix size, every count and tangent combination. Nothing may crash,
// hang, read out of bounds or trip UBSan; a false result must leave the
// outputs as they were, and the tool's distance to the fitted curve must
// come back.
#include <kv3d/kv3d.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "ConicCanonical.h"
#include "FuzzInput.h"

using kv3dfuzz::check;
using kv3dfuzz::DoubleSource;

namespace {

KvArray<Kv3dPoint> read_points(DoubleSource& in, bool small_integers) {
    KvArray<Kv3dPoint> points;
    const int count = in.count(12);
    for (int i = 0; i < count; ++i) {
        if (small_integers) {
            const double x = in.count(256) - 128, y = in.count(256) - 128, z = in.count(256) - 128;
            points.append(Kv3dPoint(x, y, z));
        } else {
            points.append(in.point());
        }
    }
    return points;
}

KvLaDblMat read_matrix(DoubleSource& in, int max_rows, int max_cols) {
    const int rows = in.count(max_rows + 1), cols = in.count(max_cols + 1);
    KvLaDblMat m(rows, cols, 0.0);
    for (int i = 0; i < m.rows() * m.cols(); ++i) {
        m.data()[i] = in.next();
    }
    return m;
}

void exercise_classification(DoubleSource& in) {
    const KvLaDblMat Q = read_matrix(in, 3, 3), L = read_matrix(in, 2, 3);
    int type = -9;
    double a = 7.0, b = 8.0;
    KvLaDblMat rotation(1, 1, 5.0), translation;
    Kv3d_classify_conic_2d(Q, L, in.next(), type, a, b, rotation, translation);
    check(type >= -1 && type <= 5);
    if (type == -1) {
        check(a == 7.0 && b == 8.0 && rotation.rows() == 1 && translation.rows() == 0);
    } else {
        check(rotation.rows() == 2 && rotation.cols() == 2);
        check(translation.rows() == 2 && translation.cols() == 1);
    }
}

// A conic fit; on false every output keeps its sentinel (type may become -1).
template <class Fit>
void exercise_conic_fit(const KvArray<Kv3dPoint>& points, Fit fit) {
    const Kv3dTransform sentinel(2.0, Kv3dPoint(1, 2, 3));
    Kv3dTransform transform = sentinel;
    int type = -9;
    double a = 1.0, b = 0.0;
    if (!fit(type, a, b, transform)) {
        check(type == -9 || type == -1);
        check(a == 1.0 && b == 0.0);
        check(std::memcmp(transform.as_matrix(), sentinel.as_matrix(), 16 * sizeof(double)) == 0);
        return;
    }
    check(type >= 0 && type <= 5);
    Kv3dTransform back = transform;
    back.invert();
    for (Kv3dPoint p : points) {
        p.apply(back);
        kv3dcli::conic_distance_2d(type, a, b, p.x(), p.y());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    DoubleSource in(data, size);
    const int mode = in.count(4);
    const KvArray<Kv3dPoint> points = read_points(in, mode % 2 == 0);

    Kv3d_center_of_gravity(points);
    Kv3d_fit_plane_to_points(points);
    KvArray<double> weights;
    const int count = in.count(14);
    for (int i = 0; i < count; ++i) {
        weights.append(mode >= 2 ? in.count(5) - 2.0 : in.next());
    }
    Kv3d_fit_plane_to_points(points, weights);

    exercise_classification(in);

    const Kv3dDirection first(in.next(), in.next(), in.next());
    const Kv3dDirection last(in.next(), in.next(), in.next());
    const int tangents = in.count(4);
    exercise_conic_fit(points, [&](int& type, double& a, double& b, Kv3dTransform& T) {
        return Kv3d_conic_from_points_and_tangents(
            points, type, a, b, T, tangents & 1 ? &first : nullptr, tangents & 2 ? &last : nullptr);
    });
    exercise_conic_fit(points, [&](int& type, double& a, double& b, Kv3dTransform& T) {
        return kv3d_conic_data_from_points_3d(points, type, a, b, T);
    });
    return 0;
}
