#include <kv3d/kv3d.h>

#include <algorithm>
#include <cmath>
#include <random>

#include <gtest/gtest.h>

namespace {

const Kv3dPoint O(0, 0, 0), X(1, 0, 0), Y(0, 1, 0);
const Kv3dTriangle T(O, X, Y);

bool meets(const Kv3dTriangle& t, const Kv3dPoint& a, const Kv3dPoint& b) {
    return t.intersect(Kv3dLine(a, b));
}

bool both_ways(const Kv3dTriangle& a, const Kv3dTriangle& b) {
    const bool ab = a.intersect(b);
    EXPECT_EQ(ab, b.intersect(a));
    return ab;
}

TEST(TriangleIntersect, Segments) {
    EXPECT_TRUE(T.intersect(Kv3dLine(Kv3dPoint(0.25, 0.25, -1), Kv3dVector(0, 0, 2))));
    EXPECT_FALSE(
        meets(T, Kv3dPoint(0.75, 0.75, -1), Kv3dPoint(0.75, 0.75, 1)));  // beyond the long edge
    EXPECT_FALSE(meets(T, Kv3dPoint(0.25, 0.25, -1), Kv3dPoint(0.25, 0.25, -0.5)));  // stops short
    EXPECT_FALSE(T.intersect(Kv3dLine(Kv3dPoint(0.25, 0.25, 0), Kv3dVector(0, 0, 1e-21))));
    // In the plane: inside, crossing an edge, through a vertex, outside.
    EXPECT_TRUE(meets(T, Kv3dPoint(0.1, 0.2, 0), Kv3dPoint(0.3, 0.25, 0)));
    EXPECT_TRUE(meets(T, Kv3dPoint(0.2, 0.3, 0.0004), Kv3dPoint(2, 0.5, -0.0004)));
    EXPECT_TRUE(meets(T, Kv3dPoint(-1, 2, 0), Kv3dPoint(1, -2, 0)));
    EXPECT_FALSE(meets(T, Kv3dPoint(0.6, 0.6, 0), Kv3dPoint(2, 0.7, 0)));
    // Parallel to an edge, the start decides: within the point tolerance of the plane.
    EXPECT_TRUE(meets(T, Kv3dPoint(0.1, 0.1, 0.0005), Kv3dPoint(0.3, 0.1, 0.0005)));
    EXPECT_FALSE(meets(T, Kv3dPoint(0.1, 0.1, 0.002), Kv3dPoint(0.3, 0.1, 0.002)));
    const Kv3dTriangle moved = T + Kv3dVector(5, 5, 5);  // inside is measured from p0
    EXPECT_TRUE(meets(moved, Kv3dPoint(5.1, 5.1, 5), Kv3dPoint(5.3, 5.1, 5)));
    EXPECT_FALSE(meets(moved, Kv3dPoint(0.1, 0.1, 0), Kv3dPoint(0.3, 0.1, 0)));
    // Collinear vertices span no plane: only a real crossing of an edge counts.
    const Kv3dTriangle flat(O, X, Kv3dPoint(2, 0, 0));
    EXPECT_FALSE(meets(flat, Kv3dPoint(0.5, 0.0005, 0), Kv3dPoint(0.6, 0.0005, 0.0001)));
    EXPECT_TRUE(meets(flat, Kv3dPoint(0.5, -1, 0), Kv3dPoint(0.5, 1, 0)));
}

TEST(TriangleIntersect, TrianglePairs) {
    const Kv3dTriangle a(O, Kv3dPoint(4, 0, 0), Kv3dPoint(0, 4, 0));  // links of a chain
    EXPECT_TRUE(
        both_ways(a, Kv3dTriangle(Kv3dPoint(1, 1, -1), Kv3dPoint(1, 1, 2), Kv3dPoint(6, 1, -1))));
    const Kv3dTriangle up(Kv3dPoint(0.1, 0.2, 1), Kv3dPoint(0.9, 0.3, 1), Kv3dPoint(0.2, 0.7, 1));
    const double tol = Kv3dResObj::same_point_tol();
    EXPECT_FALSE(both_ways(T, up));
    EXPECT_TRUE(both_ways(T, up - Kv3dVector(0, 0, 1 - 0.5 * tol)));  // inside, within tolerance
    EXPECT_FALSE(both_ways(T, up - Kv3dVector(0, 0, 1 - 2 * tol)));
    EXPECT_TRUE(both_ways(
        T, Kv3dTriangle(Kv3dPoint(0.5, 0.3, 0), Kv3dPoint(1.5, 0.4, 0), Kv3dPoint(0.6, 1.2, 0))));
    EXPECT_FALSE(
        both_ways(T, Kv3dTriangle(Kv3dPoint(1, 1, 0), Kv3dPoint(2, 1.2, 0), Kv3dPoint(1.3, 2, 0))));
    EXPECT_TRUE(
        both_ways(T, Kv3dTriangle(X, Kv3dPoint(2, 0, 0), Kv3dPoint(1, 1, 0))));  // a shared vertex
    EXPECT_FALSE(both_ways(T, Kv3dTriangle()));
}

// Barycentric weights of the projection of p, from the normal equations of
// p - p0 = v e1 + w e2.
void bary(const Kv3dTriangle& t, const Kv3dPoint& p, double w[3]) {
    const Kv3dVector e1 = t.p1() - t.p0(), e2 = t.p2() - t.p0(), r = p - t.p0();
    const double d00 = e1 % e1, d01 = e1 % e2, d11 = e2 % e2, den = d00 * d11 - d01 * d01;
    w[1] = (d11 * (r % e1) - d01 * (r % e2)) / den;
    w[2] = (d00 * (r % e2) - d01 * (r % e1)) / den;
    w[0] = 1.0 - w[1] - w[2];
}

bool inside_by(const Kv3dTriangle& t, const Kv3dPoint& p, double margin) {
    double w[3];
    bary(t, p, w);
    return w[0] > margin && w[1] > margin && w[2] > margin;
}

double point_triangle_distance(const Kv3dTriangle& t, const Kv3dPoint& p) {
    if (inside_by(t, p, 0.0)) return std::fabs(t.normal() % (p - t.p0()));
    double d = 1e300;
    const Kv3dPoint v[3] = {t.p0(), t.p1(), t.p2()};
    for (int i = 0; i < 3; ++i) {
        const Kv3dVector e = v[(i + 1) % 3] - v[i];
        const double u = std::clamp((e % (p - v[i])) / (e % e), 0.0, 1.0);
        d = std::min(d, (v[i] + e * u).distance(p));
    }
    return d;
}

// The segment b0 b1 against the closed triangle t: 1 clearly meeting (a
// crossing or an in-plane sample well inside), -1 clearly apart by dense
// sampling, 0 too close to call.
int reference(const Kv3dTriangle& t, const Kv3dPoint& b0, const Kv3dPoint& b1) {
    const double margin = 0.02, tol = Kv3dResObj::same_point_tol();
    const Kv3dDirection n = t.normal();
    const double h0 = n % (b0 - t.p0()), h1 = n % (b1 - t.p0());
    if (h0 * h1 < 0 && std::fabs(h0) > tol && std::fabs(h1) > tol &&
        inside_by(t, b0 + (b1 - b0) * (h0 / (h0 - h1)), margin))
        return 1;
    const int N = 300;
    double dmin = 1e300;
    for (int k = 0; k <= N; ++k) {
        const Kv3dPoint p = b0 + (b1 - b0) * (k / double(N));
        if (std::fabs(n % (p - t.p0())) < 0.5 * tol && inside_by(t, p, margin)) return 1;
        dmin = std::min(dmin, point_triangle_distance(t, p));
    }
    return dmin - b0.distance(b1) / N > margin ? -1 : 0;
}

struct Random {
    std::mt19937 rng{20240611};
    double operator()(double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(rng);
    }
    Kv3dPoint point() { return Kv3dPoint((*this)(-1, 1), (*this)(-1, 1), (*this)(-1, 1)); }
    // A point of t's plane at affine coordinates in [-1, 2], lifted by less than half the
    // tolerance.
    Kv3dPoint in_plane(const Kv3dTriangle& t) {
        const double lift = (*this)(-0.4, 0.4) * Kv3dResObj::same_point_tol();
        return t.p0() + (t.p1() - t.p0()) * (*this)(-1, 2) + (t.p2() - t.p0()) * (*this)(-1, 2) +
               Kv3dVector(t.normal(), lift);
    }
};

TEST(TriangleIntersect, RandomSegmentsAgainstSampling) {
    Random r;
    int decided = 0;
    for (int k = 0; k < 2000; ++k) {
        const Kv3dTriangle t(r.point(), r.point(), r.point());
        const bool flat = k % 3 == 0;
        const Kv3dPoint b0 = flat ? r.in_plane(t) : r.point() * 1.5;
        const Kv3dPoint b1 = flat ? r.in_plane(t) : r.point() * 1.5;
        const int ref = reference(t, b0, b1);
        if (ref == 0) continue;
        ++decided;
        EXPECT_EQ(meets(t, b0, b1), ref == 1) << k;
        EXPECT_EQ(meets(Kv3dTriangle(t.p2(), t.p1(), t.p0()), b1, b0), ref == 1) << k;
    }
    EXPECT_GT(decided, 1300);
}

// Triangles meet exactly when an edge of one meets the other; the answer is
// the same in either order and for every listing of the vertices.
TEST(TriangleIntersect, RandomPairsSymmetricAndAgainstSampling) {
    Random r;
    int decided = 0;
    for (int k = 0; k < 300; ++k) {
        const Kv3dTriangle a(r.point(), r.point(), r.point());
        const bool flat = k % 2 == 0;
        const Kv3dTriangle b = flat ? Kv3dTriangle(r.in_plane(a), r.in_plane(a), r.in_plane(a))
                                    : Kv3dTriangle(r.point(), r.point(), r.point());
        const Kv3dPoint va[3] = {a.p0(), a.p1(), a.p2()}, vb[3] = {b.p0(), b.p1(), b.p2()};
        int meet = 0, apart = 0;
        for (int i = 0; i < 3; ++i) {
            for (const int ref :
                 {reference(b, va[i], va[(i + 1) % 3]), reference(a, vb[i], vb[(i + 1) % 3])}) {
                meet += ref == 1;
                apart += ref == -1;
            }
        }
        if (meet == 0 && apart < 6) continue;
        ++decided;
        const int perm[6][3] = {{0, 1, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}, {1, 0, 2}, {0, 2, 1}};
        for (const auto& p : perm) {
            for (const auto& q : perm) {
                const Kv3dTriangle pa(va[p[0]], va[p[1]], va[p[2]]),
                    pb(vb[q[0]], vb[q[1]], vb[q[2]]);
                EXPECT_EQ(pa.intersect(pb), meet > 0) << k;
                EXPECT_EQ(pb.intersect(pa), meet > 0) << k;
            }
        }
    }
    EXPECT_GT(decided, 180);
}

}  // namespace
