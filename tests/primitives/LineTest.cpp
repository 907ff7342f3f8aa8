#include <kv3d/kv3d.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <sstream>

#include <gtest/gtest.h>

namespace {

const double kTol = 0.001;

void expect_xyz(const Kv3dPoint& p, double x, double y, double z) {
    EXPECT_EQ(p.x(), x);
    EXPECT_EQ(p.y(), y);
    EXPECT_EQ(p.z(), z);
}

Kv3dBBox make_box(double x0, double y0, double z0, double x1, double y1, double z1) {
    Kv3dBBox b(Kv3dPoint(x0, y0, z0));
    b.update_bbox(Kv3dPoint(x1, y1, z1));
    return b;
}

// Largest per-axis excess of line(t) over the box (negative inside).
double excess(const Kv3dLine& l, const Kv3dBBox& b, double t) {
    const Kv3dPoint p = l.evaluate(t);
    double g = -std::numeric_limits<double>::infinity();
    for (int i = 0; i < 3; ++i) {
        g = std::max({g, b.bbmin()[i] - p[i], p[i] - b.bbmax()[i]});
    }
    return g;
}

// Minimum of the (convex) excess over t in [-12, 12]: a coarse scan, then a
// dense one around the best coarse sample, where the minimum must lie.
double min_excess(const Kv3dLine& l, const Kv3dBBox& b) {
    double best_t = -12, best = excess(l, b, -12);
    for (double t = -12; t <= 12; t += 1e-2) {
        const double g = excess(l, b, t);
        if (g < best) {
            best = g;
            best_t = t;
        }
    }
    for (double t = best_t - 1e-2; t <= best_t + 1e-2; t += 4e-6) {
        best = std::min(best, excess(l, b, t));
    }
    return best;
}

TEST(Line, Projection) {
    const Kv3dLine l(Kv3dPoint(1, 2, 3), Kv3dPoint(4, 6, 8));
    expect_xyz(l.evaluate(1.0), 4, 6, 8);
    EXPECT_EQ(l.find_parameter(Kv3dPoint(2.5, 4, 5.5)), 0.5);
    const Kv3dLine x(Kv3dPoint(0, 0, 0), Kv3dVector(2, 0, 0));
    EXPECT_EQ(x.find_parameter(Kv3dPoint(1, 5, 0)), 0.5);
    expect_xyz(x.image(Kv3dPoint(1, 5, 0)), 1, 0, 0);
    EXPECT_EQ(x.distance(Kv3dPoint(1, 5, 0)), 5);
    EXPECT_FALSE(x.contains(Kv3dPoint(0.3, kTol, 0)));  // strict
    EXPECT_TRUE(x.contains(Kv3dPoint(0.3, 0.9999 * kTol, 0)));
    EXPECT_TRUE(x.geom_equal(Kv3dLine(Kv3dPoint(7, 0, 0), Kv3dVector(-1, 0, 0))));
    EXPECT_EQ(x.distance(Kv3dLine(Kv3dPoint(0, 3, 4), Kv3dVector(5, 0, 0))), 5);
    EXPECT_EQ(x.distance(Kv3dLine(Kv3dPoint(0, 0, -2), Kv3dVector(0, 1, 0))), 2);

    const Kv3dLine degenerate(Kv3dPoint(1, 1, 1), Kv3dVector(0, 0, 0));
    EXPECT_FALSE(degenerate.is_valid());
    EXPECT_FALSE(Kv3dLine().is_valid());
    EXPECT_EQ(degenerate.find_parameter(Kv3dPoint(5, 5, 5)), 0);
    expect_xyz(degenerate.image(Kv3dPoint(5, 5, 5)), 1, 1, 1);
    EXPECT_TRUE(degenerate.parallel(x));
}

TEST(Line, LineIntersectionTypes) {
    Kv3dPoint p(7, 7, 7);
    double t = 7, s = 7;
    const Kv3dLine a(Kv3dPoint(0, 1, 0), Kv3dVector(2, 0, 0));
    const Kv3dLine b(Kv3dPoint(1, -1, 0), Kv3dVector(0, 1, 0));
    EXPECT_EQ(a.intersect(b, &p, &t, &s), Kv3d::INTERSECTING);
    EXPECT_LT(p.distance(Kv3dPoint(1, 1, 0)), 1e-12);
    EXPECT_NEAR(t, 0.5, 1e-12);
    EXPECT_NEAR(s, 2.0, 1e-12);
    EXPECT_EQ(a.intersect(b, nullptr, nullptr, nullptr), Kv3d::INTERSECTING);

    p = Kv3dPoint(7, 7, 7);
    const Kv3dLine c(Kv3dPoint(0, 0, 0), Kv3dVector(1, 0, 0));
    const Kv3dLine d(Kv3dPoint(0, 0, 1), Kv3dVector(0, 1, 0));
    EXPECT_EQ(c.intersect(d, &p, &t, &s), Kv3d::SKEW);
    expect_xyz(p, 7, 7, 7);
    EXPECT_EQ(t, 0);
    EXPECT_EQ(s, 0);
    EXPECT_EQ(c.distance(d), 1);

    t = s = 7;
    EXPECT_EQ(c.intersect(Kv3dLine(Kv3dPoint(3, 0.0005, 0), Kv3dVector(2, 0, 0)), &p, &t, &s),
              Kv3d::COINCIDENT);
    EXPECT_EQ(c.intersect(Kv3dLine(Kv3dPoint(3, 0.002, 0), Kv3dVector(-1, 0, 0)), &p, &t, &s),
              Kv3d::PARALLEL);
    EXPECT_EQ(t, 7);
    EXPECT_EQ(s, 7);
    // A degenerate line is parallel to every line.
    EXPECT_EQ(Kv3dLine(Kv3dPoint(0, 0, 5), Kv3dVector()).intersect(c, &p, &t, &s), Kv3d::PARALLEL);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    Kv3dLine(Kv3dPoint(nan, 0, 0), Kv3dVector(1, nan, 0)).intersect(d, &p, &t, &s);
}

TEST(Line, NearestPointsOfRandomLines) {
    std::mt19937 rng(41);
    std::uniform_real_distribution<double> u(-5, 5);
    for (int n = 0; n < 300; ++n) {
        const Kv3dLine a(Kv3dPoint(u(rng), u(rng), u(rng)), Kv3dVector(u(rng), u(rng), u(rng)));
        Kv3dLine b(Kv3dPoint(u(rng), u(rng), u(rng)), Kv3dVector(u(rng), u(rng), u(rng)));
        if (n % 2 == 1) {  // make them meet at a(0.7)
            b = Kv3dLine(a.evaluate(0.7) - b.vector() * 1.3, b.vector());
        }
        if (a.parallel(b)) {
            continue;
        }
        double t = 0, s = 0, t2 = 0, s2 = 0;
        Kv3dPoint p;
        const Kv3d::IntersectionType r = a.intersect(b, &p, &t, &s);
        ASSERT_EQ(r, b.intersect(a, nullptr, &s2, &t2));
        ASSERT_NEAR(t, t2, 1e-9);
        ASSERT_NEAR(s, s2, 1e-9);
        const Kv3dVector gap = b.evaluate(s) - a.evaluate(t);
        ASSERT_NEAR(gap.length(), a.distance(b), 1e-9);
        ASSERT_NEAR(gap % a.vector(), 0.0, 1e-9);
        ASSERT_NEAR(gap % b.vector(), 0.0, 1e-9);
        if (n % 2 == 1) {
            ASSERT_EQ(r, Kv3d::INTERSECTING);
            ASSERT_NEAR(t, 0.7, 1e-9);
            ASSERT_NEAR(s, 1.3, 1e-9);
            ASSERT_LT(p.distance(a.evaluate(0.7)), 1e-9);
        }
    }
}

TEST(Line, BoxSlabMargins) {
    const Kv3dBBox unit = make_box(0, 0, 0, 1, 1, 1);
    // On an axis the line runs along the margin is twice the tolerance.
    EXPECT_TRUE(Kv3dLine(Kv3dPoint(0, 1.0015, 0.5), Kv3dVector(1, 0, 0)).intersect(unit));
    EXPECT_FALSE(Kv3dLine(Kv3dPoint(0, 1.0025, 0.5), Kv3dVector(1, 0, 0)).intersect(unit));
    // A degenerate line is tested as a point against the box widened by 2 tol.
    EXPECT_TRUE(Kv3dLine(Kv3dPoint(1.0015, 0.5, 0.5), Kv3dVector()).intersect(unit));
    EXPECT_FALSE(Kv3dLine(Kv3dPoint(1.0025, 0.5, 0.5), Kv3dVector()).intersect(unit));
    EXPECT_TRUE(Kv3dLine(Kv3dPoint(-3, -3, -3), Kv3dVector(1, 1, 1)).intersect(unit));
    // An empty box holds nothing, though its sentinels span the model space.
    EXPECT_FALSE(Kv3dLine(Kv3dPoint(-3, -3, -3), Kv3dVector(1, 1, 1)).intersect(Kv3dBBox()));
}

TEST(Line, BoxSlabAgainstDenseSampling) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(-1, 1);
    int checked_in = 0, checked_out = 0;
    for (int n = 0; n < 400; ++n) {
        const Kv3dPoint lo(u(rng), u(rng), u(rng));
        const Kv3dBBox box = make_box(lo.x(), lo.y(), lo.z(), lo.x() + 0.01 + std::fabs(u(rng)),
                                      lo.y() + 0.01 + std::fabs(u(rng)), lo.z() + 0.5);
        Kv3dVector v(u(rng), u(rng), u(rng));
        if (n % 4 == 1) {
            v[n % 3] = 0.0;  // runs along one slab
        }
        v.normalize();
        // Through a point near the maximum corner, within a few tolerances.
        Kv3dPoint through = box.bbmax() + Kv3dVector(u(rng), u(rng), u(rng)) * (4 * kTol);
        if (n % 2 == 0) {
            through = Kv3dPoint(2 * u(rng), 2 * u(rng), 2 * u(rng));
        }
        const Kv3dLine l(through - v * 3.0, v);
        const double g = min_excess(l, box);
        if (g < 0.5 * kTol) {
            ASSERT_TRUE(l.intersect(box)) << n;
            ++checked_in;
        } else if (g > 2.5 * kTol) {
            ASSERT_FALSE(l.intersect(box)) << n;
            ++checked_out;
        }
    }
    EXPECT_GT(checked_in, 50);
    EXPECT_GT(checked_out, 50);
}

TEST(Line, ApplyMovesThePointNotTheVector) {
    const double m[16] = {2, 0, 0, 1, 0, 2, 0, 2, 0, 0, 2, 3, 0, 0, 0, 1};
    Kv3dLine l(Kv3dPoint(1, 1, 1), Kv3dVector(0, 1, 0));
    l.apply(Kv3dTransform(m));
    expect_xyz(l.basepoint(), 3, 4, 5);
    expect_xyz(l.vector().as_point(), 0, 2, 0);
}

TEST(Line, JournalText) {
    const Kv3dLine l(Kv3dPoint(1, 2, 3), Kv3dVector(0.5, 0, -1));
    std::ostringstream out;
    KvJournal j(out);
    j << l;
    EXPECT_EQ(out.str(), "Kv3dLine( Kv3dPoint( 1, 2, 3) , Kv3dVector( 0.5, 0, -1))");
    std::ostringstream dbg;
    KvJournal d(dbg);
    l.debug(d, static_cast<KvDebug>(1), false, 0);
    EXPECT_EQ(dbg.str(), "");
    l.debug(d, static_cast<KvDebug>(2), false, 2);
    EXPECT_EQ(dbg.str(),
              "  Kv3dLine( basepoint : Kv3dPoint( 1, 2, 3)\n"
              "            vector    : Kv3dVector( 0.5, 0, -1)\n"
              "          )          \n");
}

}  // namespace
