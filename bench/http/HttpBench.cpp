// Our HTTP client against curl, both fetching from the same loopback server in one run:
// one 50 MB body, and 200 small bodies over one kept-alive connection. At the end the
// ratios of the real times (ours / curl) are printed; the aim is at most 1.5.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/http/BenchServer.h"
#include "bench/support/RecordingReporter.h"
#include "core/MemoryStream.h"
#include "http/NetHTTP.h"

extern char** environ;

using namespace wispel;

namespace {

constexpr std::size_t kBigSize = 50'000'000;
constexpr std::size_t kSmallSize = 2000;
constexpr int kSmallCount = 200;

bench::BenchServer& server() {
    static bench::BenchServer instance(kBigSize, kSmallSize);
    return instance;
}

// Runs curl with its output sent to /dev/null.
void runCurl(const std::vector<std::string>& arguments) {
    std::vector<char*> argv{const_cast<char*>(WISPEL_CURL), const_cast<char*>("-s"),
                            const_cast<char*>("-f")};
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid;
    if (posix_spawn(&pid, WISPEL_CURL, &actions, nullptr, argv.data(), environ) != 0) {
        throw std::runtime_error("cannot start curl");
    }
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error("curl failed");
}

void BM_Big_Wispel(benchmark::State& state) {
    for (auto _ : state) {
        TNetHTTP http;
        TMemoryStream body;
        http.Get(server().url("/big"), body);
        http.Disconnect();
        if (body.Size() != static_cast<std::int64_t>(kBigSize)) state.SkipWithError("short body");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kBigSize));
}

void BM_Big_Curl(benchmark::State& state) {
    for (auto _ : state) runCurl({server().url("/big")});
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kBigSize));
}

void BM_Small_Wispel(benchmark::State& state) {
    for (auto _ : state) {
        TNetHTTP http;
        for (int i = 1; i <= kSmallCount; ++i) {
            TMemoryStream body;
            http.Get(server().url("/small/" + std::to_string(i)), body);
        }
        http.Disconnect();
    }
    state.SetItemsProcessed(state.iterations() * kSmallCount);
}

void BM_Small_Curl(benchmark::State& state) {
    // One curl process fetches all of them over one connection, as our client does.
    std::string glob = server().url("/small/[1-" + std::to_string(kSmallCount) + "]");
    for (auto _ : state) runCurl({glob});
    state.SetItemsProcessed(state.iterations() * kSmallCount);
}

BENCHMARK(BM_Big_Wispel)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Big_Curl)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Small_Wispel)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Small_Curl)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    wispel::bench::RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const char* size : {"Big", "Small"}) {
        const std::string ours = std::string("BM_") + size + "_Wispel/real_time";
        const std::string peer = std::string("BM_") + size + "_Curl/real_time";
        std::printf("ratio %s / %s: %.2f\n", ours.c_str(), peer.c_str(),
                    wispel::bench::ratio(reporter.realTime(ours), reporter.realTime(peer)));
    }
    benchmark::Shutdown();
    return 0;
}
