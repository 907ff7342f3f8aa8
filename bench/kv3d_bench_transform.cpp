// Kv3d_apply over a large point array, against the textbook A p + t loop and
// against memcpy of the same bytes (the memory-bandwidth floor).

#include <kv3d/kv3d.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

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

// Console output plus the real time per iteration of every plain run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (r.run_type == Run::RT_Iteration && r.iterations > 0) {
                real_[r.benchmark_name()] = r.GetAdjustedRealTime();
                cpu_[r.benchmark_name()] = r.GetAdjustedCPUTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // The ratio of the times of a and b, real and CPU.
    void print_ratio(const char* label, const std::string& a, const std::string& b) const {
        const double real = ratio(real_, a, b);
        const double cpu = ratio(cpu_, a, b);
        if (real > 0.0 && cpu > 0.0) {
            std::printf("%-28s real %.3f   cpu %.3f\n", label, real, cpu);
        }
    }

private:
    static double ratio(const std::map<std::string, double>& t, const std::string& a,
                        const std::string& b) {
        const auto ia = t.find(a);
        const auto ib = t.find(b);
        if (ia == t.end() || ib == t.end() || !(ib->second > 0.0)) {
            return 0.0;
        }
        return ia->second / ib->second;
    }

    std::map<std::string, double> real_;
    std::map<std::string, double> cpu_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\ntime ratios per iteration, %zu points:\n", kPoints);
    reporter.print_ratio("Kv3d_apply / plain loop", "BM_Kv3dApplyPoints", "BM_PlainLoopPoints");
    reporter.print_ratio("Kv3d_apply / memcpy", "BM_Kv3dApplyPoints", "BM_MemcpyPoints");
    reporter.print_ratio("plain loop / memcpy", "BM_PlainLoopPoints", "BM_MemcpyPoints");
    benchmark::Shutdown();
    return 0;
}
