#include "CliTestSupport.h"
#include "ConicCanonical.h"
#include "fitting/FittingTestUtil.h"

namespace {

using kv3dcli::conic_distance_2d;

// The distance to each canonical curve type, points on the axes included,
// against a dense sampling of the curve: golden-section search from every
// local minimum of 4001 samples of its parameter on [-range, range].
TEST(ConicCanonical, DistanceAgreesWithSampling) {
    std::mt19937 rng(13);
    std::uniform_real_distribution<double> u(-1, 1);
    for (int trial = 0; trial < 600; ++trial) {
        const int type = trial % 6, n = 4000;
        const double a = type == 3 ? 1 + 3 * std::fabs(u(rng)) : 0.5 + 10 * std::fabs(u(rng));
        const double b = type > 1 ? 0 : a * (0.1 + 0.9 * std::fabs(u(rng))), scale = 2 * a;
        const double x = trial % 7 ? scale * u(rng) : 0, y = trial % 11 ? scale * u(rng) : 0;
        const double range = type == 0 ? M_PI : type == 1 ? 4 : 4 * scale;
        const auto dist = [&](int branch, double k) {  // k in samples from -range
            const Kv3dPoint c = fit_test::canonical(type, a, b, range * (2 * k / n - 1), branch);
            return std::hypot(c.x() - x, c.y() - y);
        };
        double best = INFINITY;
        for (int branch : {-1, 1}) {
            for (int k = 0; k <= n; ++k) {
                double lo = std::max(k - 1, 0), hi = std::min(k + 1, n);
                if (dist(branch, k) > std::min(dist(branch, lo), dist(branch, hi))) {
                    continue;
                }
                for (int it = 0; it < 100; ++it) {
                    const double m1 = lo + (hi - lo) * 0.382, m2 = hi - (hi - lo) * 0.382;
                    const bool left = dist(branch, m1) < dist(branch, m2);
                    (left ? hi : lo) = left ? m2 : m1;
                }
                best = std::min(best, dist(branch, lo));
            }
        }
        EXPECT_NEAR(conic_distance_2d(type, a, b, x, y), best, 1e-9 * scale)
            << "case: type " << type << " a " << a << " b " << b << " at " << x << ", " << y;
    }
    EXPECT_TRUE(std::isnan(conic_distance_2d(7, 1, 1, 0, 0))) << "case: unknown type";
    EXPECT_TRUE(std::isnan(conic_distance_2d(0, 1, 0, 0, 0))) << "case: ellipse with b = 0";
    EXPECT_EQ(kv3dcli::conic_type_name(-1), std::string("none")) << "case: type -1";
}

}  // namespace
