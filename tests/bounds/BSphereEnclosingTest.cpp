#include <kv3d/kv3d.h>

#include <array>
#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "EnclosingOracle.h"

namespace {

using enclosing_oracle::Ball;
using enclosing_oracle::stored_radius;
using P = Kv3dPoint;
const double b = kv3d_detail::bsphere_tol();

bool same_bits(const void* x, const void* y, std::size_t n) { return std::memcmp(x, y, n) == 0; }

void expect_same(const Kv3dBSphere& s, const Ball& expected, const std::string& name) {
    EXPECT_TRUE(same_bits(&s.center(), &expected.c, sizeof expected.c)) << "case: centre, " << name;
    const double r = stored_radius(s);
    EXPECT_TRUE(same_bits(&r, &expected.r, sizeof r)) << "case: radius, " << name;
}

enum Shape { kCube, kSurface, kGauss, kNearPairs, kChains, kGrid, kSwapped, kShapes };

// Clouds of several shapes about a random centre, at a given scale. Near
// pairs, chains of near points and copies exercise the thinning; the grid (many points at equal
// distances) and the cloud symmetric under swapping x and y (whose pairs stay at equal distances
// from the first centres, which have equal x and y) exercise the order of ties.
KvArray<P> cloud(int shape, std::size_t n, double scale, std::mt19937& rng) {
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    std::normal_distribution<double> g(0.0, 1.0);
    std::uniform_int_distribution<int> step(-6, 6);
    const double cxy = u(rng) * scale;
    const P centre(cxy, shape == kSwapped ? cxy : u(rng) * scale, u(rng) * scale);
    KvArray<P> pts;
    for (std::size_t i = 0; i < n; ++i) {
        double x = u(rng), y = u(rng), z = u(rng);
        const double l = shape == kSurface ? std::sqrt(x * x + y * y + z * z) : 1.0;
        if (shape == kGauss) x = g(rng), y = g(rng), z = g(rng);
        if (shape == kGrid) x = step(rng) / 6.0, y = step(rng) / 6.0, z = step(rng) / 6.0;
        // The pair's first point, or the chain's (none for a point that starts one).
        const std::size_t head = shape == kChains ? i - i % 4 : i - 1;
        const P q = head < pts.size() ? pts[head] : P();
        if (shape == kNearPairs && i % 2 == 1)  // 0.4 b away
            pts.append(P(q.x() + 0.4 * b, q.y(), q.z() - 0.1 * b));
        else if (shape == kChains && i % 4 != 0)  // 0.6 b and 1.2 b away, then a copy
            pts.append(i % 4 == 3 ? q : P(q.x() + 0.6 * b * (i % 4), q.y(), q.z()));
        else if (shape == kSwapped && i % 2 == 1)
            pts.append(P(q.y(), q.x(), q.z()));
        else
            pts.append(P(centre.x() + x / l * scale, centre.y() + y / l * scale,
                         centre.z() + z / l * scale));
    }
    return pts;
}

// The array and iterator updates of old by pts equal the literal
// construction bit for bit. Where b exceeds the rounding of the coordinates
// (not for huge ones) they also enclose the old sphere and every point.
void check_update(const KvArray<P>& pts, const Ball& old, const std::string& name,
                  bool encloses = true) {
    const Ball expected = enclosing_oracle::update(old, pts);
    Kv3dBSphere s = old.sphere();
    s.update_bsphere(pts);
    expect_same(s, expected, "array, " + name);
    KvArrayIterator<P> it(pts);
    Kv3dBSphere t = old.sphere();
    t.update_bsphere(it);
    expect_same(t, expected, "iterator, " + name);
    if (encloses) {
        EXPECT_TRUE(s.contains(pts)) << "case: every point, " << name;
        EXPECT_TRUE(s.contains(old.sphere())) << "case: old sphere, " << name;
    }
}

// Every shape at sizes around the sort's limits and three scales; clouds
// large enough that the trials reach below the far points kept sorted; huge
// and tiny clouds (b below the rounding of huge coordinates: no enclosure).
TEST(BSphereEnclosing, EqualsTheLiteralConstructionAndEnclosesEverything) {
    std::mt19937 rng(7);
    int count = 0;
    for (int shape = 0; shape < kShapes; ++shape) {
        for (std::size_t n : {1, 2, 3, 7, 40, 255, 256, 300, 900, 2500}) {
            for (double scale : {1e-3, 1.0, 1e3}) {
                const KvArray<P> pts = cloud(shape, n, scale, rng);
                // No old sphere, one beside the cloud, a radius-0 one on a point.
                const Ball olds[] = {Ball(), Ball{P(scale, 0, 0), 0.5 * scale}, Ball{pts[0], 0.0}};
                check_update(pts, olds[count++ % 3],
                             "shape " + std::to_string(shape) + ", " + std::to_string(n) +
                                 " points, scale " + std::to_string(scale));
            }
        }
    }
    for (int shape : {kSurface, kGauss, kNearPairs})
        check_update(cloud(shape, 30000, 10.0, rng), Ball(),
                     "large, shape " + std::to_string(shape));
    for (int e : {-120, -30, 30, 120})
        for (int shape : {kCube, kGrid, kNearPairs})
            check_update(cloud(shape, 600, std::pow(10.0, e), rng), Ball(),
                         "scale 1e" + std::to_string(e) + ", shape " + std::to_string(shape),
                         e < 0);
}

// One pair of points 0.99 b apart, one behind the other as seen from the
// first point, in an otherwise spread cloud, at several distances (so that
// their fixed-point distance keys fall differently): the thinning drops one
// of them, the sort-free working array must not be chosen.
// In a cloud of a few thousandths the search window spans millions of keys,
// and a pair just inside b (0.9995 b) is found only with the window's margin.
TEST(BSphereEnclosing, SingleNearPair) {
    std::mt19937 rng(9);
    // {scale, distance, pair spacing}
    for (const auto& c :
         {std::array<double, 3>{400.0, 1000, 0.99 * b}, {1e-3, 2.5e-3, 0.9995 * b}}) {
        for (int k = 0; k < 16; ++k) {
            KvArray<P> pts = cloud(kCube, 999, c[0], rng);
            const double x = c[1] * (1 + 3.7e-4 * k);
            pts[0] = P(0, 0, 0);
            pts.append(P(x, 0, 0));
            pts.append(P(x + c[2], 0, 0));
            check_update(pts, Ball(), "near pair at " + std::to_string(x));
        }
    }
}

// Counts how often the construction reads the iterator.
struct CountingIterator : KvArrayIterator<P> {
    using KvArrayIterator<P>::KvArrayIterator;
    const P* current() const override { return ++reads, KvArrayIterator<P>::current(); }
    mutable int reads = 0;
};

// Points all within the radius leave the sphere as it was.
TEST(BSphereEnclosing, EnclosedPointsAreReadOnce) {
    const KvArray<P> pts{P(0, 0, 0), P(1, 0, 0), P(0, 1, 0)};
    Kv3dBSphere s(P(), 5.0);
    CountingIterator it(pts);
    s.update_bsphere(it);
    EXPECT_EQ(it.reads, 3) << "case: enclosed points";
    EXPECT_EQ(stored_radius(s), 5.0) << "case: enclosed points";
}

// NaN and infinite coordinates neither crash nor hang (under the sanitizers
// too), and NaN keys sort as the reference's comparison orders them.
TEST(BSphereEnclosing, NonFiniteInput) {
    std::mt19937 rng(4);
    const double inf = HUGE_VAL;
    for (const P bad : {P(std::nan(""), 0, 0), P(0, inf, -inf), P(1e300, -1e300, inf)}) {
        KvArray<P> pts = cloud(kCube, 500, 1.0, rng);
        pts[250] = bad;
        check_update(pts, Ball(), std::to_string(bad.x()) + ", " + std::to_string(bad.y()), false);
    }
}

}  // namespace
