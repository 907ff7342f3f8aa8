// The library's polyline scans against the literal scans of
// support/PolylineDistanceReference.h (to the bit), and against textbook
// brute force (to rounding) on long polylines.

#include <kv3d/kv3d.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

#include <gtest/gtest.h>

#include "support/PolylineDistanceReference.h"

namespace {

using P = Kv3dPoint;
using V = Kv3dVector;
using Poly = KvArray<Kv3dPoint>;
using namespace polyline_reference;

// Polylines meant to break a faster scan: ties, repeated vertices, collinear
// and parallel segments, lengths at the thresholds, large offsets, huge and
// tiny magnitudes, NaN and infinities.
class PolylineMaker {
public:
    enum Kind { kCloud, kWalk, kGrid, kTiny, kZigzag, kFarOff, kHuge, kMinute, kBroken, kKinds };
    static constexpr const char* kNames[] = {"cloud",   "walk", "grid",   "tiny",  "zigzag",
                                             "far off", "huge", "minute", "broken"};

    explicit PolylineMaker(unsigned seed) : rng_(seed) {}

    static double scale(int kind) {
        static const double scales[] = {3.0, 3.0, 3.0, 1e-6, 3.0, 1e-3, 1e150, 1e-160, 3.0};
        return scales[kind];
    }

    Poly make(int kind, std::size_t n) {
        Poly v;
        P p = kind == kFarOff ? P(1e6 + uniform(0, 1), -3e5, 7e4)
                              : P() + random_vector() * scale(kind);
        for (std::size_t i = 0; i < n; ++i) {
            v.append(p);
            V e;
            if (kind == kCloud || kind == kHuge || kind == kMinute) {
                e = random_vector() * (2.0 * scale(kind));
            } else if (kind == kGrid) {
                e[int(index(3))] = double(index(5)) - 2.0;
            } else if (kind == kTiny) {  // lengths at and beside the thresholds
                const double lengths[] = {0.0, 1e-21, 1e-20, 1e-7, 1e-6, 1.0000000000000002e-06, 1};
                e[int(index(3))] = lengths[index(7)];
            } else if (kind == kZigzag) {
                e = i % 2 == 0 ? V(i % 4 == 0 ? 4.0 : -4.0, 0, 0) : V(0, 1, 0);
            } else if (kind == kFarOff) {
                e = random_vector() * 1e-3;
            } else if (index(6) != 0) {
                e = random_vector();
            }
            p = p + e;
        }
        const double bad[] = {std::nan(""), HUGE_VAL, -HUGE_VAL};
        for (int k = 0; kind == kBroken && n > 0 && k < 2; ++k)
            v[index(n)][int(index(3))] = bad[index(3)];
        return v;
    }

    // A vertex, a grid point near one, or a random point near one.
    P query(int kind, const Poly& v) {
        const P base = v.size() > 0 ? v[index(v.size())] : P();
        const std::size_t how = index(3);
        if (how == 0) return base;
        if (how == 1) {
            return P(std::round(base.x()) + 0.5 * double(index(3)), std::round(base.y()),
                     std::round(base.z()) - 1.0);
        }
        return base + random_vector() * scale(kind);
    }

    std::size_t index(std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng_);
    }
    double uniform(double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(rng_);
    }
    V random_vector() { return V(uniform(-1, 1), uniform(-1, 1), uniform(-1, 1)); }

private:
    std::mt19937_64 rng_;
};

// Every kind against every kind, some rounds long (sampling steps above 1),
// some with the pair's polylines equal (every pair tied with its twin), rays
// along x (parallel to many segments) or in random directions.
TEST(PolylineDistanceScan, ScansMatchTheLiteralScans) {
    PolylineMaker maker(11);
    for (int round = 0; round < 162; ++round) {
        const int kind_a = round % PolylineMaker::kKinds,
                  kind_b = round / PolylineMaker::kKinds % PolylineMaker::kKinds;
        const Poly a = maker.make(kind_a, round % 16 == 0 ? 300 : 1 + maker.index(50));
        const bool twins = round % 5 == 1 && a.size() > 0;
        const int kind_q = twins ? kind_a : kind_b;
        const Poly b = twins ? a
                             : maker.make(kind_b, round % 10 == 0 ? 700 + maker.index(300)
                                                                  : 1 + maker.index(60));
        const std::string name = std::string(PolylineMaker::kNames[kind_a]) + " against " +
                                 PolylineMaker::kNames[kind_b] + ", round " + std::to_string(round);
        for (int k = 0; k < 4; ++k) {
            const P q = maker.query(kind_q, b);
            EXPECT_EQ(difference(library_point(q, b), point(q, b)), "")
                << "case: point, " << name << ", query " << k;
        }
        const Kv3dRay r(maker.query(kind_q, b), round % 3 == 0 ? Kv3dDirection(1, 0, 0)
                                                               : maker.random_vector().direction());
        EXPECT_EQ(difference(library_ray(r, b), ray(r, b)), "") << "case: ray, " << name;
        EXPECT_EQ(difference(library_pair(a, b), pair(a, b)), "") << "case: pair, " << name;
    }
}

// Many segments at exactly the same distance: the earliest in scan order
// wins, as in the literal scan. A square run 16 times around its centre; one
// segment run back and forth 39 times under a pole, every pair exactly 3 apart.
TEST(PolylineDistanceScan, TiesGoToTheEarliestSegment) {
    Poly ring, retraced;
    for (int i = 0; i <= 64; ++i)
        ring.append(P(i % 4 == 1 || i % 4 == 2 ? 1 : -1, i % 4 >= 2 ? 1 : -1, 0));
    for (int i = 0; i < 40; ++i) retraced.append(P(i % 2 == 0 ? -1 : 1, 0, 0));
    const Poly pole{P(0, -4, 3), P(0, 4, 3)};
    EXPECT_EQ(difference(library_point(P(), ring), point(P(), ring)), "") << "case: square";
    EXPECT_EQ(difference(library_pair(retraced, pole), pair(retraced, pole)), "")
        << "case: retraced segment";
    EXPECT_EQ(difference(library_pair(pole, retraced), pair(pole, retraced)), "")
        << "case: retraced segment, swapped";
}

// Textbook distance of q to segment a-b.
double segment_distance(const P& q, const P& a, const P& b) {
    const V e = b - a;
    const double ee = e % e;
    return q.distance(a + e * (ee > 0.0 ? std::clamp(((q - a) % e) / ee, 0.0, 1.0) : 0.0));
}

// Textbook distance of two segments: the closest points of the carrier lines
// clamped, and the four end-to-segment distances.
double segments_distance(const P& a0, const P& a1, const P& b0, const P& b1) {
    double best = std::min({segment_distance(a0, b0, b1), segment_distance(a1, b0, b1),
                            segment_distance(b0, a0, a1), segment_distance(b1, a0, a1)});
    const V u = a1 - a0, v = b1 - b0, w = a0 - b0;
    const double a = u % u, b = u % v, c = v % v, d = u % w, e = v % w, den = a * c - b * b;
    if (den > 1e-12 * a * c) {
        const double s = (b * e - c * d) / den, t = (a * e - b * d) / den;
        if (s >= 0 && s <= 1 && t >= 0 && t <= 1) {
            best = std::min(best, (a0 + u * s).distance(b0 + v * t));
        }
    }
    return best;
}

// The smallest value of f over 0 .. count-1, where it is, and whether it is
// clear of the runner-up by more than 1e-9 (so that its index is pinned).
struct Smallest {
    double value = std::numeric_limits<double>::infinity(), second = value;
    std::size_t where = 0;
    bool clear() const { return second - value > 1e-9; }
};

template <class F>
Smallest smallest(std::size_t count, F f) {
    Smallest m;
    for (std::size_t i = 0; i < count; ++i) {
        const double d = f(i);
        m.second = std::min(m.second, std::max(m.value, d));
        if (d < m.value) m.value = d, m.where = i;
    }
    return m;
}

// Random walks of thousands of vertices; the pair's distance does not depend
// on which polyline comes first or which way either runs.
TEST(PolylineDistanceScan, LongPolylinesAgreeWithBruteForce) {
    PolylineMaker maker(14);
    for (int round = 0; round < 6; ++round) {
        const std::string name = "walk " + std::to_string(round);
        const Poly v = maker.make(PolylineMaker::kWalk, 3000);
        for (int k = 0; k < 5; ++k) {
            const P q = maker.query(PolylineMaker::kWalk, v);
            const Smallest m = smallest(
                v.size() - 1, [&](std::size_t i) { return segment_distance(q, v[i], v[i + 1]); });
            const Result r = library_point(q, v);
            EXPECT_NEAR(r.distance, m.value, 1e-12 * (1.0 + m.value)) << "case: point, " << name;
            if (m.clear()) {
                EXPECT_EQ(r.nearest.segment, int(m.where)) << "case: point, " << name;
            }
        }
        // The ray's carrier line as a long segment around the closest approach.
        const Kv3dRay ray(maker.query(PolylineMaker::kWalk, v), maker.random_vector().direction());
        const Smallest m = smallest(v.size() - 1, [&](std::size_t i) {
            return segments_distance(ray.position(-1e4), ray.position(1e4), v[i], v[i + 1]);
        });
        EXPECT_NEAR(library_ray(ray, v).distance, m.value, 1e-9) << "case: ray, " << name;
    }
    for (int round = 0; round < 3; ++round) {
        const std::string name = "pair of walks " + std::to_string(round);
        const Poly a = maker.make(PolylineMaker::kWalk, 1500),
                   b = maker.make(PolylineMaker::kWalk, 1200);
        const std::size_t nb = b.size() - 1;
        const Smallest m = smallest((a.size() - 1) * nb, [&](std::size_t k) {
            return segments_distance(a[k / nb], a[k / nb + 1], b[k % nb], b[k % nb + 1]);
        });
        const PairResult r = library_pair(a, b);
        EXPECT_NEAR(r.distance, m.value, 1e-12 * (1.0 + m.value)) << "case: " << name;
        if (m.clear()) {
            EXPECT_EQ(r.first.segment, int(m.where / nb)) << "case: " << name;
            EXPECT_EQ(r.second.segment, int(m.where % nb)) << "case: " << name;
        }
        EXPECT_NEAR(r.first.point.distance(r.second.point), r.distance, 1e-12)
            << "case: nearest points, " << name;
        Poly reversed;
        for (std::size_t i = b.size(); i-- > 0;) reversed.append(b[i]);
        EXPECT_NEAR(library_pair(b, a).distance, r.distance, 1e-12) << "case: swapped, " << name;
        EXPECT_NEAR(library_pair(a, reversed).distance, r.distance, 1e-12)
            << "case: reversed, " << name;
    }
}

}  // namespace
