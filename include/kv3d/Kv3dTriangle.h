#pragma once

#include <kv/KvJournal.h>
#include <kv/KvTrianglePar.h>
#include <kv3d/Kv3dBBox.h>
#include <kv3d/Kv3dDirection.h>
#include <kv3d/Kv3dLine.h>
#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dVector.h>
#include <kv3d/kv3d_export.h>

class Kv3dTransform;

// A triangle given by its vertices p0, p1, p2, with a cached validity flag:
// the value of numerical_valid() as of the last change of a vertex. Every
// member that writes a vertex recomputes it, so the geometric members can
// refuse a degenerate triangle without testing its edges again. The default
// triangle has three vertices at the origin and the flag false.
class KV3D_API Kv3dTriangle {
public:
    Kv3dTriangle() : valid_(false) {}
    Kv3dTriangle(const Kv3dPoint& a, const Kv3dPoint& b, const Kv3dPoint& c)
        : p0_(a), p1_(b), p2_(c), valid_(numerical_valid()) {}
    // p0 = p, p1 = p + u, p2 = p + v.
    Kv3dTriangle(const Kv3dPoint& p, const Kv3dVector& u, const Kv3dVector& v)
        : p0_(p), p1_(p + u), p2_(p + v), valid_(numerical_valid()) {}
    // Nine doubles: p0.x, p0.y, p0.z, p1.x, ..., p2.z. A null pointer gives
    // the default triangle.
    explicit Kv3dTriangle(const double* const coords) : valid_(false) {
        if (coords != nullptr) {
            p0_ = Kv3dPoint(coords);
            p1_ = Kv3dPoint(coords + 3);
            p2_ = Kv3dPoint(coords + 6);
            valid_ = numerical_valid();
        }
    }
    Kv3dTriangle(const Kv3dTriangle&) = default;
    Kv3dTriangle& operator=(const Kv3dTriangle&) = default;
    ~Kv3dTriangle() = default;

    void set_p0(const Kv3dPoint& p) {
        p0_ = p;
        valid_ = numerical_valid();
    }
    void set_p1(const Kv3dPoint& p) {
        p1_ = p;
        valid_ = numerical_valid();
    }
    void set_p2(const Kv3dPoint& p) {
        p2_ = p;
        valid_ = numerical_valid();
    }

    Kv3dPoint p0() { return p0_; }
    Kv3dPoint p1() { return p1_; }
    Kv3dPoint p2() { return p2_; }
    const Kv3dPoint& p0() const { return p0_; }
    const Kv3dPoint& p1() const { return p1_; }
    const Kv3dPoint& p2() const { return p2_; }

    // Coordinate i in the order p0.x, p0.y, p0.z, p1.x, ..., p2.z; 0.0 for
    // any i outside 0 .. 8.
    double operator[](int i) const {
        if (i < 0 || i > 8) {
            return 0.0;
        }
        const Kv3dPoint& p = i < 3 ? p0_ : (i < 6 ? p1_ : p2_);
        return p[i % 3];
    }

    // No edge vector (p1 - p0, p2 - p0, p1 - p2, in this order) is
    // numerically zero. Collinear vertices are not tested.
    bool numerical_valid() const {
        return !(p1_ - p0_).numerical_zero() && !(p2_ - p0_).numerical_zero() &&
               !(p1_ - p2_).numerical_zero();
    }
    // No edge vector is geom_zero (shorter than the point tolerance).
    bool is_valid() const {
        return !(p1_ - p0_).geom_zero() && !(p2_ - p0_).geom_zero() && !(p1_ - p2_).geom_zero();
    }

    // The unit normal along (p1 - p0) x (p2 - p0): the zero direction for
    // collinear vertices, (0, 0, 1) when the flag is false.
    Kv3dDirection normal() const;
    // |(p1 - p0) x (p2 - p0)| / 2; 0.0 when the flag is false.
    double area() const;
    // The mean of the vertices; the origin when the flag is false.
    Kv3dPoint center_of_area() const;
    // The box of the three vertices; the empty box when the flag is false.
    Kv3dBBox bbox() const;

    // (p0 w[0] + p1 w[1]) + p2 w[2]; the weights are used as given.
    Kv3dPoint evaluate(const KvTrianglePar& w) const {
        return (p0_ * w[0] + p1_ * w[1]) + p2_ * w[2];
    }
    // Signed barycentric weights of the projection of p onto the plane (a
    // point outside the triangle gets a negative weight). Without a plane
    // (a vanishing edge or collinear vertices) the weights of the foot on the
    // first edge line p0p1, p1p2, p2p0 that is not geom_zero; (1/3, 1/3, 1/3)
    // when all three are.
    KvTrianglePar find_parameter(const Kv3dPoint& p) const;
    // evaluate(find_parameter(p)).
    Kv3dPoint image(const Kv3dPoint& p) const { return evaluate(find_parameter(p)); }

    Kv3dTriangle& operator+=(const Kv3dVector& v) {
        p0_ += v;
        p1_ += v;
        p2_ += v;
        valid_ = numerical_valid();
        return *this;
    }
    Kv3dTriangle& operator-=(const Kv3dVector& v) {
        p0_ -= v;
        p1_ -= v;
        p2_ -= v;
        valid_ = numerical_valid();
        return *this;
    }
    Kv3dTriangle operator+(const Kv3dVector& v) const { return Kv3dTriangle(*this) += v; }
    Kv3dTriangle operator-(const Kv3dVector& v) const { return Kv3dTriangle(*this) -= v; }

    // Each vertex moved as a point, then the flag recomputed.
    Kv3dTriangle& apply(const Kv3dTransform& T);

    // Whether the segment from line.basepoint() to line.basepoint() +
    // line.vector() meets the closed triangle. False when the flag is false
    // or the vector is numerically zero. A true answer puts the segment
    // within 1.5 point tolerances of the triangle (plus a few ulps of the
    // coordinates): where rounding leaves a crossing or a contact in the
    // plane less certain than that, as for a segment nearly parallel to the
    // plane or nearly collinear vertices, the answer is false.
    bool intersect(const Kv3dLine& line) const;
    // Whether an edge of either triangle meets the other triangle, each edge
    // taken as a segment. False when either triangle is numerically invalid.
    // True only for triangles within 1.5 point tolerances of each other, as
    // above.
    bool intersect(const Kv3dTriangle& other) const;

    // At a level above 1: indentation, the three lines of operator<<, and one
    // further end of expression.
    void debug(KvJournal& journal, KvDebug level, bool flag, int depth) const;

private:
    Kv3dPoint p0_;
    Kv3dPoint p1_;
    Kv3dPoint p2_;
    bool valid_;
};

// "Kv3dTriangle p0 (x, y, z)" and two more lines for p1 and p2, aligned under
// it; each line ends its expression.
KV3D_API KvJournal& operator<<(KvJournal& journal, const Kv3dTriangle& t);
