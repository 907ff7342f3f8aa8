#include <kv3d/detail/Kv3dLoadTime.h>
#include <kv3d/kv3d.h>

#include <cmath>
#include <limits>
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

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// Numerical zero: each component within 1e-20 (signed: an early step) and the
// sum of squares within 1e-40. Same location: within the tolerance inclusive;
// one axis beyond it decides before the sum, whose squares would overflow to
// inf <= inf. Maximum distance: strict both ways; the same object is at
// distance 0 from itself.
TEST(Tolerance, ThresholdsAndStrictness) {
    const Kv3dPoint p(1, 2, 3), q(1, 2, 3), far(4, 6, 3);  // far: exactly 5 from p
    const auto less = Kv3d_distance_less_than_maximum_distance;
    const auto beyond = Kv3d_distance_succeeds_maximum_distance;
    expect_each<bool>({
        {"zero: -1 passes the early step, fails the sum", Kv3d_numerical_zero(-1.0, 0.0, 0.0),
         false},
        {"zero: 1e-21 and -1e-21", Kv3d_numerical_zero(1e-21, -1e-21, 0.0), true},
        {"zero: exactly 1e-20", Kv3d_numerical_zero(1e-20, 0.0, 0.0), true},
        {"zero: 1.1e-20", Kv3d_numerical_zero(0.0, 0.0, 1.1e-20), false},
        {"zero: sum 2e-40", Kv3d_numerical_zero(-1e-20, -1e-20, 0.0), false},
        {"zero: NaN", Kv3d_numerical_zero(kNaN, 0.0, 0.0), false},
        {"zero: vector", Kv3d_numerical_zero(Kv3dVector(0.0, -0.0, 1e-21)), true},
        {"same: same point, tolerance 0", Kv3d_same_location(p, p, 0.0), true},
        {"same: exactly at the tolerance", Kv3d_same_location(p, Kv3dPoint(1.5, 2, 3), 0.5), true},
        {"same: axes pass, sum fails", Kv3d_same_location(p, Kv3dPoint(1.5, 2.5, 3), 0.5), false},
        {"same: negative tolerance", Kv3d_same_location(p, p, -1.0), false},
        {"same: NaN", Kv3d_same_location(p, Kv3dPoint(kNaN, 2, 3), 1.0), false},
        {"same: x far out", Kv3d_same_location(p, Kv3dPoint(1e300, 2, 3), 1e200), false},
        {"less: same object, 0", less(p, p, 0.0), true},
        {"less: equal copy, 0", less(p, q, 0.0), false},
        {"less: same object, -1", less(p, p, -1.0), false},
        {"less: at 5", less(p, far, 5.0), false},
        {"less: below 5", less(p, far, 5.000001), true},
        {"beyond: same object, -1", beyond(p, p, -1.0), true},
        {"beyond: same object, 0", beyond(p, p, 0.0), false},
        {"beyond: equal copy, 0", beyond(p, q, 0.0), false},
        {"beyond: at 5", beyond(p, far, 5.0), false},
        {"beyond: above 5", beyond(p, far, 4.999999), true},
        {"beyond: by one axis", beyond(p, Kv3dPoint(100, 2, 3), 5.0), true},
    });
}

// Reaches the protected translation function.
class ErrProbe : public Kv3dErr {
public:
    using Kv3dErr::translate_error_number;
};

const KvString kOtherDomainText("Kv3dErr");  // same text, another object
const KvString* const kOtherDomain = &kOtherDomainText;
const KvString* const kNoDomain = nullptr;

// Identity is by address: another string with the same text is another
// domain, whose numbers count only within the shared range -1 .. 15. Shared
// numbers translate as the shared texts, this library's own number 16 as its
// own (empty) text, and only from its own domain.
TEST(Err, NumbersAndTranslation) {
    KvResult r;
    EXPECT_EQ(Kv3dErr::error_number(r), -1) << "case: no condition";
    Kv3dErr::make_result(42, Kv3dErr::GEOMETRY_ERROR, r);
    EXPECT_EQ(Kv3dErr::error_number(r), 16) << "case: own number";
    EXPECT_STREQ(r.message(), "") << "case: own number";
    KvResult::CodeID code = 0;
    int number = 0;
    const KvString* const* own = nullptr;
    r.get_error_condition(code, number, own);
    ASSERT_NE(own, nullptr) << "case: own domain";
    EXPECT_STREQ((*own)->c_str(), "Kv3dErr") << "case: own domain";
    for (int n = -2; n <= 17; ++n) {
        const int shared = n >= -1 && n <= 15 ? n : -1;
        EXPECT_STREQ(ErrProbe::translate_error_number(*own, n),
                     n == 16 ? "" : KvErr::translate_error_number(kNoDomain, shared))
            << "case: number " << n;
        r.set_error_condition(1, n, &kOtherDomain, nullptr);
        EXPECT_EQ(Kv3dErr::error_number(r), shared) << "case: other domain, number " << n;
    }
    EXPECT_STREQ(ErrProbe::translate_error_number(kOtherDomain, 16),
                 KvErr::translate_error_number(kNoDomain, -1))
        << "case: own number from another domain";
}

}  // namespace
