#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "FittingTestUtil.h"
#include "support/NamedCases.h"

using namespace fit_test;

namespace {

using Weights = std::vector<double>;

// The written algorithm, literally: the centre as a running sum of p / n (or
// of w^2 p, divided at the end), then every element of the upper triangle in
// its own pass over the points, the lower triangle copied, the eigenvectors
// of the two largest eigenvalues as the axes. A point without a weight has
// weight 0.
Kv3dPlane reference_fit(const Points& pts, const Weights* w) {
    const std::size_t n = pts.size();
    const auto ww = [&](std::size_t k) { return k < w->size() ? (*w)[k] * (*w)[k] : 0.0; };
    double c[3] = {0.0, 0.0, 0.0}, s = 0.0;
    for (std::size_t k = 0; k < n; ++k) {
        if (w) s += ww(k);
        for (int j = 0; j < 3; ++j) c[j] += w ? ww(k) * pts[k][j] : pts[k][j] / double(n);
    }
    if (w && s == 0.0) return Kv3dPlane();  // no weight, or all of them 0
    for (int j = 0; w && j < 3; ++j) c[j] = c[j] / s;
    KvLaDblMat M(3, 3, 0.0);
    for (int i = 0; i < 3; ++i) {
        for (int j = i; j < 3; ++j) {
            for (std::size_t k = 0; k < n; ++k) {
                const double di = pts[k][i] - c[i], dj = pts[k][j] - c[j];
                M(i, j) += w ? (di * ww(k)) * dj : di * dj;
            }
        }
    }
    M(1, 0) = M(0, 1), M(2, 0) = M(0, 2), M(2, 1) = M(1, 2);
    KvArray<double> values;
    KvLaDblMat E;
    kvla_eigenvector_basis(M, values, E);
    return Kv3dPlane(P(c), V(E(0, 0), E(1, 0), E(2, 0)), V(E(0, 1), E(1, 1), E(2, 1)));
}

// Bit-equal normals, basepoints and axes (0.0 and -0.0 differ).
bool same_plane(const Kv3dPlane& a, const Kv3dPlane& b) {
    static_assert(sizeof(Kv3dPlane) == 12 * sizeof(double), "a plane is its twelve numbers");
    return std::memcmp(static_cast<const void*>(&a), &b, sizeof a) == 0;
}

}  // namespace

// Every term divided before it is added: 0.1 / 3 added three times is 0.1
// (the sum divided once is 0.10000000000000002), and huge coordinates do not
// overflow.
TEST(CenterOfGravity, DividesEveryTermBeforeAdding) {
    const double big = 1.5e308;
    expect_each<double>({
        {"empty", Kv3d_center_of_gravity(Points()).x(), 0.0},
        {"one point", Kv3d_center_of_gravity(Points{P(1, -2, 3)}).z(), 3.0},
        {"three times 0.1", Kv3d_center_of_gravity(Points(std::vector<P>(3, P(0.1, 0, 0)))).x(),
         0.1},
        {"no overflow", Kv3d_center_of_gravity(Points{P(big, 0, 0), P(big, 0, 0)}).x(), big},
    });
}

// The reference on random clouds near a tilted plane (spread 40 and 7 in it,
// thickness 0.1, or 0 for an exactly flat one), unweighted and under weight
// regimes: of either sign (they enter squared), one short or one too many (a
// point without a weight has weight 0; an extra weight is never read), some
// 0, and squares that sum to 0 (none, all 0, or so small that they
// underflow: the default plane).
TEST(PlaneFit, EqualsTheWrittenAlgorithmBitForBit) {
    RandomDraw g(11);
    for (std::size_t n : {1u, 2u, 3u, 7u, 50u, 50u, 1000u}) {
        const std::string name = "n = " + std::to_string(n);
        const Kv3dTransform T = random_motion(g, P(g.uniform(-500, 500), 300, -20));
        Points pts;
        for (std::size_t k = 0; k < n; ++k) {
            const double x = g.uniform(-40, 40), y = g.uniform(-7, 7), h = n == 50 ? 0.0 : 0.1;
            pts.append(moved(P(x, y, g.uniform(-h, h)), T));
        }
        EXPECT_TRUE(same_plane(Kv3d_fit_plane_to_points(pts), reference_fit(pts, nullptr)))
            << "case: unweighted, " << name;
        Weights either(n), alternate(n);
        for (std::size_t k = 0; k < n; ++k) either[k] = g.uniform(-2, 2), alternate[k] = k % 2;
        const std::pair<const char*, Weights> regimes[] = {
            {"either sign", either},
            {"one short", Weights(n - 1, 1.5)},
            {"one extra", Weights(n + 1, 0.5)},
            {"every other 0", alternate},
            {"none", {}},
            {"all 0", Weights(n, 0.0)},
            {"squares underflow", Weights(n, 1e-200)}};
        for (const auto& [regime, w] : regimes) {
            EXPECT_TRUE(same_plane(Kv3d_fit_plane_to_points(pts, KvArray<double>(w)),
                                   reference_fit(pts, &w)))
                << "case: " << regime << ", " << name;
        }
    }
    EXPECT_TRUE(same_plane(Kv3d_fit_plane_to_points(Points()), Kv3dPlane())) << "case: no points";
    EXPECT_TRUE(same_plane(Kv3d_fit_plane_to_points(Points(), KvArray<double>({1.0})), Kv3dPlane()))
        << "case: no points, a weight";
}
