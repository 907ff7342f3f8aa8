#include <kvla/KvLaAlgorithms.h>
#include <kvla/KvLaInverse.h>

#include <cmath>
#include <cstddef>

#include "KvLaSmallInverse.h"

// Inversion of small matrices without the heap, and without the singular
// value decomposition where a cheaper argument proves its rank decision.
//
// The rank is the number of singular values sigma~_i of the column-scaled
// matrix greater than tol * sigma~_1, sigma~ being the values the SVD
// computes. A partially pivoted LU factorisation proves full rank as follows.
// Let S = diag(1 / c_j), c_j the length of column j, and A^ = a S the exactly
// scaled matrix (unit columns, so ||A^||_F = sqrt(n)).
//
// 1. LU is backward stable (Higham, Accuracy and Stability, Thm. 9.3): the
//    computed factors satisfy L U = P (a + E), |E| <= gamma_n |L| |U|
//    elementwise, gamma_n = n u / (1 - n u), u = 2^-53. With |l_ik| <= 1 and
//    each elimination step at most doubling a column's largest entry,
//    |u_kj| <= 2^(n-1) (1 + 2nu) c_j, so ||E S||_2 <= ||E S||_F <=
//    n^2 gamma_n 2^(n-1) (1 + 2nu) <= 7.7e-13 for n <= 6.
// 2. det(A^ + E S) = +-prod(u_jj / c_j) =: D exactly, and D~, its computed
//    value, is within 1e-13 |D| of it.
// 3. For any n x n matrix M, sigma_n = |det M| / prod_{i<n} sigma_i, and by
//    the mean of the n - 1 largest squares prod_{i<n} sigma_i <=
//    (||M||_F^2 / (n - 1))^((n-1)/2) <= (n / (n - 1))^((n-1)/2) (1 + 1e-12)
//    <= 1.58 for M = A^ + E S, n <= 6. Hence sigma_n(A^) >= |D| / 1.6 - 7.7e-13.
// 4. The SVD path forms the scaled matrix with a relative error of at most
//    7u per element (1.9e-15 in norm) and its Jacobi iteration is backward
//    stable; 1e-12 bounds both with a wide margin (about 4500 u for a matrix
//    of norm at most sqrt(6)). By Weyl's inequality sigma~_n >= sigma_n(A^) -
//    1e-12 and sigma~_1 <= sqrt(6) + 1e-12.
// So rank n is certain when |D| / 1.6 - 7.7e-13 - 1e-12 > tol (2.45 + 1e-12);
// the test below, |D~| > 1.7 (2e-12 + 2.5 tol), implies it with room for the
// rounding of the test itself. Near the threshold, and for a negative or NaN
// tolerance, the SVD decides.
//
// The certificate is tried only for columns whose largest entry lies within
// [1e-100, 1e100]: the column lengths are then computed without overflow or
// underflow, and every entry of the inverse and of the substitutions is far
// below the overflow threshold, so the inverse is finite, as the SVD path's
// LU inverse is.

namespace {

using kvla_detail::kSmallOrder;

// No infinity or NaN among the count values: x - x is 0.0 for every finite
// x and NaN otherwise; two sums side by side keep the chain of additions
// short.
bool all_finite(const double* x, int count) {
    double even = 0.0;
    double odd = 0.0;
    int k = 0;
    for (; k + 1 < count; k += 2) {
        even += x[k] - x[k];
        odd += x[k + 1] - x[k + 1];
    }
    if (k < count) {
        even += x[k] - x[k];
    }
    return even + odd == 0.0;
}

// The length of each column, or false when a column's largest entry lies
// outside [1e-100, 1e100].
bool column_lengths(const double* a, int n, double* length) {
    for (int j = 0; j < n; ++j) {
        const double* col = a + j * n;
        double big = 0.0;
        double sum = 0.0;
        for (int i = 0; i < n; ++i) {
            const double m = std::fabs(col[i]);
            big = m > big ? m : big;
            sum += col[i] * col[i];
        }
        if (!(big >= 1e-100 && big <= 1e100)) {
            return false;
        }
        length[j] = std::sqrt(sum);
    }
    return true;
}

// LU factorisation with partial pivoting of the row-major N x N matrix m,
// in place: P m = L U, L unit lower (below the diagonal), U upper, with the
// reciprocals of U's diagonal in inv_pivot; perm[i] is the original row of
// row i. False at a zero pivot.
template <int N>
bool factor(double (&m)[N][N], double (&inv_pivot)[N], int (&perm)[N]) {
    for (int i = 0; i < N; ++i) {
        perm[i] = i;
    }
    for (int k = 0; k < N; ++k) {
        int p = k;
        for (int i = k + 1; i < N; ++i) {
            if (std::fabs(m[i][k]) > std::fabs(m[p][k])) {
                p = i;
            }
        }
        if (m[p][k] == 0.0) {
            return false;
        }
        if (p != k) {
            for (int j = 0; j < N; ++j) {
                const double t = m[k][j];
                m[k][j] = m[p][j];
                m[p][j] = t;
            }
            const int t = perm[k];
            perm[k] = perm[p];
            perm[p] = t;
        }
        inv_pivot[k] = 1.0 / m[k][k];
        for (int i = k + 1; i < N; ++i) {
            const double l = m[i][k] * inv_pivot[k];
            m[i][k] = l;
            for (int j = k + 1; j < N; ++j) {
                m[i][j] -= l * m[k][j];
            }
        }
    }
    return true;
}

// Column j of the inverse: L y = P e_j, then U x = y.
template <int N>
void solve_unit_column(const double (&m)[N][N], const double (&inv_pivot)[N], const int (&perm)[N],
                       int j, double* x) {
    double y[N];
    for (int i = 0; i < N; ++i) {
        double s = perm[i] == j ? 1.0 : 0.0;
        for (int k = 0; k < i; ++k) {
            s -= m[i][k] * y[k];
        }
        y[i] = s;
    }
    for (int i = N - 1; i >= 0; --i) {
        double s = y[i];
        for (int k = i + 1; k < N; ++k) {
            s -= m[i][k] * x[k];
        }
        x[i] = s * inv_pivot[i];
    }
}

template <int N>
bool certified(const double* a, double tolerance, double* inverse) {
    double length[N];
    if (!column_lengths(a, N, length)) {
        return false;
    }
    double m[N][N];
    for (int i = 0; i < N; ++i) {
        for (int j = 0; j < N; ++j) {
            m[i][j] = a[i + j * N];
        }
    }
    double inv_pivot[N];
    int perm[N];
    if (!factor(m, inv_pivot, perm)) {
        return false;
    }
    double det = 1.0;
    for (int j = 0; j < N; ++j) {
        det *= m[j][j] / length[j];
    }
    if (!(std::fabs(det) > kvla_full_rank_bound(tolerance))) {
        return false;
    }
    for (int j = 0; j < N; ++j) {
        solve_unit_column(m, inv_pivot, perm, j, inverse + j * N);
    }
    return all_finite(inverse, N * N);
}

// An affine 4 x 4 map [A t; 0 0 0 1] (column by column) in closed form:
// det F = det A = a0 . (a1 x a2) as a triple product, whose rounding error
// is below 4 eps |a0| |a1| |a2|, so that the determinant D of the scaled
// matrix, det A / (|a0| |a1| |a2| sqrt(1 + |t|^2)), is known within 1e-15,
// tighter than the LU bound above; the same test then proves rank 4. It is
// compared squared, without roots: columns of A of squared length within
// [1e-60, 1e60] and |t|^2 <= 1e60 keep every product normal, or below the
// normal range only by amounts far under that error (a determinant whose
// square underflows is not certified). The inverse is [A^-1, -A^-1 t;
// 0 0 0 1] with the rows of A^-1 the cross products (a1 x a2, a2 x a0,
// a0 x a1) / det A.
bool certified_affine(const double* a, double tolerance, double* inverse) {
    double lengths = 1.0;  // |a0|^2 |a1|^2 |a2|^2
    for (int j = 0; j < 3; ++j) {
        const double* col = a + 4 * j;
        const double l = col[0] * col[0] + col[1] * col[1] + col[2] * col[2];
        if (!(l >= 1e-60 && l <= 1e60)) {
            return false;
        }
        lengths *= l;
    }
    const double* t = a + 12;
    const double tt = t[0] * t[0] + t[1] * t[1] + t[2] * t[2];
    if (!(tt <= 1e60)) {
        return false;
    }
    const double* a0 = a;
    const double* a1 = a + 4;
    const double* a2 = a + 8;
    const double rows[3][3] = {{a1[1] * a2[2] - a1[2] * a2[1], a1[2] * a2[0] - a1[0] * a2[2],
                                a1[0] * a2[1] - a1[1] * a2[0]},
                               {a2[1] * a0[2] - a2[2] * a0[1], a2[2] * a0[0] - a2[0] * a0[2],
                                a2[0] * a0[1] - a2[1] * a0[0]},
                               {a0[1] * a1[2] - a0[2] * a1[1], a0[2] * a1[0] - a0[0] * a1[2],
                                a0[0] * a1[1] - a0[1] * a1[0]}};
    const double det = a0[0] * rows[0][0] + a0[1] * rows[0][1] + a0[2] * rows[0][2];
    const double bound = kvla_full_rank_bound(tolerance);
    if (!(det * det > (bound * bound) * (lengths * (1.0 + tt)))) {
        return false;
    }
    const double r = 1.0 / det;
    for (int i = 0; i < 3; ++i) {
        double x[3];
        for (int j = 0; j < 3; ++j) {
            x[j] = rows[i][j] * r;
            inverse[i + 4 * j] = x[j];
        }
        inverse[i + 12] = -(x[0] * t[0] + x[1] * t[1] + x[2] * t[2]);
        inverse[3 + 4 * i] = 0.0;
    }
    inverse[15] = 1.0;
    return all_finite(inverse, 16);
}

bool is_affine(const double* a) {
    return a[3] == 0.0 && a[7] == 0.0 && a[11] == 0.0 && a[15] == 1.0;
}

void set_rank(int* rank, int value) {
    if (rank != nullptr) {
        *rank = value;
    }
}

}  // namespace

bool kvla_detail::certified_inverse(const double* a, int n, double tolerance, double* inverse) {
    if (!(tolerance >= 0.0)) {
        return false;
    }
    switch (n) {
        case 1:
            return certified<1>(a, tolerance, inverse);
        case 2:
            return certified<2>(a, tolerance, inverse);
        case 3:
            return certified<3>(a, tolerance, inverse);
        case 4:
            return is_affine(a) ? certified_affine(a, tolerance, inverse)
                                : certified<4>(a, tolerance, inverse);
        case 5:
            return certified<5>(a, tolerance, inverse);
        case 6:
            return certified<6>(a, tolerance, inverse);
        default:
            return false;
    }
}

bool kvla_inverse(const double* a, int n, double* inverse, double tolerance, int* rank) {
    if (a == nullptr || inverse == nullptr || n <= 0) {
        set_rank(rank, 0);
        return false;
    }
    if (n > kSmallOrder) {
        KvLaDblMat result;
        if (!kvla_inverse_by_svd(KvLaDblMat(a, n, n), result, tolerance, rank)) {
            return false;
        }
        const double* r = result.data();
        const std::size_t count = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
        for (std::size_t k = 0; k < count; ++k) {
            inverse[k] = r[k];
        }
        return true;
    }
    if (!all_finite(a, n * n)) {
        set_rank(rank, 0);
        return false;
    }
    double inv[kSmallOrder * kSmallOrder];
    bool ok = kvla_detail::certified_inverse(a, n, tolerance, inv);
    if (ok) {
        set_rank(rank, n);
    } else {
        ok = kvla_detail::small_inverse_by_svd(a, n, n, tolerance, rank, inv);
    }
    if (ok) {
        for (int k = 0; k < n * n; ++k) {
            inverse[k] = inv[k];
        }
    }
    return ok;
}
