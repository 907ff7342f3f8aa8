// The tolerance rules at other resolutions, sizes and places: every test runs
// in each world of point tolerance 1e-6, 1e-3 and 0.1, geometry of size 1e-2,
// 1 and 1e3, at the origin and 5000 from it (worlds whose geometry is not
// well above the tolerance are left out: there every shape is a point).
// Offsets are multiples of the tolerance along unit directions, so the rules
// read the same everywhere: 0.9 tol apart is the same, 1.1 tol apart is not.

#include <kv3d/kv3d.h>

#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "support/RandomDraw.h"
#include "support/ResolutionGuard.h"

namespace {

using P = Kv3dPoint;
using V = Kv3dVector;

struct World {
    double tol, size;
    P centre;
    std::string name;
};

// Runs test in every world, with the model resolution set to the world's.
template <class Test>
void for_each_world(Test test) {
    for (double tol : {1e-6, 1e-3, 0.1}) {
        for (double size : {1e-2, 1.0, 1e3}) {
            for (const P& c : {P(), P(3000, 4000, 0)}) {
                if (size < 100 * tol) continue;
                ResolutionGuard guard(tol, 1e-7, 8000);
                test(World{tol, size, c,
                           "tol " + std::to_string(tol) + ", size " + std::to_string(size) +
                               (c.x() == 0 ? ", at the origin" : ", 5000 out")});
            }
        }
    }
}

// Unit vectors, tilted off every axis.
const V kA = V(2, -1, 2) * (1.0 / 3), kB = V(1, 2, 0) * (1.0 / std::sqrt(5.0));
const V kN = kA * kB;  // unit, perpendicular to both

// Every predicate and every intersection that decides by the tolerance, at
// 0.9 tol (within) and 1.1 tol (beyond) across kA, the box and the plane.
TEST(Resolution, PredicatesAndIntersectionsAtTheTolerance) {
    for_each_world([](const World& w) {
        const P x = w.centre + kB * (0.5 * w.size);  // on the plane and the line a
        const Kv3dLine a(x - kA * w.size, kA * w.size);
        const Kv3dPlane plane(w.centre, kA * w.size, kB * w.size);
        const Kv3dBBox box(KvArray<P>{w.centre, w.centre + V(w.size, w.size, w.size)});
        const V across = V((kA + kB * 2.0).direction(), 1.0) * w.size;
        P at;
        for (double f : {0.9, 1.1}) {
            const bool within = f < 1.0;
            const std::string name = w.name + ", " + std::to_string(f) + " tol";
            const double d = f * w.tol;
            const Kv3dLine crossing(x + kN * d + across, across), along(x + kN * d, kA * -w.size);
            const Kv3d::IntersectionType meeting = a.intersect(crossing, &at, nullptr, nullptr);
            const struct {
                const char* what;
                bool got;
            } facts[] = {
                {"points", x.geom_equal(x + kN * d)},
                {"vector", (kB * d).geom_zero()},
                {"box corner", box.contains(box.bbmax() + V(0, d, 0))},
                {"box face", box.contains(w.centre + V(0.5 * w.size, -d, 0.5 * w.size))},
                {"line", a.contains(x + kA * (0.7 * w.size) + kN * d)},
                {"plane", plane.contains(x + kA * (0.2 * w.size) + kN * d)},
                {"crossing lines", meeting == Kv3d::INTERSECTING},
                {"parallel lines",
                 a.intersect(along, nullptr, nullptr, nullptr) == Kv3d::COINCIDENT},
                {"line along the plane", plane.intersect(Kv3dLine(x + kN * d, kB * w.size), nullptr,
                                                         nullptr, nullptr) == Kv3d::CONTAINED},
            };
            for (const auto& fact : facts) {
                EXPECT_EQ(fact.got, within) << "case: " << fact.what << ", " << name;
            }
            EXPECT_LT(within ? at.distance(x) : 0.0, w.tol) << "case: crossing point, " << name;
        }
        const V slanted = V((kA + kN).direction(), 1.0) * w.size;
        ASSERT_EQ(plane.intersect(Kv3dLine(x + slanted, slanted), &at, nullptr, nullptr),
                  Kv3d::INTERSECTING)
            << "case: slanted line, " << w.name;
        EXPECT_LT(at.distance(x), 0.1 * w.tol) << "case: slanted line, " << w.name;
    });
}

TEST(Resolution, EnclosingSphereAndPlaneFit) {
    for_each_world([](const World& w) {
        // The sphere holds every point, whatever the scale and the distance
        // from the origin (its own tolerance is fixed, not the point tolerance).
        RandomDraw d(3);
        KvArray<P> pts;
        for (int i = 0; i < 500; ++i)  // on the sphere of radius size, and inside
            pts.append(w.centre + d.unit() * (w.size / (1 + i % 2)));
        const Kv3dBSphere s(pts);
        EXPECT_TRUE(s.contains(pts)) << "case: sphere, " << w.name;
        // The least enclosing radius is at most size; the construction stays
        // within 1% of it at every scale and place.
        EXPECT_LE(s.radius(), 1.01 * w.size) << "case: sphere, " << w.name;

        // An ellipse of half-axes 0.5 and 0.3 times the size in the plane of kA, kB.
        KvArray<P> ellipse;
        for (double t = 0; t < 5; t += 1)
            ellipse.append(w.centre + kA * (0.5 * w.size * std::cos(1.2 * t)) +
                           kB * (0.3 * w.size * std::sin(1.2 * t)));
        const Kv3dPlane fitted = Kv3d_fit_plane_to_points(ellipse);
        EXPECT_TRUE(fitted.normal().parallel(Kv3dDirection(kN.as_array())))
            << "case: plane normal, " << w.name;
        for (const P& p : ellipse) EXPECT_TRUE(fitted.contains(p)) << "case: plane, " << w.name;
    });
}

}  // namespace
