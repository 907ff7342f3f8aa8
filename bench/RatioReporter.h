#pragma once

// Console output of Google Benchmark plus the real and CPU time per iteration
// of every run, so that a benchmark's main can print the time ratios of runs
// made in the same process.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

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

    // The ratio of the times of runs a and b, real and CPU; nothing when
    // either did not run.
    void print_ratio(const char* label, const std::string& a, const std::string& b) const {
        const double real = ratio(real_, a, b);
        const double cpu = ratio(cpu_, a, b);
        if (real > 0.0 && cpu > 0.0) {
            std::printf("%-36s real %.4g   cpu %.4g\n", label, real, cpu);
        }
    }

    // The real time of one iteration of name divided by items, in the
    // benchmark's time unit.
    void print_per_item(const char* label, const std::string& name, double items) const {
        const auto it = real_.find(name);
        if (it != real_.end()) {
            std::printf("%-36s %.1f\n", label, it->second / items);
        }
    }

    // The real and CPU time per iteration of run name; 0 when it did not run.
    double real_time(const std::string& name) const { return time(real_, name); }
    double cpu_time(const std::string& name) const { return time(cpu_, name); }

private:
    static double time(const std::map<std::string, double>& t, const std::string& name) {
        const auto it = t.find(name);
        return it != t.end() ? it->second : 0.0;
    }

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

// main of a benchmark: runs the benchmarks the command line selects with a
// RatioReporter, then print_ratios(reporter). Returns the exit status.
template <class PrintRatios>
int run_benchmarks_with_ratios(int argc, char** argv, PrintRatios print_ratios) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    print_ratios(reporter);
    benchmark::Shutdown();
    return 0;
}
