#pragma once

#include <kv/KvArray.h>
#include <kv/KvJournal.h>
#include <kv3d/kv3d_export.h>

#include <cstddef>

class Kv3dVector;
class Kv3dTransform;

// A position in model units: three doubles x, y, z, stored contiguously.
class KV3D_API Kv3dPoint {
public:
    Kv3dPoint() : c_{0.0, 0.0, 0.0} {}
    Kv3dPoint(double x, double y, double z) : c_{x, y, z} {}
    explicit Kv3dPoint(const double* a) : c_{a[0], a[1], a[2]} {}
    // Elements i, i+1, i+2; an element past the end of the array reads as 0.0.
    inline Kv3dPoint(const KvArray<double>& arr, std::size_t i);

    double x() const { return c_[0]; }
    double y() const { return c_[1]; }
    double z() const { return c_[2]; }
    void set_x(double v) { c_[0] = v; }
    void set_y(double v) { c_[1] = v; }
    void set_z(double v) { c_[2] = v; }
    // Component i (0 = x, 1 = y, 2 = z), unchecked.
    double& operator[](int i) { return c_[i]; }
    const double& operator[](int i) const { return c_[i]; }
    double* as_array() { return c_; }
    const double* as_array() const { return c_; }

    inline Kv3dVector as_vector() const;

    Kv3dPoint operator+(const Kv3dPoint& p) const {
        return Kv3dPoint(c_[0] + p.c_[0], c_[1] + p.c_[1], c_[2] + p.c_[2]);
    }
    inline Kv3dPoint operator+(const Kv3dVector& v) const;
    inline Kv3dPoint operator-(const Kv3dVector& v) const;
    inline Kv3dVector operator-(const Kv3dPoint& p) const;
    Kv3dPoint operator*(double s) const { return Kv3dPoint(c_[0] * s, c_[1] * s, c_[2] * s); }
    Kv3dPoint& operator+=(const Kv3dPoint& p) {
        c_[0] += p.c_[0];
        c_[1] += p.c_[1];
        c_[2] += p.c_[2];
        return *this;
    }
    inline Kv3dPoint& operator+=(const Kv3dVector& v);
    inline Kv3dPoint& operator-=(const Kv3dVector& v);
    Kv3dPoint& operator*=(double s) {
        c_[0] *= s;
        c_[1] *= s;
        c_[2] *= s;
        return *this;
    }

    // dx^2 + dy^2 + dz^2 with d = this - p.
    double square_distance(const Kv3dPoint& p) const {
        const double dx = c_[0] - p.c_[0];
        const double dy = c_[1] - p.c_[1];
        const double dz = c_[2] - p.c_[2];
        return dx * dx + dy * dy + dz * dz;
    }
    inline double distance(const Kv3dPoint& p) const;
    // Squared distance <= same_point_sqr() (inclusive).
    inline bool geom_equal(const Kv3dPoint& p) const;
    // Distance from the origin greater than model_extent() (strict).
    inline bool out_of_range() const;

    // Moves the point by T: A p + t.
    Kv3dPoint& apply(const Kv3dTransform& T);
    // At a level above 1: indentation, the journal text, end of expression.
    void debug(KvJournal& journal, KvDebug level, bool flag, int indent) const;

private:
    double c_[3];
};

// "Kv3dPoint( x, y, z)"
KV3D_API KvJournal& operator<<(KvJournal& journal, const Kv3dPoint& p);

#include <kv3d/Kv3dResObj.h>
#include <kv3d/Kv3dTolerance.h>
#include <kv3d/Kv3dVector.h>
#include <kv3d/detail/Kv3dArrayRead.h>

#include <cmath>

inline Kv3dPoint::Kv3dPoint(const KvArray<double>& arr, std::size_t i)
    : c_{kv3d_detail::array_element_or_zero(arr, i, 0),
         kv3d_detail::array_element_or_zero(arr, i, 1),
         kv3d_detail::array_element_or_zero(arr, i, 2)} {}

inline Kv3dVector Kv3dPoint::as_vector() const { return Kv3dVector(c_[0], c_[1], c_[2]); }

inline Kv3dPoint Kv3dPoint::operator+(const Kv3dVector& v) const {
    return Kv3dPoint(c_[0] + v.x(), c_[1] + v.y(), c_[2] + v.z());
}

inline Kv3dPoint Kv3dPoint::operator-(const Kv3dVector& v) const {
    return Kv3dPoint(c_[0] - v.x(), c_[1] - v.y(), c_[2] - v.z());
}

inline Kv3dVector Kv3dPoint::operator-(const Kv3dPoint& p) const {
    return Kv3dVector(c_[0] - p.c_[0], c_[1] - p.c_[1], c_[2] - p.c_[2]);
}

inline Kv3dPoint& Kv3dPoint::operator+=(const Kv3dVector& v) {
    c_[0] += v.x();
    c_[1] += v.y();
    c_[2] += v.z();
    return *this;
}

inline Kv3dPoint& Kv3dPoint::operator-=(const Kv3dVector& v) {
    c_[0] -= v.x();
    c_[1] -= v.y();
    c_[2] -= v.z();
    return *this;
}

inline double Kv3dPoint::distance(const Kv3dPoint& p) const {
    return std::sqrt(square_distance(p));
}

inline bool Kv3dPoint::geom_equal(const Kv3dPoint& p) const {
    return square_distance(p) <= Kv3dResObj::same_point_sqr();
}

inline bool Kv3dPoint::out_of_range() const { return as_vector().out_of_range(); }

inline bool Kv3d_distance_less_than_maximum_distance(const Kv3dPoint& a, const Kv3dPoint& b,
                                                     const double& max_dist) {
    if (max_dist < 0.0) {
        return false;
    }
    if (&a == &b) {
        return true;
    }
    const double dx = a.x() - b.x();
    const double dy = a.y() - b.y();
    const double dz = a.z() - b.z();
    if (std::fabs(dx) > max_dist || std::fabs(dy) > max_dist || std::fabs(dz) > max_dist) {
        return false;
    }
    return max_dist * max_dist > dx * dx + dy * dy + dz * dz;
}

inline bool Kv3d_distance_succeeds_maximum_distance(const Kv3dPoint& a, const Kv3dPoint& b,
                                                    const double& max_dist) {
    if (max_dist < 0.0) {
        return true;
    }
    if (&a == &b) {
        return false;
    }
    const double dx = a.x() - b.x();
    const double dy = a.y() - b.y();
    const double dz = a.z() - b.z();
    if (std::fabs(dx) > max_dist || std::fabs(dy) > max_dist || std::fabs(dz) > max_dist) {
        return true;
    }
    return dx * dx + dy * dy + dz * dz > max_dist * max_dist;
}
