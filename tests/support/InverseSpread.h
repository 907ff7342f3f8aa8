#pragma once

#include <kvla/KvLaDblMat.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <utility>
#include <vector>

// How far apart two inverses of one matrix computed by LU factorisation may
// lie: a scale-free measure of their difference.

namespace inverse_spread {

// |P^T L| |U| for the LU factorisation of a with partial pivoting.
inline KvLaDblMat lu_magnitude(const KvLaDblMat& a) {
    const int n = a.rows();
    KvLaDblMat m = a;
    std::vector<int> perm(static_cast<std::size_t>(n));
    std::iota(perm.begin(), perm.end(), 0);
    for (int k = 0; k < n; ++k) {
        int p = k;
        for (int i = k + 1; i < n; ++i) p = std::fabs(m(i, k)) > std::fabs(m(p, k)) ? i : p;
        m.swap_rows(k, p);
        std::swap(perm[k], perm[p]);
        for (int i = k + 1; i < n && m(k, k) != 0.0; ++i) {
            m(i, k) /= m(k, k);
            for (int j = k + 1; j < n; ++j) m(i, j) -= m(i, k) * m(k, j);
        }
    }
    KvLaDblMat g(n, n, 0.0);
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            for (int k = 0; k <= std::min(i, j); ++k)
                g(perm[i], j) += (k == i ? 1.0 : std::fabs(m(i, k))) * std::fabs(m(k, j));
        }
    }
    return g;
}

// The largest |X - R|_ij / (|R| |P^T L| |U| |R|)_ij. An inverse computed from
// an LU factorisation lies within a small multiple of n u of that measure
// from the exact one (Higham, Accuracy and Stability, sec. 14.3), so two of
// them lie within 2n u (n eps) of each other, whatever the scaling.
inline double spread(const KvLaDblMat& a, const KvLaDblMat& x, const KvLaDblMat& r) {
    const KvLaDblMat g = lu_magnitude(a);
    const int n = a.rows();
    double worst = 0.0;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            double bound = 0.0;
            for (int k = 0; k < n * n; ++k)
                bound += std::fabs(r(i, k / n)) * g(k / n, k % n) * std::fabs(r(k % n, j));
            const double d = std::fabs(x(i, j) - r(i, j));
            if (d > 0.0) worst = std::fmax(worst, bound > 0.0 ? d / bound : HUGE_VAL);
        }
    }
    return worst;
}

}  // namespace inverse_spread
