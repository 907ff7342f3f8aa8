#include <kvla/KvLaAlgorithms.h>
#include <kvla/KvLaInverse.h>
#include <kvla/detail/KvLaHouseholder.h>

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "KvLaSmallInverse.h"

// The decompositions run on Eigen's dynamic matrices; KvLaDblMat and Eigen's
// default storage are both column-major, so a KvLaDblMat is viewed in place.
// Matrices of up to 6 x 6 are inverted in Eigen matrices of dynamic size but
// bounded capacity, which keep their elements inside the object: the same
// algorithms, element for element, without the heap.

namespace {

using Matrix = Eigen::MatrixXd;
using Vector = Eigen::VectorXd;
using ConstView = Eigen::Map<const Matrix>;
constexpr int kSmall = kvla_detail::kSmallOrder;
using SmallMatrix =
    Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::ColMajor, kSmall, kSmall>;

ConstView view(const KvLaDblMat& m) { return ConstView(m.data(), m.rows(), m.cols()); }

KvLaDblMat to_kvla(const Matrix& m) {
    return KvLaDblMat(m.data(), static_cast<int>(m.rows()), static_cast<int>(m.cols()));
}

// Singular value decomposition of a with every non-zero column scaled to unit
// length: a * diag(1 / len_j) = U * diag(sigma) * V^T. A column's length is
// kept as big_j * unit_j (big_j its largest magnitude, unit_j the length of
// the column divided by big_j, in [1, sqrt(rows)]) so that no intermediate
// overflows; a zero column counts as a column of length 1 and stays zero.
// M is the matrix type of the decomposition (Matrix, or SmallMatrix for
// matrices of up to 6 x 6).
template <class M>
class ScaledSvd {
    using Vec =
        Eigen::Matrix<double, Eigen::Dynamic, 1, Eigen::ColMajor, M::MaxColsAtCompileTime, 1>;

public:
    template <class Derived>
    ScaledSvd(const Eigen::MatrixBase<Derived>& a, double tolerance, unsigned int options)
        : big_(a.cols()), unit_(a.cols()) {
        M scaled(a.rows(), a.cols());
        for (Eigen::Index j = 0; j < a.cols(); ++j) {
            const double big = a.col(j).cwiseAbs().maxCoeff();
            big_(j) = big > 0.0 ? big : 1.0;
            scaled.col(j) = a.col(j) / big_(j);
            unit_(j) = big > 0.0 ? scaled.col(j).norm() : 1.0;
            scaled.col(j) /= unit_(j);
        }
        svd_.compute(scaled, options);
        rank_ = count_rank(svd_.singularValues(), tolerance);
    }

    int rank() const { return rank_; }

    // Right singular vector k (column k of V, k from 0, by descending
    // singular value) mapped back to the unscaled variables, x_j = v_j /
    // len_j, and normalised. The factor ref / len_j with ref the smallest
    // big_j keeps every factor within (0, 1], so the mapping cannot overflow.
    Vector mapped_right_vector(Eigen::Index k) const {
        const double ref = big_.minCoeff();
        Vector x(big_.size());
        for (Eigen::Index j = 0; j < x.size(); ++j) {
            x(j) = svd_.matrixV()(j, k) * ((ref / big_(j)) / unit_(j));
        }
        const double len = x.stableNorm();
        if (len > 0.0) {
            x /= len;
        }
        return x;
    }

    // The null space: one unit column per singular value left out of the
    // rank, the smallest singular value first (the last columns of V).
    Matrix null_space() const {
        const Eigen::Index n = big_.size();
        Matrix basis(n, n - rank_);
        for (Eigen::Index k = 0; k < basis.cols(); ++k) {
            basis.col(k) = mapped_right_vector(n - 1 - k);
        }
        return basis;
    }

    // Least-squares solution of a x = b on the singular values counted in
    // the rank: y = V_r diag(1 / sigma_r) U_r^T b solves the scaled system,
    // and x_j = y_j / len_j. Needs U and V.
    Matrix solve(const ConstView& b) const {
        const Eigen::Index r = rank_;
        const Matrix coeff = (svd_.matrixU().leftCols(r).transpose() * b).array().colwise() /
                             svd_.singularValues().head(r).array();
        Matrix x = svd_.matrixV().leftCols(r) * coeff;
        for (Eigen::Index j = 0; j < x.rows(); ++j) {
            x.row(j) = (x.row(j) / big_(j)) / unit_(j);
        }
        return x;
    }

private:
    static int count_rank(const Vec& sigma, double tolerance) {
        if (sigma.size() == 0) {
            return 0;
        }
        const double threshold = tolerance * sigma(0);
        int rank = 0;
        for (Eigen::Index i = 0; i < sigma.size(); ++i) {
            if (sigma(i) > threshold) {
                ++rank;
            }
        }
        return rank;
    }

    Vec big_;
    Vec unit_;
    Eigen::JacobiSVD<M> svd_;
    int rank_ = 0;
};

void set_rank(int* rank, int value) {
    if (rank != nullptr) {
        *rank = value;
    }
}

// Removes from x (column by column) its components in the span of basis, so
// that x becomes the solution of least norm: every least-squares solution
// differs from another by a null-space vector.
void project_out(Matrix& x, const Matrix& basis) {
    if (basis.cols() == 0 || x.size() == 0) {
        return;
    }
    const Eigen::HouseholderQR<Matrix> qr(basis);
    const Matrix q = qr.householderQ() * Matrix::Identity(basis.rows(), basis.cols());
    x -= q * (q.transpose() * x);
}

// The outputs of a failed eigen-decomposition of an n x n matrix: the
// identity as eigenvectors and zero eigenvalues, so that a caller reading
// them stays within the sizes it expects.
void eigen_fallback(int n, KvArray<double>& eigenvalues, KvLaDblMat& eigenvectors) {
    eigenvalues.resize(static_cast<std::size_t>(n), false);
    eigenvectors = KvLaDblMat(n, n, 0.0);
    for (int i = 0; i < n; ++i) {
        eigenvectors(i, i) = 1.0;
    }
}

// The rank from the singular values of the column-scaled matrix in the
// matrix type M; at full rank the inverse by LU with partial pivoting
// (exactly for diagonal and permutation matrices), written to inverse
// column by column. a is finite and not empty.
template <class M, class Derived>
bool inverse_by_svd(const Eigen::MatrixBase<Derived>& a, double tolerance, int* rank,
                    double* inverse) {
    const ScaledSvd<M> svd(a, tolerance, 0);
    set_rank(rank, svd.rank());
    if (a.rows() != a.cols() || svd.rank() != a.cols()) {
        return false;
    }
    const M inv = M(a).partialPivLu().inverse();
    if (!inv.allFinite()) {
        return false;
    }
    std::copy(inv.data(), inv.data() + inv.size(), inverse);
    return true;
}

}  // namespace

bool kvla_detail::small_inverse_by_svd(const double* a, int rows, int cols, double tolerance,
                                       int* rank, double* inverse) {
    const Eigen::Map<const SmallMatrix> am(a, rows, cols);
    return inverse_by_svd<SmallMatrix>(am, tolerance, rank, inverse);
}

bool kvla_inverse(const KvLaDblMat& a, KvLaDblMat& inverse, double tolerance, int* rank) {
    const int n = a.rows();
    if (n > 0 && n <= kSmall && a.cols() == n) {
        double inv[kSmall * kSmall];
        if (!kvla_inverse(a.data(), n, inv, tolerance, rank)) {
            return false;
        }
        inverse = KvLaDblMat(inv, n, n);
        return true;
    }
    return kvla_inverse_by_svd(a, inverse, tolerance, rank);
}

bool kvla_inverse_by_svd(const KvLaDblMat& a, KvLaDblMat& inverse, double tolerance, int* rank) {
    const ConstView am = view(a);
    if (a.rows() == 0 || !am.allFinite()) {
        set_rank(rank, 0);
        return false;
    }
    Matrix inv(a.rows(), a.cols());
    if (!inverse_by_svd<Matrix>(am, tolerance, rank, inv.data())) {
        return false;
    }
    inverse = to_kvla(inv);
    return true;
}

bool kvla_linearsolve(const KvLaDblMat& a, const KvLaDblMat& b, KvLaDblMat& x, double tolerance,
                      int* rank, KvLaDblMat* nullspace) {
    if (a.rows() != b.rows()) {
        return false;
    }
    const ConstView am = view(a);
    const ConstView bm = view(b);
    if (a.rows() == 0 || !am.allFinite()) {
        // An empty system has rank 0, an empty solution and null space.
        set_rank(rank, 0);
        x = KvLaDblMat();
        if (nullspace != nullptr) {
            *nullspace = KvLaDblMat();
        }
        return a.rows() == 0;
    }
    const ScaledSvd<Matrix> svd(am, tolerance, Eigen::ComputeThinU | Eigen::ComputeFullV);
    set_rank(rank, svd.rank());
    const Matrix basis = svd.null_space();
    if (nullspace != nullptr) {
        *nullspace = to_kvla(basis);
    }
    if (!bm.allFinite()) {
        x = KvLaDblMat();
        return false;
    }
    Matrix solution = svd.solve(bm);
    project_out(solution, basis);
    if (!solution.allFinite()) {
        x = KvLaDblMat();
        return false;
    }
    x = to_kvla(solution);
    return true;
}

bool kvla_linearsolve(const KvLaDblMat& a, const KvLaDblMat& b, KvLaDblMat& x, KvLaDblMat*) {
    const ConstView am = view(a);
    const ConstView bm = view(b);
    if (a.rows() == 0 || a.rows() != b.rows() || !am.allFinite() || !bm.allFinite()) {
        return false;
    }
    const ScaledSvd<Matrix> svd(am, 1e-12, Eigen::ComputeThinU | Eigen::ComputeThinV);
    if (svd.rank() < a.cols()) {
        return false;
    }
    const Matrix solution = svd.solve(bm);
    if (!solution.allFinite()) {
        return false;
    }
    x = to_kvla(solution);
    return true;
}

bool kvla_eigenvector_basis(KvLaDblMat& m, KvArray<double>& eigenvalues, KvLaDblMat& eigenvectors) {
    const int n = std::max(m.rows(), m.cols());
    const ConstView mm = view(m);
    if (n == 0 || m.rows() != m.cols() || !mm.allFinite()) {
        eigen_fallback(n, eigenvalues, eigenvectors);
        return false;
    }
    // Reads the lower triangle; the eigenvalues come in ascending order.
    const Eigen::SelfAdjointEigenSolver<Matrix> solver(mm);
    if (solver.info() != Eigen::Success || !solver.eigenvalues().allFinite() ||
        !solver.eigenvectors().allFinite()) {
        eigen_fallback(n, eigenvalues, eigenvectors);
        return false;
    }
    eigenvalues.resize(static_cast<std::size_t>(n), false);
    eigenvectors = KvLaDblMat(n, n, 0.0);
    for (int k = 0; k < n; ++k) {
        const int from = n - 1 - k;
        eigenvalues[static_cast<std::size_t>(k)] = solver.eigenvalues()(from);
        for (int i = 0; i < n; ++i) {
            eigenvectors(i, k) = solver.eigenvectors()(i, from);
        }
    }
    return true;
}

// Lawson and Hanson's H12; the bodies are inline in KvLaHouseholder.h.
void kvla_h1(int pivot, int first, int count, double* u, int stride, double& up) {
    kvla_detail::householder_construct(pivot, first, count, u, stride, up);
}

void kvla_h2(int pivot, int first, int count, const double* u, int stride, double up, double* c,
             int c_stride, int vec_stride, int nvec) {
    kvla_detail::householder_apply(pivot, first, count, u, stride, up, c, c_stride, vec_stride,
                                   nvec);
}

bool kvla_smallest_singular_vector(const KvLaDblMat& a, double tolerance, int* rank,
                                   KvLaDblMat& v) {
    const ConstView am = view(a);
    if (a.rows() == 0 || !am.allFinite()) {
        set_rank(rank, 0);
        return false;
    }
    const ScaledSvd<Matrix> svd(am, tolerance, Eigen::ComputeFullV);
    set_rank(rank, svd.rank());
    v = to_kvla(svd.mapped_right_vector(a.cols() - 1));
    return true;
}

bool kvla_svd(const KvLaDblMat& a, KvLaDblMat& u, KvArray<double>& sigma, KvLaDblMat& v) {
    const ConstView am = view(a);
    if (a.rows() == 0 || a.cols() == 0 || !am.allFinite()) {
        return false;
    }
    // Eigen scales the matrix by its largest magnitude before the Jacobi
    // sweeps, so huge finite entries do not overflow; the singular values
    // come sorted in descending order.
    const Eigen::JacobiSVD<Matrix> svd(am, Eigen::ComputeThinU | Eigen::ComputeThinV);
    const Vector& s = svd.singularValues();
    if (!s.allFinite()) {
        return false;  // the largest singular value overflows
    }
    sigma.resize(static_cast<std::size_t>(s.size()), false);
    for (Eigen::Index i = 0; i < s.size(); ++i) {
        sigma[static_cast<std::size_t>(i)] = s(i);
    }
    u = to_kvla(svd.matrixU());
    v = to_kvla(svd.matrixV());
    return true;
}

double kvla_spectral_norm_3x3(const double* a) {
    // Non-finite entries first: the decomposition means nothing for them.
    double big = 0.0;
    for (int i = 0; i < 9; ++i) {
        if (std::isnan(a[i])) {
            return a[i];
        }
        big = std::max(big, std::fabs(a[i]));
    }
    if (std::isinf(big) || big == 0.0) {
        return big;
    }
    // Scaled by a power of two (exactly) to a largest entry in [0.5, 1), so
    // that nothing over- or underflows. Fixed-size Eigen types live on the
    // stack. The two-sided Jacobi iteration stops at off-diagonal entries
    // below 2 eps times the diagonal, and its rotations are backward stable,
    // so its largest singular value is within a few tens of eps of the exact
    // one relative to it; raising it by 256 eps (2^-44) makes it an upper
    // bound.
    int exponent = 0;
    std::frexp(big, &exponent);
    const Eigen::Matrix3d m = Eigen::Map<const Eigen::Matrix<double, 3, 3, Eigen::RowMajor>>(a) *
                              std::ldexp(1.0, -exponent);
    const Eigen::JacobiSVD<Eigen::Matrix3d> svd(m);
    const double sigma = svd.singularValues()(0) * (1.0 + 0x1p-44);
    return std::ldexp(sigma, exponent);
}
