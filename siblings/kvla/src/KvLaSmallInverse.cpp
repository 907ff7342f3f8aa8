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

bool column_lengths(const double* a, int n, double* length) {
    for (int j = 0; j < n; ++j) {
        const double* col = a + j * n;
        double big = 0.0;
        double sum = 0.0;
        for (int i = 0; i < n; ++i) {
            big = std::fmax(big, std::fabs(col[i]));
            sum += col[i] * col[i];
        }
        if (!(big >= 1e-100 && big <= 1e100)) {
            return false;
        }
        length[j] = std::sqrt(sum);
    }
    return true;
}

// In-place LU factorisation with partial pivoting of the row-major N x N
// matrix m: P m = L U, L unit lower (below the diagonal), U upper; perm[i]
// is the original row of row i. False at a zero pivot.
template <int N>
bool factor(double (&m)[N][N], int (&perm)[N]) {
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
        for (int i = k + 1; i < N; ++i) {
            const double l = m[i][k] / m[k][k];
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
void solve_unit_column(const double (&m)[N][N], const int (&perm)[N], int j, double* x) {
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
        x[i] = s / m[i][i];
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
    int perm[N];
    if (!factor(m, perm)) {
        return false;
    }
    double det = 1.0;
    for (int j = 0; j < N; ++j) {
        det *= m[j][j] / length[j];
    }
    if (!(std::fabs(det) > 1.7 * (2e-12 + 2.5 * tolerance))) {
        return false;
    }
    for (int j = 0; j < N; ++j) {
        solve_unit_column(m, perm, j, inverse + j * N);
    }
    for (int k = 0; k < N * N; ++k) {
        if (!std::isfinite(inverse[k])) {
            return false;
        }
    }
    return true;
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
            return certified<4>(a, tolerance, inverse);
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
    for (int k = 0; k < n * n; ++k) {
        if (!std::isfinite(a[k])) {
            set_rank(rank, 0);
            return false;
        }
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
