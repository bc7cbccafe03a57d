// Pairs of benchmarks in one run: a case registered as "<case>/ours" next to "<case>/<reference>"
// gets a closing line with both times and the ratio reference time / our time (above 1: ours is
// faster). CPU times per iteration; medians when the run repeats, so the ratios are printed with
// --benchmark_report_aggregates_only as well.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace bench {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Aggregate && !median) continue;
            Timing& t = m_times[run.run_name.function_name];
            double ns = run.GetAdjustedCPUTime() * multiplier(run.time_unit);
            if (median) {
                t.median = ns;
            } else {
                t.samples.push_back(ns);
            }
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::map<std::string, std::vector<std::pair<std::string, double>>> cases;
        for (const auto& [name, timing] : m_times) {
            std::size_t slash = name.rfind('/');
            if (slash == std::string::npos) continue;
            cases[name.substr(0, slash)].emplace_back(name.substr(slash + 1), timing.value());
        }
        std::printf("\n%-44s %12s %14s %12s %8s\n", "case", "ours (ns)", "reference", "(ns)", "ratio");
        for (const auto& [name, sides] : cases) {
            double ours = -1;
            for (const auto& [side, ns] : sides)
                if (side == "ours") ours = ns;
            if (ours <= 0) continue;
            for (const auto& [side, ns] : sides)
                if (side != "ours") std::printf("%-44s %12.1f %14s %12.1f %8.2f\n", name.c_str(), ours, side.c_str(), ns, ns / ours);
        }
        std::fflush(stdout);
    }

private:
    struct Timing {
        double median = -1;
        std::vector<double> samples;
        double value() const {
            if (median > 0 || samples.empty()) return median;
            double sum = 0;
            for (double s : samples) sum += s;
            return sum / double(samples.size());
        }
    };
    static double multiplier(benchmark::TimeUnit unit) {
        switch (unit) {
            case benchmark::kSecond: return 1e9;
            case benchmark::kMillisecond: return 1e6;
            case benchmark::kMicrosecond: return 1e3;
            default: return 1;
        }
    }
    std::map<std::string, Timing> m_times;
};

// main() of a benchmark program whose pairs are reported as ratios.
inline int runWithRatios(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

}  // namespace bench
