// The box of a point array against the step applied point by point: the same
// corners to the bit, NaN and signed zeros included, from an empty box and
// from one already grown; a NaN first point takes both corners of an empty
// box, as one step would.

#include <kv3d/kv3d.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace {

using P = Kv3dPoint;
const double kNan = std::numeric_limits<double>::quiet_NaN();

bool same_bits(const P& a, const P& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(BBoxArray, EqualsThePointByPointGrowth) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> u(-100, 100);
    std::uniform_int_distribution<int> pick(0, 24);
    const double special[] = {kNan, -0.0, 0.0, HUGE_VAL, -HUGE_VAL};  // now and then
    auto coordinate = [&] {
        const int k = pick(rng);
        return k < 5 ? special[k] : u(rng);
    };
    for (int trial = 0; trial < 300; ++trial) {
        KvArray<P> points;
        const int n = trial % 7 == 0 ? trial % 3 : 1 + trial % 50;
        for (int i = 0; i < n; ++i) {
            const double x = coordinate(), y = coordinate();
            points.append(P(x, y, coordinate()));
        }
        const std::string name = "#" + std::to_string(trial) + ", " + std::to_string(n) + " points";
        for (const Kv3dBBox& start : {Kv3dBBox(), Kv3dBBox(P(1, -2, 3))}) {
            Kv3dBBox stepwise = start, whole = start;
            for (const P& p : points) stepwise.update_bbox(p);
            whole.update_bbox(points);
            EXPECT_TRUE(same_bits(whole.bbmin(), stepwise.bbmin())) << "case: minimum, " << name;
            EXPECT_TRUE(same_bits(whole.bbmax(), stepwise.bbmax())) << "case: maximum, " << name;
        }
        Kv3dBBox grown;
        grown.update_bbox(points);
        EXPECT_TRUE(same_bits(Kv3dBBox(points).bbmin(), grown.bbmin()))
            << "case: constructor, " << name;
    }
}

}  // namespace
