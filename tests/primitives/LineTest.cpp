#include <kv3d/kv3d.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <sstream>

#include <gtest/gtest.h>

namespace {

const double kTol = 0.001;

Kv3dBBox box(double x0, double y0, double z0, double x1, double y1, double z1) {
    Kv3dBBox b(Kv3dPoint(x0, y0, z0));
    b.update_bbox(Kv3dPoint(x1, y1, z1));
    return b;
}

// Largest per-axis excess of l(t) over the box (negative inside).
double excess(const Kv3dLine& l, const Kv3dBBox& b, double t) {
    const Kv3dPoint p = l.evaluate(t);
    return std::max({b.bbmin().x() - p.x(), p.x() - b.bbmax().x(), b.bbmin().y() - p.y(),
                     p.y() - b.bbmax().y(), b.bbmin().z() - p.z(), p.z() - b.bbmax().z()});
}

// Minimum of the convex excess: a coarse scan over t, then a dense one
// around the best coarse sample, between whose neighbours the minimum lies.
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

TEST(Line, ProjectionAndApply) {
    const Kv3dLine l(Kv3dPoint(1, 2, 3), Kv3dPoint(4, 6, 8));
    EXPECT_EQ(l.evaluate(1.0).distance(Kv3dPoint(4, 6, 8)), 0);
    EXPECT_EQ(l.find_parameter(Kv3dPoint(2.5, 4, 5.5)), 0.5);
    const Kv3dLine x(Kv3dPoint(0, 0, 0), Kv3dVector(2, 0, 0));
    EXPECT_EQ(x.find_parameter(Kv3dPoint(1, 5, 0)), 0.5);
    EXPECT_EQ(x.image(Kv3dPoint(1, 5, 0)).distance(Kv3dPoint(1, 0, 0)), 0);
    EXPECT_FALSE(x.contains(Kv3dPoint(0.3, kTol, 0)));  // strict
    EXPECT_TRUE(x.contains(Kv3dPoint(0.3, 0.9999 * kTol, 0)));
    const Kv3dLine degenerate(Kv3dPoint(1, 1, 1), Kv3dVector());
    EXPECT_TRUE(!degenerate.is_valid() && degenerate.find_parameter(Kv3dPoint(5, 5, 5)) == 0);

    const double m[16] = {2, 0, 0, 1, 0, 2, 0, 2, 0, 0, 2, 3, 0, 0, 0, 1};
    Kv3dLine moved(Kv3dPoint(1, 1, 1), Kv3dVector(0, 1, 0));
    moved.apply(Kv3dTransform(m));  // the vector takes no translation
    EXPECT_TRUE(moved.basepoint().geom_equal(Kv3dPoint(3, 4, 5)) &&
                moved.vector().geom_equal(Kv3dVector(0, 2, 0)));
}

TEST(Line, IntersectionTypesAndParameters) {
    Kv3dPoint p(7, 7, 7);
    double t = 7, s = 7;
    const Kv3dLine a(Kv3dPoint(0, 1, 0), Kv3dVector(2, 0, 0)),
        b(Kv3dPoint(1, -1, 0), Kv3dVector(0, 1, 0));
    EXPECT_EQ(a.intersect(b, &p, &t, &s), Kv3d::INTERSECTING);
    EXPECT_LT(p.distance(Kv3dPoint(1, 1, 0)) + std::fabs(t - 0.5) + std::fabs(s - 2.0), 1e-12);

    p = Kv3dPoint(7, 7, 7);
    const Kv3dLine c(Kv3dPoint(0, 0, 0), Kv3dVector(1, 0, 0)),
        d(Kv3dPoint(0, 0, 1), Kv3dVector(0, 1, 0));
    EXPECT_EQ(c.intersect(d, &p, &t, &s), Kv3d::SKEW);
    EXPECT_TRUE(p.x() == 7 && t == 0 && s == 0 && c.distance(d) == 1);  // no point when skew

    t = s = 7;
    const Kv3dVector along(2, 0, 0);
    EXPECT_EQ(c.intersect(Kv3dLine(Kv3dPoint(3, 0.0005, 0), along), &p, &t, &s), Kv3d::COINCIDENT);
    EXPECT_EQ(c.intersect(Kv3dLine(Kv3dPoint(3, 0.002, 0), along), &p, &t, &s), Kv3d::PARALLEL);
    EXPECT_EQ(Kv3dLine(Kv3dPoint(0, 0, 5), Kv3dVector()).intersect(c, &p, &t, &s), Kv3d::PARALLEL);
    EXPECT_TRUE(t == 7 && s == 7);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    Kv3dLine(Kv3dPoint(nan, 0, 0), Kv3dVector(1, nan, 0)).intersect(d, &p, &t, &s);
}

TEST(Line, NearestPointsOfRandomLinesFromBothSides) {
    std::mt19937 rng(41);
    std::uniform_real_distribution<double> u(-5, 5);
    for (int n = 0; n < 300; ++n) {
        const Kv3dLine a(Kv3dPoint(u(rng), u(rng), u(rng)), Kv3dVector(u(rng), u(rng), u(rng)));
        Kv3dLine b(Kv3dPoint(u(rng), u(rng), u(rng)), Kv3dVector(u(rng), u(rng), u(rng)));
        if (n % 2 == 1) b = Kv3dLine(a.evaluate(0.7) - b.vector() * 1.3, b.vector());  // meet
        if (a.parallel(b)) continue;
        double t = 0, s = 0, t2 = 0, s2 = 0;
        const Kv3d::IntersectionType r = a.intersect(b, nullptr, &t, &s);
        ASSERT_EQ(r, b.intersect(a, nullptr, &s2, &t2));
        ASSERT_LT(std::fabs(t - t2) + std::fabs(s - s2), 1e-9);
        // The nearest points differ by the common perpendicular.
        const Kv3dVector gap = b.evaluate(s) - a.evaluate(t);
        ASSERT_NEAR(gap.length(), a.distance(b), 1e-9);
        ASSERT_LT(std::fabs(gap % a.vector()) + std::fabs(gap % b.vector()), 1e-9);
        if (n % 2 == 1) {
            ASSERT_TRUE(r == Kv3d::INTERSECTING && std::fabs(t - 0.7) + std::fabs(s - 1.3) < 1e-9);
        }
    }
}

TEST(Line, BoxSlabTest) {
    const Kv3dBBox unit = box(0, 0, 0, 1, 1, 1);
    // Along an axis the line runs on, and for a degenerate line, the margin is 2 tol.
    EXPECT_TRUE(Kv3dLine(Kv3dPoint(0, 1.0015, 0.5), Kv3dVector(1, 0, 0)).intersect(unit));
    EXPECT_FALSE(Kv3dLine(Kv3dPoint(0, 1.0025, 0.5), Kv3dVector(1, 0, 0)).intersect(unit));
    EXPECT_TRUE(Kv3dLine(Kv3dPoint(1.0015, 0.5, 0.5), Kv3dVector()).intersect(unit));
    // An empty box holds nothing, though its sentinels span the model space.
    EXPECT_FALSE(Kv3dLine(Kv3dPoint(-3, -3, -3), Kv3dVector(1, 1, 1)).intersect(Kv3dBBox()));

    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(-1, 1);
    int inside = 0, outside = 0;
    for (int n = 0; n < 400; ++n) {
        const Kv3dPoint lo(u(rng), u(rng), u(rng));
        const Kv3dBBox b = box(lo.x(), lo.y(), lo.z(), lo.x() + 0.01 + std::fabs(u(rng)),
                               lo.y() + 0.01 + std::fabs(u(rng)), lo.z() + 0.5);
        Kv3dVector v(u(rng), u(rng), u(rng));
        if (n % 4 == 1) v[n % 3] = 0.0;  // runs along one slab
        v.normalize();
        // Half the lines pass within a few tolerances of the maximum corner.
        const Kv3dPoint through = n % 2
                                      ? b.bbmax() + Kv3dVector(u(rng), u(rng), u(rng)) * (4 * kTol)
                                      : Kv3dPoint(2 * u(rng), 2 * u(rng), 2 * u(rng));
        const Kv3dLine l(through - v * 3.0, v);
        const double g = min_excess(l, b);  // assert only clear of the tolerance band
        if (g < 0.5 * kTol) {
            ASSERT_TRUE(l.intersect(b)) << n;
            ++inside;
        } else if (g > 2.5 * kTol) {
            ASSERT_FALSE(l.intersect(b)) << n;
            ++outside;
        }
    }
    EXPECT_TRUE(inside > 50 && outside > 50);
}

TEST(Line, JournalText) {
    const Kv3dLine l(Kv3dPoint(1, 2, 3), Kv3dVector(0.5, 0, -1));
    std::ostringstream out, dbg;
    KvJournal j(out), d(dbg);
    j << l;
    EXPECT_EQ(out.str(), "Kv3dLine( Kv3dPoint( 1, 2, 3) , Kv3dVector( 0.5, 0, -1))");
    l.debug(d, static_cast<KvDebug>(1), false, 0);
    EXPECT_EQ(dbg.str(), "");
    l.debug(d, static_cast<KvDebug>(2), false, 2);
    EXPECT_EQ(dbg.str(),
              "  Kv3dLine( basepoint : Kv3dPoint( 1, 2, 3)\n"
              "            vector    : Kv3dVector( 0.5, 0, -1)\n"
              "          )          \n");
}

}  // namespace
