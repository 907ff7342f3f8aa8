// Kv3d_apply over a large point array, against the textbook A p + t loop and
// against memcpy of the same bytes (the memory-bandwidth floor).

#include <kv3d/kv3d.h>

#include <benchmark/benchmark.h>

#include "RatioReporter.h"

#include <cstdio>
#include <cstring>
#include <random>

#include "RatioReporter.h"

namespace {

constexpr std::size_t kPoints = 1u << 20;

// A rotation about a line off the origin: points stay bounded however often
// it is applied.
const Kv3dTransform& motion() {
    static const Kv3dTransform T(Kv3dPoint(1, 2, 3), Kv3dVector(1, 1, 2), 0.3, 0.0);
    return T;
}

KvArray<Kv3dPoint> make_points() {
    std::mt19937 rng(1);
    std::uniform_real_distribution<double> d(-100.0, 100.0);
    KvArray<Kv3dPoint> pts;
    pts.reserve(kPoints);
    for (std::size_t i = 0; i < kPoints; ++i) {
        const double x = d(rng);
        const double y = d(rng);
        const double z = d(rng);
        pts.append(Kv3dPoint(x, y, z));
    }
    return pts;
}

void set_counters(benchmark::State& state) {
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kPoints);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kPoints * sizeof(Kv3dPoint));
}

void BM_Kv3dApplyPoints(benchmark::State& state) {
    KvArray<Kv3dPoint> pts = make_points();
    const Kv3dTransform& T = motion();
    for (auto _ : state) {
        Kv3d_apply(T, pts);
        benchmark::DoNotOptimize(pts.data());
        benchmark::ClobberMemory();
    }
    set_counters(state);
}

void BM_PlainLoopPoints(benchmark::State& state) {
    KvArray<Kv3dPoint> pts = make_points();
    const double* m = motion().as_matrix();
    for (auto _ : state) {
        for (Kv3dPoint& p : pts) {
            const double x = p.x();
            const double y = p.y();
            const double z = p.z();
            p = Kv3dPoint(m[0] * x + m[1] * y + m[2] * z + m[3],
                          m[4] * x + m[5] * y + m[6] * z + m[7],
                          m[8] * x + m[9] * y + m[10] * z + m[11]);
        }
        benchmark::DoNotOptimize(pts.data());
        benchmark::ClobberMemory();
    }
    set_counters(state);
}

void BM_MemcpyPoints(benchmark::State& state) {
    const KvArray<Kv3dPoint> src = make_points();
    KvArray<Kv3dPoint> dst = src;
    for (auto _ : state) {
        std::memcpy(static_cast<void*>(dst.data()), src.data(), kPoints * sizeof(Kv3dPoint));
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    set_counters(state);
}

BENCHMARK(BM_Kv3dApplyPoints)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainLoopPoints)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MemcpyPoints)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    return run_benchmarks_with_ratios(argc, argv, [](const RatioReporter& reporter) {
        std::printf("\ntime ratios per iteration, %zu points:\n", kPoints);
        reporter.print_ratio("Kv3d_apply / plain loop", "BM_Kv3dApplyPoints", "BM_PlainLoopPoints");
        reporter.print_ratio("Kv3d_apply / memcpy", "BM_Kv3dApplyPoints", "BM_MemcpyPoints");
        reporter.print_ratio("plain loop / memcpy", "BM_PlainLoopPoints", "BM_MemcpyPoints");
    });
}
