// The library's polyline scans against the literal scans of
// support/PolylineDistanceReference.h (to the bit), and against textbook
// brute force (to rounding) on long polylines.

#include <kv3d/kv3d.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "support/PolylineDistanceReference.h"

namespace {

using P = Kv3dPoint;
using V = Kv3dVector;
using Poly = KvArray<Kv3dPoint>;
using polyline_reference::difference;
using polyline_reference::library_pair;
using polyline_reference::library_point;
using polyline_reference::library_ray;
using polyline_reference::PairResult;
using polyline_reference::Result;

// Polylines meant to break a faster scan: ties, repeated vertices, collinear
// and parallel segments, lengths at the thresholds, large offsets, huge and
// tiny magnitudes, NaN and infinities.
class PolylineMaker {
public:
    enum Kind { kCloud, kWalk, kGrid, kTiny, kZigzag, kFarOff, kHuge, kMinute, kBroken, kKinds };
    static const char* name(int kind) {
        static const char* const names[] = {"cloud",   "walk", "grid",   "tiny",  "zigzag",
                                            "far off", "huge", "minute", "broken"};
        return names[kind];
    }

    explicit PolylineMaker(std::uint64_t seed) : rng_(seed) {}

    Poly make(int kind, std::size_t n) {
        Poly v;
        P p = kind == kFarOff ? P(1e6 + uniform(0, 1), -3e5, 7e4)
                              : P() + random_vector() * scale(kind);
        for (std::size_t i = 0; i < n; ++i) {
            v.append(p);
            p = p + step(kind, i);
        }
        const double bad[] = {std::nan(""), HUGE_VAL, -HUGE_VAL};
        for (int k = 0; kind == kBroken && n > 0 && k < 2; ++k) {
            v[index(n)][static_cast<int>(index(3))] = bad[index(3)];
        }
        return v;
    }

    // A query point near a polyline of that kind: a vertex, a grid point, or
    // a random point around it.
    P query(int kind, const Poly& v) {
        const P base = v.size() > 0 ? v[index(v.size())] : P();
        switch (index(3)) {
            case 0:
                return base;
            case 1:
                return P(std::round(base.x()) + 0.5 * static_cast<double>(index(3)),
                         std::round(base.y()), std::round(base.z()) - 1.0);
            default:
                return base + random_vector() * scale(kind);
        }
    }

    std::size_t index(std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng_);
    }
    double uniform(double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(rng_);
    }
    V random_vector() { return V(uniform(-1, 1), uniform(-1, 1), uniform(-1, 1)); }

private:
    static double scale(int kind) {
        static const double scales[] = {3.0, 3.0, 3.0, 1e-6, 3.0, 1e-3, 1e150, 1e-160, 3.0};
        return scales[kind];
    }

    V step(int kind, std::size_t i) {
        V e;
        if (kind == kCloud || kind == kHuge || kind == kMinute) {
            e = random_vector() * (2.0 * scale(kind));
        } else if (kind == kGrid) {
            e[static_cast<int>(index(3))] = static_cast<double>(index(5)) - 2.0;
        } else if (kind == kTiny) {  // lengths at and beside the thresholds
            const double lengths[] = {0.0, 1e-21, 1e-20, 1e-7, 1e-6, 1.0000000000000002e-06, 1.0};
            e[static_cast<int>(index(3))] = lengths[index(7)];
        } else if (kind == kZigzag) {
            e = i % 2 == 0 ? V(i % 4 == 0 ? 4.0 : -4.0, 0, 0) : V(0, 1, 0);
        } else if (kind == kFarOff) {
            e = random_vector() * 1e-3;
        } else if (index(6) != 0) {
            e = random_vector();
        }
        return e;
    }

    std::mt19937_64 rng_;
};

TEST(PolylineDistanceScan, PointScanMatchesTheLiteralScan) {
    PolylineMaker maker(11);
    for (int round = 0; round < 120; ++round) {
        const int kind = round % PolylineMaker::kKinds;
        const std::size_t n = round % 10 == 0 ? 700 + maker.index(300) : 1 + maker.index(60);
        const Poly v = maker.make(kind, n);
        for (int k = 0; k < 8; ++k) {
            const P q = maker.query(kind, v);
            EXPECT_EQ(difference(library_point(q, v), polyline_reference::point(q, v)), "")
                << "case: " << PolylineMaker::name(kind) << " round " << round << " query " << k;
        }
    }
}

TEST(PolylineDistanceScan, RayScanMatchesTheLiteralScan) {
    PolylineMaker maker(12);
    for (int round = 0; round < 90; ++round) {
        const int kind = round % PolylineMaker::kKinds;
        const Poly v = maker.make(kind, 1 + maker.index(40));
        const Kv3dRay ray(maker.query(kind, v), round % 3 == 0 ? Kv3dDirection(1, 0, 0)
                                                               : maker.random_vector().direction());
        EXPECT_EQ(difference(library_ray(ray, v), polyline_reference::ray(ray, v)), "")
            << "case: " << PolylineMaker::name(kind) << " round " << round;
    }
}

TEST(PolylineDistanceScan, PairScanMatchesTheLiteralScan) {
    PolylineMaker maker(13);
    for (int round = 0; round < 160; ++round) {
        const int kind_a = round % PolylineMaker::kKinds;
        const int kind_b = (round / PolylineMaker::kKinds) % PolylineMaker::kKinds;
        const bool long_ones = round % 16 == 0;
        const Poly a = maker.make(kind_a, long_ones ? 300 : 1 + maker.index(50));
        Poly b = maker.make(kind_b, long_ones ? 250 : 1 + maker.index(50));
        if (round % 5 == 1 && a.size() > 0) {
            b = a;  // every pair tied with its twin
        }
        EXPECT_EQ(difference(library_pair(a, b), polyline_reference::pair(a, b)), "")
            << "case: " << PolylineMaker::name(kind_a) << " against " << PolylineMaker::name(kind_b)
            << ", round " << round;
    }
}

// Many segments at exactly the same distance: the earliest in scan order
// wins, as in the literal scan. A square run 16 times around its centre; one
// segment run back and forth 39 times under a pole, every pair exactly 3 apart.
TEST(PolylineDistanceScan, TiesGoToTheEarliestSegment) {
    Poly ring, retraced;
    for (int i = 0; i <= 64; ++i) {
        ring.append(P(i % 4 == 1 || i % 4 == 2 ? 1 : -1, i % 4 >= 2 ? 1 : -1, 0));
    }
    for (int i = 0; i < 40; ++i) retraced.append(P(i % 2 == 0 ? -1 : 1, 0, 0));
    const Poly pole{P(0, -4, 3), P(0, 4, 3)};
    const Result centre = library_point(P(), ring);
    EXPECT_EQ(difference(centre, polyline_reference::point(P(), ring)), "") << "case: square";
    EXPECT_EQ(centre.nearest.segment, 0) << "case: square";
    const PairResult crossing = library_pair(retraced, pole);
    EXPECT_EQ(difference(crossing, polyline_reference::pair(retraced, pole)), "")
        << "case: retraced segment";
    EXPECT_EQ(crossing.first.segment, 0) << "case: retraced segment";
    EXPECT_EQ(library_pair(pole, retraced).second.segment, 0) << "case: retraced, swapped";
}

// --- Brute force ---------------------------------------------------------

// Textbook distance of q to segment a-b.
double segment_distance(const P& q, const P& a, const P& b) {
    const V e = b - a;
    const double ee = e % e;
    const double t = ee > 0.0 ? std::clamp(((q - a) % e) / ee, 0.0, 1.0) : 0.0;
    return q.distance(a + e * t);
}

// Textbook distance of two segments: the closest points of the carrier lines
// clamped, and the four end-to-segment distances.
double segments_distance(const P& a0, const P& a1, const P& b0, const P& b1) {
    double best = std::min({segment_distance(a0, b0, b1), segment_distance(a1, b0, b1),
                            segment_distance(b0, a0, a1), segment_distance(b1, a0, a1)});
    const V u = a1 - a0, v = b1 - b0, w = a0 - b0;
    const double a = u % u, b = u % v, c = v % v, d = u % w, e = v % w;
    const double den = a * c - b * b;
    if (den > 1e-12 * a * c) {
        const double s = (b * e - c * d) / den, t = (a * e - b * d) / den;
        if (s >= 0 && s <= 1 && t >= 0 && t <= 1) {
            best = std::min(best, (a0 + u * s).distance(b0 + v * t));
        }
    }
    return best;
}

// The smallest and second smallest value of f over 0 .. count-1, and where
// the smallest is.
template <class F>
void two_smallest(std::size_t count, F f, double& first, double& second, std::size_t& where) {
    first = second = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < count; ++i) {
        const double d = f(i);
        second = std::min(second, std::max(first, d));
        if (d < first) {
            first = d;
            where = i;
        }
    }
}

TEST(PolylineDistanceScan, LongPolylinesAgreeWithBruteForce) {
    PolylineMaker maker(14);
    double best, runner_up;
    std::size_t where = 0;
    for (int round = 0; round < 6; ++round) {
        const Poly v = maker.make(PolylineMaker::kWalk, 3000);
        for (int k = 0; k < 5; ++k) {
            const P q = maker.query(PolylineMaker::kWalk, v);
            two_smallest(
                v.size() - 1, [&](std::size_t i) { return segment_distance(q, v[i], v[i + 1]); },
                best, runner_up, where);
            const Result r = library_point(q, v);
            EXPECT_NEAR(r.distance, best, 1e-12 * (1.0 + best))
                << "case: point, walk " << round << " query " << k;
            if (runner_up - best > 1e-9) {
                EXPECT_EQ(r.nearest.segment, static_cast<int>(where))
                    << "case: point, walk " << round << " query " << k;
            }
        }
        // The ray's carrier line as a long segment around the closest approach.
        const Kv3dRay ray(maker.query(PolylineMaker::kWalk, v), maker.random_vector().direction());
        two_smallest(
            v.size() - 1,
            [&](std::size_t i) {
                return segments_distance(ray.position(-1e4), ray.position(1e4), v[i], v[i + 1]);
            },
            best, runner_up, where);
        EXPECT_NEAR(library_ray(ray, v).distance, best, 1e-9) << "case: ray, walk " << round;
    }
    for (int round = 0; round < 3; ++round) {
        const Poly a = maker.make(PolylineMaker::kWalk, 1500);
        const Poly b = maker.make(PolylineMaker::kWalk, 1200);
        const std::size_t nb = b.size() - 1;
        two_smallest((a.size() - 1) * nb,
                     [&](std::size_t k) {
                         const std::size_t i = k / nb, j = k % nb;
                         return segments_distance(a[i], a[i + 1], b[j], b[j + 1]);
                     },
                     best, runner_up, where);
        const PairResult r = library_pair(a, b);
        EXPECT_NEAR(r.distance, best, 1e-12 * (1.0 + best)) << "case: pair of walks " << round;
        if (runner_up - best > 1e-9) {
            EXPECT_EQ(r.first.segment, static_cast<int>(where / nb))
                << "case: pair of walks " << round;
            EXPECT_EQ(r.second.segment, static_cast<int>(where % nb))
                << "case: pair of walks " << round;
        }
    }
}

// The distance of a pair does not depend on which polyline comes first or
// which way either runs; the nearest points change places.
TEST(PolylineDistanceScan, PairIsSymmetric) {
    PolylineMaker maker(15);
    for (int round = 0; round < 40; ++round) {
        const Poly a = maker.make(PolylineMaker::kWalk, 2 + maker.index(80));
        const Poly b = maker.make(PolylineMaker::kWalk, 2 + maker.index(80));
        Poly reversed;
        for (std::size_t i = b.size(); i-- > 0;) reversed.append(b[i]);
        const PairResult ab = library_pair(a, b);
        const PairResult ba = library_pair(b, a);
        const PairResult ar = library_pair(a, reversed);
        EXPECT_NEAR(ab.distance, ba.distance, 1e-12) << "case: swapped, walks " << round;
        EXPECT_NEAR(ab.distance, ar.distance, 1e-12) << "case: reversed, walks " << round;
        EXPECT_NEAR(ab.first.point.distance(ab.second.point), ab.distance, 1e-12)
            << "case: nearest points, walks " << round;
    }
}

}  // namespace
