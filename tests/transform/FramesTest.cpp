#include "TransformTestUtil.h"

#include <kv3d/Kv3dPlane.h>

using namespace xf_test;

namespace {

P at(const Kv3dCoordSys& c, const P& u) { return c.evaluate(KvUVWPar(u.x(), u.y(), u.z())); }

}  // namespace

TEST(Frames, ScrewMotion) {
    const Kv3dTransform T(P(), V(0, 0, 1), kPi / 2, 0.0);
    EXPECT_TRUE(T.is_orthonormal());
    expect_near(moved(T, P(1, 0, 0)), P(0, 1, 0), 1e-15);
    expect_near(moved(Kv3dTransform(P(), V(0, 0, 1), kPi / 2, 5.0), P(1, 0, 0)), P(0, 1, 5), 1e-15);
    expect_near(moved(Kv3dTransform(P(1, 1, 0), V(0, 0, 2), kPi, 0.0), P(2, 1, 0)), P(0, 1, 0),
                1e-15);
    // A zero axis gives no frame: the motion stays about the global z axis.
    expect_near(moved(Kv3dTransform(P(4, 4, 4), V(), kPi / 2, 3.0), P(1, 0, 0)), P(0, 1, 3), 1e-15);

    std::mt19937 rng(37);
    std::uniform_real_distribution<double> angle(-kPi, kPi);
    for (int i = 0; i < 50; ++i) {
        const P p = random_point(rng);
        const V axis = random_vector(rng);
        const double a = angle(rng);
        const double shift = angle(rng);
        const Kv3dTransform M(p, axis, a, shift);
        const P q = random_point(rng);
        const P expected = (p + Kv3d_rotate_vector(q - p, axis, a)) + V(axis.direction(), shift);
        expect_near(moved(M, q), expected, 1e-11);
    }
}

TEST(Frames, OneSystemBothWays) {
    std::mt19937 rng(41);
    const Kv3dCartesCoordSys c(random_point(rng), random_vector(rng), random_vector(rng));
    const Kv3dCoordSys g(random_point(rng), random_vector(rng), random_vector(rng),
                         random_vector(rng));
    const Kv3dTransform L(c);
    const Kv3dTransform G(c, Kv3dTransform::GLOBAL_TO_LOCAL);
    EXPECT_TRUE(L.is_orthonormal() && G.is_orthonormal());
    const Kv3dTransform Lg(g, Kv3dTransform::LOCAL_TO_GLOBAL);
    const Kv3dTransform Gg(g, static_cast<Kv3dTransform::TransDirection>(7));
    EXPECT_FALSE(Lg.is_orthonormal() || Gg.is_orthonormal());
    for (int i = 0; i < 20; ++i) {
        const P u = random_point(rng, 3.0);
        expect_near(moved(L, u), at(c, u), 1e-12);
        expect_near(moved(G, at(c, u)), u, 1e-12);
        expect_near(moved(Lg, u), at(g, u), 1e-12);
        expect_near(moved(Gg, at(g, u)), u, 1e-9);
    }
    // Linearly dependent axes: the inverse is the zero matrix.
    const Kv3dCoordSys dep(P(1, 2, 3), V(1, 0, 0), V(2, 0, 0), V(0, 0, 1));
    EXPECT_TRUE(all_zero(Kv3dTransform(dep, Kv3dTransform::GLOBAL_TO_LOCAL)));
    EXPECT_FALSE(all_zero(Kv3dTransform(dep, Kv3dTransform::LOCAL_TO_GLOBAL)));
    EXPECT_TRUE(all_zero(Kv3dTransform(dep, Kv3dCartesCoordSys())));
}

TEST(Frames, ChangeBetweenSystems) {
    std::mt19937 rng(43);
    for (int i = 0; i < 40; ++i) {
        const Kv3dCartesCoordSys c1(random_point(rng), random_vector(rng), random_vector(rng));
        const Kv3dCartesCoordSys c2(random_point(rng), random_vector(rng), Kv3d::Y_AXIS);
        const Kv3dCoordSys g(random_point(rng), random_vector(rng), random_vector(rng),
                             random_vector(rng));
        const Kv3dCoordSys* systems[3] = {&c1, &c2, &g};
        for (const Kv3dCoordSys* from : systems) {
            for (const Kv3dCoordSys* to : systems) {
                const Kv3dTransform T(*from, *to);
                EXPECT_EQ(T.is_orthonormal(), from->is_cartesian() && to->is_cartesian());
                const P u = random_point(rng, 2.0);
                expect_near(moved(T, at(*from, u)), at(*to, u), 1e-8);
            }
        }
    }
}

TEST(Frames, ScalingPerpendicularToAPlane) {
    // Normal (0, -1, 1) / sqrt(2); the point lies 5 / sqrt(2) above the plane.
    const Kv3dPlane plane(P(0, 0, 1), V(1, 0, 0), V(0, 1, 1));
    const P above(3, -1, 5);
    const Kv3dTransform M(plane, -1.0);
    EXPECT_TRUE(M.is_orthonormal());
    EXPECT_FALSE(M.is_orient_preserving());
    expect_near(moved(M, above), P(3, 4, 0));
    const Kv3dTransform Pr(plane, 0.0);
    EXPECT_FALSE(Pr.is_orthonormal());
    expect_near(moved(Pr, above), P(3, 1.5, 2.5));
    EXPECT_TRUE(Kv3dTransform(plane, 1.0).is_orthonormal());
    // Other factors are not marked, so invert() finds the true inverse.
    Kv3dTransform D(plane, 2.0);
    EXPECT_FALSE(D.is_orthonormal());
    expect_near(moved(D, above), P(3, -3.5, 7.5));
    ASSERT_TRUE(D.invert());
    expect_near(moved(D, P(3, -3.5, 7.5)), above);
}
