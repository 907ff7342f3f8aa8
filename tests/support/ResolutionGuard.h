#pragma once

#include <kv3d/Kv3dResObj.h>

// Sets the model resolution for the life of the guard and restores the one
// it found. Tests that change the resolution use it so that no test leaks a
// resolution into the next.
class ResolutionGuard : public Kv3dResObj {
public:
    ResolutionGuard() { get_model_resolution(point_tol_, angle_tol_, extent_); }
    ResolutionGuard(double point_tol, double angle_tol, double extent) : ResolutionGuard() {
        set(point_tol, angle_tol, extent);
    }
    ~ResolutionGuard() { set_model_resolution(point_tol_, angle_tol_, extent_); }

    static void set(double point_tol, double angle_tol, double extent) {
        set_model_resolution(point_tol, angle_tol, extent);
    }
    static void get(double& point_tol, double& angle_tol, double& extent) {
        get_model_resolution(point_tol, angle_tol, extent);
    }

private:
    double point_tol_ = 0.0;
    double angle_tol_ = 0.0;
    double extent_ = 0.0;
};
