// The enclosing sphere of a point cloud (Kv3dBSphere from a point array)
// beside Ritter's approximate sphere and, when CGAL is available, the exact
// minimal sphere. Clouds of 10^5 and 10^6 points: uniform in a cube, on a
// sphere's surface, and gaussian. Printed at the end: the time ratios and
// each sphere's radius over the exact minimal radius.

#include <kv3d/kv3d.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#ifdef KV3D_BENCH_WITH_CGAL
#include <CGAL/Cartesian.h>
#include <CGAL/Min_sphere_of_spheres_d.h>
#include <CGAL/Min_sphere_of_spheres_d_traits_3.h>
#endif

#include "RatioReporter.h"

namespace {

enum Shape { kCube = 0, kSurface = 1, kGauss = 2 };
const char* const kShapeNames[] = {"cube", "surface", "gauss"};

const KvArray<Kv3dPoint>& cloud(int shape, std::size_t n) {
    static std::map<std::pair<int, std::size_t>, KvArray<Kv3dPoint>> clouds;
    KvArray<Kv3dPoint>& pts = clouds[{shape, n}];
    if (pts.size() == n) {
        return pts;
    }
    std::mt19937 rng(static_cast<unsigned>(n) + shape);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    std::normal_distribution<double> g(0.0, 1.0);
    pts.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        double x = u(rng);
        double y = u(rng);
        double z = u(rng);
        if (shape == kSurface) {
            const double l = std::sqrt(x * x + y * y + z * z);
            x /= l;
            y /= l;
            z /= l;
        } else if (shape == kGauss) {
            x = g(rng);
            y = g(rng);
            z = g(rng);
        }
        // Off the origin, at the scale of a part in millimetres.
        pts.append(Kv3dPoint(120.0 + 50.0 * x, -40.0 + 50.0 * y, 15.0 + 50.0 * z));
    }
    return pts;
}

std::string key(const char* method, int shape, std::size_t n) {
    return std::string(method) + "/" + kShapeNames[shape] + "/" + std::to_string(n);
}

std::map<std::string, double>& radii() {
    static std::map<std::string, double> r;
    return r;
}

// Ritter's sphere: the sphere on a far pair (the point farthest from the
// first point and the point farthest from that), grown in one more pass by
// each point outside it.
Kv3dBSphere ritter(const KvArray<Kv3dPoint>& pts) {
    auto farthest = [&pts](const Kv3dPoint& from) {
        std::size_t best = 0;
        double d = -1.0;
        for (std::size_t i = 0; i < pts.size(); ++i) {
            const double e = pts[i].square_distance(from);
            if (e > d) {
                d = e;
                best = i;
            }
        }
        return pts[best];
    };
    const Kv3dPoint y = farthest(pts[0]);
    const Kv3dPoint z = farthest(y);
    Kv3dPoint c = (y + z) * 0.5;
    double r = 0.5 * y.distance(z);
    for (std::size_t i = 0; i < pts.size(); ++i) {
        const double d = pts[i].distance(c);
        if (d > r) {
            const double grown = 0.5 * (r + d);
            c += (pts[i] - c) * ((grown - r) / d);
            r = grown;
        }
    }
    return Kv3dBSphere(c, r);
}

// Times sphere(points) on the cloud of the state's arguments; keeps the radius.
template <class Sphere>
void time_sphere(benchmark::State& state, const char* method, Sphere sphere) {
    const int shape = static_cast<int>(state.range(0));
    const std::size_t n = static_cast<std::size_t>(state.range(1));
    const KvArray<Kv3dPoint>& pts = cloud(shape, n);
    double r = 0.0;
    for (auto _ : state) {
        r = sphere(pts).radius();
        benchmark::DoNotOptimize(r);
    }
    radii()[key(method, shape, n)] = r;
}

void BM_Kv3dEnclosing(benchmark::State& state) {
    time_sphere(state, "kv3d", [](const KvArray<Kv3dPoint>& pts) { return Kv3dBSphere(pts); });
}

void BM_Ritter(benchmark::State& state) { time_sphere(state, "ritter", ritter); }

#ifdef KV3D_BENCH_WITH_CGAL
using CgalKernel = CGAL::Cartesian<double>;
using CgalTraits = CGAL::Min_sphere_of_spheres_d_traits_3<CgalKernel, double>;
using CgalMinSphere = CGAL::Min_sphere_of_spheres_d<CgalTraits>;

void BM_CgalMinSphere(benchmark::State& state) {
    const int shape = static_cast<int>(state.range(0));
    const std::size_t n = static_cast<std::size_t>(state.range(1));
    const KvArray<Kv3dPoint>& pts = cloud(shape, n);
    std::vector<CgalTraits::Sphere> spheres;
    spheres.reserve(n);
    for (const Kv3dPoint& p : pts) {
        spheres.emplace_back(CgalKernel::Point_3(p.x(), p.y(), p.z()), 0.0);
    }
    for (auto _ : state) {
        CgalMinSphere ms(spheres.begin(), spheres.end());
        benchmark::DoNotOptimize(ms.radius());
    }
    // The exact radius as the farthest distance from the minimal sphere's centre.
    CgalMinSphere ms(spheres.begin(), spheres.end());
    const auto c = ms.center_cartesian_begin();
    const Kv3dPoint centre(CGAL::to_double(c[0]), CGAL::to_double(c[1]), CGAL::to_double(c[2]));
    double r = 0.0;
    for (const Kv3dPoint& p : pts) {
        r = std::max(r, p.distance(centre));
    }
    radii()[key("exact", shape, n)] = r;
}
#endif

void clouds(benchmark::internal::Benchmark* b) {
    for (long n : {100000L, 1000000L}) {
        for (int shape : {kCube, kSurface, kGauss}) {
            b->Args({shape, n});
        }
    }
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_Kv3dEnclosing)->Apply(clouds);
BENCHMARK(BM_Ritter)->Apply(clouds);
#ifdef KV3D_BENCH_WITH_CGAL
BENCHMARK(BM_CgalMinSphere)->Apply(clouds);
#endif

// The name of the run of bench on a cloud of n points of the given shape.
std::string run_name(const char* bench, int shape, std::size_t n) {
    return std::string(bench) + "/" + std::to_string(shape) + "/" + std::to_string(n);
}

double ratio(double a, double b) { return a > 0.0 && b > 0.0 ? a / b : 0.0; }

void print_summary(const RatioReporter& t) {
    std::printf("\n%-8s %8s  %19s  %19s  %9s %10s\n", "cloud", "points", "kv3d/exact real cpu",
                "kv3d/ritter real cpu", "r/exact", "ritter r/e");
    for (long n : {100000L, 1000000L}) {
        for (int shape : {kCube, kSurface, kGauss}) {
            const std::size_t m = static_cast<std::size_t>(n);
            const char* kv3d = "BM_Kv3dEnclosing";
            const double exact = radii()[key("exact", shape, m)];
            std::printf("%-8s %8ld  %9.3f %9.3f  %9.3f %9.3f  %9.6f %10.6f\n", kShapeNames[shape],
                        n,
                        ratio(t.real_time(run_name(kv3d, shape, m)),
                              t.real_time(run_name("BM_CgalMinSphere", shape, m))),
                        ratio(t.cpu_time(run_name(kv3d, shape, m)),
                              t.cpu_time(run_name("BM_CgalMinSphere", shape, m))),
                        ratio(t.real_time(run_name(kv3d, shape, m)),
                              t.real_time(run_name("BM_Ritter", shape, m))),
                        ratio(t.cpu_time(run_name(kv3d, shape, m)),
                              t.cpu_time(run_name("BM_Ritter", shape, m))),
                        ratio(radii()[key("kv3d", shape, m)], exact),
                        ratio(radii()[key("ritter", shape, m)], exact));
        }
    }
    std::printf(
        "(time ratios per call, real and CPU; radii over the exact minimal radius;\n"
        " 0 where a peer was not measured)\n");
}

}  // namespace

int main(int argc, char** argv) { return run_benchmarks_with_ratios(argc, argv, print_summary); }
