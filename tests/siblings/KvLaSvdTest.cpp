#include <kv/KvArray.h>
#include <kvla/KvLaAlgorithms.h>
#include <kvla/KvLaDblMat.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace {

const double kInf = std::numeric_limits<double>::infinity();

double max_abs_diff(const KvLaDblMat& a, const KvLaDblMat& b) {
    if (a.rows() != b.rows() || a.cols() != b.cols()) {
        return kInf;  // a misshapen result never passes
    }
    double d = 0.0;
    for (int k = 0; k < a.rows() * a.cols(); ++k) {
        d = std::max(d, std::fabs(a.data()[k] - b.data()[k]));
    }
    return d;
}

KvLaDblMat identity(int n) {
    KvLaDblMat m(n, n, 0.0);
    for (int i = 0; i < n; ++i) {
        m(i, i) = 1.0;
    }
    return m;
}

// U diag(sigma) V^T.
KvLaDblMat compose(const KvLaDblMat& u, const KvArray<double>& sigma, const KvLaDblMat& v) {
    KvLaDblMat us = u;
    for (int j = 0; j < us.cols(); ++j) {
        for (int i = 0; i < us.rows(); ++i) {
            us(i, j) *= sigma[static_cast<std::size_t>(j)];
        }
    }
    return us * v.tr();
}

KvLaDblMat random_matrix(std::mt19937& rng, int rows, int cols) {
    std::uniform_real_distribution<double> d(-5.0, 5.0);
    KvLaDblMat m(rows, cols, 0.0);
    for (int k = 0; k < rows * cols; ++k) {
        m.data()[k] = d(rng);
    }
    return m;
}

// The defining properties, which fix the decomposition's values: orthonormal
// columns, descending non-negative values, and the product giving a back.
TEST(KvLaSvd, RandomMatricesOfEveryShape) {
    std::mt19937 rng(71);
    const struct {
        const char* name;
        int rows, cols;
    } shapes[] = {{"square 3x3", 3, 3}, {"tall 9x3", 9, 3}, {"wide 2x4", 2, 4}, {"one row", 1, 3}};
    for (const auto& shape : shapes) {
        for (int seed = 0; seed < 10; ++seed) {
            const std::string name = std::string(shape.name) + " #" + std::to_string(seed);
            const KvLaDblMat a = random_matrix(rng, shape.rows, shape.cols);
            const int k = std::min(shape.rows, shape.cols);
            KvLaDblMat u, v;
            KvArray<double> sigma;
            ASSERT_TRUE(kvla_svd(a, &u, sigma, &v)) << "case: " << name;
            ASSERT_EQ(sigma.size(), static_cast<std::size_t>(k)) << "case: " << name;
            EXPECT_EQ(u.rows(), shape.rows) << "case: " << name;
            EXPECT_EQ(u.cols(), k) << "case: " << name;
            EXPECT_EQ(v.rows(), shape.cols) << "case: " << name;
            EXPECT_EQ(v.cols(), k) << "case: " << name;
            EXPECT_LT(max_abs_diff(u.tr() * u, identity(k)), 1e-14) << "case: " << name;
            EXPECT_LT(max_abs_diff(v.tr() * v, identity(k)), 1e-14) << "case: " << name;
            EXPECT_LT(max_abs_diff(compose(u, sigma, v), a), 1e-13) << "case: " << name;
            EXPECT_GE(sigma[static_cast<std::size_t>(k - 1)], 0.0) << "case: " << name;
            EXPECT_TRUE(std::is_sorted(sigma.begin(), sigma.end(), std::greater<double>()))
                << "case: " << name;
        }
    }
}

TEST(KvLaSvd, KnownValuesRankDeficiencyAndOptionalFactors) {
    KvLaDblMat d(3, 3, 0.0);
    d(0, 0) = 3.0;
    d(1, 1) = -5.0;
    d(2, 2) = 1.0;
    KvArray<double> sigma;
    ASSERT_TRUE(kvla_svd(d, nullptr, sigma, nullptr));
    ASSERT_EQ(sigma.size(), 3u);
    EXPECT_EQ(sigma[0], 5.0) << "case: diagonal, largest";
    EXPECT_EQ(sigma[1], 3.0) << "case: diagonal, middle";
    EXPECT_EQ(sigma[2], 1.0) << "case: diagonal, smallest";

    // Rows (1, 2, 3) and (2, 4, 6): rank 1, singular value |(1,2,3)| * sqrt(5).
    KvLaDblMat r(2, 3, 0.0);
    for (int j = 0; j < 3; ++j) {
        r(0, j) = j + 1.0;
        r(1, j) = 2.0 * (j + 1.0);
    }
    KvLaDblMat u, v;
    ASSERT_TRUE(kvla_svd(r, &u, sigma, &v));
    EXPECT_NEAR(sigma[0], std::sqrt(70.0), 1e-14) << "case: rank 1, value";
    EXPECT_NEAR(sigma[1], 0.0, 1e-14) << "case: rank 1, zero value";
    EXPECT_LT(max_abs_diff(compose(u, sigma, v), r), 1e-14) << "case: rank 1, product";

    // Leaving out U or V changes no value.
    KvArray<double> only_u, only_v;
    KvLaDblMat u2, v2;
    ASSERT_TRUE(kvla_svd(r, &u2, only_u, nullptr));
    ASSERT_TRUE(kvla_svd(r, nullptr, only_v, &v2));
    EXPECT_EQ(only_u[0], sigma[0]) << "case: without V";
    EXPECT_EQ(only_v[0], sigma[0]) << "case: without U";
    EXPECT_EQ(max_abs_diff(u2, u), 0.0) << "case: U without V";
    EXPECT_EQ(max_abs_diff(v2, v), 0.0) << "case: V without U";
}

TEST(KvLaSvd, HugeEntriesKeepTheirScale) {
    KvLaDblMat a(2, 2, 0.0);
    a(0, 0) = 4e300;
    a(1, 1) = 3e300;
    a(0, 1) = 1e300;
    KvLaDblMat u, v;
    KvArray<double> sigma;
    ASSERT_TRUE(kvla_svd(a, &u, sigma, &v));
    KvLaDblMat back = compose(u, sigma, v);
    for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR(back.data()[k] / 1e300, a.data()[k] / 1e300, 1e-14) << "case: entry " << k;
    }
}

TEST(KvLaSvd, RefusesEmptyNonFiniteAndOverflowWritingNothing) {
    KvLaDblMat overflow(4, 4, 1.5e308);
    KvLaDblMat nan(2, 2, 1.0), inf(2, 2, 1.0);
    nan(1, 0) = std::numeric_limits<double>::quiet_NaN();
    inf(0, 1) = -kInf;
    const struct {
        const char* name;
        KvLaDblMat a;
    } cases[] = {{"empty", KvLaDblMat()},
                 {"no columns", KvLaDblMat(3, 0, 0.0)},
                 {"NaN", nan},
                 {"infinity", inf},
                 {"overflowing value", overflow}};
    for (const auto& c : cases) {
        KvLaDblMat u(1, 1, 42.0), v(1, 1, 43.0);
        KvArray<double> sigma{44.0};
        EXPECT_FALSE(kvla_svd(c.a, &u, sigma, &v)) << "case: " << c.name;
        EXPECT_EQ(u(0, 0), 42.0) << "case: " << c.name;
        EXPECT_EQ(v(0, 0), 43.0) << "case: " << c.name;
        ASSERT_EQ(sigma.size(), 1u) << "case: " << c.name;
        EXPECT_EQ(sigma[0], 44.0) << "case: " << c.name;
    }
}

}  // namespace
