#include <kv3d/Kv3dResObj.h>

#include <cmath>

namespace {

// 2^-51, twice the double-precision machine epsilon: every bound derived from
// a tolerance is widened by it, so that a value exactly at the tolerance
// passes despite the rounding of the squared or cosine form.
constexpr double kWiden = 4.440892098500626e-16;
constexpr double kHalfPi = 1.5707963267948966;

}  // namespace

double Kv3dResObj::same_point_tol_ = 0.001;
double Kv3dResObj::same_angle_tol_ = 1e-7;
double Kv3dResObj::model_extent_ = 8000.0;
double Kv3dResObj::same_point_sqr_ = 0.001 * 0.001 + kWiden;
// The two cosine bounds are computed when the library is loaded.
double Kv3dResObj::same_angle_cos_ = std::cos(1e-7) - kWiden;
double Kv3dResObj::same_ortho_cos_ = std::cos(1.5707962267948965) + kWiden;

void Kv3dResObj::get_model_resolution(double& point_tol, double& angle_tol, double& extent) {
    point_tol = same_point_tol_;
    angle_tol = same_angle_tol_;
    extent = model_extent_;
}

void Kv3dResObj::set_model_resolution(double point_tol, double angle_tol, double extent) {
    if (point_tol > 0.0) {
        same_point_tol_ = point_tol;
        same_point_sqr_ = point_tol * point_tol + kWiden;
    }
    if (angle_tol > 0.0) {
        same_angle_tol_ = angle_tol;
        same_angle_cos_ = std::cos(angle_tol) - kWiden;
        same_ortho_cos_ = std::cos(kHalfPi - angle_tol) + kWiden;
    }
    if (extent > 0.0) {
        model_extent_ = extent;
    }
}
