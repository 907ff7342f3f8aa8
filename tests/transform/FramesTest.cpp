#include "TransformTestUtil.h"

#include <kv3d/Kv3dPlane.h>

using namespace xf_test;

namespace {

const double kPi = 3.141592653589793;

bool all_zero(const Kv3dTransform& T) {
    for (int i = 0; i < 16; ++i) {
        if (T.as_matrix()[i] != 0.0) {
            return false;
        }
    }
    return true;
}

Kv3dPoint moved(const Kv3dTransform& T, Kv3dPoint p) { return p.apply(T); }

Kv3dPoint at(const Kv3dCoordSys& c, double u, double v, double w) {
    return c.evaluate(KvUVWPar(u, v, w));
}

}  // namespace

TEST(Frames, ScrewMotion) {
    const Kv3dTransform T(Kv3dPoint(), Kv3dVector(0, 0, 1), kPi / 2, 0.0);
    EXPECT_TRUE(T.is_orthonormal());
    expect_near(moved(T, Kv3dPoint(1, 0, 0)), Kv3dPoint(0, 1, 0), 1e-15);
    const Kv3dTransform S(Kv3dPoint(), Kv3dVector(0, 0, 1), kPi / 2, 5.0);
    expect_near(moved(S, Kv3dPoint(1, 0, 0)), Kv3dPoint(0, 1, 5), 1e-15);
    const Kv3dTransform H(Kv3dPoint(1, 1, 0), Kv3dVector(0, 0, 2), kPi, 0.0);
    expect_near(moved(H, Kv3dPoint(2, 1, 0)), Kv3dPoint(0, 1, 0), 1e-15);
    // A zero axis gives no frame: the motion stays about the global z axis.
    const Kv3dTransform Z(Kv3dPoint(4, 4, 4), Kv3dVector(), kPi / 2, 3.0);
    expect_near(moved(Z, Kv3dPoint(1, 0, 0)), Kv3dPoint(0, 1, 3), 1e-15);

    std::mt19937 rng(37);
    std::uniform_real_distribution<double> angle(-kPi, kPi);
    for (int i = 0; i < 50; ++i) {
        const Kv3dPoint p = random_point(rng);
        const Kv3dVector axis = random_vector(rng);
        const double a = angle(rng);
        const double shift = angle(rng);
        const Kv3dTransform M(p, axis, a, shift);
        const Kv3dPoint q = random_point(rng);
        const Kv3dPoint expected =
            (p + Kv3d_rotate_vector(q - p, axis, a)) + axis * (shift / axis.length());
        expect_near(moved(M, q), expected, 1e-11);
        Kv3dTransform back = M;
        ASSERT_TRUE(back.invert());
        expect_near(moved(back, moved(M, q)), q, 1e-11);
    }
}

TEST(Frames, OneSystemBothWays) {
    std::mt19937 rng(41);
    const Kv3dCartesCoordSys c(random_point(rng), random_vector(rng), random_vector(rng));
    const Kv3dCoordSys g(random_point(rng), random_vector(rng), random_vector(rng),
                         random_vector(rng));
    const Kv3dTransform L(c);
    const Kv3dTransform G(c, Kv3dTransform::GLOBAL_TO_LOCAL);
    EXPECT_TRUE(L.is_orthonormal());
    EXPECT_TRUE(G.is_orthonormal());
    const Kv3dTransform Lg(g, Kv3dTransform::LOCAL_TO_GLOBAL);
    const Kv3dTransform Gg(g, static_cast<Kv3dTransform::TransDirection>(7));
    EXPECT_FALSE(Lg.is_orthonormal());
    for (int i = 0; i < 20; ++i) {
        const Kv3dPoint u = random_point(rng, 3.0);
        expect_near(moved(L, u), at(c, u.x(), u.y(), u.z()), 1e-12);
        expect_near(moved(G, at(c, u.x(), u.y(), u.z())), u, 1e-12);
        expect_near(moved(Lg, u), at(g, u.x(), u.y(), u.z()), 1e-12);
        expect_near(moved(Gg, at(g, u.x(), u.y(), u.z())), u, 1e-9);
    }
    // Linearly dependent axes: the inverse is the zero matrix.
    const Kv3dCoordSys dep(Kv3dPoint(1, 2, 3), Kv3dVector(1, 0, 0), Kv3dVector(2, 0, 0),
                           Kv3dVector(0, 0, 1));
    const Kv3dTransform D(dep, Kv3dTransform::GLOBAL_TO_LOCAL);
    EXPECT_TRUE(all_zero(D));
    EXPECT_FALSE(D.is_orthonormal());
    EXPECT_FALSE(all_zero(Kv3dTransform(dep, Kv3dTransform::LOCAL_TO_GLOBAL)));
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
                const Kv3dPoint u = random_point(rng, 2.0);
                expect_near(moved(T, at(*from, u.x(), u.y(), u.z())), at(*to, u.x(), u.y(), u.z()),
                            1e-8);
            }
        }
    }
    const Kv3dCoordSys dep(Kv3dPoint(), Kv3dVector(1, 1, 0), Kv3dVector(2, 2, 0),
                           Kv3dVector(0, 0, 1));
    const Kv3dTransform Z(dep, Kv3dCartesCoordSys());
    EXPECT_TRUE(all_zero(Z));
    EXPECT_FALSE(Z.is_orthonormal());
}

TEST(Frames, ScalingPerpendicularToAPlane) {
    const Kv3dPlane plane(Kv3dPoint(0, 0, 1), Kv3dVector(1, 0, 0), Kv3dVector(0, 1, 1));
    const Kv3dPoint above(3, -1, 5);  // 5 / sqrt(2) along the normal (0, -1, 1) / sqrt(2)
    const Kv3dTransform M(plane, -1.0);
    EXPECT_TRUE(M.is_orthonormal());
    EXPECT_FALSE(M.is_orient_preserving());
    expect_near(moved(M, above), Kv3dPoint(3, 4, 0), 1e-12);
    const Kv3dTransform P(plane, 0.0);
    EXPECT_FALSE(P.is_orthonormal());
    expect_near(moved(P, above), Kv3dPoint(3, 1.5, 2.5), 1e-12);
    const Kv3dTransform One(plane, 1.0);
    EXPECT_TRUE(One.is_orthonormal());
    expect_near(moved(One, above), above, 1e-12);

    // A factor other than +-1 is not marked, so its inverse is the true one.
    Kv3dTransform D(plane, 2.0);
    EXPECT_FALSE(D.is_orthonormal());
    expect_near(moved(D, above), Kv3dPoint(3, -3.5, 7.5), 1e-12);
    ASSERT_TRUE(D.invert());
    expect_near(moved(D, Kv3dPoint(3, -3.5, 7.5)), above, 1e-12);
}
