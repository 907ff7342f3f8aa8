#include <kv/KvArray.h>
#include <kvla/KvLaAlgorithms.h>
#include <kvla/KvLaDblMat.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

const double kNan = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// values row by row: the transpose of the column-major matrix they form.
KvLaDblMat by_rows(int rows, int cols, const std::vector<double>& values) {
    return KvLaDblMat(values.data(), cols, rows).tr();
}

KvLaDblMat identity(int n) {
    KvLaDblMat m(n, n, 0.0);
    for (int i = 0; i < n; ++i) m(i, i) = 1.0;
    return m;
}

double max_abs_diff(const KvLaDblMat& a, const KvLaDblMat& b) {
    if (a.rows() != b.rows() || a.cols() != b.cols()) {
        return kInf;  // an empty or misshapen result never passes
    }
    double d = 0.0;
    for (int k = 0; k < a.rows() * a.cols(); ++k)
        d = std::fmax(d, std::fabs(a.data()[k] - b.data()[k]));
    return d;
}

double norm(const KvLaDblMat& c) { return std::sqrt((c.tr() * c)(0, 0)); }

TEST(KvLaRank, IndependentOfColumnScale) {
    // Unscaled, the singular values of diag(1e9, 1, 1) differ by 1e-9, below
    // a tolerance of 1e-5; per unit column the matrix is the identity.
    KvLaDblMat a = identity(3);
    a(0, 0) = 1e9;
    KvLaDblMat x, n;
    int rank = -1;
    kvla_linearsolve(a, KvLaDblMat(3, 1, 0.0), x, 1e-5, &rank, nullptr);
    EXPECT_EQ(rank, 3) << "case: diag(1e9, 1, 1)";
    // col2 = col0 + col1 with col1 long: rank 2, and the null vector holds.
    const KvLaDblMat b = by_rows(3, 3, {1, 2e9, 1 + 2e9, 4, 5e9, 4 + 5e9, 7, 8e9, 7 + 8e9});
    kvla_linearsolve(b, KvLaDblMat(3, 1, 0.0), x, 1e-12, &rank, &n);
    EXPECT_EQ(rank, 2) << "case: one long column";
    EXPECT_LT(max_abs_diff(b * n, KvLaDblMat(3, 1, 0.0)), 1e-6) << "case: one long column";
}

TEST(KvLaLinearSolve, LeastSquaresMinimumNormAndRefusal) {
    // Straight line p + q t through (0, 1), (1, 3), (2, 5), (3, 7.5): by the
    // normal equations p = 0.9, q = 2.15.
    const KvLaDblMat a = by_rows(4, 2, {1, 0, 1, 1, 1, 2, 1, 3});
    KvLaDblMat x, n(1, 1, 7.0);
    int rank = -1;
    ASSERT_TRUE(kvla_linearsolve(a, by_rows(4, 1, {1, 3, 5, 7.5}), x, 1e-12, &rank, &n));
    EXPECT_EQ(n.cols(), 0) << "case: least squares, no null space";
    EXPECT_LT(max_abs_diff(x, by_rows(2, 1, {0.9, 2.15})), 1e-13) << "case: least squares";
    // x0 + 2 x1 = 5 twice: the least-norm solution is (1, 2).
    const KvLaDblMat s = by_rows(2, 2, {1, 2, 2, 4});
    ASSERT_TRUE(kvla_linearsolve(s, by_rows(2, 1, {5, 10}), x, 1e-12, &rank, nullptr));
    EXPECT_EQ(rank, 1) << "case: least norm";
    EXPECT_LT(max_abs_diff(x, by_rows(2, 1, {1, 2})), 1e-14) << "case: least norm";

    // The four-argument form solves a regular system and refuses a singular one.
    ASSERT_TRUE(kvla_linearsolve(by_rows(2, 2, {2, 1, 1, 3}), by_rows(2, 1, {3, 5}), x, nullptr));
    EXPECT_LT(max_abs_diff(x, by_rows(2, 1, {0.8, 1.4})), 1e-15) << "case: regular";
    EXPECT_FALSE(kvla_linearsolve(s, by_rows(2, 1, {1, 2}), x, nullptr)) << "case: singular";
    EXPECT_FALSE(kvla_linearsolve(a, KvLaDblMat(3, 1, 0.0), x, 1e-12, &rank, &n))
        << "case: rows of a and b differ";
}

TEST(KvLaEigen, SymmetricOrderPairingOrthonormality) {
    std::mt19937 rng(2024);
    std::uniform_real_distribution<double> dist(-5.0, 5.0);
    for (int trial = 0; trial < 20; ++trial) {
        SCOPED_TRACE("case: draw " + std::to_string(trial));
        KvLaDblMat m(3, 3, 0.0), e;
        for (int k = 0; k < 9; ++k) m(k / 3, k % 3) = k / 3 > k % 3 ? m(k % 3, k / 3) : dist(rng);
        const KvLaDblMat original = m;
        KvArray<double> lambda{1.0, 2.0, 3.0, 4.0, 5.0};
        ASSERT_TRUE(kvla_eigenvector_basis(m, lambda, e));
        ASSERT_EQ(lambda.size(), 3u);
        EXPECT_GE(lambda[0], lambda[1]) << "case: descending";
        EXPECT_GE(lambda[1], lambda[2]) << "case: descending";
        EXPECT_LT(max_abs_diff(e.tr() * e, identity(3)), 1e-14) << "case: orthonormal";
        KvLaDblMat d(3, 3, 0.0);  // eigenvalue k belongs to column k: m e = e diag(lambda)
        for (int k = 0; k < 3; ++k) d(k, k) = lambda[k];
        EXPECT_LT(max_abs_diff(original * e, e * d), 1e-13) << "case: paired";
    }
}

TEST(KvLaHouseholder, ConstructLeavesSignedLength) {
    // Stride 2, pivot after a gap: the element between pivot and first stays out.
    double v[8] = {-3, 99, 7, 99, 0, 99, 4, 99}, up = 0.0;
    kvla_h1(0, 2, 4, v, 2, up);
    EXPECT_EQ(v[0], 5.0) << "case: signed length";
    EXPECT_EQ(up, -8.0) << "case: u_p - cl";
    EXPECT_EQ(v[2], 7.0) << "case: the gap";
}

TEST(KvLaHouseholder, TriangularisesThreeColumns) {
    // Column-major 3x3 A, reduced by the two reflections in place to an upper
    // triangular R with R^T R = A^T A (which fixes R up to the signs of its
    // rows): each column split into its part along the reflected direction
    // and the part across it, lengths kept; the pivot takes the opposite sign.
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> dist(-3.0, 3.0);
    for (int trial = 0; trial < 50; ++trial) {
        SCOPED_TRACE("case: draw " + std::to_string(trial));
        double a[9], m[9], up = 0.0;
        std::generate(a, a + 9, [&] { return dist(rng); });
        std::copy(a, a + 9, m);
        kvla_h1(0, 1, 3, m, 1, up);
        kvla_h2(0, 1, 3, m, 1, up, m + 3, 1, 3, 2);
        kvla_h1(1, 2, 3, m + 3, 1, up);
        kvla_h2(1, 2, 3, m + 3, 1, up, m + 6, 1, 3, 1);
        KvLaDblMat r(m, 3, 3);
        const KvLaDblMat am(a, 3, 3);
        r(1, 0) = r(2, 0) = r(2, 1) = 0.0;
        EXPECT_LT(max_abs_diff(r.tr() * r, am.tr() * am), 1e-12) << "case: R^T R = A^T A";
        EXPECT_NE(std::signbit(r(0, 0)), std::signbit(a[0])) << "case: pivot sign";
    }
}

TEST(KvLa, NonFiniteEmptyAndDegenerateInputsAreRefused) {
    KvLaDblMat nan = identity(3), keep(1, 1, 42.0), x, n, b(3, 1, 1.0);
    nan(2, 1) = kNan;
    b(1, 0) = kNan;
    int rank = -1;
    EXPECT_FALSE(kvla_inverse(KvLaDblMat(2, 3, 1.0), keep, 1e-15, &rank)) << "case: not square";
    EXPECT_EQ(rank, 1) << "case: not square";
    EXPECT_FALSE(kvla_linearsolve(nan, KvLaDblMat(3, 1, 1.0), keep, nullptr)) << "case: NaN";
    EXPECT_EQ(keep(0, 0), 42.0) << "case: refused, nothing written";
    EXPECT_FALSE(kvla_linearsolve(identity(3), b, x, 1e-12, &rank, nullptr)) << "case: NaN in b";
    EXPECT_EQ(rank, 3) << "case: NaN in b, the rank of a still known";
    nan(0, 0) = kInf;
    EXPECT_FALSE(kvla_linearsolve(nan, KvLaDblMat(3, 1, 0.0), x, 1e-12, &rank, &n)) << "case: inf";
    EXPECT_EQ(n.cols(), 0) << "case: inf";
    EXPECT_FALSE(kvla_smallest_singular_vector(KvLaDblMat(2, 2, kNan), 1e-5, &rank, x))
        << "case: NaN";
    KvArray<double> lambda;
    EXPECT_FALSE(kvla_eigenvector_basis(nan, lambda, x)) << "case: inf";
    EXPECT_EQ(max_abs_diff(x, identity(3)), 0.0) << "case: inf, the identity";
    KvLaDblMat empty;
    EXPECT_FALSE(kvla_eigenvector_basis(empty, lambda, x)) << "case: empty";
    // Householder calls with nothing to do leave everything alone.
    double u[3] = {1, 2, 3}, c[3] = {1, 2, 3}, zero[3] = {0, 0, 0}, up = 77.0;
    kvla_h1(-1, 1, 3, u, 1, up);  // pivot out of range
    kvla_h1(1, 1, 3, u, 1, up);   // pivot not before first
    kvla_h1(0, 1, 3, u, 0, up);   // no stride
    kvla_h1(0, 1, 3, zero, 1, up);
    kvla_h2(0, 1, 3, zero, 1, up, c, 1, 3, 1);  // zero pivot: no reflection
    EXPECT_EQ(up, 77.0) << "case: nothing to do";
    EXPECT_EQ(std::vector<double>(u, u + 3), (std::vector<double>{1, 2, 3})) << "case: h1 idle";
    EXPECT_EQ(std::vector<double>(c, c + 3), (std::vector<double>{1, 2, 3})) << "case: h2 idle";
}

// The defining properties fix the decomposition: orthonormal columns,
// descending non-negative values, and U diag(sigma) V^T giving a back.
TEST(KvLaSvd, RandomMatricesOfEveryShape) {
    std::mt19937 rng(71);
    std::uniform_real_distribution<double> entry(-5.0, 5.0);
    const struct {
        const char* name;
        int rows, cols;
    } shapes[] = {{"square", 3, 3}, {"tall", 9, 3}, {"wide", 2, 4}, {"one row", 1, 3}};
    for (const auto& shape : shapes) {
        for (int seed = 0; seed < 5; ++seed) {
            const std::string name = std::string(shape.name) + " #" + std::to_string(seed);
            KvLaDblMat a(shape.rows, shape.cols, 0.0), u, v;
            std::generate(a.data(), a.data() + shape.rows * shape.cols, [&] { return entry(rng); });
            KvArray<double> sigma;
            ASSERT_TRUE(kvla_svd(a, u, sigma, v)) << "case: " << name;
            const int k = std::min(shape.rows, shape.cols);
            ASSERT_EQ(sigma.size(), static_cast<std::size_t>(k)) << "case: " << name;
            EXPECT_LT(max_abs_diff(u.tr() * u, identity(k)), 1e-14) << "case: " << name;
            EXPECT_LT(max_abs_diff(v.tr() * v, identity(k)), 1e-14) << "case: " << name;
            KvLaDblMat us = u;
            for (int j = 0; j < k; ++j)
                for (int i = 0; i < shape.rows; ++i) us(i, j) *= sigma[static_cast<std::size_t>(j)];
            EXPECT_LT(max_abs_diff(us * v.tr(), a), 1e-13) << "case: " << name;
            EXPECT_GE(sigma[static_cast<std::size_t>(k - 1)], 0.0) << "case: " << name;
            EXPECT_TRUE(std::is_sorted(sigma.begin(), sigma.end(), std::greater<double>()))
                << "case: " << name;
        }
    }
}

TEST(KvLaSvd, RefusesEmptyNonFiniteAndOverflowWritingNothing) {
    KvLaDblMat nan(2, 2, 1.0), inf(2, 2, 1.0);
    nan(1, 0) = std::numeric_limits<double>::quiet_NaN();
    inf(0, 1) = -HUGE_VAL;
    const struct {
        const char* name;
        KvLaDblMat a;
    } cases[] = {{"no columns", KvLaDblMat(3, 0, 0.0)},
                 {"NaN", nan},
                 {"infinity", inf},
                 {"largest value overflows", KvLaDblMat(4, 4, 1.5e308)}};
    for (const auto& c : cases) {
        KvLaDblMat u(1, 1, 42.0), v(1, 1, 43.0);
        KvArray<double> sigma{44.0};
        EXPECT_FALSE(kvla_svd(c.a, u, sigma, v)) << "case: " << c.name;
        EXPECT_EQ(u(0, 0), 42.0) << "case: " << c.name;
        EXPECT_EQ(sigma[0], 44.0) << "case: " << c.name;
    }
}

// The rank counts singular values strictly above tolerance times the
// largest: a zero matrix has rank 0 at every tolerance, its null space all
// of the space.
TEST(KvLaRank, ZeroMatrixHasRankZero) {
    for (int n : {3, 7}) {
        const KvLaDblMat zero(n, n, 0.0);
        KvLaDblMat x, null, inv, v;
        int rank = -1;
        kvla_linearsolve(zero, KvLaDblMat(n, 1, 0.0), x, 0.0, &rank, &null);
        EXPECT_EQ(rank, 0) << "case: linearsolve, order " << n;
        EXPECT_EQ(null.cols(), n) << "case: linearsolve, order " << n;
        rank = -1;
        EXPECT_FALSE(kvla_inverse(zero, inv, 1e-15, &rank)) << "case: inverse, order " << n;
        EXPECT_EQ(rank, 0) << "case: inverse, order " << n;
        rank = -1;
        kvla_smallest_singular_vector(zero, 0.0, &rank, v);
        EXPECT_EQ(rank, 0) << "case: smallest singular vector, order " << n;
    }
}

// Null-space columns come smallest singular value first. Columns of unequal
// length, nearly dependent in two distinct ways: per unit column the
// singular values are about 1.7, 6e-4 and 6e-6, and at tolerance 0.01 the
// rank is 1. For a null vector n, |a n| / |diag(|a_j|) n| is the singular
// value of the unit-column matrix it belongs to.
TEST(KvLaLinearSolve, NullSpaceSmallestSingularValueFirst) {
    const KvLaDblMat a = by_rows(3, 3, {1, 5, 7, 0, 5e-3, 0, 0, 0, 7e-5});
    KvLaDblMat x, n, u, v;
    KvArray<double> sigma;
    int rank = -1;
    ASSERT_TRUE(kvla_linearsolve(a, KvLaDblMat(3, 1, 0.0), x, 0.01, &rank, &n));
    ASSERT_EQ(rank, 1);
    ASSERT_EQ(n.cols(), 2);
    KvLaDblMat unit = a, scale(3, 3, 0.0);
    for (int j = 0; j < 3; ++j) {
        const double len = std::sqrt(a(0, j) * a(0, j) + a(1, j) * a(1, j) + a(2, j) * a(2, j));
        scale(j, j) = len;
        for (int i = 0; i < 3; ++i) unit(i, j) = a(i, j) / len;
    }
    ASSERT_TRUE(kvla_svd(unit, u, sigma, v)) << "case: unit columns";
    for (int k = 0; k < 2; ++k) {
        KvLaDblMat col(3, 1, 0.0);
        for (int i = 0; i < 3; ++i) col(i, 0) = n(i, k);
        const double value = norm(a * col) / norm(scale * col);
        EXPECT_NEAR(value, sigma[2 - k], 1e-9 * sigma[2 - k]) << "case: null column " << k;
    }
    // The smallest singular vector is the first null-space column, up to sign.
    ASSERT_TRUE(kvla_smallest_singular_vector(a, 0.01, &rank, v));
    EXPECT_EQ(rank, 1) << "case: smallest singular vector";
    EXPECT_NEAR(std::fabs(v(0, 0) * n(0, 0) + v(1, 0) * n(1, 0) + v(2, 0) * n(2, 0)), 1.0, 1e-12)
        << "case: smallest singular vector";
}

}  // namespace
