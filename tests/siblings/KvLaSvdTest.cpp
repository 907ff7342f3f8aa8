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

double max_abs_diff(const KvLaDblMat& a, const KvLaDblMat& b) {
    if (a.rows() != b.rows() || a.cols() != b.cols()) {
        return HUGE_VAL;  // a misshapen result never passes
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
            for (int j = 0; j < k; ++j) {
                for (int i = 0; i < shape.rows; ++i) {
                    us(i, j) *= sigma[static_cast<std::size_t>(j)];
                }
            }
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
    } cases[] = {{"empty", KvLaDblMat()},
                 {"no columns", KvLaDblMat(3, 0, 0.0)},
                 {"NaN", nan},
                 {"infinity", inf},
                 {"largest value overflows", KvLaDblMat(4, 4, 1.5e308)}};
    for (const auto& c : cases) {
        KvLaDblMat u(1, 1, 42.0), v(1, 1, 43.0);
        KvArray<double> sigma{44.0};
        EXPECT_FALSE(kvla_svd(c.a, u, sigma, v)) << "case: " << c.name;
        EXPECT_EQ(u(0, 0), 42.0) << "case: " << c.name;
        EXPECT_EQ(v(0, 0), 43.0) << "case: " << c.name;
        EXPECT_EQ(sigma[0], 44.0) << "case: " << c.name;
    }
}

}  // namespace
