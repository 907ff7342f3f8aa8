#include <kv3d/kv3d.h>

#include <cmath>
#include <random>
#include <sstream>

#include <gtest/gtest.h>

namespace {

using P = Kv3dPoint;
using V = Kv3dVector;
using D = Kv3dDirection;
const double kTol = 0.001;

bool same(const V& a, const V& b) { return (a - b).length() == 0; }
bool same(const P& a, const P& b) { return a.distance(b) == 0; }

Kv3dBBox box(const P& a, const P& b) { return Kv3dBBox(KvArray<P>{a, b}); }

TEST(Plane, QueriesDegeneratePlanesAndJournalText) {
    const Kv3dPlane p;
    EXPECT_EQ(p.distance(P(1, 2, -3)), -3) << "case: signed distance";
    EXPECT_EQ(p.find_parameter(P(1, 2, 3)).v, 2) << "case: v of the foot";
    EXPECT_TRUE(Kv3dPlane(P(), V(0, 1, 0), V(1, 0, 0)).geom_equal(p)) << "case: opposite normals";
    EXPECT_FALSE(p.geom_equal(Kv3dPlane(P(0, 0, kTol), V(1, 0, 0), V(0, 1, 0)))) << "case: at tol";
    EXPECT_TRUE(p.contains(P(5, 5, std::nextafter(kTol, 0.0)))) << "case: just inside tol";
    EXPECT_FALSE(p.contains(P(5, 5, kTol))) << "case: at tol (strict)";
    const Kv3dPlane flat(P(), V(1, 0, 0), V(2, 0, 0));  // zero normal
    EXPECT_TRUE(flat.contains(P(4, 5, 6))) << "case: zero normal";
    EXPECT_EQ(flat.find_parameter(P(4, 5, 6)).u, 0) << "case: zero normal";
    const V zero;  // singular equations
    EXPECT_FALSE(std::isfinite(Kv3dPlane(P(), D(0, 0, 1), &zero).find_parameter(P(1, 1, 1)).u))
        << "case: zero u axis";
    Kv3dLine line;
    Kv3dPlane(P(std::nan(""), 0, 0), D(std::nan(""), 1, 0), nullptr).intersect(p, &line);
    EXPECT_FALSE(std::isfinite(line.basepoint().x())) << "case: NaN plane";
    std::ostringstream out;
    KvJournal j(out);
    j << Kv3dPlane();
    // In the debug text the basepoint line comes before the one that opens the parenthesis.
    Kv3dPlane().debug(j, static_cast<KvDebug>(2), false, 1);
    EXPECT_EQ(out.str(),
              "Kv3dPlane( Kv3dPoint( 0, 0, 0) , Kv3dDirection( 0, 0, 1) , Kv3dVector( 1, 0, 0) , "
              "Kv3dVector( 0, 1, 0))"
              "            basepoint: Kv3dPoint( 0, 0, 0)\n"
              " Kv3dPlane( normal   : Kv3dDirection( 0, 0, 1)\n"
              "            u_axis   : Kv3dVector( 1, 0, 0)\n"
              "            v_axis   : Kv3dVector( 0, 1, 0)\n"
              "          )\n");
}

// The axis normals, whose axes are exact; then the longest projection on xy,
// xz, yz, and a three-way tie (the first case wins): u_axis is the unit
// vector perpendicular to n without the component named.
TEST(Plane, AxesFromTheNormal) {
    const D n[] = {D(0, 0, 1),       D(1, 0, 0),       D(0, 1, 0), D(0.6, 0.8, 0.1),
                   D(0.6, 0.1, 0.8), D(0.1, 0.6, 0.8), D(1, 1, 1), D(1, 1, 2)};
    const int zero[] = {2, 2, 2, 2, 1, 0, 2, 1};  // (1, 1, 2): xz and yz tie, xz wins
    const V u_of[] = {V(-1, 0, 0), V(0, 1, 0), V(-1, 0, 0)},
            v_of[] = {V(0, -1, 0), V(0, 0, 1), V(0, 0, 1)};
    for (int i = 0; i < 8; ++i) {
        const Kv3dPlane q(P(1, 2, 3), n[i], nullptr);
        const V& u = q.u_axis();
        EXPECT_EQ(u[zero[i]], 0) << "case: normal " << i;
        EXPECT_NEAR(u.length(), 1, 1e-15) << "case: normal " << i;
        EXPECT_NEAR(u % n[i], 0, 1e-15) << "case: normal " << i;
        if (i > 2) continue;
        EXPECT_TRUE(same(u, u_of[i])) << "case: axis normal " << i;
        EXPECT_TRUE(same(q.v_axis(), v_of[i])) << "case: axis normal " << i;
    }
    const V given(1, 0, 1);  // projected into the plane
    EXPECT_TRUE(same(Kv3dPlane(P(), D(0, 0, 1), &given).u_axis(), {1, 0, 0})) << "case: given u";
}

TEST(Plane, Intersections) {
    const Kv3dPlane p;
    P x;
    KvUVPar uv;
    double t = 7;
    EXPECT_EQ(p.intersect(Kv3dLine(P(1, 1, 2 * kTol), V(1, 2, 0)), &x, &uv, &t), Kv3d::PARALLEL)
        << "case: line 2 tol above";
    EXPECT_EQ(t, 7) << "case: parallel writes nothing";
    // Skewed, unequal axes: (3, 2, 0) = 0.5 u + 2 v.
    const Kv3dPlane q(P(1, 1, 1), V(2, 0, 0), V(1, 1, 0));
    EXPECT_EQ(q.intersect(Kv3dLine(P(4, 3, 5), V(0, 0, 2)), &x, &uv, &t), Kv3d::INTERSECTING)
        << "case: crossing line";
    EXPECT_TRUE(same(x, {4, 3, 1})) << "case: crossing point";
    EXPECT_EQ(t, -2) << "case: crossing parameter";
    EXPECT_EQ(uv.u, 0.5) << "case: crossing u";
    EXPECT_EQ(uv.v, 2) << "case: crossing v";
    Kv3dLine line(P(7, 7, 7), V());
    const V ex(1, 0, 0), ey(0, 1, 0);
    EXPECT_EQ(p.intersect(Kv3dPlane(P(0, 0, 0.5 * kTol), ex, ey), &line), Kv3d::COINCIDENT)
        << "case: plane 0.5 tol above";
    EXPECT_EQ(p.intersect(Kv3dPlane(P(0, 0, 2 * kTol), ey, ex), &line), Kv3d::PARALLEL)
        << "case: plane 2 tol above";
    EXPECT_TRUE(same(line.basepoint(), {7, 7, 7})) << "case: parallel writes nothing";
    // The basepoint solves with the largest component k of the common direction
    // c set to zero: c = (0, -1, 0) gives k = y, c = (-1, 0, 0) k = x, and
    // |c_y| = |c_z| > |c_x| ties to k = z (the planes x = 1 and y - z = 3).
    const Kv3dPlane x1(P(1, 0, 0), D(1, 0, 0), nullptr);
    const struct {
        const char* name;
        Kv3dPlane a, b;
        P base;
    } ties[] = {{"k = y", p, x1, P(1, 0, 0)},
                {"k = x", p, Kv3dPlane(P(0, 3, 0), ex, V(0, 0, 1)), P(0, 3, 0)},
                {"c_y and c_z tie", x1, Kv3dPlane(P(0, 3, 0), D(0, 1, -1), nullptr), P(1, 3, 0)}};
    for (const auto& c : ties) {
        EXPECT_EQ(c.a.intersect(c.b, &line), Kv3d::INTERSECTING) << "case: " << c.name;
        EXPECT_LT(line.basepoint().distance(c.base), 1e-15) << "case: " << c.name;
    }
    // The common line lies in both planes, the same from either side.
    std::mt19937 rng(23);
    std::uniform_real_distribution<double> u(-10, 10);
    auto r = [&] { return V(u(rng), u(rng), u(rng)); };
    for (int n = 0; n < 300; ++n) {
        const Kv3dPlane a(P() + r(), r().direction(), nullptr), b(P() + r(), r(), r());
        Kv3dLine ab, ba;
        ASSERT_EQ(a.intersect(b, &ab), b.intersect(a, &ba)) << "case: draw " << n;
        for (const P& on : {ab.basepoint(), ab.evaluate(-3)}) {
            ASSERT_LT(std::fabs(a.distance(on)), 1e-9) << "case: on the first, draw " << n;
            ASSERT_LT(std::fabs(b.distance(on)), 1e-9) << "case: on the second, draw " << n;
        }
        ASSERT_TRUE(ab.geom_equal(ba)) << "case: draw " << n;
        ASSERT_TRUE(ab.vector().geom_equal(-ba.vector())) << "case: draw " << n;
    }
}

TEST(Plane, BoxOverlapAndApply) {
    EXPECT_TRUE(Kv3dPlane().intersect(box({-1, -1, -1}, {1, 1, 1}))) << "case: straddling";
    EXPECT_FALSE(Kv3dPlane().intersect(Kv3dBBox())) << "case: empty box";
    // Each corner alone comes near: a plane square to the diagonal through that
    // corner, at a distance d beyond it (all other corners farther on the same
    // side): -0.1 cuts the corner off, 0 and +-0.5 tol touch, 1.5 tol is clear.
    const Kv3dBBox cube = box({0, 0, 0}, {1, 1, 1});
    const struct {
        double d;
        bool meets;
    } offsets[] = {
        {-0.1, true}, {-0.5 * kTol, true}, {0.0, true}, {0.5 * kTol, true}, {1.5 * kTol, false}};
    for (int c = 0; c < 8; ++c) {
        const D out(c & 1 ? 1 : -1, c & 2 ? 1 : -1, c & 4 ? 1 : -1);
        const P corner((c & 1) != 0, (c & 2) != 0, (c & 4) != 0);
        for (const auto& o : offsets) {
            const Kv3dPlane q(corner + o.d * out, out, nullptr),
                flipped(corner + o.d * out, -out, nullptr);
            EXPECT_EQ(q.intersect(cube), o.meets) << "case: corner " << c << ", d " << o.d;
            EXPECT_EQ(flipped.intersect(cube), o.meets) << "case: flipped, corner " << c;
        }
    }
    // A mirror in z = 0 with a shift fixes the axes, so the recomputed normal
    // keeps pointing up where a moved normal would point down.
    const double m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 2, 0, 0, 0, 1};
    Kv3dPlane moved;
    moved.apply(Kv3dTransform(m));
    EXPECT_TRUE(same(moved.basepoint(), {0, 0, 2})) << "case: mirrored";
    EXPECT_EQ(moved.normal().z(), 1) << "case: mirrored";
}

}  // namespace
