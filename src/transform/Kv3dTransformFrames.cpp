// The transforms built from coordinate systems: a frame's matrix, its
// inverse, the change between two frames, and the screw motion conjugated
// through a frame. (The scaling perpendicular to a plane is built the same
// way, next to the plane, in Kv3dPlane.cpp.)

#include <kv3d/Kv3dCartesCoordSys.h>
#include <kv3d/Kv3dCoordSys.h>
#include <kv3d/Kv3dRotation.h>
#include <kv3d/Kv3dTransform.h>

#include <cmath>

void Kv3dTransform::frame_matrix(const Kv3dCoordSys& c, double* m) {
    const Kv3dVector& x = c.axis(Kv3d::X_AXIS);
    const Kv3dVector& y = c.axis(Kv3d::Y_AXIS);
    const Kv3dVector& z = c.axis(Kv3d::Z_AXIS);
    const Kv3dPoint& p = c.basepoint();
    const double rows[16] = {x.x(), y.x(), z.x(), p.x(), x.y(), y.y(), z.y(), p.y(),
                             x.z(), y.z(), z.z(), p.z(), 0.0,   0.0,   0.0,   1.0};
    for (int i = 0; i < 16; ++i) {
        m[i] = rows[i];
    }
}

Kv3dTransform::Kv3dTransform(const Kv3dCoordSys& c) : orthonormal_(c.is_cartesian()) {
    frame_matrix(c, m_);
}

Kv3dTransform::Kv3dTransform(const Kv3dCoordSys& c, TransDirection dir)
    : orthonormal_(c.is_cartesian()) {
    frame_matrix(c, m_);
    if (static_cast<int>(dir) != LOCAL_TO_GLOBAL && !invert()) {
        set_zero();
    }
}

Kv3dTransform::Kv3dTransform(const Kv3dCoordSys& from, const Kv3dCoordSys& to)
    : orthonormal_(from.is_cartesian()) {
    frame_matrix(from, m_);
    if (!invert()) {
        set_zero();
        orthonormal_ = from.is_cartesian() && to.is_cartesian();
        return;
    }
    apply(Kv3dTransform(to));
}

void Kv3dTransform::conjugate_about_axis(const Kv3dPoint& p, const Kv3dDirection& d) {
    double F[16];
    if (!(d % d > 0.5)) {
        // A zero or non-finite direction: the frame as the coordinate system
        // has it, inverted the general way.
        frame_matrix(Kv3dCartesCoordSys(p, Kv3dVector(d.x(), d.y(), d.z()), Kv3d::Z_AXIS), F);
        conjugate(F);
        return;
    }
    // The same frame built straight from d, with two square roots fewer:
    // y = Kv3d_orthogonal_direction(d), x = y x d, equal to rounding.
    const Kv3dDirection y = Kv3d_orthogonal_direction(d);
    const Kv3dVector x = y * d;
    const double rows[16] = {x.x(), y.x(), d.x(), p.x(), x.y(), y.y(), d.y(), p.y(),
                             x.z(), y.z(), d.z(), p.z(), 0.0,   0.0,   0.0,   1.0};
    for (int i = 0; i < 16; ++i) {
        F[i] = rows[i];
    }
    conjugate(F, true);
}

Kv3dTransform::Kv3dTransform(const Kv3dPoint& p, const Kv3dVector& axis, double angle, double shift)
    : Kv3dTransform() {
    // In a right-handed frame whose z axis is the unit axis: a turn about z
    // and a shift along it.
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    m_[0] = c;
    m_[1] = -s;
    m_[4] = s;
    m_[5] = c;
    m_[11] = shift;
    conjugate_about_axis(p, axis.direction());
    orthonormal_ = true;
}
