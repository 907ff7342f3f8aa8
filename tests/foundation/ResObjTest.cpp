#include <kv3d/detail/Kv3dLoadTime.h>
#include <kv3d/kv3d.h>

#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "support/NamedCases.h"
#include "support/ResolutionGuard.h"

namespace {

constexpr double kWiden = 4.440892098500626e-16;  // 2^-51

TEST(ResObj, LoadTimeValues) {
    expect_each<double>({{"point tolerance", Kv3dResObj::same_point_tol(), 0.001},
                         {"angle tolerance", Kv3dResObj::same_angle_tol(), 1e-7},
                         {"model extent", Kv3dResObj::model_extent(), 8000.0},
                         {"point square", Kv3dResObj::same_point_sqr(), 1.0000000004440892e-06},
                         {"angle cosine", Kv3dResObj::same_angle_cos(), 0.9999999999999946},
                         {"orthogonal cosine", Kv3dResObj::same_ortho_cos(), 1.000000005637081e-07},
                         {"sphere tolerance", kv3d_detail::bsphere_tol(), 0.001 * 0.001}});
}

// The derived values follow a new resolution (the sphere tolerance stays as
// at load); zero, negative and NaN arguments are ignored, each on its own.
TEST(ResObj, SetIgnoresArgumentsThatAreNotStrictlyPositive) {
    ResolutionGuard guard(0.5, 1e-5, 100.0);
    const double angle_cos = Kv3dResObj::same_angle_cos();
    expect_each<double>({
        {"point square", Kv3dResObj::same_point_sqr(), 0.25 + kWiden},
        {"angle cosine", angle_cos, std::cos(1e-5) - kWiden},
        {"orthogonal cosine", Kv3dResObj::same_ortho_cos(),
         std::cos(1.5707963267948966 - 1e-5) + kWiden},
        {"sphere tolerance fixed at load", kv3d_detail::bsphere_tol(), 0.001 * 0.001},
    });
    for (const double bad : {0.0, -1.0, std::nan("")}) {
        ResolutionGuard::set(bad, bad, bad);
        double point = 0, angle = 0, extent = 0;
        ResolutionGuard::get(point, angle, extent);
        const std::string name = "set to " + std::to_string(bad);
        EXPECT_EQ(point, 0.5) << "case: point, " << name;
        EXPECT_EQ(angle, 1e-5) << "case: angle, " << name;
        EXPECT_EQ(extent, 100.0) << "case: extent, " << name;
    }
    ResolutionGuard::set(0.01, -1.0, -1.0);
    EXPECT_EQ(Kv3dResObj::same_point_sqr(), 0.01 * 0.01 + kWiden) << "case: point only";
    EXPECT_EQ(Kv3dResObj::same_angle_cos(), angle_cos) << "case: point only";
}

}  // namespace
