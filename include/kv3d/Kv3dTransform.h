#pragma once

#include <kv/KvArray.h>
#include <kv/KvJournal.h>
#include <kv/KvPair.h>
#include <kv3d/Kv3dPoint.h>
#include <kv3d/Kv3dVector.h>
#include <kv3d/kv3d_export.h>

class Kv3dCoordSys;
class Kv3dPlane;

// An affine transformation: a 4 x 4 matrix of doubles stored row by row
// (entries 0-3 are row 0, ..., 12-15 row 3) and a flag promising that the
// linear part A (entries 0-2, 4-6, 8-10) is orthonormal. The translation t
// is entries 3, 7, 11. A point p maps to A p + t, a vector v to A v and a
// direction to A d renormalised; the last row is never read for them.
class KV3D_API Kv3dTransform {
public:
    // Which way a transform built from one coordinate system goes.
    enum TransDirection : int { GLOBAL_TO_LOCAL = 0, LOCAL_TO_GLOBAL = 1 };
    // What a transform fitted to point pairs may do.
    enum Kv3dTransformType : int { RIGID = 0, SIMILARITY = 1, AFFINE = 2 };

    // Record kinds of multiply().
    enum RecordKind : int { VECTOR_RECORD = 0, POINT_RECORD = 1, HOMOGENEOUS_RECORD = 3 };

    // The identity, marked orthonormal.
    Kv3dTransform()
        : m_{1.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 0.0, 1.0},
          orthonormal_(true) {}
    // The 16 values copied unchanged (row-major, last row included); unmarked.
    explicit Kv3dTransform(const double* const m);
    // The translation by v, marked orthonormal.
    explicit Kv3dTransform(const Kv3dVector& v);
    // Uniform scaling by s about p: x -> p + s (x - p).
    Kv3dTransform(double s, const Kv3dPoint& p);
    // Scaling by sx, sy, sz along the global axes about p.
    Kv3dTransform(double sx, double sy, double sz, const Kv3dPoint& p);
    // Carries the first point of each pair onto its second, from the first
    // two, three or four pairs; an unknown type value acts as RIGID.
    Kv3dTransform(KvArray<KvPair<Kv3dPoint, Kv3dPoint>>& pairs, Kv3dTransformType type);
    // Local coordinates of c to global points (axes as columns of A, the
    // base point as t); marked orthonormal when c is cartesian.
    explicit Kv3dTransform(const Kv3dCoordSys& c);
    // LOCAL_TO_GLOBAL: as above; any other value: the inverse (global points
    // to local coordinates), or the zero matrix when c cannot be inverted.
    Kv3dTransform(const Kv3dCoordSys& c, TransDirection dir);
    // A point with local coordinates (u, v, w) in from goes to the point with
    // the same coordinates in to; the zero matrix when from cannot be inverted.
    Kv3dTransform(const Kv3dCoordSys& from, const Kv3dCoordSys& to);
    // Screw motion: rotation by angle (radians, right-handed) about the line
    // through p along axis, then a shift along the unit axis. Marked orthonormal.
    Kv3dTransform(const Kv3dPoint& p, const Kv3dVector& axis, double angle, double shift);
    // Scaling by f perpendicular to the plane, the plane fixed pointwise
    // (f = -1 mirrors, f = 0 projects). Marked orthonormal only for f = 1 or -1.
    Kv3dTransform(const Kv3dPlane& plane, double f);

    Kv3dTransform(const Kv3dTransform&) = default;
    Kv3dTransform& operator=(const Kv3dTransform&) = default;
    ~Kv3dTransform() = default;

    // Composition: this becomes T times this (T acts after the old transform).
    // The mark survives only when both are marked.
    void apply(const Kv3dTransform& T);
    // Replaces the transform by its inverse: by transposition when marked,
    // else by general inversion. False, with nothing changed, when singular.
    bool invert();
    // The general inversion finds rank 4 (the mark is not consulted).
    bool is_invertible() const;
    // det A > 0.0.
    bool is_orient_preserving() const;
    // Swaps entry (i, j) with (j, i) for all 16 entries; the mark stays.
    void transpose();
    // The 16 entries, row-major.
    const double* as_matrix() const { return m_; }
    // The orthonormal mark given by the constructor (never computed).
    bool is_orthonormal() const { return orthonormal_; }
    // At a level above 0: "Kv3dTransform(" and the four rows, one per line.
    void debug(KvJournal& journal, KvDebug level, bool flag, int indent) const;

    // The one matrix-application routine. m: 16 doubles, row-major. For each
    // of count records (record r starts at data + r * record_stride, its
    // components element_stride apart) component i of the result is
    // sum_k m[i][k] * in_k accumulated from 0.0 in the order k = 0, 1, ...,
    // over n = 4 components for HOMOGENEOUS_RECORD and 3 otherwise; for
    // POINT_RECORD m[i][3] is added last. Results go to a scratch record
    // first, so each record is read whole before it is overwritten.
    static void multiply(const double* m, int kind, int element_stride, int record_stride,
                         int count, double* data);

private:
    // Replaces the local matrix L held in m_ by F L F^-1; keeps L when the
    // frame F is singular (rank below 4). A caller that built F with
    // orthonormal axes (to rounding) says so by rigid: such a frame is
    // inverted by transposition wherever its rank is provably 4.
    void conjugate(const double* F, bool rigid = false);
    // (A, t)^-1 = (A^T, -A^T t) for an orthonormal A; the last row copied.
    static void rigid_inverse(const double* in, double* out);
    // Conjugates by the right-handed cartesian frame at p whose z axis is d,
    // the frame of Kv3dCartesCoordSys(p, d, Z_AXIS).
    void conjugate_about_axis(const Kv3dPoint& p, const Kv3dDirection& d);
    // General inversion of 16 row-major values through the linear algebra
    // layer (tolerance 1e-15, no allocation); writes out (last row 0, 0, 0, 1)
    // and returns true only at rank 4.
    static bool general_inverse(const double* in, double* out);
    // The matrix of a coordinate system: axes as columns, base point as t.
    static void frame_matrix(const Kv3dCoordSys& c, double* m);
    // All 16 entries 0.0.
    void set_zero();

    double m_[16];
    bool orthonormal_;
};
