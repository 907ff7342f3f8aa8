#include <kv3d/kv3d.h>

#include <array>
#include <cmath>
#include <cstring>
#include <random>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "EnclosingOracle.h"
#include "support/NamedCases.h"
#include "support/RandomDraw.h"

namespace {

using enclosing_oracle::Ball;
using enclosing_oracle::box;
using enclosing_oracle::stored_radius;
using enclosing_oracle::xyz;
using P = Kv3dPoint;
using S = Kv3dBSphere;
// The sphere tolerance, the point tolerance and the model extent at load.
const double b = kv3d_detail::bsphere_tol(), kTol = 0.001, E = 8000;

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

void expect_corners(const std::string& name, const Kv3dBBox& x, const P& lo, const P& hi) {
    EXPECT_EQ(xyz(x.bbmin()), xyz(lo)) << "case: " << name;
    EXPECT_EQ(xyz(x.bbmax()), xyz(hi)) << "case: " << name;
}

// The empty box spans (E, E, E) .. (-E, -E, -E) and holds nothing; growth by
// points, boxes and iterators.
TEST(BBox, EmptyStateAndGrowth) {
    Kv3dBBox e, grown;
    const Kv3dBBox big = box({-10, -10, -10}, {10, 10, 10});
    expect_corners("empty", e, P(E, E, E), P(-E, -E, -E));
    expect_each<bool>({{"empty contains a point", e.contains(P(7999, -7999, 0)), false},
                       {"empty contains a box", e.contains(big), false},
                       {"a box contains the empty one", big.contains(e), false},
                       {"empty meets a box", e.intersect(big, nullptr), false}});
    e.update_bbox(P(1, 2, 3));
    e.update_bbox(P(0, 5, 3));
    e.update_bbox(Kv3dBBox());
    grown.update_bbox(e);
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
    RandomDraw g(11);
    const double special[] = {std::nan(""), -0.0, 0.0, HUGE_VAL, -HUGE_VAL};  // now and then
    const auto coordinate = [&] {
        const int k = g.pick(25);
        return k < 5 ? special[k] : g.uniform(-100, 100);
    };
    const auto same = [](const P& p, const P& q) { return same_bits(&p, &q, sizeof p); };
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
            EXPECT_TRUE(same(whole.bbmin(), stepwise.bbmin())) << "case: minimum, " << name;
            EXPECT_TRUE(same(whole.bbmax(), stepwise.bbmax())) << "case: maximum, " << name;
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
        {"2 tol apart", a.intersect(far, nullptr), false},
        {"extended by 0.9 tol", a.intersect_extended(far, 0.9 * kTol), false},
        {"extended by 1.1 tol", a.intersect_extended(far, 1.1 * kTol), true},
        {"touching, margin 0", a.intersect_extended(touching, 0.0), true},
        {"touching, margin 0, swapped", touching.intersect_extended(a, 0.0), true},
    });
    // Faces 0.5 tol apart: the result spans the gap on x and is the common
    // part elsewhere, in either order and written over either operand.
    const Kv3dBBox c = box({1 + 0.5 * kTol, 0.5, 0.25}, {2, 1.5, 0.75});
    Kv3dBBox r, self = a, other = a;
    expect_each<bool>({{"a, c", a.intersect(c, &r), true},
                       {"a, c over the first", self.intersect(c, &self), true},
                       {"c, a over the second", c.intersect(other, &other), true}});
    const P lo(1, 0.5, 0.25), hi(1 + 0.5 * kTol, 1, 0.75);
    expect_corners("a, c", r, lo, hi);
    expect_corners("a, c over the first", self, lo, hi);
    expect_corners("c, a over the second", other, lo, hi);
}

// A box grown by a sphere takes its axis extremes; a box whose corners the
// sphere holds becomes the sphere's box.
TEST(BBox, GrowthByASphere) {
    const auto grown = [](Kv3dBBox x, const S& s) { return x.update_bbox(s), x; };
    const Kv3dBBox four = box(P(), P(4, 4, 4));
    expect_corners("sphere inside", grown(four, Kv3dBSphere(P(2, 2, 2), 1.0)), P(), P(4, 4, 4));
    expect_corners("sphere out of one face", grown(four, Kv3dBSphere(P(3.5, 2, 2), 1.0)), P(),
                   P(4.5, 4, 4));
    expect_corners("box inside", grown(box(P(), P(0.1, 0.1, 0.1)), Kv3dBSphere(P(), 1.0)),
                   P(-1, -1, -1), P(1, 1, 1));
}

// The box of the eight transformed corners; an empty box stays empty.
TEST(BBox, ApplyBoundsTheTransformedCorners) {
    EXPECT_TRUE(Kv3dBBox().apply(Kv3dTransform(2.0, P())).is_empty()) << "case: empty box";
    RandomDraw g(31);
    for (int n = 0; n < 200; ++n) {
        const P p = g.point(3.0), q = g.point(3.0);
        const Kv3dTransform T(p, q - P(), g.uniform(-3, 3), g.uniform(-3, 3));
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
    const Kv3dBBox x = box({0, -1, 2}, {0.5, 1, 2});
    expect_each<std::string>({
        {"box", journal(x),
         "Kv3dBBox( Kv3dPoint( 0, -1, 2) , \n          Kv3dPoint( 0.5, 1, 2)  ) \n"},
        {"box, debug levels 1 and 2", journal(x, 2),
         " Kv3dBBox  - Minimum Coordinates: \n   Kv3dPoint( 0, -1, 2)\n"
         "          - Maximum Coordinates: \n   Kv3dPoint( 0.5, 1, 2)\n"},
        {"point sphere", journal(Kv3dBSphere(P(1, 2, 3))),
         "Kv3dBSphere( Kv3dPoint( 1, 2, 3) , \n          0  ) \n"},
        {"sphere, debug level 1", journal(Kv3dBSphere(P(1, 2, 3)), 1), ""},
    });
}

template <class T>
S grown(S s, T&& by) {
    return s.update_bsphere(by), s;
}

// radius() is the stored radius above b, otherwise a zero that never changes.
TEST(BSphere, RadiusAboveTheToleranceOnly) {
    const double above = std::nextafter(b, 1.0);
    expect_each<double>({{"point sphere, stored", stored_radius(S(P(1, 2, 3))), b},
                         {"radius exactly b", S(P(), b).radius(), 0.0},
                         {"radius just above b", S(P(), above).radius(), above}});
    S t(P(), 0.5 * b);
    const double& z = t.radius();
    t.set_radius(2.0);
    EXPECT_EQ(z, 0.0) << "case: reference to the zero slot";
}

// Growth by a point keeps the far side; containment is strict, so a point on
// the shell grows the sphere by b. Growth by a sphere: radii closer than b and
// centres within b mean the other sphere holds this one and replaces it. A box
// holding the sphere replaces it by its own sphere, otherwise its corners are
// enclosed with the sphere. Nothing to enclose keeps the sphere; an empty one
// stays empty, its centre reset.
TEST(BSphere, Growth) {
    const S unit(P(), 1.0), beside(P(6, 2, 2), 1.5), empty(P(9, 9, 9), -1.0);
    const Kv3dBBox cube = box(P(), P(4, 4, 4));
    KvArray<P> corners, none;
    for (int i = 0; i < 8; ++i) corners.append(P(i & 1 ? 4 : 0, i & 2 ? 4 : 0, i & 4 ? 4 : 0));
    const auto of_box = enclosing_oracle::ball(S(cube));
    const auto around = enclosing_oracle::update(enclosing_oracle::ball(beside), corners);
    KvArrayIterator<P> end(none), around_corners(corners);
    const P off(0, 0.5 * b, 0);
    const struct {
        const char* name;
        S got;
        P center;
        double radius;
    } cases[] = {
        {"point (3, 0, 0)", grown(unit, P(3, 0, 0)), P(1, 0, 0), 2.0 + b},
        {"point just inside the shell", grown(unit, P(std::nextafter(1.0, 0.0), 0, 0)), P(), 1.0},
        {"point on the shell", grown(unit, P(0, 1, 0)), P(), 1.0 + b},
        {"point, empty sphere", grown(S(), P(1, 1, 1)), P(1, 1, 1), b},
        {"sphere apart", grown(unit, S(P(4, 0, 0), 1.0)), P(2, 0, 0), 3.0 + b},
        {"sphere b/2 smaller", grown(unit, S(off, 1.0 - 0.5 * b)), off, 1.0 - 0.5 * b},
        {"sphere 2b smaller", grown(unit, S(off, 1.0 - 2 * b)), P(), 1.0},
        {"box holding the sphere", grown(S(P(2, 2, 2), 1.0), cube), of_box.c, of_box.r},
        {"sphere holding the box", grown(S(P(2, 2, 2), 4.0), cube), P(2, 2, 2), 4.0},
        {"sphere beside the box", grown(beside, cube), around.c, around.r},
        {"empty iterator", grown(S(P(5, 5, 5), 2.0), end), P(5, 5, 5), 2.0},
        {"array within the radius", grown(S(P(2, 2, 2), 5.0), corners), P(2, 2, 2), 5.0},
        {"iterator within the radius", grown(S(P(2, 2, 2), 5.0), around_corners), P(2, 2, 2), 5.0},
        {"empty sphere, empty array", grown(empty, none), P(), -1.0},
        {"empty sphere, empty box", grown(empty, Kv3dBBox()), P(), -1.0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(xyz(c.got.center()), xyz(c.center)) << "case: " << c.name;
        EXPECT_EQ(stored_radius(c.got), c.radius) << "case: " << c.name;
    }
    EXPECT_TRUE(grown(S(), S()).is_empty()) << "case: empty by empty";
    EXPECT_TRUE(S(end).is_empty()) << "case: empty iterator";
}

// On the shell when (r - 2b) r < d^2 < (r + 2b) r: within about b. Sphere
// against box: beside a face, over an edge, off a corner of the unit cube.
TEST(BSphere, Predicates) {
    const S point(P(1, 1, 1)), s(P(), 2.0), a(P(), b), empty, unit(P(), 1.0);
    const S right(P(3, 0, 0), 1.0);
    const Kv3dBBox cube = box({-1, -1, -1}, {1, 1, 1}), four = box(P(), P(4, 4, 4));
    const Kv3dBBox u = box(P(0, 0, 0), P(1, 1, 1));
    const double r = 0.1, e = r / std::sqrt(2.0), c = r / std::sqrt(3.0);
    const S corner_in(P(1 + 0.9 * c, -0.9 * c, 1 + 0.9 * c), r);
    Kv3dBSphere out;
    expect_each<bool>({
        {"point at b / 2", point.contains(P(1 + 0.5 * b, 1, 1)), true},
        {"point at 2 b", point.contains(P(1 + 2 * b, 1, 1)), false},
        {"point on the shell (strict)", s.contains(P(2, 0, 0)), false},
        {"radii and centres within b", s.contains(S(P(0.5 * b, 0, 0), 2.0 + 0.5 * b)), true},
        {"radius larger by b exactly (strict)", a.contains(S(P(), 2 * b)), false},
        {"inner sphere, touching", s.contains(S(P(0.7, 0, 0), 1.4)), false},
        {"one point outside", s.contains(KvArray<P>{P(1, 0, 0), P(0, 2.5, 0)}), false},
        {"box corners outside", S(P(), 1.7).contains(cube), false},
        {"empty box", s.contains(Kv3dBBox()), true},
        {"empty sphere, empty box", empty.contains(Kv3dBBox()), false},
        {"empty sphere, empty sphere", empty.contains(S()), false},
        {"shell, empty", empty.on_shell(P(0, 0, -1)), false},
        {"shell, radius 0", S(P(1, 1, 1), 0.0).on_shell(P(1, 1, 1)), true},
        {"shell, b/2 outside", unit.on_shell(P(0, 0, 1 + 0.5 * b)), true},
        {"shell, 1.5 b outside", unit.on_shell(P(1 + 1.5 * b, 0, 0)), false},
        {"shell, 1.5 b inside", unit.on_shell(P(0, 0, -1 + 1.5 * b)), false},
        {"equal, radii b apart (strict)", a.geom_equal(S(P(), 2 * b)), false},
        {"equal, centres 2b apart", a.geom_equal(S(P(0, 0, 2 * b), b)), false},
        {"equal, two empty", empty.geom_equal(S(P(5, 5, 5), -3.0)), true},
        {"touching", s.intersect(S(P(4, 0, 0), 2.0), nullptr), false},
        {"just overlapping", s.intersect(S(P(std::nextafter(4.0, 0.0), 0, 0), 2.0), nullptr), true},
        {"small inside", S(P(), 3.0).intersect(S(P(1, 0, 0), 1.0), &out), true},
        {"empty other", s.intersect(S(), &out), false},
        {"margin just enough", unit.intersect_extended(right, 0.5 + 1e-9), true},
        {"margin exactly to touching", unit.intersect_extended(right, 0.5), false},
        {"margin, empty", unit.intersect_extended(S(), 10.0), false},
        {"face, 1.1 r", S(P(0.5, -1.1 * r, 0.5), r).intersect(u), false},
        {"face, r + tol/2", S(P(0.5, 0.5, 1 + r + 0.5 * kTol), r).intersect(u), true},
        {"edge, 1.1 r", S(P(1 + 1.1 * e, 0.5, -1.1 * e), r).intersect(u), false},
        {"corner, 0.9 r", corner_in.intersect(u), true},
        {"corner, 0.9 r, from the box", u.intersect(corner_in), true},
        {"corner, 1.1 r", S(P(-1.1 * c, -1.1 * c, -1.1 * c), r).intersect(u), false},
        {"empty sphere, box", empty.intersect(u), false},
        {"box, empty sphere", Kv3dBBox().contains(S()), false},
        {"box, extreme tol out", four.contains(S(P(3, 2, 2), 1 + kTol)), true},
        {"box, extreme 1.5 tol out", four.contains(S(P(3, 2, 2), 1 + 1.5 * kTol)), false},
    });
}

// The shells of two spheres meet in a circle (the result may be an operand);
// the farthest shell point lies beyond the centre; the extremes come +x, -x,
// +y, -y, +z, -z.
TEST(BSphere, ConstructedPoints) {
    S self(P(), 2.0);
    ASSERT_TRUE(self.intersect(S(P(3, 0, 0), 2.0), &self));
    EXPECT_EQ(xyz(self.center()), xyz(P(1.5, 0, 0))) << "case: two shells meeting";
    EXPECT_EQ(self.radius(), std::sqrt(4 - 2.25)) << "case: two shells meeting";
    P out, e[6];
    S(P(10, 0, 0), 1.0).compute_furthermost_point_on_shell(P(12, 0, 0), out);
    EXPECT_EQ(xyz(out), xyz(P(9, 0, 0))) << "case: seen from (12, 0, 0)";
    ASSERT_EQ(S(P(1, 2, 3), 2.0).axis_extreme_points(e), 6);
    EXPECT_EQ(xyz(e[3]), xyz(P(1, 0, 3))) << "case: fourth extreme, -y";
    EXPECT_EQ(S().axis_extreme_points(e), 0) << "case: empty sphere";
}

// Rigid motions move the centre and keep the radius bit for bit; under any
// affine map the image of a sphere holds the images of its points.
TEST(BSphere, ApplyKeepsBounding) {
    const Kv3dTransform screw(P(1, 0, 0), Kv3dVector(0, 1, 1), 0.7, 2.0);
    S s(P(1, 2, 3), 0.75), empty(P(1, 0, 0), -1.0);
    s.apply(screw);
    EXPECT_EQ(xyz(s.center()), xyz(P(1, 2, 3).apply(screw))) << "case: screw motion";
    EXPECT_EQ(stored_radius(s), 0.75) << "case: screw motion";
    EXPECT_TRUE(empty.apply(Kv3dTransform(2.0, P())).is_empty()) << "case: empty sphere";
    RandomDraw g(5);
    for (int n = 0; n < 300; ++n) {
        double m[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
        for (int i = 0; i < 12; ++i) m[i] = g.uniform(-3, 3);
        const Kv3dTransform T(m);
        S t(g.point(1.0), g.uniform(0.1, 1.1));
        // A point strictly inside, by up to 1 - 1e-9 of the radius.
        P q = t.center() + g.unit() * (t.radius() * (1 - 1e-9) * g.uniform(0, 1));
        ASSERT_TRUE(t.apply(T).contains(q.apply(T))) << "case: image of sample " << n;
    }
}

}  // namespace
