#include <Eigen/Dense>

#include <cmath>
#include <vector>

#include "FittingTestUtil.h"

using namespace fit_test;

namespace {

// The written algorithm, literally: the centre as a running sum of p / n (or
// of w^2 p, divided at the end), then every element of the upper triangle in
// its own pass over the points, the lower triangle copied, the eigenvectors
// of the two largest eigenvalues as the axes.
Kv3dPlane reference_fit(const Points& pts, const std::vector<double>* w) {
    const std::size_t n = pts.size();
    // A point without a weight has weight 0.
    const auto ww = [&](std::size_t k) { return k < w->size() ? (*w)[k] * (*w)[k] : 0.0; };
    double c[3] = {0.0, 0.0, 0.0};
    double s = 0.0;
    for (std::size_t k = 0; k < n; ++k) {
        if (w) s += ww(k);
        for (int j = 0; j < 3; ++j) {
            c[j] += w ? ww(k) * pts[k][j] : pts[k][j] / static_cast<double>(n);
        }
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
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < i; ++j) M(i, j) = M(j, i);
    }
    KvArray<double> values;
    KvLaDblMat E;
    kvla_eigenvector_basis(M, values, E);
    return Kv3dPlane(P(c), V(E(0, 0), E(1, 0), E(2, 0)), V(E(0, 1), E(1, 1), E(2, 1)));
}

KvArray<double> as_array(const std::vector<double>& v) { return KvArray<double>(v); }

// n points near a tilted plane through at, spread s1 along one in-plane
// direction, s2 along the other, thickness s3.
Points cloud(std::mt19937& rng, std::size_t n, const P& at, double s1, double s2, double s3) {
    const Kv3dTransform T = random_motion(rng, at);
    Points pts;
    for (std::size_t k = 0; k < n; ++k) {
        const double x = uniform(rng, -s1, s1), y = uniform(rng, -s2, s2),
                     z = uniform(rng, -s3, s3);
        pts.append(moved(P(x, y, z), T));
    }
    return pts;
}

}  // namespace

TEST(CenterOfGravity, DividesEveryTermBeforeAdding) {
    EXPECT_TRUE(same_bits(Kv3d_center_of_gravity(Points()), P(0, 0, 0))) << "case: empty";
    EXPECT_TRUE(same_bits(Kv3d_center_of_gravity(Points{P(1, -2, 3)}), P(1, -2, 3)))
        << "case: one point";
    // Three times 0.1: 0.1/3 added three times is 0.1, the sum divided once
    // is 0.10000000000000002.
    const P c = Kv3d_center_of_gravity(Points{P(0.1, 0, 0), P(0.1, 0, 0), P(0.1, 0, 0)});
    EXPECT_EQ(c.x(), 0.1) << "case: three times 0.1";
    // The sum of two huge coordinates would overflow; the sum of halves does not.
    const double big = 1.5e308;
    EXPECT_EQ(Kv3d_center_of_gravity(Points{P(big, 0, 0), P(big, 0, 0)}).x(), big)
        << "case: no overflow";
}

// The reference on random clouds, unweighted and with weights of either sign
// (they enter squared), as many as the points, one short or one too many (a
// point without a weight has weight 0; an extra weight is never read).
TEST(PlaneFit, EqualsTheWrittenAlgorithmBitForBit) {
    std::mt19937 rng(11);
    for (std::size_t n : {1u, 2u, 3u, 7u, 1000u}) {
        const Points pts = cloud(rng, n, P(uniform(rng, -500, 500), 300, -20), 40, 7, 0.1);
        std::vector<double> w;
        for (std::size_t k = 0; k < n; ++k) w.push_back(uniform(rng, -2, 2));
        const std::string name = "n = " + std::to_string(n);
        EXPECT_TRUE(same_plane(Kv3d_fit_plane_to_points(pts), reference_fit(pts, nullptr)))
            << "case: unweighted, " << name;
        EXPECT_TRUE(same_plane(Kv3d_fit_plane_to_points(pts, as_array(w)), reference_fit(pts, &w)))
            << "case: weighted, " << name;
        w.push_back(1e9);
        EXPECT_TRUE(same_plane(Kv3d_fit_plane_to_points(pts, as_array(w)), reference_fit(pts, &w)))
            << "case: an extra weight, " << name;
        w.resize(n - 1);
        EXPECT_TRUE(same_plane(Kv3d_fit_plane_to_points(pts, as_array(w)), reference_fit(pts, &w)))
            << "case: one weight short, " << name;
    }
}

// Against the right singular vectors of the centred points: u, v and the
// normal in the order of falling spread.
TEST(PlaneFit, TiltedPlanesAgreeWithAnSvdFit) {
    std::mt19937 rng(5);
    for (int trial = 0; trial < 20; ++trial) {
        const std::string name = "trial " + std::to_string(trial);
        const Points pts = cloud(rng, 50, P(1000, -700, 300), 100, 30, trial % 2 ? 0.5 : 0.0);
        const Kv3dPlane plane = Kv3d_fit_plane_to_points(pts);
        const P c = Kv3d_center_of_gravity(pts);
        Eigen::MatrixXd A(pts.size(), 3);
        for (std::size_t k = 0; k < pts.size(); ++k) {
            for (int j = 0; j < 3; ++j) A(static_cast<Eigen::Index>(k), j) = pts[k][j] - c[j];
        }
        const Eigen::MatrixXd right =
            Eigen::JacobiSVD<Eigen::MatrixXd>(A, Eigen::ComputeThinV).matrixV();
        const auto axis = [&](int j) { return V(right(0, j), right(1, j), right(2, j)); };
        EXPECT_NEAR(std::fabs(plane.normal() % axis(2)), 1.0, 1e-12) << "case: normal, " << name;
        EXPECT_NEAR(std::fabs(plane.u_axis() % axis(0)), 1.0, 1e-12) << "case: u, " << name;
        EXPECT_NEAR(std::fabs(plane.v_axis() % axis(1)), 1.0, 1e-12) << "case: v, " << name;
    }
}

TEST(PlaneFit, DegenerateClouds) {
    EXPECT_TRUE(same_plane(Kv3d_fit_plane_to_points(Points()), Kv3dPlane())) << "case: empty";
    EXPECT_TRUE(same_bits(Kv3d_fit_plane_to_points(Points{P(4, 5, 6)}).basepoint(), P(4, 5, 6)))
        << "case: one point";
    // Points on a line: u along it, and the plane contains it.
    const Points line{P(1, 2, 3), P(3, 3, 5), P(5, 4, 7), P(9, 6, 11)};
    const Kv3dPlane through = Kv3d_fit_plane_to_points(line);
    EXPECT_NEAR(std::fabs(through.u_axis() % V(2, 1, 2).direction()), 1.0, 1e-14)
        << "case: collinear, u";
    for (const P& p : line) EXPECT_NEAR(through.distance(p), 0.0, 1e-13) << "case: collinear";
}

// A weight 0 removes a point exactly; weights whose squares sum to zero (none,
// all 0, or so small that their squares underflow) give the default plane.
TEST(PlaneFit, WeightsOfZero) {
    std::mt19937 rng(23);
    const Points pts = cloud(rng, 12, P(10, 20, 30), 5, 3, 0.5);
    const std::size_t n = pts.size();
    std::vector<double> w(n);
    for (double& x : w) x = uniform(rng, 0.5, 2);
    Points outlier = pts;
    outlier.append(P(1e3, -1e3, 1e3));
    std::vector<double> zero = w;
    zero.push_back(0.0);
    EXPECT_TRUE(same_plane(Kv3d_fit_plane_to_points(outlier, as_array(zero)),
                           Kv3d_fit_plane_to_points(pts, as_array(w))))
        << "case: weight 0";
    const struct {
        const char* name;
        Points pts;
        std::vector<double> w;
    } cases[] = {
        {"no points", Points(), w},
        {"no weights", pts, {}},
        {"all weights 0", pts, std::vector<double>(n, 0.0)},
        {"squared weights underflow", pts, std::vector<double>(n, 1e-200)},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(same_plane(Kv3d_fit_plane_to_points(c.pts, as_array(c.w)), Kv3dPlane()))
            << "case: " << c.name;
    }
}
