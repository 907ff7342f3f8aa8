// Best-fit registration of point pairs. Every type is solved from one
// triangular factor of the weighted pairs: with the rows
//   [ sqrt(w_i) | sqrt(w_i) (p_i - c) / ps | sqrt(w_i) (q_i - d) / qs ]
// (c, d the computed weighted centroids, ps, qs the largest box sides of the
// source and target points) stacked into [1w | X | Y] = Q R, R upper
// triangular (7 x 7). The first row of R holds the weighted means of X and Y
// (R(0, j) / R(0, 0)), which put right the rounding of c and d, and the
// blocks below it factor the exactly centred data: with R11 = R(1..3, 1..3),
// R12 = R(1..3, 4..6),
//   X^T Y (centred) = R11^T R12     (the cross-covariance, over ps qs),
//   singular values of X (centred) = those of R11,
//   argmin |X B - Y| = R11^-1 R12   (B = A^T for the affine fit, scaled).
// The scales keep every product within range for coordinates of any size.

#include <kv3d/Kv3dCartesCoordSys.h>
#include <kv3d/Kv3dRegistration.h>
#include <kv3d/Kv3dVector.h>
#include <kvla/KvLaAlgorithms.h>
#include <kvla/KvLaDblMat.h>

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

using Pairs = KvArray<KvPair<Kv3dPoint, Kv3dPoint>>;

bool finite(const Kv3dPoint& p) {
    return std::isfinite(p.x()) && std::isfinite(p.y()) && std::isfinite(p.z());
}

// The caller's weight of pair i: 1 without an array, 0 past its end.
double given_weight(const KvArray<double>* weights, std::size_t i) {
    if (weights == nullptr) {
        return 1.0;
    }
    return i < weights->size() ? (*weights)[i] : 0.0;
}

// Axis-aligned extent of a set of points, grown one point at a time.
class Extent {
public:
    void add(const Kv3dPoint& p) {
        for (int k = 0; k < 3; ++k) {
            lo_[k] = std::min(lo_[k], p[k]);
            hi_[k] = std::max(hi_[k], p[k]);
        }
    }
    // The longest side, or 1.0 when every side is 0 (a scale to divide by).
    double scale() const {
        const double side = std::max({hi_[0] - lo_[0], hi_[1] - lo_[1], hi_[2] - lo_[2]});
        return side > 0.0 ? side : 1.0;
    }

private:
    double lo_[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL};
    double hi_[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
};

// What the fit needs of the pairs before it factors them: the weights
// divided by the largest (so that their sum neither overflows nor
// underflows), the weighted centroids as first computed (the factor puts
// their rounding right) and the scales of both point sets.
struct Centred {
    const Pairs* pairs = nullptr;
    const KvArray<double>* weights = nullptr;
    double max_weight = 0.0;
    std::size_t used = 0;  // pairs of positive weight
    double total = 0.0;    // sum of the scaled weights
    Kv3dPoint p0, q0;
    double ps = 1.0, qs = 1.0;

    double weight(std::size_t i) const { return given_weight(weights, i) / max_weight; }
};

// Checks the input and fills c. False for a non-finite coordinate, a
// negative or non-finite weight, or no positive weight at all.
bool centre(const Pairs& pairs, const KvArray<double>* weights, Centred& c) {
    c.pairs = &pairs;
    c.weights = weights;
    Extent pe, qe;
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        const double w = given_weight(weights, i);
        if (!finite(pairs[i].first) || !finite(pairs[i].second) || !(w >= 0.0) ||
            !std::isfinite(w)) {
            return false;
        }
        if (w > 0.0) {
            c.max_weight = std::max(c.max_weight, w);
            ++c.used;
            pe.add(pairs[i].first);
            qe.add(pairs[i].second);
        }
    }
    if (c.used == 0) {
        return false;
    }
    c.ps = pe.scale();
    c.qs = qe.scale();
    Kv3dVector p_sum, q_sum;
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        const double w = c.weight(i);
        c.total += w;
        p_sum += pairs[i].first.as_vector() * w;
        q_sum += pairs[i].second.as_vector() * w;
    }
    c.p0 = (p_sum * (1.0 / c.total)).as_point();
    c.q0 = (q_sum * (1.0 / c.total)).as_point();
    return finite(c.p0) && finite(c.q0);
}

// Lawson and Hanson's sequential accumulation: rows are gathered below the
// current triangular factor, and a full buffer is reduced back to triangular
// form by one Householder reflection per column. M = Q R holds throughout,
// for any number of rows, in fixed space.
class RowAccumulator {
public:
    static constexpr int kCols = 7;

    void add_row(const double* row) {
        for (int j = 0; j < kCols; ++j) {
            at(rows_, j) = row[j];
        }
        if (++rows_ == kRows) {
            reduce();
        }
    }

    // Reduces the rows still gathered, if there are any.
    void finish() {
        if (rows_ > kCols) {
            reduce();
        }
    }

    // After finish(): the 3 x 3 block at rows i0, columns j0.
    KvLaDblMat block(int i0, int j0) const {
        KvLaDblMat b(3, 3, 0.0);
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) {
                b(i, j) = a_[(i0 + i) + (j0 + j) * kRows];
            }
        }
        return b;
    }

    // After finish(): R(0, j) / R(0, 0) for j = j0, j0 + 1, j0 + 2, the means
    // of those columns weighted by column 0.
    Kv3dVector mean(int j0) const {
        const double r00 = a_[0];
        return Kv3dVector(a_[j0 * kRows] / r00, a_[(j0 + 1) * kRows] / r00,
                          a_[(j0 + 2) * kRows] / r00);
    }

private:
    static constexpr int kRows = 64;

    double& at(int i, int j) { return a_[i + j * kRows]; }

    void reduce() {
        for (int j = 0; j < kCols; ++j) {
            double* u = a_ + j * kRows;
            double up = 0.0;
            kvla_h1(j, j + 1, rows_, u, 1, up);
            kvla_h2(j, j + 1, rows_, u, 1, up, u + kRows, 1, kRows, kCols - 1 - j);
            std::fill(u + j + 1, u + rows_, 0.0);
        }
        rows_ = kCols;
    }

    double a_[kRows * kCols] = {};
    int rows_ = kCols;  // the first kCols rows hold the factor
};

double det3(const KvLaDblMat& m) {
    return m(0, 0) * (m(1, 1) * m(2, 2) - m(1, 2) * m(2, 1)) -
           m(0, 1) * (m(1, 0) * m(2, 2) - m(1, 2) * m(2, 0)) +
           m(0, 2) * (m(1, 0) * m(2, 1) - m(1, 1) * m(2, 0));
}

// The scaled, centred pairs of positive weight as rows of a finished factor.
void accumulate(const Centred& c, RowAccumulator& acc) {
    const Pairs& pairs = *c.pairs;
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        const double w = c.weight(i);
        if (w > 0.0) {
            const double f = std::sqrt(w);
            const Kv3dVector x = (pairs[i].first - c.p0) * (f / c.ps);
            const Kv3dVector y = (pairs[i].second - c.q0) * (f / c.qs);
            const double row[RowAccumulator::kCols] = {f, x.x(), x.y(), x.z(), y.x(), y.y(), y.z()};
            acc.add_row(row);
        }
    }
    acc.finish();
}

// The linear part as a transform with no translation: a marked rotation for
// RIGID, else the 3 x 3 matrix m (row-major) unmarked.
Kv3dTransform linear_part(const double* m, bool rigid) {
    if (rigid) {
        // Columns 0 and 1 of m, completed right-handed and orthonormal to
        // the last bit; the frame's transform carries the orthonormal mark.
        return Kv3dTransform(Kv3dCartesCoordSys(Kv3dPoint(), Kv3dVector(m[0], m[3], m[6]),
                                                Kv3dVector(m[1], m[4], m[7])));
    }
    const double full[16] = {m[0], m[1], m[2], 0.0, m[3], m[4], m[5], 0.0,
                             m[6], m[7], m[8], 0.0, 0.0,  0.0,  0.0,  1.0};
    return Kv3dTransform(full);
}

// Rotation (and scale) from the singular value decomposition of the
// cross-covariance H = U S V^T: R = V D U^T, D = diag(1, 1, d), d the sign of
// det(V U^T), so that a mirrored point set still gives a proper rotation.
bool rotation(const KvLaDblMat& r11, const KvLaDblMat& r12, const KvArray<double>& sx,
              const Centred& c, bool scaled, double* m) {
    KvLaDblMat u, v;
    KvArray<double> sh;
    if (!kvla_svd(r11.tr() * r12, u, sh, v)) {
        return false;
    }
    const double d = det3(u) * det3(v) < 0.0 ? -1.0 : 1.0;
    double s = 1.0;
    if (scaled) {
        // trace(S D) over the source variance sum_i w_i |p_i - p0|^2 = |X|^2,
        // back from the scaled coordinates by qs / ps.
        const double variance = sx[0] * sx[0] + sx[1] * sx[1] + sx[2] * sx[2];
        s = (sh[0] + sh[1] + d * sh[2]) / variance * (c.qs / c.ps);
    }
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            m[3 * i + j] = s * (v(i, 0) * u(j, 0) + v(i, 1) * u(j, 1) + d * v(i, 2) * u(j, 2));
        }
    }
    return true;
}

// B = R11^-1 R12 = V S^-1 U^T R12 from the decomposition R11 = U S V^T, and
// A = B^T back from the scaled coordinates by qs / ps.
void affine(const KvLaDblMat& ux, const KvArray<double>& sx, const KvLaDblMat& vx,
            const KvLaDblMat& r12, const Centred& c, double* m) {
    KvLaDblMat g = ux.tr() * r12;
    for (int k = 0; k < 3; ++k) {
        for (int j = 0; j < 3; ++j) {
            g(k, j) /= sx[static_cast<std::size_t>(k)];
        }
    }
    const KvLaDblMat b = vx * g;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            m[3 * i + j] = b(j, i) * (c.qs / c.ps);
        }
    }
}

// sqrt(sum_i w_i |T p_i - q_i|^2 / sum_i w_i) over the scaled weights, the
// residuals measured in units of qs so that their squares stay in range.
double weighted_rms(const Centred& c, const Kv3dTransform& T) {
    const Pairs& pairs = *c.pairs;
    double sum = 0.0;
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        const double w = c.weight(i);
        if (w > 0.0) {
            Kv3dPoint p = pairs[i].first;
            const Kv3dVector r = (p.apply(T) - pairs[i].second) * (1.0 / c.qs);
            sum += w * (r % r);
        }
    }
    return std::sqrt(sum / c.total) * c.qs;
}

bool finite_matrix(const Kv3dTransform& T) {
    const double* m = T.as_matrix();
    return std::all_of(m, m + 16, [](double x) { return std::isfinite(x); });
}

}  // namespace

bool Kv3d_fit_transform_least_squares(const KvArray<KvPair<Kv3dPoint, Kv3dPoint>>& pairs,
                                      Kv3dTransform::Kv3dTransformType type, Kv3dTransform& result,
                                      double* rms, const KvArray<double>* weights) {
    const bool is_affine = type == Kv3dTransform::AFFINE;
    const bool is_similarity = type == Kv3dTransform::SIMILARITY;
    // Fewer pairs of positive weight could not pass the spread test below;
    // counting them first only saves the work.
    Centred c;
    if (!centre(pairs, weights, c) || c.used < (is_affine ? 4u : 3u)) {
        return false;
    }
    RowAccumulator acc;
    accumulate(c, acc);
    const KvLaDblMat r11 = acc.block(1, 1);
    const KvLaDblMat r12 = acc.block(1, 4);
    const Kv3dPoint p0 = c.p0 + acc.mean(1) * c.ps;
    const Kv3dPoint q0 = c.q0 + acc.mean(4) * c.qs;
    KvLaDblMat ux, vx;
    KvArray<double> sx;
    if (!kvla_svd(r11, ux, sx, vx)) {
        return false;
    }
    // The spread test: collinear (coplanar for AFFINE) source points leave
    // the transform undetermined.
    if (!(sx[is_affine ? 2 : 1] > Kv3d_registration_spread_tol * sx[0])) {
        return false;
    }
    double m[9];
    if (is_affine) {
        affine(ux, sx, vx, r12, c, m);
    } else if (!rotation(r11, r12, sx, c, is_similarity, m)) {
        return false;
    }
    // t = q0 - A p0: the linear part moves p0, a translation takes it to q0.
    Kv3dTransform fitted = linear_part(m, !is_affine && !is_similarity);
    Kv3dPoint moved = p0;
    moved.apply(fitted);
    fitted.apply(Kv3dTransform(q0 - moved));
    const double r = weighted_rms(c, fitted);
    if (!finite_matrix(fitted) || !std::isfinite(r)) {
        return false;
    }
    result = fitted;
    if (rms != nullptr) {
        *rms = r;
    }
    return true;
}
