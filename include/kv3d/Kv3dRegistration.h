#pragma once

#include <kv/KvArray.h>
#include <kv/KvPair.h>
#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dTransform.h>
#include <kv3d/kv3d_export.h>

// Best-fit registration: the transform T of the given type that minimises
// sum_i w_i |T p_i - q_i|^2 over every pair (p_i, q_i) = (first, second).
//
// RIGID: a rotation and a translation, never a reflection (Kabsch): with the
//   weighted centroids p0, q0 and the cross-covariance H = sum_i w_i (p_i - p0)
//   (q_i - q0)^T = U S V^T, R = V D U^T with D = diag(1, 1, sign(det(V U^T))),
//   t = q0 - R p0. The result is marked orthonormal.
// SIMILARITY: the same rotation and a uniform scale (Umeyama),
//   s = trace(S D) / sum_i w_i |p_i - p0|^2, t = q0 - s R p0.
// AFFINE: any A and t, by linear least squares on the centred pairs.
// Targets that do not vary with the sources (all in one point, say) give the
// least-squares answer all the same: scale 0 (SIMILARITY) or A = 0 (AFFINE),
// every point sent to q0.
// Any other type value acts as RIGID.
//
// Weights: without an array every pair weighs 1; with one, pair i weighs
// weights[i], and a pair past the array's end weighs 0 (the array is never
// read past its end, nor past the pairs). Only the ratios of the weights
// matter: equal weights give the unweighted fit, a zero weight removes a pair.
//
// rms (may be null) receives the weighted RMS residual of the result,
// sqrt(sum_i w_i |T p_i - q_i|^2 / sum_i w_i): the minimised quantity, the
// plain RMS over all pairs when they weigh the same.
//
// Returns false, leaving result and rms as they were, when a coordinate of
// any pair (of weight 0 too) is not finite, a weight is negative or not finite, the weights sum to
// zero, the result would not be finite, or the pairs of positive weight do not fix the transform:
// their source points, centred on p0 and weighted by sqrt(w_i), have singular values s1 >= s2 >=
// s3, and the fit needs s2 > tol * s1 (three non-collinear points) for RIGID and SIMILARITY and s3
// > tol * s1 (four non-coplanar points) for AFFINE, tol = Kv3d_registration_spread_tol. The test is
// scale-free: it depends on the shape of the point set only.
KV3D_API bool Kv3d_fit_transform_least_squares(const KvArray<KvPair<Kv3dPoint, Kv3dPoint>>& pairs,
                                               Kv3dTransform::Kv3dTransformType type,
                                               Kv3dTransform& result, double* rms,
                                               const KvArray<double>* weights = nullptr);

// 2^-26, about 1.5e-8, the square root of the unit roundoff of a double. Below
// it the rotation about the line (or plane) nearest to the source points is
// decided by rounding, to about 2^-52 / tol radians, rather than by the data.
constexpr double Kv3d_registration_spread_tol = 0x1p-26;
