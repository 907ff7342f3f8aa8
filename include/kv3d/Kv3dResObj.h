#pragma once

#include <kv3d/kv3d_export.h>

// The process-wide model resolution against which every geometric predicate
// is judged: a point tolerance, an angle tolerance and the model extent, with
// the squared and cosine forms that let predicates compare squared lengths
// and dot products without square roots or inverse cosines.
//
// The values are plain process-wide variables: change the resolution only
// while no other thread uses the library.
class KV3D_API Kv3dResObj {
public:
    Kv3dResObj() = default;
    Kv3dResObj(const Kv3dResObj&) = default;
    Kv3dResObj& operator=(const Kv3dResObj&) { return *this; }

    // Distance under which two points count as one (model units).
    static double same_point_tol() { return same_point_tol_; }
    // Angle under which two directions count as one (radians).
    static double same_angle_tol() { return same_angle_tol_; }
    // A point or vector longer than this is out of range.
    static double model_extent() { return model_extent_; }
    // same_point_tol()^2 + 2^-51: the widened squared point tolerance.
    static double same_point_sqr() { return same_point_sqr_; }
    // cos(same_angle_tol()) - 2^-51: dot products at or above it are the same direction.
    static double same_angle_cos() { return same_angle_cos_; }
    // cos(pi/2 - same_angle_tol()) + 2^-51: |dot| at or below it is orthogonal.
    static double same_ortho_cos() { return same_ortho_cos_; }

protected:
    static void get_model_resolution(double& point_tol, double& angle_tol, double& extent);
    // Takes each argument only when it is strictly positive (zero, negative
    // and NaN leave that value and its derived forms unchanged).
    static void set_model_resolution(double point_tol, double angle_tol, double extent);

private:
    // 2^-51, twice the double-precision machine epsilon: every bound derived
    // from a tolerance is widened by it, so that a value exactly at the
    // tolerance passes despite the rounding of the squared or cosine form.
    static constexpr double widen_ = 4.440892098500626e-16;

    static double same_point_tol_;
    static double same_angle_tol_;
    static double model_extent_;
    static double same_point_sqr_;
    static double same_angle_cos_;
    static double same_ortho_cos_;
};
