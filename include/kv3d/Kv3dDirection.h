#pragma once

#include <kv/KvArray.h>
#include <kv/KvJournal.h>
#include <kv3d/kv3d_export.h>

#include <cmath>
#include <cstddef>

class Kv3dVector;
class Kv3dTransform;

// A unit vector, or the zero direction (0, 0, 0) when the components it was
// built from are numerically zero. Every constructor that takes components
// normalises them; copying, negation and apply keep unit length. Writing
// through operator[] or as_array() can break it, and nothing renormalises.
class KV3D_API Kv3dDirection {
public:
    Kv3dDirection() : c_{0.0, 0.0, 1.0} {}
    Kv3dDirection(double x, double y, double z) : c_{x, y, z} { normalize_components(); }
    explicit Kv3dDirection(const double* a) : c_{a[0], a[1], a[2]} { normalize_components(); }
    // Elements i, i+1, i+2, normalised; an element past the end reads as 0.0.
    inline Kv3dDirection(const KvArray<double>& arr, std::size_t i);

    double x() const { return c_[0]; }
    double y() const { return c_[1]; }
    double z() const { return c_[2]; }
    // Component i (0 = x, 1 = y, 2 = z), unchecked.
    double& operator[](int i) { return c_[i]; }
    double operator[](int i) const { return c_[i]; }
    double* as_array() { return c_; }
    const double* as_array() const { return c_; }

    Kv3dDirection operator-() const { return Kv3dDirection(Raw{}, -c_[0], -c_[1], -c_[2]); }
    Kv3dDirection reverse() const { return -*this; }
    inline Kv3dVector operator*(double s) const;

    // Dot product.
    double operator%(const Kv3dDirection& d) const {
        return c_[0] * d.c_[0] + c_[1] * d.c_[1] + c_[2] * d.c_[2];
    }
    inline double operator%(const Kv3dVector& v) const;
    // Cross product (not normalised).
    inline Kv3dVector operator*(const Kv3dDirection& d) const;
    inline Kv3dVector operator*(const Kv3dVector& v) const;

    // Both numerically zero, or this % d >= same_angle_cos().
    inline bool geom_equal(const Kv3dDirection& d) const;
    bool opposite(const Kv3dDirection& d) const { return geom_equal(-d); }
    inline bool opposite(const Kv3dVector& v) const;
    bool parallel(const Kv3dDirection& d) const { return geom_equal(d) || geom_equal(-d); }
    // No zero-length shortcut: a numerically zero v has the zero direction,
    // which is parallel only to a zero direction.
    inline bool parallel(const Kv3dVector& v) const;
    // |this % d| <= same_ortho_cos().
    inline bool orthogonal(const Kv3dDirection& d) const;
    // True for a geom_zero v; else |this % v.direction()| <= same_ortho_cos().
    inline bool orthogonal(const Kv3dVector& v) const;
    // The angle in [0, pi]; 0.0 when either is the zero direction. Cosines
    // within 10 * 2^-52 of +-1 are snapped to +-1.
    inline double angle(const Kv3dDirection& d) const;
    inline double angle(const Kv3dVector& v) const;

    // Moves the direction by the linear part of T and renormalises it.
    Kv3dDirection& apply(const Kv3dTransform& T);
    void debug(KvJournal& journal, KvDebug level, bool flag, int indent) const;

private:
    // Stores components that are already unit length (or zero) unchanged.
    struct Raw {};
    Kv3dDirection(Raw, double x, double y, double z) : c_{x, y, z} {}

    bool is_numerical_zero() const;
    // s = x^2 + y^2 + z^2; the zero direction when no component exceeds 1e-20
    // and s <= 1e-40, else each component times 1 / sqrt(s).
    void normalize_components() {
        const double s = c_[0] * c_[0] + c_[1] * c_[1] + c_[2] * c_[2];
        if (!(c_[0] > 1e-20) && !(c_[1] > 1e-20) && !(c_[2] > 1e-20) && s <= 1e-40) {
            c_[0] = c_[1] = c_[2] = 0.0;
            return;
        }
        const double r = 1.0 / std::sqrt(s);
        c_[0] = r * c_[0];
        c_[1] = r * c_[1];
        c_[2] = r * c_[2];
    }

    double c_[3];
};

inline Kv3dVector operator*(double s, const Kv3dDirection& d);

// "Kv3dDirection( x, y, z)"
KV3D_API KvJournal& operator<<(KvJournal& journal, const Kv3dDirection& d);

#include <kv3d/Kv3dResObj.h>
#include <kv3d/Kv3dTolerance.h>
#include <kv3d/Kv3dVector.h>
#include <kv3d/detail/Kv3dArrayRead.h>

inline Kv3dDirection::Kv3dDirection(const KvArray<double>& arr, std::size_t i)
    : c_{kv3d_detail::array_element_or_zero(arr, i, 0),
         kv3d_detail::array_element_or_zero(arr, i, 1),
         kv3d_detail::array_element_or_zero(arr, i, 2)} {
    normalize_components();
}

inline bool Kv3dDirection::is_numerical_zero() const {
    return Kv3d_numerical_zero(c_[0], c_[1], c_[2]);
}

inline Kv3dVector Kv3dDirection::operator*(double s) const {
    return Kv3dVector(c_[0] * s, c_[1] * s, c_[2] * s);
}

inline Kv3dVector operator*(double s, const Kv3dDirection& d) {
    return Kv3dVector(s * d.x(), s * d.y(), s * d.z());
}

inline double Kv3dDirection::operator%(const Kv3dVector& v) const {
    return c_[0] * v.x() + c_[1] * v.y() + c_[2] * v.z();
}

inline Kv3dVector Kv3dDirection::operator*(const Kv3dDirection& d) const {
    return Kv3dVector(c_[0], c_[1], c_[2]) * Kv3dVector(d.c_[0], d.c_[1], d.c_[2]);
}

inline Kv3dVector Kv3dDirection::operator*(const Kv3dVector& v) const {
    return Kv3dVector(c_[0], c_[1], c_[2]) * v;
}

inline bool Kv3dDirection::geom_equal(const Kv3dDirection& d) const {
    if (is_numerical_zero() && d.is_numerical_zero()) {
        return true;
    }
    return *this % d >= Kv3dResObj::same_angle_cos();
}

inline bool Kv3dDirection::opposite(const Kv3dVector& v) const {
    return geom_equal(-(v.direction()));
}

inline bool Kv3dDirection::parallel(const Kv3dVector& v) const {
    const Kv3dDirection a = v.direction();
    return geom_equal(a) || geom_equal(-a);
}

inline bool Kv3dDirection::orthogonal(const Kv3dDirection& d) const {
    return std::fabs(*this % d) <= Kv3dResObj::same_ortho_cos();
}

inline bool Kv3dDirection::orthogonal(const Kv3dVector& v) const {
    if (v.geom_zero()) {
        return true;
    }
    return std::fabs(*this % v.direction()) <= Kv3dResObj::same_ortho_cos();
}

inline double Kv3dDirection::angle(const Kv3dDirection& d) const {
    if (is_numerical_zero() || d.is_numerical_zero()) {
        return 0.0;
    }
    double c = *this % d;
    if (c > 0.9999999999999978) {
        c = 1.0;
    } else if (c < -0.9999999999999978) {
        c = -1.0;
    }
    return std::acos(c);
}

inline double Kv3dDirection::angle(const Kv3dVector& v) const { return v.angle(*this); }
