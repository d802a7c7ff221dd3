#include "bench/support/RecordingReporter.h"

namespace wispel::bench {

void RecordingReporter::ReportRuns(const std::vector<Run>& runs) {
    for (const Run& run : runs) {
        if (run.run_type != Run::RT_Iteration) continue;
        Result& result = results_[run.benchmark_name()];
        result.realTime = run.GetAdjustedRealTime();
        result.cpuTime = run.GetAdjustedCPUTime();
        for (const auto& [counterName, value] : run.counters)
            result.counters[counterName] = value.value;
    }
    ConsoleReporter::ReportRuns(runs);
}

const RecordingReporter::Result* RecordingReporter::find(const std::string& name) const {
    auto found = results_.find(name);
    return found == results_.end() ? nullptr : &found->second;
}

double RecordingReporter::realTime(const std::string& name) const {
    const Result* result = find(name);
    return result ? result->realTime : 0;
}

double RecordingReporter::cpuTime(const std::string& name) const {
    const Result* result = find(name);
    return result ? result->cpuTime : 0;
}

double RecordingReporter::counter(const std::string& name, const std::string& counterName) const {
    const Result* result = find(name);
    if (!result) return 0;
    auto found = result->counters.find(counterName);
    return found == result->counters.end() ? 0 : found->second;
}

double ratio(double a, double b) {
    return (a > 0 && b > 0) ? a / b : 0;
}

}  // namespace wispel::bench
