#include <kv3d/kv3d.h>

#include <cmath>
#include <cstring>
#include <random>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "EnclosingOracle.h"
#include "support/NamedCases.h"

namespace {

using enclosing_oracle::box;
using enclosing_oracle::xyz;
using P = Kv3dPoint;
const double kTol = 0.001, E = 8000;  // the point tolerance and model extent at load time

void expect_corners(const std::string& name, const Kv3dBBox& b, const P& lo, const P& hi) {
    EXPECT_EQ(xyz(b.bbmin()), xyz(lo)) << "case: " << name;
    EXPECT_EQ(xyz(b.bbmax()), xyz(hi)) << "case: " << name;
}

// The empty box spans (E, E, E) .. (-E, -E, -E) and holds nothing; growth by
// points, boxes and iterators.
TEST(BBox, EmptyStateAndGrowth) {
    Kv3dBBox b, grown;
    const Kv3dBBox big = box({-10, -10, -10}, {10, 10, 10});
    expect_corners("empty", b, P(E, E, E), P(-E, -E, -E));
    expect_each<bool>({{"empty contains a point", b.contains(P(7999, -7999, 0)), false},
                       {"empty contains a box", b.contains(big), false},
                       {"a box contains the empty one", big.contains(b), false},
                       {"empty meets a box", b.intersect(big, nullptr), false}});
    b.update_bbox(P(1, 2, 3));
    b.update_bbox(P(0, 5, 3));
    b.update_bbox(Kv3dBBox());
    grown.update_bbox(b);
    expect_corners("grown by a box", grown, P(0, 2, 3), P(1, 5, 3));
    KvArray<P> pts{P(1, -1, 0), P(-2, 4, 0.5), P(0, 0, -3)};
    KvArrayIterator<P> it(pts);
    expect_corners("iterator", Kv3dBBox(it), P(-2, -1, -3), P(1, 4, 0.5));
}

// The box of a point array against the step applied point by point: the same
// corners to the bit, NaN and signed zeros included, from an empty box and
// from one already grown; a NaN first point takes both corners of an empty
// box, as one step would.
TEST(BBox, ArrayGrowthEqualsThePointByPointGrowth) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> u(-100, 100);
    std::uniform_int_distribution<int> pick(0, 24);
    const double special[] = {std::nan(""), -0.0, 0.0, HUGE_VAL, -HUGE_VAL};  // now and then
    const auto coordinate = [&] {
        const int k = pick(rng);
        return k < 5 ? special[k] : u(rng);
    };
    const auto same_bits = [](const P& a, const P& b) { return !std::memcmp(&a, &b, sizeof a); };
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
    }
}

TEST(BBox, ToleranceBoundaries) {
    const Kv3dBBox a = box({0, 0, 0}, {1, 1, 1});
    const Kv3dBBox far = box({1 + 2 * kTol, 0, 0}, {2, 1, 1}), touching = box({1, 0, 0}, {2, 1, 1});
    expect_each<bool>({
        {"tol beyond max x", a.contains(P(1 + kTol, 0.5, 0.5)), true},
        {"1.5 tol beyond max x", a.contains(P(1 + 1.5 * kTol, 0.5, 0.5)), false},
        {"maximum outside", a.contains(box({0.2, 0.2, 0.2}, {1.5, 0.5, 0.5})), false},
        {"minimum outside", a.contains(box({-0.5, 0.2, 0.2}, {0.5, 0.5, 0.5})), false},
        {"2 tol apart", a.intersect(far, nullptr), false},
        {"extended by 0.9 tol", a.intersect_extended(far, 0.9 * kTol), false},
        {"extended by 1.1 tol", a.intersect_extended(far, 1.1 * kTol), true},
        {"extended by 1.1 tol, swapped", far.intersect_extended(a, 1.1 * kTol), true},
        {"touching, margin 0", a.intersect_extended(touching, 0.0), true},
        {"touching, margin 0, swapped", touching.intersect_extended(a, 0.0), true},
    });
    // Faces 0.5 tol apart: the result spans the gap on x and is the common
    // part elsewhere, in either order and written over either operand.
    const Kv3dBBox b = box({1 + 0.5 * kTol, 0.5, 0.25}, {2, 1.5, 0.75});
    Kv3dBBox r1, r2, self = a, other = b;
    expect_each<bool>({{"a, b", a.intersect(b, &r1), true},
                       {"b, a", b.intersect(a, &r2), true},
                       {"over the first", self.intersect(b, &self), true},
                       {"over the second", a.intersect(other, &other), true}});
    const P lo(1, 0.5, 0.25), hi(1 + 0.5 * kTol, 1, 0.75);
    expect_corners("a, b", r1, lo, hi);
    expect_corners("b, a", r2, lo, hi);
    expect_corners("over the first", self, lo, hi);
    expect_corners("over the second", other, lo, hi);
}

// A box grown by a sphere takes its axis extremes; a box whose corners the
// sphere holds becomes the sphere's box.
TEST(BBox, GrowthByASphere) {
    const auto grown = [](Kv3dBBox b, const Kv3dBSphere& s) {
        b.update_bbox(s);
        return b;
    };
    const Kv3dBBox four = box(P(), P(4, 4, 4));
    expect_corners("sphere inside", grown(four, Kv3dBSphere(P(2, 2, 2), 1.0)), P(), P(4, 4, 4));
    expect_corners("sphere out of one face", grown(four, Kv3dBSphere(P(3.5, 2, 2), 1.0)), P(),
                   P(4.5, 4, 4));
    expect_corners("box inside", grown(box(P(), P(0.1, 0.1, 0.1)), Kv3dBSphere(P(), 1.0)),
                   P(-1, -1, -1), P(1, 1, 1));
}

// The box of the eight transformed corners; an empty box stays empty.
TEST(BBox, ApplyBoundsTheTransformedCorners) {
    Kv3dBBox empty;
    empty.apply(Kv3dTransform(P(1, 0, 0), Kv3dVector(0, 0, 1), 0.3, 5.0));
    EXPECT_TRUE(empty.is_empty()) << "case: empty box";
    std::mt19937 rng(31);
    std::uniform_real_distribution<double> u(-3, 3);
    for (int n = 0; n < 200; ++n) {
        const P p(u(rng), u(rng), u(rng)), q(u(rng), u(rng), u(rng));
        const Kv3dTransform T(p, q - P(), u(rng), u(rng));
        Kv3dBBox moved = box(p, q), reference;
        for (int c = 0; c < 8; ++c)
            reference.update_bbox(
                P(c & 1 ? p.x() : q.x(), c & 2 ? p.y() : q.y(), c & 4 ? p.z() : q.z()).apply(T));
        moved.apply(T);
        expect_corners("draw " + std::to_string(n), moved, reference.bbmin(), reference.bbmax());
    }
}

template <class T>
std::string journal(const T& x, int level = 0) {
    std::ostringstream out;
    KvJournal j(out);
    if (level == 0) j << x;
    for (int l = 1; l <= level; ++l) x.debug(j, static_cast<KvDebug>(l), false, 1);
    return out.str();
}

// One indentation only, the corners one step deeper; nothing at level 1.
TEST(Bounds, JournalText) {
    const Kv3dBBox b = box({0, -1, 2}, {0.5, 1, 2});
    expect_each<std::string>({
        {"box", journal(b),
         "Kv3dBBox( Kv3dPoint( 0, -1, 2) , \n          Kv3dPoint( 0.5, 1, 2)  ) \n"},
        {"box, debug levels 1 and 2", journal(b, 2),
         " Kv3dBBox  - Minimum Coordinates: \n   Kv3dPoint( 0, -1, 2)\n"
         "          - Maximum Coordinates: \n   Kv3dPoint( 0.5, 1, 2)\n"},
        {"point sphere", journal(Kv3dBSphere(P(1, 2, 3))),
         "Kv3dBSphere( Kv3dPoint( 1, 2, 3) , \n          0  ) \n"},
        {"sphere, debug level 1", journal(Kv3dBSphere(P(1, 2, 3)), 1), ""},
    });
}

}  // namespace
