#include <kv3d/Kv3dResObj.h>

#include <cmath>

namespace {

constexpr double kHalfPi = 1.5707963267948966;

}  // namespace

// Constant-initialised; the two cosine bounds are computed at load (Kv3dLoadTime.cpp).
double Kv3dResObj::same_point_tol_ = 0.001;
double Kv3dResObj::same_angle_tol_ = 1e-7;
double Kv3dResObj::model_extent_ = 8000.0;
double Kv3dResObj::same_point_sqr_ = 0.001 * 0.001 + widen_;

void Kv3dResObj::get_model_resolution(double& point_tol, double& angle_tol, double& extent) {
    point_tol = same_point_tol_;
    angle_tol = same_angle_tol_;
    extent = model_extent_;
}

void Kv3dResObj::set_model_resolution(double point_tol, double angle_tol, double extent) {
    if (point_tol > 0.0) {
        same_point_tol_ = point_tol;
        same_point_sqr_ = point_tol * point_tol + widen_;
    }
    if (angle_tol > 0.0) {
        same_angle_tol_ = angle_tol;
        same_angle_cos_ = std::cos(angle_tol) - widen_;
        same_ortho_cos_ = std::cos(kHalfPi - angle_tol) + widen_;
    }
    if (extent > 0.0) {
        model_extent_ = extent;
    }
}
