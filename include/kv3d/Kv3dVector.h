#pragma once

#include <kv/KvArray.h>
#include <kv/KvJournal.h>
#include <kv3d/kv3d_export.h>

#include <cmath>
#include <cstddef>

class Kv3dPoint;
class Kv3dDirection;
class Kv3dTransform;

// A free vector in model units: three doubles x, y, z, stored contiguously.
class KV3D_API Kv3dVector {
public:
    Kv3dVector() : c_{0.0, 0.0, 0.0} {}
    Kv3dVector(double x, double y, double z) : c_{x, y, z} {}
    explicit Kv3dVector(const double* a) : c_{a[0], a[1], a[2]} {}
    // Elements i, i+1, i+2; an element past the end of the array reads as 0.0.
    inline Kv3dVector(const KvArray<double>& arr, std::size_t i);
    // (len * d.x, len * d.y, len * d.z)
    inline Kv3dVector(const Kv3dDirection& d, double len);

    static int dim() { return 3; }

    double x() const { return c_[0]; }
    double y() const { return c_[1]; }
    double z() const { return c_[2]; }
    void set_x(double v) { c_[0] = v; }
    void set_y(double v) { c_[1] = v; }
    void set_z(double v) { c_[2] = v; }
    // Component i (0 = x, 1 = y, 2 = z), unchecked.
    double& operator[](int i) { return c_[i]; }
    double operator[](int i) const { return c_[i]; }
    double* as_array() { return c_; }
    const double* as_array() const { return c_; }

    inline Kv3dPoint as_point() const;
    // The unit vector along this one; the zero direction when numerically zero.
    inline Kv3dDirection direction() const;
    // Replaces the vector by direction().
    inline void normalize();
    double length() const { return std::sqrt(c_[0] * c_[0] + c_[1] * c_[1] + c_[2] * c_[2]); }

    Kv3dVector operator+(const Kv3dVector& v) const {
        return Kv3dVector(c_[0] + v.c_[0], c_[1] + v.c_[1], c_[2] + v.c_[2]);
    }
    Kv3dVector operator-(const Kv3dVector& v) const {
        return Kv3dVector(c_[0] - v.c_[0], c_[1] - v.c_[1], c_[2] - v.c_[2]);
    }
    Kv3dVector operator-() const { return Kv3dVector(-c_[0], -c_[1], -c_[2]); }
    Kv3dVector operator*(double s) const { return Kv3dVector(c_[0] * s, c_[1] * s, c_[2] * s); }

    // Dot product.
    double operator%(const Kv3dVector& v) const {
        return c_[0] * v.c_[0] + c_[1] * v.c_[1] + c_[2] * v.c_[2];
    }
    inline double operator%(const Kv3dDirection& d) const;
    // Cross product.
    Kv3dVector operator*(const Kv3dVector& v) const {
        return Kv3dVector(c_[1] * v.c_[2] - c_[2] * v.c_[1], c_[2] * v.c_[0] - c_[0] * v.c_[2],
                          c_[0] * v.c_[1] - c_[1] * v.c_[0]);
    }
    inline Kv3dVector operator*(const Kv3dDirection& d) const;

    Kv3dVector& operator+=(const Kv3dVector& v) {
        c_[0] += v.c_[0];
        c_[1] += v.c_[1];
        c_[2] += v.c_[2];
        return *this;
    }
    Kv3dVector& operator-=(const Kv3dVector& v) {
        c_[0] -= v.c_[0];
        c_[1] -= v.c_[1];
        c_[2] -= v.c_[2];
        return *this;
    }
    Kv3dVector& operator*=(double s) {
        c_[0] *= s;
        c_[1] *= s;
        c_[2] *= s;
        return *this;
    }
    // Replaced by this x v; the product is formed before it is stored, so
    // v *= v gives the zero vector.
    Kv3dVector& operator*=(const Kv3dVector& v) { return *this = *this * v; }
    inline Kv3dVector& operator*=(const Kv3dDirection& d);

    // |this - v|^2 <= same_point_sqr().
    inline bool geom_equal(const Kv3dVector& v) const;
    // |this|^2 <= same_point_sqr().
    inline bool geom_zero() const;
    // The absolute test: |this|^2 <= 1e-40, independent of the resolution.
    inline bool numerical_zero() const;
    // |this| > model_extent() (strict).
    inline bool out_of_range() const;
    // True when either vector is geom_zero, else when the directions agree
    // or are opposite.
    inline bool parallel(const Kv3dVector& v) const;
    inline bool parallel(const Kv3dDirection& d) const;
    // Between two vectors the angle itself is compared with same_angle_tol().
    inline bool orthogonal(const Kv3dVector& v) const;
    // With a direction: the same as d.orthogonal(*this).
    inline bool orthogonal(const Kv3dDirection& d) const;
    inline double angle(const Kv3dDirection& d) const;
    inline double angle(const Kv3dVector& v) const;

    // Moves the vector by the linear part of T: A v.
    Kv3dVector& apply(const Kv3dTransform& T);
    void debug(KvJournal& journal, KvDebug level, bool flag, int indent) const;

private:
    double c_[3];
};

// "Kv3dVector( x, y, z)"
KV3D_API KvJournal& operator<<(KvJournal& journal, const Kv3dVector& v);

#include <kv3d/Kv3dDirection.h>
#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dResObj.h>
#include <kv3d/Kv3dTolerance.h>
#include <kv3d/detail/Kv3dArrayRead.h>

#include <cmath>

inline Kv3dVector::Kv3dVector(const KvArray<double>& arr, std::size_t i)
    : c_{kv3d_detail::array_element_or_zero(arr, i, 0),
         kv3d_detail::array_element_or_zero(arr, i, 1),
         kv3d_detail::array_element_or_zero(arr, i, 2)} {}

inline Kv3dVector::Kv3dVector(const Kv3dDirection& d, double len)
    : c_{len * d.x(), len * d.y(), len * d.z()} {}

inline Kv3dPoint Kv3dVector::as_point() const { return Kv3dPoint(c_[0], c_[1], c_[2]); }

inline Kv3dDirection Kv3dVector::direction() const { return Kv3dDirection(c_[0], c_[1], c_[2]); }

inline void Kv3dVector::normalize() {
    const Kv3dDirection d = direction();
    c_[0] = d.x();
    c_[1] = d.y();
    c_[2] = d.z();
}

inline double Kv3dVector::operator%(const Kv3dDirection& d) const {
    return c_[0] * d.x() + c_[1] * d.y() + c_[2] * d.z();
}

inline Kv3dVector Kv3dVector::operator*(const Kv3dDirection& d) const {
    return *this * Kv3dVector(d.x(), d.y(), d.z());
}

inline Kv3dVector& Kv3dVector::operator*=(const Kv3dDirection& d) { return *this = *this * d; }

inline bool Kv3dVector::geom_equal(const Kv3dVector& v) const { return (*this - v).geom_zero(); }

inline bool Kv3dVector::geom_zero() const {
    return c_[0] * c_[0] + c_[1] * c_[1] + c_[2] * c_[2] <= Kv3dResObj::same_point_sqr();
}

inline bool Kv3dVector::numerical_zero() const { return Kv3d_numerical_zero(c_[0], c_[1], c_[2]); }

inline bool Kv3dVector::out_of_range() const {
    const double e = Kv3dResObj::model_extent();
    return c_[0] * c_[0] + c_[1] * c_[1] + c_[2] * c_[2] > e * e;
}

inline bool Kv3dVector::parallel(const Kv3dVector& v) const {
    if (geom_zero() || v.geom_zero()) {
        return true;
    }
    const Kv3dDirection a = direction();
    return a.geom_equal(v.direction()) || a.geom_equal((-v).direction());
}

inline bool Kv3dVector::parallel(const Kv3dDirection& d) const {
    if (geom_zero()) {
        return true;
    }
    const Kv3dDirection a = direction();
    return a.geom_equal(d) || a.geom_equal(-d);
}

inline bool Kv3dVector::orthogonal(const Kv3dVector& v) const {
    if (geom_zero() || v.geom_zero()) {
        return true;
    }
    return std::fabs(angle(v) - 1.5707963267948966) <= Kv3dResObj::same_angle_tol();
}

inline bool Kv3dVector::orthogonal(const Kv3dDirection& d) const { return d.orthogonal(*this); }

inline double Kv3dVector::angle(const Kv3dDirection& d) const {
    if (numerical_zero()) {
        return 0.0;
    }
    return direction().angle(d);
}

inline double Kv3dVector::angle(const Kv3dVector& v) const {
    if (numerical_zero() || v.numerical_zero()) {
        return 0.0;
    }
    return direction().angle(v.direction());
}

inline bool Kv3d_numerical_zero(const Kv3dVector& v) {
    return Kv3d_numerical_zero(v.x(), v.y(), v.z());
}
