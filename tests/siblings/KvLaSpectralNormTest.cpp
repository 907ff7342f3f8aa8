#include <kvla/KvLaAlgorithms.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace {

// |A v| for the row-major matrix a.
double image_length(const double* a, const double* v) {
    double s = 0.0;
    for (int i = 0; i < 3; ++i) {
        const double r = a[3 * i] * v[0] + a[3 * i + 1] * v[1] + a[3 * i + 2] * v[2];
        s += r * r;
    }
    return std::sqrt(s);
}

TEST(KvLaSpectralNorm, ExactCases) {
    struct Case {
        const char* name;
        double a[9];
        double norm;
    };
    const Case cases[] = {
        {"identity", {1, 0, 0, 0, 1, 0, 0, 0, 1}, 1.0},
        {"diagonal", {3, 0, 0, 0, -5, 0, 0, 0, 2}, 5.0},
        {"huge", {1e300, 0, 0, 0, 1e299, 0, 0, 0, 0}, 1e300},
        {"tiny", {0, 0, 0, 0, 3e-300, 0, 0, 0, 1e-301}, 3e-300},
    };
    for (const Case& c : cases) {
        const double s = kvla_spectral_norm_3x3(c.a);
        EXPECT_GE(s, c.norm) << "case: " << c.name;
        EXPECT_LE(s, c.norm * (1 + 1e-12)) << "case: " << c.name;
    }
    const double zero[9] = {};
    EXPECT_EQ(kvla_spectral_norm_3x3(zero), 0.0) << "case: zero";
    double nan[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    nan[4] = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(std::isnan(kvla_spectral_norm_3x3(nan))) << "case: NaN entry";
    double inf[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    inf[8] = -std::numeric_limits<double>::infinity();
    EXPECT_EQ(kvla_spectral_norm_3x3(inf), std::numeric_limits<double>::infinity())
        << "case: infinite entry";
}

// An upper bound of |A v| / |v| that random directions come close to, and
// the same for the transposed storage.
TEST(KvLaSpectralNorm, BoundsEveryImage) {
    std::mt19937 rng(9);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    for (int n = 0; n < 200; ++n) {
        double a[9];
        double t[9];
        for (int i = 0; i < 9; ++i) {
            a[i] = u(rng) * (n % 2 ? 1e-3 : 1e3);
        }
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) {
                t[3 * j + i] = a[3 * i + j];
            }
        }
        const double s = kvla_spectral_norm_3x3(a);
        const std::string name = "matrix " + std::to_string(n);
        EXPECT_NEAR(kvla_spectral_norm_3x3(t), s, s * 1e-12) << "case: transposed " << name;
        double best = 0.0;
        for (int k = 0; k < 2000; ++k) {
            double v[3] = {u(rng), u(rng), u(rng)};
            const double l = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
            for (double& x : v) {
                x /= l;
            }
            const double m = image_length(a, v);
            ASSERT_LE(m, s) << "case: " << name;
            best = std::max(best, m);
        }
        EXPECT_GE(best, 0.98 * s) << "case: " << name;
    }
}

}  // namespace
