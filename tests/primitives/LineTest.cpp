#include <kv3d/kv3d.h>

#include <algorithm>
#include <cmath>
#include <sstream>

#include <gtest/gtest.h>

#include "support/RandomDraw.h"

namespace {

using P = Kv3dPoint;
using V = Kv3dVector;
const double kTol = 0.001;

// Largest per-axis excess of l(t) over the box (negative inside).
double excess(const Kv3dLine& l, const Kv3dBBox& b, double t) {
    const P p = l.evaluate(t);
    return std::max({b.bbmin().x() - p.x(), p.x() - b.bbmax().x(), b.bbmin().y() - p.y(),
                     p.y() - b.bbmax().y(), b.bbmin().z() - p.z(), p.z() - b.bbmax().z()});
}

TEST(Line, ProjectionContainmentAndApply) {
    const Kv3dLine l(P(1, 2, 3), P(4, 6, 8)), x(P(0, 0, 0), V(2, 0, 0)), zero(P(1, 1, 1), V());
    EXPECT_EQ(l.find_parameter(P(2.5, 4, 5.5)), 0.5) << "case: through two points";
    EXPECT_EQ(x.find_parameter(P(1, 5, 0)), 0.5) << "case: the foot of an off-line point";
    EXPECT_FALSE(x.contains(P(0.3, kTol, 0))) << "case: at tol (strict)";
    EXPECT_TRUE(x.contains(P(0.3, std::nextafter(kTol, 0.0), 0))) << "case: just inside tol";
    EXPECT_EQ(zero.find_parameter(P(5, 5, 5)), 0) << "case: zero vector";
    const double m[16] = {2, 0, 0, 1, 0, 2, 0, 2, 0, 0, 2, 3, 0, 0, 0, 1};
    Kv3dLine moved(P(1, 1, 1), V(0, 1, 0));
    moved.apply(Kv3dTransform(m));
    EXPECT_TRUE(moved.basepoint().geom_equal(P(3, 4, 5))) << "case: the basepoint moves";
    EXPECT_TRUE(moved.vector().geom_equal(V(0, 2, 0))) << "case: the vector takes no translation";
}

TEST(Line, BoxSlabTest) {
    Kv3dBBox unit(P(0, 0, 0));
    unit.update_bbox(P(1, 1, 1));
    // Along an axis the line runs on, and for a degenerate line, the margin is 2 tol.
    EXPECT_TRUE(Kv3dLine(P(0, 1.0015, 0.5), V(1, 0, 0)).intersect(unit)) << "case: 1.5 tol off";
    EXPECT_FALSE(Kv3dLine(P(0, 1.0025, 0.5), V(1, 0, 0)).intersect(unit)) << "case: 2.5 tol off";
    EXPECT_TRUE(Kv3dLine(P(1.0015, 0.5, 0.5), V()).intersect(unit)) << "case: degenerate line";
    // An empty box holds nothing, though its sentinels span the model space.
    EXPECT_FALSE(Kv3dLine(P(-3, -3, -3), V(1, 1, 1)).intersect(Kv3dBBox())) << "case: empty box";

    RandomDraw d(7);
    int inside = 0, outside = 0;
    for (int n = 0; n < 400; ++n) {
        Kv3dBBox b(d.point(1));
        b.update_bbox(b.bbmin() + V(0.01 + d.uniform(0, 1), 0.01 + d.uniform(0, 1), 0.5));
        V v = d.vector(1);
        if (n % 4 == 1) v[n % 3] = 0.0;  // runs along one slab
        v.normalize();
        // Half the lines pass within a few tolerances of the maximum corner.
        const Kv3dLine l((n % 2 ? b.bbmax() + d.vector(4 * kTol) : d.point(2)) - v * 3.0, v);
        // The least excess: a coarse scan, then a fine one around the best
        // sample, between whose neighbours the minimum of the convex excess lies.
        double g = 1e300, best = 0;
        for (double t = -12; t < 12; t += 1e-2)
            if (excess(l, b, t) < g) g = excess(l, b, best = t);
        for (double t = best - 1e-2; t < best + 1e-2; t += 2e-5) g = std::min(g, excess(l, b, t));
        if (g < 0.5 * kTol || g > 2.5 * kTol) {  // clear of the tolerance band
            ASSERT_EQ(l.intersect(b), g < 0.5 * kTol) << "case: draw " << n;
            ++(g < 0.5 * kTol ? inside : outside);
        }
    }
    EXPECT_GT(inside, 50) << "case: lines meeting the box";
    EXPECT_GT(outside, 50) << "case: lines missing the box";
}

TEST(Line, JournalText) {
    std::ostringstream out;
    KvJournal j(out);
    const Kv3dLine l(P(1, 2, 3), V(0.5, 0, -1));
    j << l << Kv3dRay(P(1, 2, 3), Kv3dDirection(0, -1, 0));
    l.debug(j, static_cast<KvDebug>(1), false, 0);
    l.debug(j, static_cast<KvDebug>(2), false, 1);
    Kv3dRay().debug(j, static_cast<KvDebug>(2), false, 0);
    EXPECT_EQ(out.str(),
              "Kv3dLine( Kv3dPoint( 1, 2, 3) , Kv3dVector( 0.5, 0, -1))"
              "Kv3dRay( Kv3dPoint( 1, 2, 3) , Kv3dDirection( 0, -1, 0))"
              " Kv3dLine( basepoint : Kv3dPoint( 1, 2, 3)\n"
              "           vector    : Kv3dVector( 0.5, 0, -1)\n"
              "         )          \n"
              "Kv3dRay( point        : Kv3dPoint( 0, 0, 0)\n"
              "         direction    : Kv3dDirection( 0, 0, 1)\n"
              "        )          \n");
}

TEST(Ray, DistanceBehindTheOrigin) {
    const Kv3dRay r(P(0, 0, 0), Kv3dDirection(1, 0, 0));
    EXPECT_EQ(r.distance(P(-5, 3, 0)), 3) << "case: behind the origin, as a line";
    EXPECT_EQ(r.find_parameter(P(-5, 3, 0)), -5) << "case: behind the origin, as a line";
}

}  // namespace
