#pragma once

#include <kv/KvAllocator.h>
#include <kv/KvArray.h>
#include <kv3d/Kv3dDirection.h>
#include <kv3d/Kv3dPlane.h>
#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dTransform.h>
#include <kv3d/kv3d_export.h>
#include <kvla/KvLaDblMat.h>

// Fitting: centre of gravity, least-squares planes, plane conics.

// The mean of the points, sum of p / n in array order (every term divided
// before it is added); (0, 0, 0) for an empty array.
KV3D_API Kv3dPoint Kv3d_center_of_gravity(const KvArray<Kv3dPoint, KvAllocator<Kv3dPoint>>& points);

// The least-squares plane through the points: base point their centre of
// gravity, u axis and v axis the unit eigenvectors of the two largest
// eigenvalues of the scatter matrix sum (p - c)(p - c)^T (signs as the eigen
// routine gives them), normal u x v. The default plane for an empty array.
KV3D_API Kv3dPlane
Kv3d_fit_plane_to_points(const KvArray<Kv3dPoint, KvAllocator<Kv3dPoint>>& points);

// The same with point k weighted by weights[k] squared (so w and -w act
// alike and 0 removes the point): centre sum w^2 p / sum w^2, scatter sum
// ((p - c) w^2)(p - c)^T. A point without a weight (the weight array being
// shorter) has weight 0; extra weights are ignored. The default plane for an
// empty array or when the squared weights sum to 0.
KV3D_API Kv3dPlane
Kv3d_fit_plane_to_points(const KvArray<Kv3dPoint, KvAllocator<Kv3dPoint>>& points,
                         const KvArray<double, KvAllocator<double>>& weights);

// Brings the plane conic x^T Q x + L x + c = 0 (Q symmetric 2 x 2, L a 1 x 2
// row) to canonical form in the frame (x'', y'') = R x + t of Q's eigenvectors:
//   type 0 ellipse        x''^2/a^2 + y''^2/b^2 = 1, a >= b
//   type 1 hyperbola      x''^2/a^2 - y''^2/b^2 = 1
//   type 2 parabola       x''^2/a^2 + 2 y'' = 0, b = 0
//   type 3 crossing lines x'' = +-a y'', a >= 1, b = 1
//   type 4 parallel lines x'' = +-a, b = 0
//   type 5 one line       x'' = 0, a = 1, b = 0
//   type -1 no real curve (imaginary, a single point, no quadratic part).
// Eigenvalues, linear terms and the constant below 1e-10 in magnitude count
// as zero. For types 0 to 5, rotation (2 x 2, orthonormal, columns the
// canonical axes) and translation (2 x 1, the canonical origin) place the
// canonical curve: x = rotation (x'', y'') + translation. For type -1 only
// type is written. Elements missing from a smaller Q or L read as 0.0.
KV3D_API void Kv3d_classify_conic_2d(const KvLaDblMat& Q, const KvLaDblMat& L, const double& c,
                                     int& type, double& a, double& b, KvLaDblMat& rotation,
                                     KvLaDblMat& translation);

// The plane conic through five conditions: five points, four points and a
// tangent direction at the first or the last, or three points and both
// tangents (any other combination: false at once). The points are projected
// onto their least-squares plane; type, a and b are those of
// Kv3d_classify_conic_2d and transform carries the canonical curve (in its
// x-y plane) to model space. Five collinear points (the first two distinct)
// give type 5 with transform's y axis along the line and its origin at the
// first point; a and b are then not written. False, with type, a, b and
// transform as they were, for a system of rank 4 or below 3, and for a line
// the points do not follow; type alone becomes -1 when the conic is no real
// curve.
KV3D_API bool Kv3d_conic_from_points_and_tangents(
    const KvArray<Kv3dPoint, KvAllocator<Kv3dPoint>>& points, int& type, double& a, double& b,
    Kv3dTransform& transform, const Kv3dDirection* first_tangent,
    const Kv3dDirection* last_tangent);

// The same from five points or more (fewer: false at once). More than five
// points are fitted in the least-squares sense: the coefficients are the
// right singular vector of the smallest singular value of the n x 6 system,
// and every point beyond the second must follow a collinear fit.
KV3D_API bool kv3d_conic_data_from_points_3d(
    const KvArray<Kv3dPoint, KvAllocator<Kv3dPoint>>& points, int& type, double& a, double& b,
    Kv3dTransform& transform);
