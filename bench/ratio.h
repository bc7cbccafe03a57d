// A console reporter that also keeps each benchmark's time per iteration, so that a program can
// print ratios after the table: the median when repetitions report aggregates (also with
// --benchmark_report_aggregates_only), else the single run's time.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <set>
#include <string>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            // The function and its arguments: options such as min_time are left out of the key.
            std::string name = run.run_name.function_name;
            if (!run.run_name.args.empty()) name += "/" + run.run_name.args;
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                times[name] = run.GetAdjustedRealTime();
                medians.insert(name);
            } else if (run.run_type == Run::RT_Iteration && !medians.count(name)) {
                times[name] = run.GetAdjustedRealTime();
            }
        }
    }
    // Time per iteration of the benchmark named `name` (arguments included), 0 when it did not run.
    double time(const std::string& name) const {
        auto it = times.find(name);
        return it == times.end() ? 0 : it->second;
    }
    std::map<std::string, double> times;

private:
    std::set<std::string> medians;
};
