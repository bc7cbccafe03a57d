// The console reporter of the benchmark programs, which keeps each benchmark's time per iteration
// so that ratios can be printed after the table. Times are in nanoseconds per iteration: the
// median when the run repeats (so ratios are printed with --benchmark_report_aggregates_only as
// well), else the mean of the runs. Failed runs are left out.
//
// Two uses:
// - Pairs: a case registered as "<case>/ours" next to "<case>/<reference>" gets a closing line with
//   both times and the ratio reference time / our time (above 1: ours is faster). The table is
//   printed when at least one pair ran; it uses the clock given to the constructor, CPU time by
//   default (graphics, sprites, frame).
// - By name: time(name, clock) for a program that computes its own ratios after the run, by the
//   benchmark's name with its arguments ("BM_Mark_Walk/shape:0/bytes:1048576"). Each program says
//   which clock it reads; heap, gc and present read real (wall) time.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace bench {

// Which time of a run: CPU time of the benchmark's thread, or real (wall) time.
enum class Clock { Cpu, Real };

class RatioReporter : public benchmark::ConsoleReporter {
public:
    explicit RatioReporter(Clock pairClock = Clock::Cpu) : m_pairClock(pairClock) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Aggregate && !median) continue;
            double unit = multiplier(run.time_unit);
            double cpu = run.GetAdjustedCPUTime() * unit;
            double real = run.GetAdjustedRealTime() * unit;
            // The function and its arguments: options such as min_time are left out of the key.
            std::string name = run.run_name.function_name;
            if (!run.run_name.args.empty()) name += "/" + run.run_name.args;
            m_byName[name].add(median, cpu, real);
            for (const auto& [key, counter] : run.counters) m_counters[name][key].add(median, counter.value);
            // Pairs are named by the registered name alone, whatever arguments follow it.
            m_byFunction[run.run_name.function_name].add(median, cpu, real);
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::map<std::string, std::vector<std::pair<std::string, double>>> cases;
        for (const auto& [name, times] : m_byFunction) {
            std::size_t slash = name.rfind('/');
            if (slash == std::string::npos) continue;
            cases[name.substr(0, slash)].emplace_back(name.substr(slash + 1), times.value(m_pairClock));
        }
        bool header = false;
        for (const auto& [name, sides] : cases) {
            double ours = -1;
            for (const auto& [side, ns] : sides)
                if (side == "ours") ours = ns;
            if (ours <= 0) continue;
            for (const auto& [side, ns] : sides) {
                if (side == "ours") continue;
                if (!header) {
                    std::printf("\n%-44s %12s %14s %12s %8s\n", "case", "ours (ns)", "reference", "(ns)", "ratio");
                    header = true;
                }
                std::printf("%-44s %12.1f %14s %12.1f %8.2f\n", name.c_str(), ours, side.c_str(), ns, ns / ours);
            }
        }
        std::fflush(stdout);
    }

    // Nanoseconds per iteration of the benchmark named `name` (arguments included) by `clock`,
    // 0 when it did not run.
    double time(const std::string& name, Clock clock) const {
        auto it = m_byName.find(name);
        if (it == m_byName.end()) return 0;
        double ns = it->second.value(clock);
        return ns > 0 ? ns : 0;
    }

    // The counter `key` of the benchmark named `name` (as in time()), by the same rule as its
    // time (the median when the run repeats); 0 when it did not run or has no such counter.
    double counter(const std::string& name, const std::string& key) const {
        auto it = m_counters.find(name);
        if (it == m_counters.end()) return 0;
        auto c = it->second.find(key);
        return c == it->second.end() ? 0 : std::max(c->second.value(), 0.0);
    }

    // The names that time() knows, in order.
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        out.reserve(m_byName.size());
        for (const auto& entry : m_byName) out.push_back(entry.first);
        return out;
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
        void add(bool isMedian, double ns) {
            if (isMedian) {
                median = ns;
            } else {
                samples.push_back(ns);
            }
        }
    };
    struct Times {
        Timing cpu;
        Timing real;
        void add(bool isMedian, double cpuNs, double realNs) {
            cpu.add(isMedian, cpuNs);
            real.add(isMedian, realNs);
        }
        double value(Clock clock) const { return clock == Clock::Cpu ? cpu.value() : real.value(); }
    };
    static double multiplier(benchmark::TimeUnit unit) {
        switch (unit) {
            case benchmark::kSecond: return 1e9;
            case benchmark::kMillisecond: return 1e6;
            case benchmark::kMicrosecond: return 1e3;
            default: return 1;
        }
    }
    Clock m_pairClock;
    std::map<std::string, Times> m_byName;
    std::map<std::string, Times> m_byFunction;
    std::map<std::string, std::map<std::string, Timing>> m_counters;
};

// Initialises the library, runs the benchmarks the command line picks with `reporter` and shuts
// the library down; false when the command line has arguments it does not know.
inline bool runBenchmarks(int argc, char** argv, RatioReporter& reporter) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return false;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return true;
}

// main() of a benchmark program whose pairs are reported as ratios (CPU time).
inline int runWithRatios(int argc, char** argv) {
    RatioReporter reporter;
    return runBenchmarks(argc, argv, reporter) ? 0 : 1;
}

}  // namespace bench
