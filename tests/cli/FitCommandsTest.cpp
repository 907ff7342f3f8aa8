#include <nlohmann/json.hpp>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CliTestSupport.h"
#include "ConicCanonical.h"
#include "fitting/FittingTestUtil.h"

namespace {

using cli_test::contains;
using cli_test::run_json;
using cli_test::run_kv3d;
using cli_test::write_file;
using nlohmann::json;

double at(const json& doc, const char* key, int i) { return doc.at(key).at(i).get<double>(); }

// Six points of the plane z = x / 2 + 5, one far outlier last.
const char* const kPlanePoints = "0 0 5\n4 0 7\n4 3 7\n0 3 5\n2 1.5 6\n-2 1 4\n0 0 100\n";

}  // namespace

TEST(FitPlaneCommand, PlaneWithAndWithoutWeights) {
    const std::string weights = write_file("w.txt", "1\n-1\n2\n1\n1\n1\n0  # the outlier\n");
    const json fit = run_json({"fit-plane", "-", "--weights", weights}, kPlanePoints);
    const double sign = at(fit, "normal", 0) > 0 ? 1.0 : -1.0;
    EXPECT_NEAR(sign * at(fit, "normal", 0), 0.5 / std::sqrt(1.25), 1e-15) << "case: weighted";
    EXPECT_NEAR(sign * at(fit, "normal", 2), -1.0 / std::sqrt(1.25), 1e-15) << "case: weighted";
    EXPECT_NEAR(fit.at("rms_distance").get<double>(), 95.0 / std::sqrt(7.0 * 1.25), 1e-12)
        << "case: weighted, the outlier still measured";
    EXPECT_EQ(fit.at("weights"), weights) << "case: weighted";

    const json plain = run_json({"fit-plane", "-"}, "0 0 5\n4 0 7\n4 3 7\n0 3 5\n");
    EXPECT_EQ(plain.at("base_point"), json::parse("[2, 1.5, 6]")) << "case: unweighted";
    EXPECT_LT(plain.at("max_distance").get<double>(), 1e-14) << "case: unweighted";
    EXPECT_EQ(plain.at("points"), 4) << "case: unweighted";
    const auto text = run_kv3d({"fit-plane", "-"}, "0 0 0\n1 0 0\n0 1 0\n");
    EXPECT_TRUE(contains(text.out, "base point (centre of gravity)")) << "case: text report";
}

TEST(FitConicCommand, TypesPlacementAndDistance) {
    const json ellipse = run_json({"fit-conic", "-"},
                                  "2 0 3\n0 1 3\n-2 0 3\n0 -1 3\n1.4142135623730951 "
                                  "0.7071067811865476 3\n");
    EXPECT_EQ(ellipse.at("type"), "ellipse") << "case: ellipse";
    EXPECT_NEAR(ellipse.at("a").get<double>(), 2.0, 1e-14) << "case: ellipse";
    EXPECT_NEAR(ellipse.at("b").get<double>(), 1.0, 1e-14) << "case: ellipse";
    EXPECT_NEAR(at(ellipse.at("placement"), "origin", 2), 3.0, 1e-14) << "case: ellipse";
    EXPECT_LT(ellipse.at("max_distance").get<double>(), 1e-14) << "case: ellipse";

    const json parabola =
        run_json({"fit-conic", "-", "--first-tangent", "1,-2,0", "--last-tangent", " 1, 2 ,0"},
                 "-1 1 0\n0 0 0\n1 1 0\n");
    EXPECT_EQ(parabola.at("type"), "parabola") << "case: parabola with two tangents";
    EXPECT_EQ(parabola.at("tangents"), 2) << "case: parabola with two tangents";
    EXPECT_NEAR(at(parabola.at("placement"), "origin", 1), 0.0, 1e-14) << "case: parabola";

    const json line = run_json({"fit-conic", "-"}, "1 1 1\n2 3 1\n3 5 1\n5 9 1\n8 15 1\n");
    EXPECT_EQ(line.at("type"), "line") << "case: line";
    EXPECT_EQ(line.at("a"), 1.0) << "case: line";
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(at(line.at("placement"), "origin", i), 1.0, 1e-14) << "case: line, first point";
    }

    const json none = run_json({"fit-conic", "-"}, "0 0 0\n1 0 0\n2 0 0\n3 0 0\n1 1 0\n");
    EXPECT_EQ(none.at("type"), "none") << "case: four on a line, one off";

    // A circle of radius 10 and a point 0.5 inside it: least squares over six.
    const json off = run_json({"fit-conic", "-"},
                              "10 0 0\n0 10 0\n-10 0 0\n0 -10 0\n"
                              "7.0710678118654755 7.0710678118654755 0\n"
                              "6.7175144212722 -6.7175144212722 0\n");
    EXPECT_EQ(off.at("type"), "ellipse") << "case: six points";
    EXPECT_GT(off.at("max_distance").get<double>(), 0.1) << "case: six points";
    EXPECT_LT(off.at("max_distance").get<double>(), 0.5) << "case: six points";
}

// The distance to each canonical curve against a dense sampling of it,
// refined around the best sample by golden-section search.
TEST(ConicCanonical, DistanceAgreesWithSampling) {
    using kv3dcli::conic_distance_2d;
    std::mt19937 rng(13);
    std::uniform_real_distribution<double> u(-1, 1);
    for (int trial = 0; trial < 600; ++trial) {
        const int type = trial % 6;
        const double a = type == 3 ? 1 + 3 * std::fabs(u(rng)) : 0.5 + 10 * std::fabs(u(rng));
        const double b = type > 1 ? 0 : a * (0.1 + 0.9 * std::fabs(u(rng)));
        const double ea = type == 5 ? 1 : a, scale = 2 * ea;
        const double x = trial % 7 ? scale * u(rng) : 0, y = trial % 11 ? scale * u(rng) : 0;
        // The curve as a function of a parameter on [-range, range].
        const double range = type == 0 ? M_PI : type == 1 ? 4 : 4 * scale;
        const auto dist = [&](double s, int branch) {
            const Kv3dPoint c = fit_test::canonical(type, ea, b, s, branch);
            return std::hypot(c.x() - x, c.y() - y);
        };
        // Golden-section search from every local minimum of 4001 samples.
        const int n = 4000;
        const auto param = [&](int k) { return -range + 2 * range * k / n; };
        double best = INFINITY;
        for (int branch : {-1, 1}) {
            for (int k = 0; k <= n; ++k) {
                const double d = dist(param(k), branch);
                if ((k > 0 && dist(param(k - 1), branch) < d) ||
                    (k < n && dist(param(k + 1), branch) < d)) {
                    continue;
                }
                double lo = param(std::max(k - 1, 0)), hi = param(std::min(k + 1, n));
                for (int it = 0; it < 100; ++it) {
                    const double m1 = lo + (hi - lo) * 0.382, m2 = hi - (hi - lo) * 0.382;
                    if (dist(m1, branch) < dist(m2, branch)) {
                        hi = m2;
                    } else {
                        lo = m1;
                    }
                }
                best = std::min(best, dist(lo, branch));
            }
        }
        EXPECT_NEAR(conic_distance_2d(type, ea, b, x, y), best, 1e-9 * scale)
            << "case: type " << type << ", a " << ea << ", b " << b << ", at (" << x << ", " << y
            << ")";
    }
    EXPECT_TRUE(std::isnan(conic_distance_2d(7, 1, 1, 0, 0))) << "case: unknown type";
    EXPECT_TRUE(std::isnan(conic_distance_2d(0, 1, 0, 0, 0))) << "case: ellipse with b = 0";
    EXPECT_EQ(kv3dcli::conic_type_name(-1), std::string("none")) << "case: type -1";
}
