#include "TransformTestUtil.h"

#include <kv3d/Kv3dPlane.h>

using namespace xf_test;

// The screw motion and the scaling perpendicular to a plane are checked
// against the literal conjugations in TransformInverseTest.cpp; here their
// marks, which decide how they invert.
TEST(Frames, ScrewMotionAndPlaneScalingMarks) {
    EXPECT_TRUE(Kv3dTransform(P(1, 1, 0), V(0, 0, 2), kPi / 2, 5.0).is_orthonormal())
        << "case: screw motion";
    const Kv3dPlane plane(P(0, 0, 1), V(1, 0, 0), V(0, 1, 1));
    EXPECT_TRUE(Kv3dTransform(plane, -1.0).is_orthonormal()) << "case: mirror";
    EXPECT_FALSE(Kv3dTransform(plane, -1.0).is_orient_preserving()) << "case: mirror";
    EXPECT_FALSE(Kv3dTransform(plane, 0.0).is_orthonormal()) << "case: projection";
    EXPECT_TRUE(Kv3dTransform(plane, 1.0).is_orthonormal()) << "case: factor 1";
    EXPECT_FALSE(Kv3dTransform(plane, 2.0).is_orthonormal()) << "case: factor 2";
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
                EXPECT_EQ(T.is_orthonormal(), from->is_cartesian() && to->is_cartesian())
                    << "case: draw " << i;
                expect_near(moved(T, at(*from, u)), at(*to, u), 1e-8);
            }
        }
    }
}
