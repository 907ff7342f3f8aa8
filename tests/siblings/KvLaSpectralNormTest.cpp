#include <kv/KvArray.h>
#include <kvla/KvLaAlgorithms.h>
#include <kvla/KvLaDblMat.h>

#include <cmath>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace {

TEST(KvLaSpectralNorm, ExactCases) {
    const struct {
        const char* name;
        double a[9];
        double norm;
    } cases[] = {
        {"diagonal", {3, 0, 0, 0, -5, 0, 0, 0, 2}, 5.0},
        {"huge", {1e300, 0, 0, 0, 1e299, 0, 0, 0, 0}, 1e300},
        {"tiny", {0, 0, 0, 0, 3e-300, 0, 0, 0, 1e-301}, 3e-300},
    };
    for (const auto& c : cases) {
        const double s = kvla_spectral_norm_3x3(c.a);
        EXPECT_GE(s, c.norm) << "case: " << c.name;
        EXPECT_LE(s, c.norm * (1 + 1e-12)) << "case: " << c.name;
    }
    const double zero[9] = {};
    EXPECT_EQ(kvla_spectral_norm_3x3(zero), 0.0) << "case: zero";
    const double nan[9] = {1, 0, 0, 0, NAN}, inf[9] = {1, 0, 0, 0, 1, 0, 0, 0, -HUGE_VAL};
    EXPECT_TRUE(std::isnan(kvla_spectral_norm_3x3(nan))) << "case: NaN entry";
    EXPECT_EQ(kvla_spectral_norm_3x3(inf), HUGE_VAL) << "case: infinite entry";
}

// Never below the largest singular value and within 1e-12 of it, so an
// upper bound of |A v| / |v|; the same for the transposed storage.
TEST(KvLaSpectralNorm, BoundsTheLargestSingularValueClosely) {
    std::mt19937 rng(9);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    for (int n = 0; n < 200; ++n) {
        const std::string name = "matrix " + std::to_string(n);
        KvLaDblMat a(3, 3, 0.0), left, right;
        for (int i = 0; i < 9; ++i) a.data()[i] = u(rng) * (n % 2 ? 1e-3 : 1e3);
        KvArray<double> sigma;
        ASSERT_TRUE(kvla_svd(a, left, sigma, right)) << "case: " << name;
        const KvLaDblMat t = a.tr();
        const double s = kvla_spectral_norm_3x3(a.data()), largest = sigma[0];
        EXPECT_GE(s, largest) << "case: " << name;
        EXPECT_LE(s, largest * (1 + 1e-12)) << "case: " << name;
        EXPECT_NEAR(kvla_spectral_norm_3x3(t.data()), s, s * 1e-12) << "case: transposed " << name;
    }
}

}  // namespace
