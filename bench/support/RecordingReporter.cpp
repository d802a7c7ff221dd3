#include "bench/support/RecordingReporter.h"

#include <cstdio>

namespace wispel::bench {

// Of the repetitions of one benchmark the fastest is kept: other work on the machine only
// ever slows a run down. They are kept under the name without the count of repetitions,
// which the programs' reports ask for whatever the command line set.
void RecordingReporter::ReportRuns(const std::vector<Run>& runs) {
    for (const Run& run : runs) {
        if (run.run_type != Run::RT_Iteration) continue;
        benchmark::BenchmarkName name = run.run_name;
        name.repetitions.clear();
        auto [found, first] = results_.try_emplace(name.str());
        Result& result = found->second;
        if (!first && result.realTime <= run.GetAdjustedRealTime()) continue;
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

void printScaling(const RecordingReporter& reporter, const ScalingPair& pair) {
    auto perUnit = [&](const std::string& name, long size) {
        return reporter.counter(name + "/" + std::to_string(size), pair.counter);
    };
    const double small = perUnit(pair.ours, pair.small);
    const double large = perUnit(pair.ours, pair.large);
    if (small <= 0 || large <= 0) return;
    std::printf("\nper unit, %ld / %ld %s (aim: < %.1f): ours %.2f, peer %.2f\n", pair.large,
                pair.small, pair.units.c_str(), pair.growthAim, large / small,
                ratio(perUnit(pair.peer, pair.large), perUnit(pair.peer, pair.small)));
    std::printf("ratio ours / peer per unit (aim: <= %.1f): %ld %s %.2f, %ld %s %.2f\n",
                pair.ratioAim, pair.small, pair.units.c_str(),
                ratio(small, perUnit(pair.peer, pair.small)), pair.large, pair.units.c_str(),
                ratio(large, perUnit(pair.peer, pair.large)));
}

// Repetitions of our benchmarks and the peer's run in random order, so that a spell of other
// work on the machine does not fall on one side only; a flag on the command line still wins.
int runBenchmarks(int argc, char** argv,
                  const std::function<void(const RecordingReporter&)>& report) {
    std::vector<char*> args(argv, argv + argc);
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave);
    args.push_back(nullptr);
    argc = static_cast<int>(args.size()) - 1;
    argv = args.data();
    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    report(reporter);
    benchmark::Shutdown();
    return 0;
}

}  // namespace wispel::bench
