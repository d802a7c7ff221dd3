#pragma once
// A console reporter that also keeps what every run measured, by benchmark name, so that a
// benchmark program can print its ratios against the peer after the usual table.

#include <benchmark/benchmark.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace wispel::bench {

class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override;

    // Each answers 0 for a benchmark or counter that did not run.
    double realTime(const std::string& name) const;
    double cpuTime(const std::string& name) const;
    double counter(const std::string& name, const std::string& counterName) const;

private:
    struct Result {
        double realTime = 0;
        double cpuTime = 0;
        std::map<std::string, double> counters;
    };
    const Result* find(const std::string& name) const;

    std::map<std::string, Result> results_;
};

// a / b, or 0 when either is missing.
double ratio(double a, double b);

// A benchmark of ours and its peer's, each run at a small and a large size (their names are
// "<name>/<size>") and each setting the per-unit counter `counter`.
struct ScalingPair {
    std::string ours, peer;
    long small, large;
    std::string counter;  // e.g. "s_per_row"
    std::string units;    // e.g. "rows", for the printed lines
    double growthAim, ratioAim;
};
// Prints how the cost per unit grows from the small to the large size, for ours and the
// peer, and ours against the peer at both sizes.
void printScaling(const RecordingReporter& reporter, const ScalingPair& pair);

// The body of a benchmark program's main: runs what the command line selects through a
// RecordingReporter (repetitions in random order, the fastest of each kept), then lets
// `report` print the program's ratios.
int runBenchmarks(int argc, char** argv,
                  const std::function<void(const RecordingReporter&)>& report);

}  // namespace wispel::bench
