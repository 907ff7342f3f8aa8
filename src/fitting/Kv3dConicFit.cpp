// Plane conics through points and tangents in space.
//
// The points are mapped into a frame on their least-squares plane; in its
// (x, y) coordinates the conic u0 x^2 + 2 u1 x y + u2 y^2 + u3 x + u4 y + u5 = 0
// is linear in u, so every condition is one row of a homogeneous system M u = 0:
//   a point (x, y):             (x^2, 2 x y, y^2, x, y, 1)
//   a tangent (dx, dy) at (x, y): the gradient (2 u0 x + 2 u1 y + u3,
//     2 u1 x + 2 u2 y + u4) is perpendicular to it:
//                               (2 x dx, 2 (dx y + dy x), 2 y dy, dx, dy, 0)
// Five independent conditions leave a one-dimensional null space, the conic.
// Rank 3 means points on one line (the conics through them are the line
// pairs containing it). More than five points are fitted in the least-squares
// sense: u is the right singular vector of M's smallest singular value.

#include <kv/KvArray.h>
#include <kv3d/Kv3dCartesCoordSys.h>
#include <kv3d/Kv3dCoordSys.h>
#include <kv3d/Kv3dFitting.h>
#include <kv3d/Kv3dTypes.h>
#include <kvla/KvLaAlgorithms.h>
#include <kvla/KvLaDblMat.h>

#include <cmath>
#include <cstddef>

namespace {

constexpr double kRankTolerance = 1e-5;
// Farther than this from the line through the first two points (in either
// perpendicular coordinate) a point is off the line.
constexpr double kLineTolerance = 1e-5;
// In-plane coordinates at most this fraction of the largest are rounding
// left by the plane frame; see flush_noise.
constexpr double kFrameNoise = 1e-9;

const int kColumns = 6;

// In-plane coordinates of a point or a tangent.
struct PlanePair {
    double x;
    double y;
};

// Sets to 0.0 every coordinate of v whose magnitude is at most kFrameNoise
// times the largest magnitude among them. Collinear points along a frame axis
// come out of the plane transform with rounding noise (1e-16 relative) in the
// other coordinate; the rank is decided on column-scaled rows, where such a
// column of noise would count like any other and make collinear points look
// like a conic.
void flush_noise(PlanePair* v, std::size_t count) {
    double largest = 0.0;
    for (std::size_t k = 0; k < count; ++k) {
        for (const double c : {std::fabs(v[k].x), std::fabs(v[k].y)}) {
            largest = c > largest ? c : largest;
        }
    }
    const double limit = kFrameNoise * largest;
    for (std::size_t k = 0; k < count; ++k) {
        for (double* c : {&v[k].x, &v[k].y}) {
            if (std::fabs(*c) <= limit) {
                *c = 0.0;
            }
        }
    }
}

void set_point_row(KvLaDblMat& M, int row, const PlanePair& p) {
    const double x = p.x;
    const double y = p.y;
    M(row, 0) = x * x;
    M(row, 1) = (x * 2.0) * y;
    M(row, 2) = y * y;
    M(row, 3) = x;
    M(row, 4) = y;
    M(row, 5) = 1.0;
}

void set_tangent_row(KvLaDblMat& M, int row, const PlanePair& p, const PlanePair& d) {
    const double x = p.x;
    const double y = p.y;
    M(row, 0) = (x * 2.0) * d.x;
    M(row, 1) = (d.x * y + d.y * x) * 2.0;
    M(row, 2) = (y * 2.0) * d.y;
    M(row, 3) = d.x;
    M(row, 4) = d.y;
    M(row, 5) = 0.0;
}

// The tangent's in-plane components after the plane transform, noise removed.
PlanePair plane_tangent(const Kv3dDirection& tangent, const Kv3dTransform& P) {
    Kv3dDirection d = tangent;
    d.apply(P);
    PlanePair v{d.x(), d.y()};
    flush_noise(&v, 1);
    return v;
}

// Points on the line through the first two: type 5 placed by the line frame
// (origin the first point, y axis towards the second). The points checked are
// those from index 2 on, up to index 4 unless more than five are given.
bool fit_line(const KvArray<Kv3dPoint>& points, int& type, Kv3dTransform& transform) {
    const std::size_t n = points.size();
    if (points[0].geom_equal(points[1])) {
        return false;
    }
    const Kv3dCartesCoordSys line_frame(points[0], points[1] - points[0], Kv3d::Y_AXIS);
    const Kv3dTransform T(line_frame, Kv3dTransform::GLOBAL_TO_LOCAL);
    const std::size_t end = n > 5 ? n : 5;
    for (std::size_t i = 2; i < end && i < n; ++i) {
        Kv3dPoint q = points[i];
        q.apply(T);
        if (!(std::fabs(q.x()) <= kLineTolerance) || !(std::fabs(q.z()) <= kLineTolerance)) {
            return false;
        }
    }
    type = 5;
    transform = T;
    transform.invert();
    return true;
}

// Classifies the conic u (column 0 of N, six rows) and places its canonical
// frame: first in plane coordinates, then through the inverse of P in model
// space. False, with only type written, when it is no real curve.
bool place_conic(const KvLaDblMat& N, Kv3dTransform& P, int& type, double& a, double& b,
                 Kv3dTransform& transform) {
    KvLaDblMat Q(2, 2, N(0, 0));
    Q(1, 0) = N(1, 0);
    Q(0, 1) = N(1, 0);
    Q(1, 1) = N(2, 0);
    KvLaDblMat L(1, 2, N(3, 0));
    L(0, 1) = N(4, 0);
    KvLaDblMat R;
    KvLaDblMat t;
    Kv3d_classify_conic_2d(Q, L, N(5, 0), type, a, b, R, t);
    if (type < 0) {
        return false;
    }
    const Kv3dCartesCoordSys canonical(Kv3dPoint(t(0, 0), t(1, 0), 0.0),
                                       Kv3dVector(R(0, 0), R(1, 0), 0.0),
                                       Kv3dVector(R(0, 1), R(1, 1), 0.0));
    transform = Kv3dTransform(canonical);
    P.invert();
    transform.apply(P);
    return true;
}

// The common path: five conditions (points first, then the first and the
// last tangent), or the least-squares fit of more than five points.
bool fit_conic(const KvArray<Kv3dPoint>& points, const Kv3dDirection* first_tangent,
               const Kv3dDirection* last_tangent, int& type, double& a, double& b,
               Kv3dTransform& transform) {
    const std::size_t n = points.size();
    const Kv3dPlane plane = Kv3d_fit_plane_to_points(points);
    const Kv3dDirection& normal = plane.normal();
    const Kv3dCartesCoordSys plane_frame(
        plane.basepoint(), Kv3dVector(normal.x(), normal.y(), normal.z()), Kv3d::Z_AXIS);
    const Kv3dCoordSys model_frame = Kv3dCartesCoordSys();
    // Model points to plane coordinates; z, the distance from the plane, is
    // dropped.
    Kv3dTransform P(plane_frame, model_frame);

    KvArray<PlanePair> in_plane;
    in_plane.resize(n);
    for (std::size_t k = 0; k < n; ++k) {
        Kv3dPoint q = points[k];
        q.apply(P);
        in_plane[k] = PlanePair{q.x(), q.y()};
    }
    flush_noise(in_plane.data(), n);

    const bool least_squares = n > 5;
    const int rows = least_squares ? static_cast<int>(n) : 5;
    KvLaDblMat M(rows, kColumns, 0.0);
    int row = 0;
    for (; row < static_cast<int>(n); ++row) {
        set_point_row(M, row, in_plane[static_cast<std::size_t>(row)]);
    }
    if (first_tangent != nullptr) {
        set_tangent_row(M, row++, in_plane[0], plane_tangent(*first_tangent, P));
    }
    if (last_tangent != nullptr) {
        set_tangent_row(M, row++, in_plane[n - 1], plane_tangent(*last_tangent, P));
    }

    int rank = -1;
    KvLaDblMat N;
    if (least_squares) {
        kvla_smallest_singular_vector(M, kRankTolerance, &rank, N);
    } else {
        KvLaDblMat solution;
        kvla_linearsolve(M, KvLaDblMat(rows, 1, 0.0), solution, kRankTolerance, &rank, &N);
    }
    if (rank == 3) {
        return fit_line(points, type, transform);
    }
    if (rank < 5 || N.rows() < kColumns || N.cols() < 1) {
        return false;
    }
    return place_conic(N, P, type, a, b, transform);
}

}  // namespace

bool Kv3d_conic_from_points_and_tangents(const KvArray<Kv3dPoint, KvAllocator<Kv3dPoint>>& points,
                                         int& type, double& a, double& b, Kv3dTransform& transform,
                                         const Kv3dDirection* first_tangent,
                                         const Kv3dDirection* last_tangent) {
    const std::size_t n = points.size();
    const int tangents = (first_tangent != nullptr ? 1 : 0) + (last_tangent != nullptr ? 1 : 0);
    // Five conditions: four with one tangent at either end, three with both.
    if (n + static_cast<std::size_t>(tangents) != 5 || n < 3) {
        return false;
    }
    return fit_conic(points, first_tangent, last_tangent, type, a, b, transform);
}

bool kv3d_conic_data_from_points_3d(const KvArray<Kv3dPoint, KvAllocator<Kv3dPoint>>& points,
                                    int& type, double& a, double& b, Kv3dTransform& transform) {
    if (points.size() < 5) {
        return false;
    }
    return fit_conic(points, nullptr, nullptr, type, a, b, transform);
}
