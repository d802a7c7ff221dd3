// The whole-process benchmark: `wispel-fetch --tsv --file` over a generated feed of escaped
// HTML against the libxml2 and pugixml programs that write the same lines. Every program
// runs as a process of its own, in turns (so that a busy moment of the machine falls on all
// of them alike); wall time and peak resident memory (wait4's ru_maxrss) are taken from
// outside, and the median of the runs counts. The outputs must be identical, byte for byte.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/support/GeneratedRss.h"

namespace {

constexpr int kRuns = 7;
constexpr std::size_t kSizes[] = {10000, 100000};

struct Program {
    const char* name;
    std::vector<std::string> args;  // the feed's path follows
    std::vector<double> millis, megabytes;
};

struct Run {
    double millis = 0, megabytes = 0;
};

// Runs `args` with its standard output in `output`; exits the benchmark when it fails.
Run measure(const std::vector<std::string>& args, const std::string& output) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        const int fd = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || ::dup2(fd, STDOUT_FILENO) < 0) ::_exit(127);
        std::vector<char*> argv;
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || ::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "bench_process: %s failed\n", args[0].c_str());
        std::exit(1);
    }
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    return {took.count(), static_cast<double>(usage.ru_maxrss) / 1024.0};
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::string contentOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

int main() {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("wispel-bench-process-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::printf("whole process over escaped-HTML feeds, median of %d runs each\n", kRuns);
    std::printf("%-8s %-8s %10s %10s %12s   %s\n", "items", "program", "ms", "peak MB",
                "us per item", "wispel / peer (time, memory)");
    double perItemSmall = 0;
    for (std::size_t items : kSizes) {
        const std::string feed = (dir / (std::to_string(items) + ".xml")).string();
        { std::ofstream(feed, std::ios::binary) << wispel::bench::generatedEscapedHtmlRss(items); }
        std::vector<Program> programs = {
            {"wispel", {WISPEL_FETCH, "--tsv", "--file"}, {}, {}},
            {"libxml2", {LIBXML2_TSV}, {}, {}},
            {"pugixml", {PUGIXML_TSV}, {}, {}},
        };
        for (int run = 0; run < kRuns; ++run) {
            for (Program& program : programs) {
                std::vector<std::string> args = program.args;
                args.push_back(feed);
                const std::string output = (dir / (std::string(program.name) + ".tsv")).string();
                const Run measured = measure(args, output);
                program.millis.push_back(measured.millis);
                program.megabytes.push_back(measured.megabytes);
            }
            if (run == 0) {
                const std::string ours = contentOf((dir / "wispel.tsv").string());
                for (const char* peer : {"libxml2", "pugixml"}) {
                    if (contentOf((dir / (std::string(peer) + ".tsv")).string()) != ours) {
                        std::fprintf(stderr, "bench_process: %s writes other lines than wispel\n",
                                     peer);
                        return 1;
                    }
                }
            }
        }
        const double ourMillis = median(programs[0].millis);
        const double ourMegabytes = median(programs[0].megabytes);
        for (const Program& program : programs) {
            const double millis = median(program.millis);
            const double megabytes = median(program.megabytes);
            std::printf("%-8zu %-8s %10.1f %10.1f %12.3f", items, program.name, millis, megabytes,
                        millis * 1000.0 / static_cast<double>(items));
            if (&program != &programs[0]) {
                std::printf("   %.2fx, %.2fx", ourMillis / millis, ourMegabytes / megabytes);
            }
            std::printf("\n");
        }
        const double perItem = ourMillis / static_cast<double>(items);
        if (perItemSmall == 0) {
            perItemSmall = perItem;
        } else {
            std::printf("wispel time per item, %zu against %zu items: %.2fx\n", items, kSizes[0],
                        perItem / perItemSmall);
        }
    }
    std::filesystem::remove_all(dir);
    return 0;
}
