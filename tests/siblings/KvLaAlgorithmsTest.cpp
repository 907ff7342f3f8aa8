#include <kvla/KvLaAlgorithms.h>
#include <kvla/KvLaDblMat.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include <gtest/gtest.h>

namespace {

const double kNan = std::numeric_limits<double>::quiet_NaN();

KvLaDblMat from_rows(int rows, int cols, const std::vector<double>& values) {
    KvLaDblMat m(rows, cols, 0.0);
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < cols; ++j) {
            m(i, j) = values[static_cast<std::size_t>(i * cols + j)];
        }
    }
    return m;
}

double max_abs_diff(const KvLaDblMat& a, const KvLaDblMat& b) {
    double d = 0.0;
    for (int i = 0; i < a.rows(); ++i) {
        for (int j = 0; j < a.cols(); ++j) {
            d = std::max(d, std::fabs(a(i, j) - b(i, j)));
        }
    }
    return d;
}

double column_norm(const KvLaDblMat& m, int j) {
    double s = 0.0;
    for (int i = 0; i < m.rows(); ++i) {
        s += m(i, j) * m(i, j);
    }
    return std::sqrt(s);
}

KvLaDblMat column(const KvLaDblMat& m, int j) {
    KvLaDblMat c(m.rows(), 1, 0.0);
    for (int i = 0; i < m.rows(); ++i) {
        c(i, 0) = m(i, j);
    }
    return c;
}

KvLaDblMat identity(int n) {
    KvLaDblMat m(n, n, 0.0);
    for (int i = 0; i < n; ++i) {
        m(i, i) = 1.0;
    }
    return m;
}

// One row x^2, 2xy, y^2, x, y, 1 of the homogeneous conic system per point.
KvLaDblMat conic_rows(const std::vector<std::pair<double, double>>& pts) {
    KvLaDblMat m(static_cast<int>(pts.size()), 6, 0.0);
    for (int k = 0; k < m.rows(); ++k) {
        const double x = pts[static_cast<std::size_t>(k)].first;
        const double y = pts[static_cast<std::size_t>(k)].second;
        const double row[6] = {x * x, 2.0 * x * y, y * y, x, y, 1.0};
        for (int j = 0; j < 6; ++j) {
            m(k, j) = row[j];
        }
    }
    return m;
}

TEST(KvLaInverse, FullRankAndRankDeficient) {
    const KvLaDblMat a = from_rows(4, 4, {0, -1, 0, 5, 2, 0, 0, -3, 0, 0, 4, 1, 0, 0, 0, 1});
    KvLaDblMat inv;
    int rank = -1;
    ASSERT_TRUE(kvla_inverse(a, inv, 1e-15, &rank));
    EXPECT_EQ(rank, 4);
    ASSERT_EQ(inv.rows(), 4);
    EXPECT_LT(max_abs_diff(a * inv, identity(4)), 1e-15);
    EXPECT_EQ(inv(0, 1), 0.5);  // the permuted scaling inverts exactly
    EXPECT_EQ(inv(2, 2), 0.25);

    // Third row = first + second: rank 3, inverse refused and left alone.
    const KvLaDblMat s = from_rows(4, 4, {1, 2, 3, 4, 0, 1, 5, 2, 1, 3, 8, 6, 7, 0, 1, 1});
    KvLaDblMat keep(1, 1, 42.0);
    EXPECT_FALSE(kvla_inverse(s, keep, 1e-15, &rank));
    EXPECT_EQ(rank, 3);
    EXPECT_EQ(keep.rows(), 1);
    EXPECT_EQ(keep(0, 0), 42.0);

    EXPECT_FALSE(kvla_inverse(KvLaDblMat(3, 3, 0.0), keep, 1e-15, &rank));
    EXPECT_EQ(rank, 0);
    EXPECT_FALSE(kvla_inverse(KvLaDblMat(2, 3, 1.0), keep, 1e-15, &rank));  // not square
    EXPECT_EQ(rank, 1);
    EXPECT_FALSE(kvla_inverse(KvLaDblMat(), keep, 1e-15, nullptr));
    KvLaDblMat nan = identity(4);
    nan(2, 1) = kNan;
    EXPECT_FALSE(kvla_inverse(nan, keep, 1e-15, &rank));
    EXPECT_EQ(rank, 0);
    EXPECT_EQ(keep(0, 0), 42.0);
}

TEST(KvLaRank, IndependentOfColumnScale) {
    // Unscaled, the singular values of diag(1e9, 1, 1) differ by 1e-9, below
    // a tolerance of 1e-5; per unit column the matrix is the identity.
    KvLaDblMat a = identity(3);
    a(0, 0) = 1e9;
    KvLaDblMat x;
    int rank = -1;
    kvla_linearsolve(a, KvLaDblMat(3, 1, 0.0), x, 1e-5, &rank, nullptr);
    EXPECT_EQ(rank, 3);

    KvLaDblMat b = from_rows(3, 3, {1, 2, 3, 4, 5, 9, 7, 8, 15});  // col2 = col0 + col1
    kvla_linearsolve(b, KvLaDblMat(3, 1, 0.0), x, 1e-12, &rank, nullptr);
    EXPECT_EQ(rank, 2);
    for (int i = 0; i < 3; ++i) {
        b(i, 1) *= 1e9;
    }
    KvLaDblMat n;
    kvla_linearsolve(b, KvLaDblMat(3, 1, 0.0), x, 1e-12, &rank, &n);
    EXPECT_EQ(rank, 2);
    ASSERT_EQ(n.cols(), 1);
    EXPECT_LT(max_abs_diff(b * n, KvLaDblMat(3, 1, 0.0)), 1e-6);
}

TEST(KvLaLinearSolve, LeastSquaresAndMinimumNorm) {
    // Straight line fit y = p + q t through four points against the normal equations.
    const double t[4] = {0, 1, 2, 3};
    const double y[4] = {1, 3, 5, 7.5};
    KvLaDblMat a(4, 2, 1.0);
    KvLaDblMat b(4, 1, 0.0);
    double st = 0, stt = 0, sy = 0, sty = 0;
    for (int i = 0; i < 4; ++i) {
        a(i, 1) = t[i];
        b(i, 0) = y[i];
        st += t[i], stt += t[i] * t[i], sy += y[i], sty += t[i] * y[i];
    }
    const double det = 4 * stt - st * st;
    KvLaDblMat x;
    int rank = -1;
    KvLaDblMat n(1, 1, 7.0);
    ASSERT_TRUE(kvla_linearsolve(a, b, x, 1e-12, &rank, &n));
    EXPECT_EQ(rank, 2);
    EXPECT_EQ(n.cols(), 0);
    ASSERT_EQ(x.rows(), 2);
    EXPECT_NEAR(x(0, 0), (stt * sy - st * sty) / det, 1e-13);
    EXPECT_NEAR(x(1, 0), (4 * sty - st * sy) / det, 1e-13);

    // x0 + 2 x1 = 5 twice: the least-norm solution is (1, 2), whatever the column lengths.
    ASSERT_TRUE(kvla_linearsolve(from_rows(2, 2, {1, 2, 2, 4}), from_rows(2, 1, {5, 10}), x, 1e-12,
                                 &rank, nullptr));
    EXPECT_EQ(rank, 1);
    EXPECT_NEAR(x(0, 0), 1.0, 1e-14);
    EXPECT_NEAR(x(1, 0), 2.0, 1e-14);

    EXPECT_FALSE(kvla_linearsolve(a, KvLaDblMat(3, 1, 0.0), x, 1e-12, &rank, &n));
    KvLaDblMat bad = b;
    bad(1, 0) = kNan;
    rank = -1;
    EXPECT_FALSE(kvla_linearsolve(a, bad, x, 1e-12, &rank, nullptr));
    EXPECT_EQ(rank, 2);  // the rank of a is still known
    a(0, 0) = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(kvla_linearsolve(a, b, x, 1e-12, &rank, &n));
    EXPECT_EQ(rank, 0);
}

TEST(KvLaLinearSolve, NullSpaceOfConicSystem) {
    // Five points of the circle x^2 + y^2 = 1: coefficients (1, 0, 1, 0, 0, -1).
    std::vector<std::pair<double, double>> pts;
    for (double deg : {10.0, 80.0, 150.0, 200.0, 300.0}) {
        const double r = deg * 3.141592653589793 / 180.0;
        pts.emplace_back(std::cos(r), std::sin(r));
    }
    const KvLaDblMat m = conic_rows(pts);
    KvLaDblMat x, n;
    int rank = -1;
    ASSERT_TRUE(kvla_linearsolve(m, KvLaDblMat(5, 1, 0.0), x, 1e-5, &rank, &n));
    EXPECT_EQ(rank, 5);
    ASSERT_EQ(n.rows(), 6);
    ASSERT_EQ(n.cols(), 1);
    EXPECT_NEAR(column_norm(n, 0), 1.0, 1e-14);
    const double s = n(0, 0) > 0 ? 1.0 / std::sqrt(3.0) : -1.0 / std::sqrt(3.0);
    const double expected[6] = {s, 0, s, 0, 0, -s};
    for (int i = 0; i < 6; ++i) {
        EXPECT_NEAR(n(i, 0), expected[i], 1e-12) << i;
    }
    EXPECT_LT(max_abs_diff(x, KvLaDblMat(6, 1, 0.0)), 1e-15);

    // Five collinear points give rank 3 and three unit null vectors.
    const KvLaDblMat line = conic_rows({{0, 1}, {1, 3}, {2, 5}, {-1, -1}, {4, 9}});
    ASSERT_TRUE(kvla_linearsolve(line, KvLaDblMat(5, 1, 0.0), x, 1e-5, &rank, &n));
    EXPECT_EQ(rank, 3);
    ASSERT_EQ(n.cols(), 3);
    for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(column_norm(n, k), 1.0, 1e-14);
        EXPECT_LT(max_abs_diff(line * column(n, k), KvLaDblMat(5, 1, 0.0)), 1e-12);
    }
}

TEST(KvLaLinearSolve, NullSpaceSmallestFirst) {
    // Unit columns (so no rescaling) with singular values far apart: the null
    // vectors must come with |a n_k| non-decreasing and be orthonormal.
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    KvLaDblMat g(4, 4, 0.0);
    for (int i = 0; i < 16; ++i) {
        g.data()[i] = dist(rng);
    }
    KvLaDblMat x, q;
    int rank = 0;
    ASSERT_TRUE(kvla_linearsolve(g, identity(4), x, 1e-12, &rank, nullptr));
    ASSERT_EQ(rank, 4);
    // a = g diag(1, 1e-3, 1e-7, 1e-9) g^-1 has singular values spread over nine decades.
    KvLaDblMat d = identity(4);
    d(1, 1) = 1e-3, d(2, 2) = 1e-7, d(3, 3) = 1e-9;
    KvLaDblMat a = g * d * x;
    for (int j = 0; j < 4; ++j) {
        const double len = column_norm(a, j);
        for (int i = 0; i < 4; ++i) {
            a(i, j) /= len;
        }
    }
    KvLaDblMat n;
    ASSERT_TRUE(kvla_linearsolve(a, KvLaDblMat(4, 1, 0.0), x, 1e-5, &rank, &n));
    ASSERT_EQ(rank, 2);
    ASSERT_EQ(n.cols(), 2);
    EXPECT_LE(column_norm(a * column(n, 0), 0), column_norm(a * column(n, 1), 0));
    EXPECT_LT(max_abs_diff(n.tr() * n, identity(2)), 1e-9);
}

TEST(KvLaLinearSolve, FourArgumentForm) {
    KvLaDblMat x(1, 1, 9.0);
    ASSERT_TRUE(
        kvla_linearsolve(from_rows(2, 2, {2, 1, 1, 3}), from_rows(2, 1, {3, 5}), x, nullptr));
    EXPECT_NEAR(x(0, 0), 0.8, 1e-15);
    EXPECT_NEAR(x(1, 0), 1.4, 1e-15);

    KvLaDblMat keep(1, 1, 9.0);
    EXPECT_FALSE(
        kvla_linearsolve(from_rows(2, 2, {1, 2, 2, 4}), from_rows(2, 1, {1, 2}), keep, nullptr));
    EXPECT_FALSE(kvla_linearsolve(identity(2), KvLaDblMat(3, 1, 0.0), keep, nullptr));
    EXPECT_FALSE(kvla_linearsolve(KvLaDblMat(), KvLaDblMat(), keep, nullptr));
    EXPECT_FALSE(
        kvla_linearsolve(from_rows(2, 2, {1, kNan, 0, 1}), KvLaDblMat(2, 1, 1.0), keep, nullptr));
    EXPECT_EQ(keep.rows(), 1);
    EXPECT_EQ(keep(0, 0), 9.0);
}

TEST(KvLaSmallestSingularVector, LeastSquaresConic) {
    // Twelve points of the ellipse x^2/4 + y^2 = 1, slightly perturbed.
    std::vector<std::pair<double, double>> pts;
    for (int k = 0; k < 12; ++k) {
        const double r = k * 0.5;
        pts.emplace_back(2.0 * std::cos(r) + (k % 3 - 1) * 1e-9, std::sin(r));
    }
    KvLaDblMat v;
    int rank = -1;
    ASSERT_TRUE(kvla_smallest_singular_vector(conic_rows(pts), 1e-5, &rank, v));
    EXPECT_EQ(rank, 5);
    ASSERT_EQ(v.rows(), 6);
    ASSERT_EQ(v.cols(), 1);
    const double s = v(0, 0) / 0.25;
    const double expected[6] = {0.25, 0, 1, 0, 0, -1};
    for (int i = 0; i < 6; ++i) {
        EXPECT_NEAR(v(i, 0), s * expected[i], 1e-8) << i;
    }
    EXPECT_NEAR(column_norm(v, 0), 1.0, 1e-14);

    // Five rows: the same direction as the null space column 0.
    pts.resize(5);
    KvLaDblMat x, n;
    kvla_linearsolve(conic_rows(pts), KvLaDblMat(5, 1, 0.0), x, 1e-5, &rank, &n);
    ASSERT_TRUE(kvla_smallest_singular_vector(conic_rows(pts), 1e-5, &rank, v));
    const double dot = (v.tr() * n)(0, 0);
    EXPECT_NEAR(std::fabs(dot), 1.0, 1e-12);

    EXPECT_FALSE(kvla_smallest_singular_vector(KvLaDblMat(), 1e-5, &rank, v));
    EXPECT_FALSE(kvla_smallest_singular_vector(KvLaDblMat(2, 2, kNan), 1e-5, &rank, v));
    EXPECT_EQ(rank, 0);
}

TEST(KvLaEigen, SymmetricOrderPairingOrthonormality) {
    std::mt19937 rng(2024);
    std::uniform_real_distribution<double> dist(-5.0, 5.0);
    for (int trial = 0; trial < 20; ++trial) {
        KvLaDblMat m(3, 3, 0.0);
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j <= i; ++j) {
                m(i, j) = m(j, i) = dist(rng);
            }
        }
        const KvLaDblMat original = m;
        KvArray<double> lambda{1.0, 2.0, 3.0, 4.0, 5.0};
        KvLaDblMat e;
        ASSERT_TRUE(kvla_eigenvector_basis(m, lambda, e));
        ASSERT_EQ(lambda.size(), 3u);
        ASSERT_EQ(e.rows(), 3);
        ASSERT_EQ(e.cols(), 3);
        EXPECT_GE(lambda[0], lambda[1]);
        EXPECT_GE(lambda[1], lambda[2]);
        EXPECT_LT(max_abs_diff(e.tr() * e, identity(3)), 1e-14);
        for (int k = 0; k < 3; ++k) {
            KvLaDblMat lv = column(e, k);
            for (int i = 0; i < 3; ++i) {
                lv(i, 0) *= lambda[static_cast<std::size_t>(k)];
            }
            EXPECT_LT(max_abs_diff(original * column(e, k), lv), 1e-13);
        }
    }

    KvArray<double> lambda;
    KvLaDblMat e;
    KvLaDblMat bad(3, 3, 1.0);
    bad(1, 1) = kNan;
    EXPECT_FALSE(kvla_eigenvector_basis(bad, lambda, e));
    ASSERT_EQ(lambda.size(), 3u);
    EXPECT_EQ(max_abs_diff(e, identity(3)), 0.0);
    KvLaDblMat wide(2, 3, 1.0);
    EXPECT_FALSE(kvla_eigenvector_basis(wide, lambda, e));
    KvLaDblMat empty;
    EXPECT_FALSE(kvla_eigenvector_basis(empty, lambda, e));
    EXPECT_EQ(lambda.size(), 0u);
}

}  // namespace
