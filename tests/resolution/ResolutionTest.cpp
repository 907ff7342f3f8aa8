// The tolerance rules at other resolutions, sizes and places: every test runs
// in each world of point tolerance 1e-6, 1e-3 and 0.1, geometry of size 1e-2,
// 1 and 1e3, at the origin and 5000 from it (worlds whose geometry is not
// well above the tolerance are left out: there every shape is a point).
// Offsets are multiples of the tolerance along unit directions, so the rules
// read the same everywhere: 0.9 tol apart is the same, 1.1 tol apart is not.

#include <kv3d/kv3d.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/ResolutionGuard.h"

namespace {

using P = Kv3dPoint;
using V = Kv3dVector;
using D = Kv3dDirection;

struct World {
    double tol, size;
    P centre;
    std::string name;
};

std::vector<World> worlds() {
    std::vector<World> all;
    for (double tol : {1e-6, 1e-3, 0.1}) {
        for (double size : {1e-2, 1.0, 1e3}) {
            if (size < 100 * tol) continue;
            for (const P& c : {P(), P(3000, 4000, 0)}) {
                all.push_back({tol, size, c,
                               "tol " + std::to_string(tol) + ", size " + std::to_string(size) +
                                   (c.x() == 0 ? ", at the origin" : ", 5000 out")});
            }
        }
    }
    return all;
}

// Unit vectors, tilted off every axis.
const V kA = V(2, -1, 2) * (1.0 / 3), kB = V(1, 2, 0) * (1.0 / std::sqrt(5.0));
const V kN = kA * kB;  // unit, perpendicular to both

// Inside and just outside the tolerance.
const struct {
    const char* name;
    double f;
    bool within;
} kOffsets[] = {{"0.9 tol", 0.9, true}, {"1.1 tol", 1.1, false}};

TEST(Resolution, PointsVectorsAndBoxes) {
    for (const World& w : worlds()) {
        ResolutionGuard guard(w.tol, 1e-7, 8000);
        const P p = w.centre + kA * (0.3 * w.size);
        Kv3dBBox box(w.centre);
        box.update_bbox(w.centre + V(w.size, w.size, w.size));
        for (const auto& o : kOffsets) {
            const std::string name = w.name + ", " + o.name;
            const double d = o.f * w.tol;
            EXPECT_EQ(p.geom_equal(p + kN * d), o.within) << "case: points, " << name;
            EXPECT_EQ((kB * d).geom_zero(), o.within) << "case: vector, " << name;
            EXPECT_EQ(box.contains(box.bbmax() + V(0, d, 0)), o.within)
                << "case: box corner, " << name;
            EXPECT_EQ(box.contains(w.centre + V(0.5 * w.size, -d, 0.5 * w.size)), o.within)
                << "case: box face, " << name;
        }
    }
}

TEST(Resolution, LinesAndPlanesContainPointsWithinTol) {
    for (const World& w : worlds()) {
        ResolutionGuard guard(w.tol, 1e-7, 8000);
        const Kv3dLine line(w.centre, kA * w.size);
        const Kv3dPlane plane(w.centre, kA * w.size, kB * w.size);
        const P on = w.centre + kA * (0.7 * w.size) + kB * (0.2 * w.size);
        EXPECT_TRUE(plane.contains(on)) << "case: in the plane, " << w.name;
        EXPECT_NEAR(line.find_parameter(w.centre + kA * (0.7 * w.size)), 0.7, 1e-9)
            << "case: line parameter, " << w.name;
        for (const auto& o : kOffsets) {
            const std::string name = w.name + ", " + o.name;
            const double d = o.f * w.tol;
            EXPECT_EQ(line.contains(w.centre + kA * (0.7 * w.size) + kN * d), o.within)
                << "case: line, " << name;
            EXPECT_EQ(plane.contains(on + kN * d), o.within) << "case: plane, " << name;
        }
    }
}

TEST(Resolution, LineLineAndPlaneLineIntersections) {
    for (const World& w : worlds()) {
        ResolutionGuard guard(w.tol, 1e-7, 8000);
        const P x = w.centre + kB * (0.5 * w.size);  // where the lines cross
        const Kv3dLine a(x - kA * w.size, kA * w.size);
        const Kv3dPlane plane(w.centre, kA * w.size, kB * w.size);
        const V across = V((kA + kB * 2.0).direction(), 1.0),
                slanted = V((kA + kN).direction(), 1.0);
        for (const auto& o : kOffsets) {
            const std::string name = w.name + ", " + o.name;
            const double d = o.f * w.tol;
            P at;
            const Kv3d::IntersectionType crossing = a.intersect(
                Kv3dLine(x + kN * d + across * w.size, across * w.size), &at, nullptr, nullptr);
            EXPECT_EQ(crossing, o.within ? Kv3d::INTERSECTING : Kv3d::SKEW)
                << "case: crossing lines, " << name;
            if (o.within) {
                EXPECT_LT(at.distance(x), w.tol) << "case: crossing point, " << name;
            }
            EXPECT_EQ(
                a.intersect(Kv3dLine(x + kN * d, kA * (-2 * w.size)), nullptr, nullptr, nullptr),
                o.within ? Kv3d::COINCIDENT : Kv3d::PARALLEL)
                << "case: parallel lines, " << name;
            EXPECT_EQ(plane.intersect(Kv3dLine(x + kN * d, kB * w.size), nullptr, nullptr, nullptr),
                      o.within ? Kv3d::CONTAINED : Kv3d::PARALLEL)
                << "case: line along the plane, " << name;
        }
        P at;
        ASSERT_EQ(plane.intersect(Kv3dLine(x + slanted * w.size, slanted * w.size), &at, nullptr,
                                  nullptr),
                  Kv3d::INTERSECTING)
            << "case: slanted line, " << w.name;
        EXPECT_LT(at.distance(x), 0.1 * w.tol) << "case: slanted line, " << w.name;
    }
}

// The sphere holds every point, whatever the scale and the distance from the
// origin (its own tolerance is fixed, not the point tolerance).
TEST(Resolution, EnclosingSphere) {
    for (const World& w : worlds()) {
        ResolutionGuard guard(w.tol, 1e-7, 8000);
        std::mt19937 rng(3);
        std::normal_distribution<double> g;
        KvArray<P> pts;
        for (int i = 0; i < 500; ++i) {  // on the sphere of radius size, and inside
            const V v = V(g(rng), g(rng), g(rng)).direction() * w.size;
            pts.append(w.centre + v * (i % 2 == 0 ? 1.0 : 0.5));
        }
        const Kv3dBSphere s(pts);
        EXPECT_TRUE(s.contains(pts)) << "case: " << w.name;
        // The least enclosing radius is at most size; the construction stays
        // within 1% of it at every scale and place.
        EXPECT_LE(s.radius(), 1.01 * w.size) << "case: " << w.name;
        EXPECT_GE(s.radius(), 0.9 * w.size) << "case: " << w.name;
    }
}

TEST(Resolution, PlaneFitConicFitAndRegistration) {
    for (const World& w : worlds()) {
        ResolutionGuard guard(w.tol, 1e-7, 8000);
        // An ellipse of half-axes 0.5 and 0.3 times the size in the plane of kA, kB.
        KvArray<P> ellipse;
        for (int i = 0; i < 5; ++i) {
            const double t = 1.2 * i;
            ellipse.append(w.centre + kA * (0.5 * w.size * std::cos(t)) +
                           kB * (0.3 * w.size * std::sin(t)));
        }
        const Kv3dPlane fitted = Kv3d_fit_plane_to_points(ellipse);
        EXPECT_TRUE(fitted.normal().parallel(D(kN.x(), kN.y(), kN.z())))
            << "case: plane normal, " << w.name;
        for (const P& p : ellipse) EXPECT_TRUE(fitted.contains(p)) << "case: plane, " << w.name;

        int type = -9;
        double a = 0, b = 0;
        Kv3dTransform T;
        ASSERT_TRUE(Kv3d_conic_from_points_and_tangents(ellipse, type, a, b, T, nullptr, nullptr))
            << "case: conic, " << w.name;
        EXPECT_EQ(type, 0) << "case: conic, " << w.name;
        EXPECT_NEAR(a, 0.5 * w.size, 1e-9 * w.size) << "case: conic a, " << w.name;
        EXPECT_NEAR(b, 0.3 * w.size, 1e-9 * w.size) << "case: conic b, " << w.name;

        // A rigid motion about the centre: the fit maps every source within tol.
        const Kv3dTransform motion(w.centre, kN, 0.8, 0.25 * w.size);
        KvArray<KvPair<P, P>> pairs;
        for (const P& p : ellipse) pairs.append(KvPair<P, P>(p + kN * (0.2 * w.size), P()));
        for (KvPair<P, P>& pair : pairs) pair.second = P(pair.first).apply(motion);
        Kv3dTransform R;
        double rms = -1;
        ASSERT_TRUE(Kv3d_fit_transform_least_squares(pairs, Kv3dTransform::RIGID, R, &rms))
            << "case: registration, " << w.name;
        EXPECT_LT(rms, 0.01 * w.tol) << "case: registration, " << w.name;
        for (const KvPair<P, P>& pair : pairs)
            EXPECT_TRUE(P(pair.first).apply(R).geom_equal(pair.second))
                << "case: registration, " << w.name;
    }
}

}  // namespace
