// The tool's point-file reader on a file of 2 x 10^6 points (about 66 MB),
// against the textbook istream >> reader and against reading the bytes
// alone (the floor). Throughput is printed as bytes per second.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "PointFileReader.h"

namespace {

constexpr int kPoints = 2000000;

const std::string& points_file() {
    static const std::string path = [] {
        const std::string p =
            (std::filesystem::temp_directory_path() / "kv3d-bench-points.txt").string();
        std::mt19937 rng(1);
        std::uniform_real_distribution<double> d(-999.0, 999.0);
        std::FILE* f = std::fopen(p.c_str(), "w");
        for (int i = 0; i < kPoints; ++i) {
            std::fprintf(f, "%.6f %.6f %.6f\n", d(rng), d(rng), d(rng));
        }
        std::fclose(f);
        return p;
    }();
    return path;
}

void set_bytes(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(std::filesystem::file_size(points_file())));
}

void BM_PointFileReader(benchmark::State& state) {
    std::istringstream no_input;
    const kv3dcli::PointFileReader reader(no_input);
    for (auto _ : state) {
        const KvArray<Kv3dPoint> points = reader.read_points(points_file(), 1);
        benchmark::DoNotOptimize(points.data());
    }
    set_bytes(state);
}

void BM_TextbookIstream(benchmark::State& state) {
    for (auto _ : state) {
        std::ifstream in(points_file());
        std::vector<Kv3dPoint> points;
        double x = 0.0;
        double y = 0.0;
        double z = 0.0;
        while (in >> x >> y >> z) {
            points.emplace_back(x, y, z);
        }
        benchmark::DoNotOptimize(points.data());
    }
    set_bytes(state);
}

void BM_BytesOnly(benchmark::State& state) {
    std::vector<char> buffer(1 << 20);
    for (auto _ : state) {
        std::FILE* f = std::fopen(points_file().c_str(), "rb");
        while (std::fread(buffer.data(), 1, buffer.size(), f) == buffer.size()) {
        }
        std::fclose(f);
        benchmark::DoNotOptimize(buffer.data());
    }
    set_bytes(state);
}

BENCHMARK(BM_PointFileReader)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_TextbookIstream)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_BytesOnly)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    points_file();  // written once, before anything is timed
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
