#pragma once
// A console reporter that also keeps what every run measured, by benchmark name, so that a
// benchmark program can print its ratios against the peer after the usual table.

#include <benchmark/benchmark.h>

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

}  // namespace wispel::bench
