// Kv3dLine and Kv3dRay. Kv3dLine::intersect(const Kv3dLine&) is compared
// with a literal version: the distance through Kv3dVector::parallel and the
// unit normal, then the frame (l.basepoint; l.vector, l.vector x vector,
// vector), its transform to local coordinates by the general inversion
// through kvla_inverse_by_svd (the zero matrix below rank 4), and the point
// rule. Types and written outputs must agree exactly, parameters to within
// the rounding of the two computations.

#include <kv3d/kv3d.h>
#include <kvla/KvLaInverse.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "support/Around.h"
#include "support/InverseSpread.h"
#include "support/RandomDraw.h"
#include "support/ResolutionGuard.h"

namespace {

using P = Kv3dPoint;
using V = Kv3dVector;
const double kEps = std::numeric_limits<double>::epsilon();
const double kNan = std::numeric_limits<double>::quiet_NaN();
const double kTol = 0.001;

struct Answer {
    Kv3d::IntersectionType type = Kv3d::SKEW;
    bool point_written = false;
    double t = 7.0, a = 7.0;
    // Bounds for |t - t'| and |a - a'| against another inversion of the frame.
    double t_bound = 0.0, a_bound = 0.0;
};

Answer literal(const Kv3dLine& m, const Kv3dLine& l) {
    Answer r;
    const V &v = m.vector(), &u = l.vector();
    const P &q = m.basepoint(), &p = l.basepoint();
    const bool parallel = v.parallel(u);
    const double delta =
        parallel ? p.distance(m.image(p)) : std::fabs((v * u).direction() % (p - q));
    const bool near = Kv3dResObj::same_point_tol() > delta;
    if (parallel) {
        r.type = near ? Kv3d::COINCIDENT : Kv3d::PARALLEL;
        return r;
    }
    r.type = near ? Kv3d::INTERSECTING : Kv3d::SKEW;
    const Kv3dTransform frame(Kv3dCoordSys(p, u, u * v, v));
    const double* f = frame.as_matrix();
    KvLaDblMat fm(4, 4, 0.0), inverse;
    for (int k = 0; k < 16; ++k) fm(k / 4, k % 4) = f[k];
    int rank = 0;
    double m_inv[16] = {};
    const bool regular = kvla_inverse_by_svd(fm, inverse, 1e-15, &rank) && rank == 4;
    for (int k = 0; k < 12 && regular; ++k) m_inv[k] = inverse(k / 4, k % 4);
    m_inv[15] = regular ? 1.0 : 0.0;
    double local[3] = {q.x(), q.y(), q.z()};
    Kv3dTransform::multiply(m_inv, Kv3dTransform::POINT_RECORD, 1, 3, 1, local);
    r.t = -local[2];
    r.a = local[0];
    r.point_written = near;
    // The scale of the terms the point rule adds, and the spread of two LU
    // inverses carried through it (see support/InverseSpread.h).
    if (regular) {
        const KvLaDblMat g = inverse_spread::lu_magnitude(fm);
        const double qh[4] = {q.x(), q.y(), q.z(), 1.0};
        for (int i : {0, 2}) {
            double terms = 0.0, spread = 0.0;
            for (int k = 0; k < 4; ++k) terms += std::fabs(inverse(i, k) * qh[k]);
            for (int x = 0; x < 64; ++x) {
                const int j = x / 16, n = x / 4 % 4, k = x % 4;
                spread += std::fabs(inverse(i, j)) * g(j, n) * std::fabs(inverse(n, k)) *
                          std::fabs(qh[k]);
            }
            (i == 0 ? r.a_bound : r.t_bound) = 8.0 * kEps * (terms + spread);
        }
    }
    return r;
}

void expect_agreement(const std::string& name, const Kv3dLine& m, const Kv3dLine& l) {
    P at(7, 7, 7);
    double t = 7.0, a = 7.0;
    const Kv3d::IntersectionType type = m.intersect(l, &at, &t, &a);
    const Answer e = literal(m, l);
    EXPECT_EQ(type, e.type) << "case: " << name;
    EXPECT_EQ(!(at.x() == 7 && at.y() == 7 && at.z() == 7), e.point_written) << "case: " << name;
    if (e.type == Kv3d::COINCIDENT || e.type == Kv3d::PARALLEL) {
        EXPECT_EQ(t, 7.0) << "case: " << name << " (t_this not written)";
        EXPECT_EQ(a, 7.0) << "case: " << name << " (t_other not written)";
        return;
    }
    if (!std::isfinite(e.t) || !std::isfinite(e.a)) {
        EXPECT_EQ(std::isnan(t), std::isnan(e.t)) << "case: " << name;
        return;
    }
    EXPECT_LE(std::fabs(t - e.t), e.t_bound) << "case: " << name << " (t_this)";
    EXPECT_LE(std::fabs(a - e.a), e.a_bound) << "case: " << name << " (t_other)";
    if (e.point_written) {
        EXPECT_EQ(at.x(), m.evaluate(t).x()) << "case: " << name << " (point is evaluate(t))";
    }
}

// Random lines, lines through a common point with offsets around the point
// tolerance, nearly parallel lines around the angle tolerance, lines far out
// at the model extent and beyond it; then degenerate and non-finite lines.
TEST(LineIntersectOracle, AgreesWithTheFrameTransform) {
    RandomDraw d(8);
    for (int trial = 0; trial < 20000; ++trial) {
        const int kind = trial % 5;
        const std::string name = std::to_string(trial);
        const double range = kind == 3 ? 8000.0 : (kind == 4 ? 1e7 : 1.0);
        const P o = d.point(range);
        V u = d.unit() * d.uniform(0.01, 10);
        const V v = d.unit() * d.uniform(0.01, 10);
        if (kind == 2) {
            // Between about 1e-9 and 1e-5 rad off parallel, around the angle
            // tolerance (1e-7 rad).
            const V across = (v * d.unit()).direction() * 1.0;
            u = v * d.uniform(-3, 3) + across * (v.length() * std::pow(10.0, d.uniform(-9, -5)));
        }
        // Through o, or kept apart along the common normal by about the
        // point tolerance.
        const double gap = kind == 1 ? 1e-3 * std::pow(10.0, d.uniform(-0.1, 0.1)) : 0.0;
        const V normal = (v * u).direction() * gap;
        const P q = kind == 0 ? d.point(1) : o + v * d.uniform(-2, 2);
        const P p = kind == 0 ? d.point(1) : o + normal + u * d.uniform(-2, 2);
        const Kv3dLine m(q, v), l(p, u);
        expect_agreement("random " + name, m, l);
        expect_agreement("swapped " + name, l, m);
    }
    const Kv3dLine x(P(0, 0, 0), V(1, 0, 0));
    const Kv3dLine degenerate[] = {
        Kv3dLine(P(0, 0, 0), V(0, 0, 0)),         Kv3dLine(P(0, 1, 0), V(1e-4, 0, 0)),
        Kv3dLine(P(0, 1, 0), V(kNan, 1, 0)),      Kv3dLine(P(kNan, 1, 0), V(0, 1, 0)),
        Kv3dLine(P(0, 1, 0), V(0, HUGE_VAL, 0)),  Kv3dLine(P(1e300, 1, 0), V(0, 1, 1)),
        Kv3dLine(P(0, 1, 0), V(0, 1e-30, 1e-30)), Kv3dLine(P(0, 0, 1), V(0, 1e200, 0)),
    };
    for (int k = 0; k < 8; ++k) {
        expect_agreement("degenerate #" + std::to_string(k), x, degenerate[k]);
        expect_agreement("degenerate swapped #" + std::to_string(k), degenerate[k], x);
    }
}

// The nearness threshold, strict: beside the x axis, z0 apart along z, a
// line along y and one along x (the distance is exactly |z0|).
TEST(LineIntersectOracle, NearnessThresholdIsStrict) {
    const Kv3dLine x(P(0, 0, 0), V(1, 0, 0));
    for (const Neighbour& z0 : around(Kv3dResObj::same_point_tol())) {
        const bool near = z0.value < Kv3dResObj::same_point_tol();
        const Kv3dLine crossing(P(0, 0, z0.value), V(0, 1, 0)),
            along(P(3, 0, z0.value), V(2, 0, 0));
        EXPECT_EQ(x.intersect(crossing, nullptr, nullptr, nullptr),
                  near ? Kv3d::INTERSECTING : Kv3d::SKEW)
            << "case: crossing, " << z0.name;
        EXPECT_EQ(x.intersect(along, nullptr, nullptr, nullptr),
                  near ? Kv3d::COINCIDENT : Kv3d::PARALLEL)
            << "case: parallel, " << z0.name;
    }
}

// Frames the closed form cannot prove regular go the literal way: a smaller
// angle tolerance lets lines within 3e-8 rad of parallel through (closer
// ones count as parallel by the widened cosine bound), far from the origin,
// down to frames the rank test finds singular (both parameters 0).
TEST(LineIntersectOracle, NearlySingularFramesTakeTheGeneralInversion) {
    ResolutionGuard guard(1e-3, 1e-14, 8000.0);
    RandomDraw d(21);
    int singular = 0;
    for (int trial = 0; trial < 2000; ++trial) {
        const double angle = std::pow(10.0, d.uniform(-7.5, -5));
        const P base = d.point(trial % 3 == 0 ? 1.0 : (trial % 3 == 1 ? 1e6 : 1e9));
        const Kv3dLine m(base, V(1, 0, 0) * d.uniform(0.5, 2));
        const Kv3dLine l(base + V(0, 0, 1e-4) + V(0.3, 0.2, 0),
                         V(std::cos(angle), std::sin(angle), 0));
        expect_agreement("angle " + std::to_string(angle) + " #" + std::to_string(trial), m, l);
        double t = 7.0, a = 7.0;
        m.intersect(l, nullptr, &t, &a);
        singular += t == 0.0 && a == 0.0 ? 1 : 0;
    }
    EXPECT_GT(singular, 0) << "case: some frames are singular to the rank test";
}

// Largest per-axis excess of l(t) over the box (negative inside).
double excess(const Kv3dLine& l, const Kv3dBBox& b, double t) {
    const P p = l.evaluate(t);
    return std::max({b.bbmin().x() - p.x(), p.x() - b.bbmax().x(), b.bbmin().y() - p.y(),
                     p.y() - b.bbmax().y(), b.bbmin().z() - p.z(), p.z() - b.bbmax().z()});
}

// A ray measures behind its origin as a line does.
TEST(Line, ProjectionContainmentApplyAndJournalText) {
    const Kv3dLine l(P(1, 2, 3), P(4, 6, 8)), x(P(0, 0, 0), V(2, 0, 0)), zero(P(1, 1, 1), V());
    const Kv3dRay r(P(0, 0, 0), Kv3dDirection(1, 0, 0));
    EXPECT_EQ(r.distance(P(-5, 3, 0)), 3) << "case: ray, behind the origin";
    EXPECT_EQ(r.find_parameter(P(-5, 3, 0)), -5) << "case: ray, behind the origin";
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
    std::ostringstream out;
    KvJournal j(out);
    const Kv3dLine shown(P(1, 2, 3), V(0.5, 0, -1));
    j << shown << Kv3dRay(P(1, 2, 3), Kv3dDirection(0, -1, 0));
    shown.debug(j, static_cast<KvDebug>(1), false, 0);
    shown.debug(j, static_cast<KvDebug>(2), false, 1);
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

}  // namespace
