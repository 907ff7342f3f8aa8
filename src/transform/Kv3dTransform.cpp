#include <kv3d/Kv3dTransform.h>

#include <kvla/KvLaInverse.h>

#include <cstddef>
#include <utility>

namespace {

// Identity in row-major order.
constexpr double kIdentity[16] = {1.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0,
                                  0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 0.0, 1.0};

void copy16(const double* from, double* to) {
    for (int i = 0; i < 16; ++i) {
        to[i] = from[i];
    }
}

// Contiguous 3-double records, as points (with_translation) or vectors. The
// same sums as the general loop, each started from 0.0 (which also fixes the
// sign of a zero result), without a branch per record.
template <bool with_translation>
void multiply_packed3(const double* m, int count, double* data) {
    const double m0 = m[0], m1 = m[1], m2 = m[2], m3 = m[3];
    const double m4 = m[4], m5 = m[5], m6 = m[6], m7 = m[7];
    const double m8 = m[8], m9 = m[9], m10 = m[10], m11 = m[11];
    for (int r = 0; r < count; ++r) {
        double* p = data + static_cast<std::ptrdiff_t>(r) * 3;
        const double x = p[0];
        const double y = p[1];
        const double z = p[2];
        double a = 0.0;
        double b = 0.0;
        double c = 0.0;
        a += m0 * x;
        b += m4 * x;
        c += m8 * x;
        a += m1 * y;
        b += m5 * y;
        c += m9 * y;
        a += m2 * z;
        b += m6 * z;
        c += m10 * z;
        if (with_translation) {
            a += m3;
            b += m7;
            c += m11;
        }
        p[0] = a;
        p[1] = b;
        p[2] = c;
    }
}

// The four columns of the row-major 4 x 4 matrix x replaced by m times
// them (the product m x): entry (i, j) is the general loop's sum, started
// from 0.0 and taken over k = 0, 1, 2, 3 in order, with the four columns
// side by side.
void multiply_columns4(const double* m, double* x) {
    double in[16];
    copy16(x, in);
    for (int i = 0; i < 4; ++i) {
        double s[4] = {0.0, 0.0, 0.0, 0.0};
        for (int k = 0; k < 4; ++k) {
            for (int j = 0; j < 4; ++j) {
                s[j] += m[4 * i + k] * in[4 * k + j];
            }
        }
        for (int j = 0; j < 4; ++j) {
            x[4 * i + j] = s[j];
        }
    }
}

bool is_affine(const double* m) {
    return m[12] == 0.0 && m[13] == 0.0 && m[14] == 0.0 && m[15] == 1.0;
}

// x <- m x for affine m and x (last rows 0, 0, 0, 1): the sums of
// multiply_columns4 without the terms that multiply the last row's zeros,
// so the same values (a zero may differ in sign).
void multiply_affine(const double* m, double* x) {
    double in[12];
    for (int i = 0; i < 12; ++i) {
        in[i] = x[i];
    }
    for (int i = 0; i < 3; ++i) {
        double s[4] = {0.0, 0.0, 0.0, 0.0};
        for (int k = 0; k < 3; ++k) {
            for (int j = 0; j < 4; ++j) {
                s[j] += m[4 * i + k] * in[4 * k + j];
            }
        }
        s[3] += m[4 * i + 3];
        for (int j = 0; j < 4; ++j) {
            x[4 * i + j] = s[j];
        }
    }
}

}  // namespace

Kv3dTransform::Kv3dTransform(const double* const m) : orthonormal_(false) {
    // A null pointer has no values to copy; it gives the identity.
    copy16(m != nullptr ? m : kIdentity, m_);
}

Kv3dTransform::Kv3dTransform(const Kv3dVector& v) : Kv3dTransform() {
    m_[3] = v.x();
    m_[7] = v.y();
    m_[11] = v.z();
}

Kv3dTransform::Kv3dTransform(double s, const Kv3dPoint& p) : Kv3dTransform(s, s, s, p) {}

Kv3dTransform::Kv3dTransform(double sx, double sy, double sz, const Kv3dPoint& p)
    : Kv3dTransform() {
    // p + S (x - p) = F S F^-1 x with F the translation by p.
    m_[0] = sx;
    m_[5] = sy;
    m_[10] = sz;
    m_[15] = 1.0;
    double F[16];
    copy16(kIdentity, F);
    F[3] = p.x();
    F[7] = p.y();
    F[11] = p.z();
    conjugate(F, true);
    orthonormal_ = false;
}

void Kv3dTransform::multiply(const double* m, int kind, int element_stride, int record_stride,
                             int count, double* data) {
    if (count <= 0 || m == nullptr || data == nullptr) {
        return;
    }
    // A private copy of the matrix: data may overlap it (a transform composed
    // with itself), and the loops below need not reload it.
    double M[16];
    copy16(m, M);
    const bool point = kind == POINT_RECORD;
    const int n = kind == HOMOGENEOUS_RECORD ? 4 : 3;
    if (n == 4 && element_stride == 4 && record_stride == 1 && count == 4) {
        multiply_columns4(M, data);
        return;
    }
    if (n == 3 && element_stride == 1 && record_stride == 3) {
        if (point) {
            multiply_packed3<true>(M, count, data);
        } else {
            multiply_packed3<false>(M, count, data);
        }
        return;
    }
    const std::ptrdiff_t es = element_stride;
    const std::ptrdiff_t rs = record_stride;
    for (int r = 0; r < count; ++r) {
        double* rec = data + static_cast<std::ptrdiff_t>(r) * rs;
        double in[4];
        double out[4];
        for (int k = 0; k < n; ++k) {
            in[k] = rec[k * es];
        }
        for (int i = 0; i < n; ++i) {
            double s = 0.0;
            for (int k = 0; k < n; ++k) {
                s += M[4 * i + k] * in[k];
            }
            if (point) {
                s += M[4 * i + 3];
            }
            out[i] = s;
        }
        for (int i = 0; i < n; ++i) {
            rec[i * es] = out[i];
        }
    }
}

void Kv3dTransform::apply(const Kv3dTransform& T) {
    // Each column of this replaced by T times that column.
    multiply(T.m_, HOMOGENEOUS_RECORD, 4, 1, 4, m_);
    orthonormal_ = orthonormal_ && T.orthonormal_;
}

bool Kv3dTransform::general_inverse(const double* in, double* out) {
    // The entries as a 4 x 4 KvLaDblMat holds them (column by column), and
    // the inverse read back in the same order.
    double a[16];
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            a[i + 4 * j] = in[4 * i + j];
        }
    }
    double inverse[16];
    int rank = 0;
    if (!kvla_inverse(a, 4, inverse, 1e-15, &rank) || rank != 4) {
        return false;
    }
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            out[4 * i + j] = inverse[i + 4 * j];
        }
    }
    out[12] = 0.0;
    out[13] = 0.0;
    out[14] = 0.0;
    out[15] = 1.0;
    return true;
}

bool Kv3dTransform::invert() {
    double inv[16];
    if (orthonormal_) {
        rigid_inverse(m_, inv);
    } else if (!general_inverse(m_, inv)) {
        return false;
    }
    copy16(inv, m_);
    return true;
}

bool Kv3dTransform::is_invertible() const {
    double inv[16];
    return general_inverse(m_, inv);
}

bool Kv3dTransform::is_orient_preserving() const {
    const double* m = m_;
    const double det = m[0] * (m[5] * m[10] - m[6] * m[9]) + m[4] * (m[2] * m[9] - m[1] * m[10]) +
                       m[8] * (m[1] * m[6] - m[2] * m[5]);
    return det > 0.0;
}

void Kv3dTransform::transpose() {
    for (int i = 0; i < 4; ++i) {
        for (int j = i + 1; j < 4; ++j) {
            std::swap(m_[4 * i + j], m_[4 * j + i]);
        }
    }
}

void Kv3dTransform::rigid_inverse(const double* in, double* out) {
    const double tx = in[3];
    const double ty = in[7];
    const double tz = in[11];
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            out[4 * i + j] = in[4 * j + i];
        }
        out[4 * i + 3] = -(out[4 * i] * tx + out[4 * i + 1] * ty + out[4 * i + 2] * tz);
    }
    for (int k = 12; k < 16; ++k) {
        out[k] = in[k];
    }
}

void Kv3dTransform::conjugate(const double* F, bool rigid) {
    // The general inversion scales each column of F to unit length and counts
    // the singular values above 1e-15 times the largest. For F = [R p; 0 1]
    // with R orthonormal the scaled last column is (q, w) = (p, 1) / |(p, 1)|,
    // and the Gram matrix [I R^T q; q^T R 1] has eigenvalues 1, 1 and 1 +- |q|:
    // the singular values' ratio is sqrt((1 - |q|) / (1 + |q|)), about
    // 1 / (2 |p|). Up to |p| = 1e12 that ratio exceeds 4e-13, hundreds of times
    // the threshold plus the rounding of any singular value decomposition, so
    // the rank is 4 and the transposition gives the inverse to rounding. A
    // base point farther out (or not finite) goes the general way.
    const double p2 = F[3] * F[3] + F[7] * F[7] + F[11] * F[11];
    double Finv[16];
    if (rigid && p2 <= 1e24 && is_affine(m_)) {
        // Three affine matrices: their products skip the last row.
        rigid_inverse(F, Finv);
        multiply_affine(F, m_);
        multiply_affine(m_, Finv);
        copy16(Finv, m_);
        return;
    }
    if (!general_inverse(F, Finv)) {
        return;
    }
    // F L into a scratch matrix, then (F L) F^-1: each column of F^-1
    // multiplied by F L.
    double FL[16];
    copy16(m_, FL);
    multiply(F, HOMOGENEOUS_RECORD, 4, 1, 4, FL);
    multiply(FL, HOMOGENEOUS_RECORD, 4, 1, 4, Finv);
    copy16(Finv, m_);
}

void Kv3dTransform::set_zero() {
    for (double& e : m_) {
        e = 0.0;
    }
}

void Kv3dTransform::debug(KvJournal& journal, KvDebug level, bool, int indent) const {
    if (static_cast<int>(level) <= 0) {
        return;
    }
    Kv_DebugIndentation(journal, indent);
    journal << "Kv3dTransform(" << kvEndExpr;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 4; ++j) {
            journal << m_[4 * i + j] << ", ";
        }
        journal << kvEndExpr;
    }
    journal << m_[12] << ", " << m_[13] << ", " << m_[14] << ", " << m_[15] << ") " << kvEndExpr;
}
