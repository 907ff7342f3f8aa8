#include "TransformTestUtil.h"

#include <kv3d/Kv3dPlane.h>

using namespace xf_test;

TEST(Frames, ScrewMotion) {
    const Kv3dTransform T(P(1, 1, 0), V(0, 0, 2), kPi / 2, 5.0);
    EXPECT_TRUE(T.is_orthonormal());
    expect_near(moved(T, P(2, 1, 0)), P(1, 2, 5), 1e-15);
    // A zero axis gives no frame: the motion stays about the global z axis.
    expect_near(moved(Kv3dTransform(P(4, 4, 4), V(), kPi / 2, 3.0), P(1, 0, 0)), P(0, 1, 3), 1e-15);
    std::mt19937 rng(37);
    std::uniform_real_distribution<double> angle(-kPi, kPi);
    for (int i = 0; i < 30; ++i) {
        const P p = random_point(rng), q = random_point(rng);
        const V axis = random_vector(rng);
        const double a = angle(rng), shift = angle(rng);
        const P expected = (p + Kv3d_rotate_vector(q - p, axis, a)) + V(axis.direction(), shift);
        expect_near(moved(Kv3dTransform(p, axis, a, shift), q), expected, 1e-11);
    }
}

TEST(Frames, ChangeOfSystem) {
    // Any direction value but LOCAL_TO_GLOBAL goes back.
    const auto back = static_cast<Kv3dTransform::TransDirection>(7);
    std::mt19937 rng(43);
    for (int i = 0; i < 30; ++i) {
        SCOPED_TRACE("case: draw " + std::to_string(i));
        const Kv3dCartesCoordSys c1(random_point(rng), random_vector(rng), random_vector(rng));
        const Kv3dCartesCoordSys c2(random_point(rng), random_vector(rng), Kv3d::Y_AXIS);
        const Kv3dCoordSys g = random_system(rng);
        const Kv3dCoordSys* const systems[3] = {&c1, &c2, &g};
        for (const Kv3dCoordSys* from : systems) {
            const P u = random_point(rng, 2.0);
            const Kv3dTransform L(*from, Kv3dTransform::LOCAL_TO_GLOBAL);
            const Kv3dTransform G(*from, i % 2 ? back : Kv3dTransform::GLOBAL_TO_LOCAL);
            EXPECT_EQ(L.is_orthonormal(), from->is_cartesian()) << "case: draw " << i;
            EXPECT_EQ(G.is_orthonormal(), from->is_cartesian()) << "case: draw " << i;
            EXPECT_TRUE(same_matrix(L, Kv3dTransform(*from))) << "case: draw " << i;
            expect_near(moved(L, u), at(*from, u), 1e-12);
            expect_near(moved(G, at(*from, u)), u, 1e-8);
            for (const Kv3dCoordSys* to : systems) {
                const Kv3dTransform T(*from, *to);
                EXPECT_EQ(T.is_orthonormal(), from->is_cartesian() && to->is_cartesian());
                expect_near(moved(T, at(*from, u)), at(*to, u), 1e-8);
            }
        }
    }
    // Linearly dependent axes: the inverse is the zero matrix.
    const Kv3dCoordSys dep(P(1, 2, 3), V(1, 0, 0), V(2, 0, 0), V(0, 0, 1));
    EXPECT_TRUE(same_matrix(Kv3dTransform(dep, Kv3dTransform::GLOBAL_TO_LOCAL), kZero));
    EXPECT_TRUE(same_matrix(Kv3dTransform(dep, Kv3dCartesCoordSys()), kZero));
    // The zero matrix is not marked orthonormal, even towards a cartesian system
    // (invert() would take the transpose for its inverse).
    EXPECT_FALSE(Kv3dTransform(dep, Kv3dCartesCoordSys()).is_orthonormal())
        << "case: dependent axes to a cartesian system";
}

TEST(Frames, ScalingPerpendicularToAPlane) {
    // Normal (0, -1, 1) / sqrt(2); the point lies 5 / sqrt(2) above the plane.
    const Kv3dPlane plane(P(0, 0, 1), V(1, 0, 0), V(0, 1, 1));
    const P above(3, -1, 5);
    const Kv3dTransform M(plane, -1.0), Pr(plane, 0.0);
    EXPECT_TRUE(M.is_orthonormal()) << "case: mirror";
    EXPECT_FALSE(M.is_orient_preserving()) << "case: mirror";
    EXPECT_FALSE(Pr.is_orthonormal()) << "case: projection";
    EXPECT_TRUE(Kv3dTransform(plane, 1.0).is_orthonormal()) << "case: factor 1";
    expect_near(moved(M, above), P(3, 4, 0));
    expect_near(moved(Pr, above), P(3, 1.5, 2.5));
    // Other factors are not marked, so invert() finds the true inverse.
    Kv3dTransform D(plane, 2.0);
    EXPECT_FALSE(D.is_orthonormal());
    expect_near(moved(D, above), P(3, -3.5, 7.5));
    ASSERT_TRUE(D.invert());
    expect_near(moved(D, P(3, -3.5, 7.5)), above);
}
