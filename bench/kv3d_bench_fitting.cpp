// Plane fit of 10^6 points against Eigen's textbook two-pass fit (mean, then
// the covariance of the centred points, then SelfAdjointEigenSolver) and,
// when CGAL is installed, CGAL's linear_least_squares_fitting_3; the time per
// call of a conic through five points, and through three points and two
// tangents.

#include <kv3d/kv3d.h>

#include <benchmark/benchmark.h>
#include <Eigen/Dense>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#ifdef KV3D_BENCH_WITH_CGAL
#include <CGAL/Simple_cartesian.h>
#include <CGAL/linear_least_squares_fitting_3.h>
#endif

#include "RatioReporter.h"

namespace {

constexpr std::size_t kPoints = 1000000;

// Points near a tilted plane far from the origin: 400 x 100 x 0.2.
const KvArray<Kv3dPoint>& cloud() {
    static const KvArray<Kv3dPoint> points = [] {
        std::mt19937 rng(1);
        std::uniform_real_distribution<double> u(-1.0, 1.0);
        const Kv3dTransform tilt(Kv3dPoint(1000, -700, 300), Kv3dVector(1, 2, 3), 0.7, 0.0);
        KvArray<Kv3dPoint> pts;
        pts.reserve(kPoints);
        for (std::size_t i = 0; i < kPoints; ++i) {
            const double x = 200 * u(rng);
            const double y = 50 * u(rng);
            const double z = 0.1 * u(rng);
            pts.append(Kv3dPoint(x, y, z).apply(tilt));
        }
        return pts;
    }();
    return points;
}

void set_counters(benchmark::State& state) {
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kPoints);
}

void BM_Kv3dFitPlane(benchmark::State& state) {
    const KvArray<Kv3dPoint>& pts = cloud();
    for (auto _ : state) {
        Kv3dPlane plane = Kv3d_fit_plane_to_points(pts);
        benchmark::DoNotOptimize(plane);
    }
    set_counters(state);
}

// The textbook fit: the mean, the covariance accumulated over the centred
// points, the eigenvector of the smallest eigenvalue as the normal.
void BM_EigenTwoPass(benchmark::State& state) {
    const KvArray<Kv3dPoint>& pts = cloud();
    Eigen::Matrix3Xd P(3, static_cast<Eigen::Index>(pts.size()));
    for (std::size_t i = 0; i < pts.size(); ++i) {
        P.col(static_cast<Eigen::Index>(i)) << pts[i].x(), pts[i].y(), pts[i].z();
    }
    for (auto _ : state) {
        const Eigen::Vector3d mean = P.rowwise().mean();
        Eigen::Matrix3d cov = Eigen::Matrix3d::Zero();
        for (Eigen::Index i = 0; i < P.cols(); ++i) {
            const Eigen::Vector3d d = P.col(i) - mean;
            cov.noalias() += d * d.transpose();
        }
        const Eigen::SelfAdjointEigenSolver<Eigen::Matrix3d> solver(cov);
        Eigen::Vector3d normal = solver.eigenvectors().col(0);
        benchmark::DoNotOptimize(normal);
        benchmark::DoNotOptimize(mean);
    }
    set_counters(state);
}

#ifdef KV3D_BENCH_WITH_CGAL
void BM_CgalFit(benchmark::State& state) {
    using Kernel = CGAL::Simple_cartesian<double>;
    const KvArray<Kv3dPoint>& pts = cloud();
    std::vector<Kernel::Point_3> points;
    points.reserve(pts.size());
    for (const Kv3dPoint& p : pts) {
        points.emplace_back(p.x(), p.y(), p.z());
    }
    for (auto _ : state) {
        Kernel::Plane_3 plane;
        Kernel::Point_3 centroid;
        CGAL::linear_least_squares_fitting_3(points.begin(), points.end(), plane, centroid,
                                             CGAL::Dimension_tag<0>());
        benchmark::DoNotOptimize(plane);
        benchmark::DoNotOptimize(centroid);
    }
    set_counters(state);
}
BENCHMARK(BM_CgalFit)->Unit(benchmark::kMillisecond);
#endif

BENCHMARK(BM_Kv3dFitPlane)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EigenTwoPass)->Unit(benchmark::kMillisecond);

// The 250 x 120 ellipse in a tilted plane far from the origin.
KvArray<Kv3dPoint> ellipse_points(std::initializer_list<double> angles) {
    const Kv3dTransform tilt(Kv3dPoint(1000, -700, 300), Kv3dVector(1, 2, 3), 0.7, 0.0);
    KvArray<Kv3dPoint> pts;
    for (double s : angles) {
        pts.append(Kv3dPoint(125 * std::cos(s), 60 * std::sin(s), 0).apply(tilt));
    }
    return pts;
}

void BM_ConicFivePoints(benchmark::State& state) {
    const KvArray<Kv3dPoint> pts = ellipse_points({0.1, 1.3, 2.6, 3.9, 5.2});
    for (auto _ : state) {
        int type = -1;
        double a = 0.0;
        double b = 0.0;
        Kv3dTransform T;
        benchmark::DoNotOptimize(kv3d_conic_data_from_points_3d(pts, type, a, b, T));
        benchmark::DoNotOptimize(T);
    }
}

void BM_ConicThreePointsTwoTangents(benchmark::State& state) {
    const KvArray<Kv3dPoint> pts = ellipse_points({0.1, 1.3, 2.6});
    const Kv3dTransform tilt(Kv3dPoint(1000, -700, 300), Kv3dVector(1, 2, 3), 0.7, 0.0);
    Kv3dDirection first(-125 * std::sin(0.1), 60 * std::cos(0.1), 0);
    Kv3dDirection last(-125 * std::sin(2.6), 60 * std::cos(2.6), 0);
    first.apply(tilt);
    last.apply(tilt);
    for (auto _ : state) {
        int type = -1;
        double a = 0.0;
        double b = 0.0;
        Kv3dTransform T;
        benchmark::DoNotOptimize(
            Kv3d_conic_from_points_and_tangents(pts, type, a, b, T, &first, &last));
        benchmark::DoNotOptimize(T);
    }
}

BENCHMARK(BM_ConicFivePoints)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ConicThreePointsTwoTangents)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    return run_benchmarks_with_ratios(argc, argv, [](const RatioReporter& reporter) {
        std::printf("\ntime ratios per plane fit of %zu points:\n", kPoints);
        reporter.print_ratio("Kv3d_fit_plane_to_points / Eigen", "BM_Kv3dFitPlane",
                             "BM_EigenTwoPass");
        reporter.print_ratio("Kv3d_fit_plane_to_points / CGAL", "BM_Kv3dFitPlane", "BM_CgalFit");
    });
}
