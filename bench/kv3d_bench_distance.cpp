// Kv3d_distance from a point to a polyline of 10^6 vertices (a walk, and a
// circle about the point), against a branch-free textbook point-segment loop
// over all segments and the literal scan; between two polylines of 10^4 and of 10^5 vertices,
// against the literal scan of all segment pairs. Every run checks that the library's answer is the
// literal scan's, to the bit.

#include <kv3d/kv3d.h>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "RatioReporter.h"
#include "support/PolylineDistanceReference.h"

namespace {

constexpr std::size_t kPointVertices = 1000000;
constexpr int kQueries = 16;

// A random walk of unit steps that turns slowly, like a measured curve or a
// tool path, starting at from.
KvArray<Kv3dPoint> make_walk(std::size_t n, std::uint64_t seed, const Kv3dPoint& from) {
    std::mt19937_64 rng(seed);
    std::normal_distribution<double> turn(0.0, 0.3);
    KvArray<Kv3dPoint> v;
    v.reserve(n);
    Kv3dPoint p = from;
    Kv3dVector heading(1, 0, 0);
    for (std::size_t i = 0; i < n; ++i) {
        v.append(p);
        const double tx = turn(rng);
        const double ty = turn(rng);
        const double tz = turn(rng);
        heading = Kv3dVector(heading.direction(), 1.0) + Kv3dVector(tx, ty, tz);
        p = p + Kv3dVector(heading.direction(), 1.0);
    }
    return v;
}

const KvArray<Kv3dPoint>& long_walk() {
    static const KvArray<Kv3dPoint> v = make_walk(kPointVertices, 1, Kv3dPoint(0, 0, 0));
    return v;
}

// The adversarial case: a circle of radius 100 about the origin, every
// segment within rounding of the same distance from the centre, so that the
// literal computation has to decide each of them.
const KvArray<Kv3dPoint>& circle() {
    static const KvArray<Kv3dPoint> v = [] {
        KvArray<Kv3dPoint> c;
        c.reserve(kPointVertices);
        for (std::size_t i = 0; i < kPointVertices; ++i) {
            const double a = 6.283185307179586 * static_cast<double>(i) / (kPointVertices - 1);
            c.append(Kv3dPoint(100.0 * std::cos(a), 100.0 * std::sin(a), 0.0));
        }
        return c;
    }();
    return v;
}

// Query points near vertices spread over the walk.
const std::vector<Kv3dPoint>& walk_queries() {
    static const std::vector<Kv3dPoint> q = [] {
        std::mt19937_64 rng(2);
        std::uniform_real_distribution<double> off(-5.0, 5.0);
        std::vector<Kv3dPoint> out;
        const KvArray<Kv3dPoint>& v = long_walk();
        for (int k = 0; k < kQueries; ++k) {
            const Kv3dPoint& base = v[(v.size() - 1) * static_cast<std::size_t>(k) / kQueries];
            const double x = off(rng);
            const double y = off(rng);
            const double z = off(rng);
            out.push_back(base + Kv3dVector(x, y, z));
        }
        return out;
    }();
    return q;
}

// The circle's centre, moved by a few ulps in x and y.
const std::vector<Kv3dPoint>& circle_queries() {
    static const std::vector<Kv3dPoint> q = [] {
        std::vector<Kv3dPoint> out;
        for (int k = 0; k < kQueries; ++k) {
            out.push_back(Kv3dPoint(1e-15 * (k % 4), 1e-15 * (k / 4), 0.0));
        }
        return out;
    }();
    return q;
}

// Case 0: the walk and its queries; case 1: the circle and its centre.
const KvArray<Kv3dPoint>& polyline(benchmark::State& state) {
    return state.range(0) == 0 ? long_walk() : circle();
}
const std::vector<Kv3dPoint>& queries(benchmark::State& state) {
    return state.range(0) == 0 ? walk_queries() : circle_queries();
}

// Exits when the library's answer is not the literal scan's, to the bit.
void require_same(const std::string& difference, const char* what) {
    if (!difference.empty()) {
        std::fprintf(stderr, "%s differs from the literal scan: %s\n", what, difference.c_str());
        std::exit(1);
    }
}

void check_point_results(const KvArray<Kv3dPoint>& v, const std::vector<Kv3dPoint>& qs) {
    for (const Kv3dPoint& q : qs) {
        require_same(polyline_reference::difference(polyline_reference::library_point(q, v),
                                                    polyline_reference::point(q, v)),
                     "point to polyline");
    }
}

void BM_Kv3dPointPolyline(benchmark::State& state) {
    const KvArray<Kv3dPoint>& v = polyline(state);
    std::size_t k = 0;
    for (auto _ : state) {
        Kv3dPoint nearest;
        int segment = 0;
        double parameter = 0.0;
        benchmark::DoNotOptimize(
            Kv3d_distance(queries(state)[k++ % kQueries], v, nearest, &segment, &parameter));
        benchmark::DoNotOptimize(nearest);
    }
}

void BM_LiteralPointPolyline(benchmark::State& state) {
    const KvArray<Kv3dPoint>& v = polyline(state);
    std::size_t k = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(polyline_reference::point(queries(state)[k++ % kQueries], v));
    }
}

// The textbook: t = clamp((w.e) / (e.e)), the squared length of w - t e, and
// the smallest of them, all with selects instead of branches.
void BM_TextbookPointPolyline(benchmark::State& state) {
    const KvArray<Kv3dPoint>& v = polyline(state);
    const Kv3dPoint* p = v.data();
    const std::size_t n = v.size();
    std::size_t k = 0;
    for (auto _ : state) {
        const Kv3dPoint& q = queries(state)[k++ % kQueries];
        double best = 1e300;
        double best_t = 0.0;
        std::size_t where = 0;
        for (std::size_t i = 0; i + 1 < n; ++i) {
            const double ex = p[i + 1].x() - p[i].x();
            const double ey = p[i + 1].y() - p[i].y();
            const double ez = p[i + 1].z() - p[i].z();
            const double wx = q.x() - p[i].x();
            const double wy = q.y() - p[i].y();
            const double wz = q.z() - p[i].z();
            const double ee = ex * ex + ey * ey + ez * ez;
            const double we = wx * ex + wy * ey + wz * ez;
            double t = ee > 0.0 ? we / ee : 0.0;
            t = t < 0.0 ? 0.0 : (t > 1.0 ? 1.0 : t);
            const double dx = wx - t * ex;
            const double dy = wy - t * ey;
            const double dz = wz - t * ez;
            const double d2 = dx * dx + dy * dy + dz * dz;
            const bool better = d2 < best;
            where = better ? i : where;
            best_t = better ? t : best_t;
            best = better ? d2 : best;
        }
        benchmark::DoNotOptimize(best);
        benchmark::DoNotOptimize(best_t);
        benchmark::DoNotOptimize(where);
    }
}

// Two walks of n vertices each, intertwined in the same region.
struct WalkPair {
    KvArray<Kv3dPoint> a;
    KvArray<Kv3dPoint> b;
};

const WalkPair& walk_pair(std::size_t n) {
    static WalkPair small{make_walk(10000, 3, Kv3dPoint(0, 0, 0)),
                          make_walk(10000, 4, Kv3dPoint(3, 2, 1))};
    static WalkPair large{make_walk(100000, 5, Kv3dPoint(0, 0, 0)),
                          make_walk(100000, 6, Kv3dPoint(3, 2, 1))};
    return n == 10000 ? small : large;
}

void BM_Kv3dPairPolylines(benchmark::State& state) {
    const WalkPair& w = walk_pair(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(polyline_reference::library_pair(w.a, w.b));
    }
}

// Also checks, after timing, that the library's answer is the literal one.
void BM_LiteralPairPolylines(benchmark::State& state) {
    const WalkPair& w = walk_pair(static_cast<std::size_t>(state.range(0)));
    polyline_reference::PairResult literal;
    for (auto _ : state) {
        literal = polyline_reference::pair(w.a, w.b);
        benchmark::DoNotOptimize(literal);
    }
    require_same(
        polyline_reference::difference(polyline_reference::library_pair(w.a, w.b), literal),
        "polyline pair");
}

BENCHMARK(BM_Kv3dPointPolyline)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextbookPointPolyline)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LiteralPointPolyline)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Kv3dPairPolylines)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LiteralPairPolylines)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LiteralPairPolylines)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    check_point_results(long_walk(), walk_queries());
    check_point_results(circle(), circle_queries());
    return run_benchmarks_with_ratios(argc, argv, [](const RatioReporter& reporter) {
        std::printf(
            "\ntime ratios per iteration (results equal to the literal scans, bit for bit):\n");
        reporter.print_ratio("point, walk: Kv3d / textbook", "BM_Kv3dPointPolyline/0",
                             "BM_TextbookPointPolyline/0");
        reporter.print_ratio("point, walk: literal / textbook", "BM_LiteralPointPolyline/0",
                             "BM_TextbookPointPolyline/0");
        reporter.print_ratio("point, circle: Kv3d / textbook", "BM_Kv3dPointPolyline/1",
                             "BM_TextbookPointPolyline/1");
        reporter.print_ratio("point, circle: literal / textbook", "BM_LiteralPointPolyline/1",
                             "BM_TextbookPointPolyline/1");
        reporter.print_ratio("pair, 1e4: Kv3d / all pairs", "BM_Kv3dPairPolylines/10000",
                             "BM_LiteralPairPolylines/10000");
        reporter.print_ratio("pair, 1e5: Kv3d / all pairs", "BM_Kv3dPairPolylines/100000",
                             "BM_LiteralPairPolylines/100000/iterations:1");
    });
}
