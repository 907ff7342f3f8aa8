#include <kvla/KvLaAlgorithms.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

#include <gtest/gtest.h>

namespace {

double dot3(const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

TEST(KvLaHouseholder, ConstructLeavesSignedLength) {
    double u[3] = {3, 4, 12};
    double up = 0.0;
    kvla_h1(0, 1, 3, u, 1, up);
    EXPECT_EQ(u[0], -13.0);
    EXPECT_EQ(up, 16.0);  // u_p - cl
    EXPECT_EQ(u[1], 4.0);
    EXPECT_EQ(u[2], 12.0);

    // Stride 2, pivot after a gap: elements between pivot and first stay out.
    double v[8] = {-3, 99, 7, 99, 0, 99, 4, 99};
    kvla_h1(0, 2, 4, v, 2, up);
    EXPECT_EQ(v[0], 5.0);
    EXPECT_EQ(v[2], 7.0);
    EXPECT_EQ(v[1], 99.0);
}

TEST(KvLaHouseholder, ApplySplitsAlongAndAcross) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> dist(-10.0, 10.0);
    for (int trial = 0; trial < 50; ++trial) {
        double e[3], w[3];
        for (int i = 0; i < 3; ++i) {
            e[i] = dist(rng);
            w[i] = dist(rng);
        }
        const double e0[3] = {e[0], e[1], e[2]};
        const double w0[3] = {w[0], w[1], w[2]};
        double up = 0.0;
        kvla_h1(0, 1, 3, e, 1, up);
        kvla_h2(0, 1, 3, e, 1, up, w, 1, 3, 1);
        const double len = std::sqrt(dot3(e0, e0));
        EXPECT_NEAR(std::fabs(e[0]), len, 1e-13 * len);
        EXPECT_EQ(std::signbit(e[0]), !std::signbit(e0[0]));
        // w[0] * e[0] is (w . e) in the signed scale of e[0].
        EXPECT_NEAR(w[0] * e[0], dot3(w0, e0), 1e-12 * len * len);
        const double along = dot3(w0, e0) / len;
        const double perp2 = dot3(w0, w0) - along * along;
        EXPECT_NEAR(w[1] * w[1] + w[2] * w[2], perp2, 1e-11);
    }
}

TEST(KvLaHouseholder, TriangularisesThreeColumns) {
    // Column-major 3x3 [a0 a1 a2], reduced by the two reflections in place;
    // checked against Gram-Schmidt: |r00| = |a0|, |r11| = distance of a1 from
    // a0's line, |c2| = distance of a2 from the plane of a0 and a1, R^T R = A^T A.
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> dist(-3.0, 3.0);
    for (int trial = 0; trial < 50; ++trial) {
        double m[9];
        for (double& x : m) {
            x = dist(rng);
        }
        double a[9];
        std::copy(m, m + 9, a);
        double* col0 = m;
        double* col1 = m + 3;
        double* col2 = m + 6;
        double up = 0.0;
        kvla_h1(0, 1, 3, col0, 1, up);
        kvla_h2(0, 1, 3, col0, 1, up, col1, 1, 3, 2);
        kvla_h1(1, 2, 3, col1, 1, up);
        kvla_h2(1, 2, 3, col1, 1, up, col2, 1, 3, 1);
        const double r[3][3] = {
            {col0[0], col1[0], col2[0]}, {0, col1[1], col2[1]}, {0, 0, col2[2]}};

        const double* a0 = a;
        const double* a1 = a + 3;
        const double* a2 = a + 6;
        const double n0 = std::sqrt(dot3(a0, a0));
        const double p = dot3(a0, a1) / n0;
        const double cross[3] = {a0[1] * a1[2] - a0[2] * a1[1], a0[2] * a1[0] - a0[0] * a1[2],
                                 a0[0] * a1[1] - a0[1] * a1[0]};
        const double area = std::sqrt(dot3(cross, cross));
        EXPECT_NEAR(std::fabs(r[0][0]), n0, 1e-13);
        EXPECT_NEAR(std::fabs(r[1][1]), std::sqrt(dot3(a1, a1) - p * p), 1e-12);
        EXPECT_NEAR(std::fabs(r[2][2]), std::fabs(dot3(a2, cross)) / area, 1e-11);
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) {
                double rr = 0.0;
                for (int k = 0; k < 3; ++k) {
                    rr += r[k][i] * r[k][j];
                }
                EXPECT_NEAR(rr, dot3(a + 3 * i, a + 3 * j), 1e-12);
            }
        }
    }
}

TEST(KvLaHouseholder, DegenerateArgumentsDoNothing) {
    const double original[3] = {1, 2, 3};
    double u[3] = {1, 2, 3};
    double up = 77.0;
    kvla_h1(1, 1, 3, u, 1, up);   // pivot not before first
    kvla_h1(0, 3, 3, u, 1, up);   // nothing to annihilate
    kvla_h1(-1, 1, 3, u, 1, up);  // pivot out of range
    kvla_h1(0, 1, 3, u, 0, up);   // no stride
    kvla_h1(0, 1, 3, nullptr, 1, up);
    EXPECT_TRUE(std::equal(u, u + 3, original));
    EXPECT_EQ(up, 77.0);

    double zero[3] = {0, 0, 0};
    kvla_h1(0, 1, 3, zero, 1, up);
    EXPECT_EQ(up, 77.0);
    double c[3] = {1, 2, 3};
    kvla_h2(0, 1, 3, zero, 1, up, c, 1, 3, 1);  // zero pivot: no reflection
    kvla_h1(0, 1, 3, u, 1, up);
    kvla_h2(0, 1, 3, u, 1, up, c, 1, 3, 0);  // no vectors
    kvla_h2(0, 1, 3, u, 1, up, nullptr, 1, 3, 1);
    kvla_h2(0, 1, 3, u, 1, 0.0, c, 1, 3, 1);  // up * u_p = 0
    EXPECT_TRUE(std::equal(c, c + 3, original));

    const double nan = std::numeric_limits<double>::quiet_NaN();
    double bad[3] = {nan, 1, 2};
    kvla_h1(0, 1, 3, bad, 1, up);
    kvla_h2(0, 1, 3, bad, 1, up, c, 1, 3, 1);
    EXPECT_TRUE(std::isnan(bad[0]));
}

}  // namespace
