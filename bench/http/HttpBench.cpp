// Our HTTP client against curl, all fetching from the same loopback server in one run: a
// 50 MB and a 5 MB body, 200 small bodies over one kept-alive connection, and the 50 MB
// body over TLS (a test CA made for the run, trusted by every client).
//
// Two peers: libcurl in this process with a write callback that appends to a memory
// buffer, which does the same work as our client filling a memory stream (the like-for-like
// ratio), and the curl program writing to /dev/null (the ratio measured before). At the end
// the ratios of the real times (ours / peer) are printed, and our time per megabyte at both
// sizes, which should be flat. The aims: like for like at most 1.2 for the large body, at
// most 1.5 over TLS.

#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/http/BenchServer.h"
#include "bench/support/RecordingReporter.h"
#include "bench/support/RunProgram.h"
#include "core/MemoryStream.h"
#include "http/NetHTTP.h"
#include "http/TLSIntercept.h"
#include "tests/support/TestCertificates.h"

using namespace wispel;

namespace {

constexpr std::size_t kBigSize = 50'000'000;
constexpr std::size_t kMidSize = 5'000'000;
constexpr std::size_t kSmallSize = 2000;
constexpr int kSmallCount = 200;
// Seconds each benchmark runs at least: on a busy machine single runs of the large bodies
// vary too much.
constexpr double kMinTime = 2;

// The name a run is reported under: the benchmark's name and its settings.
std::string runName(const std::string& benchmark) {
    char settings[64];
    std::snprintf(settings, sizeof settings, "/min_time:%.3f/real_time", kMinTime);
    return benchmark + settings;
}

bench::BenchServer& server() {
    static bench::BenchServer instance({{"/big", kBigSize}, {"/mid", kMidSize}}, kSmallSize);
    return instance;
}

// The certificates of the TLS server, made once in a folder of their own; the test CA is
// trusted through SSL_CERT_FILE by our client and named to curl.
const test::TestCertificates& certificates() {
    static const test::TestCertificates instance = [] {
        char pattern[] = "/tmp/wispel-bench-tls-XXXXXX";
        return test::TestCertificates(::mkdtemp(pattern));
    }();
    return instance;
}

bench::BenchServer& tlsServer() {
    static bench::BenchServer instance({{"/big", kBigSize}}, kSmallSize, certificates().good);
    return instance;
}

std::size_t sizeOf(const std::string& path) {
    return path == "/big" ? kBigSize : kMidSize;
}

// Runs the curl program with its output sent to /dev/null.
void runCurl(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{WISPEL_CURL, "-s", "-f"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    bench::runProgram(argv);
}

// libcurl keeping the body in memory, as a program using it would.
class CurlFetcher {
public:
    explicit CurlFetcher(const std::string& caFile = "") : handle_(curl_easy_init()) {
        if (!caFile.empty()) curl_easy_setopt(handle_, CURLOPT_CAINFO, caFile.c_str());
        curl_easy_setopt(handle_, CURLOPT_WRITEFUNCTION, &CurlFetcher::append);
        curl_easy_setopt(handle_, CURLOPT_WRITEDATA, &body_);
        curl_easy_setopt(handle_, CURLOPT_FAILONERROR, 1L);
    }
    ~CurlFetcher() { curl_easy_cleanup(handle_); }
    CurlFetcher(const CurlFetcher&) = delete;
    CurlFetcher& operator=(const CurlFetcher&) = delete;

    // The size of the body fetched into a fresh buffer.
    std::size_t get(const std::string& url) {
        body_ = std::string();
        curl_easy_setopt(handle_, CURLOPT_URL, url.c_str());
        if (curl_easy_perform(handle_) != CURLE_OK) throw std::runtime_error("libcurl failed");
        return body_.size();
    }

private:
    static std::size_t append(char* bytes, std::size_t size, std::size_t count, void* body) {
        static_cast<std::string*>(body)->append(bytes, size * count);
        return size * count;
    }

    CURL* handle_;
    std::string body_;
};

void BM_Large_Wispel(benchmark::State& state, const std::string& path) {
    for (auto _ : state) {
        TNetHTTP http;
        TMemoryStream body;
        http.Get(server().url(path), body);
        http.Disconnect();
        if (body.Size() != static_cast<std::int64_t>(sizeOf(path))) state.SkipWithError("short");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(sizeOf(path)));
}

void BM_Large_Libcurl(benchmark::State& state, const std::string& path) {
    for (auto _ : state) {
        CurlFetcher curl;
        if (curl.get(server().url(path)) != sizeOf(path)) state.SkipWithError("short");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(sizeOf(path)));
}

void BM_Big_CurlProgram(benchmark::State& state) {
    for (auto _ : state) runCurl({server().url("/big")});
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kBigSize));
}

void BM_Tls_Wispel(benchmark::State& state) {
    for (auto _ : state) {
        TNetTLSIntercept tls;
        TNetHTTP http;
        http.SetIntercept(&tls);
        TMemoryStream body;
        http.Get(tlsServer().url("/big"), body);
        http.Disconnect();
        if (body.Size() != static_cast<std::int64_t>(kBigSize)) state.SkipWithError("short");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kBigSize));
}

void BM_Tls_Libcurl(benchmark::State& state) {
    for (auto _ : state) {
        CurlFetcher curl(certificates().ca);
        if (curl.get(tlsServer().url("/big")) != kBigSize) state.SkipWithError("short");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kBigSize));
}

void BM_Tls_CurlProgram(benchmark::State& state) {
    for (auto _ : state) runCurl({"--cacert", certificates().ca, tlsServer().url("/big")});
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

void BM_Small_Libcurl(benchmark::State& state) {
    for (auto _ : state) {
        CurlFetcher curl;  // one handle keeps its connection alive, as our client does
        for (int i = 1; i <= kSmallCount; ++i)
            curl.get(server().url("/small/" + std::to_string(i)));
    }
    state.SetItemsProcessed(state.iterations() * kSmallCount);
}

void BM_Small_CurlProgram(benchmark::State& state) {
    // One curl process fetches all of them over one connection, as our client does.
    std::string glob = server().url("/small/[1-" + std::to_string(kSmallCount) + "]");
    for (auto _ : state) runCurl({glob});
    state.SetItemsProcessed(state.iterations() * kSmallCount);
}

BENCHMARK_CAPTURE(BM_Large_Wispel, Big, std::string("/big"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(kMinTime);
BENCHMARK_CAPTURE(BM_Large_Libcurl, Big, std::string("/big"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(kMinTime);
BENCHMARK(BM_Big_CurlProgram)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(kMinTime);
BENCHMARK_CAPTURE(BM_Large_Wispel, Mid, std::string("/mid"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(kMinTime);
BENCHMARK_CAPTURE(BM_Large_Libcurl, Mid, std::string("/mid"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(kMinTime);
BENCHMARK(BM_Tls_Wispel)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(kMinTime);
BENCHMARK(BM_Tls_Libcurl)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(kMinTime);
BENCHMARK(BM_Tls_CurlProgram)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(kMinTime);
BENCHMARK(BM_Small_Wispel)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(kMinTime);
BENCHMARK(BM_Small_Libcurl)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(kMinTime);
BENCHMARK(BM_Small_CurlProgram)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(kMinTime);

void printRatio(const bench::RecordingReporter& reporter, const std::string& ours,
                const std::string& peer) {
    std::printf("ratio %s / %s: %.2f\n", ours.c_str(), peer.c_str(),
                bench::ratio(reporter.realTime(runName(ours)), reporter.realTime(runName(peer))));
}

}  // namespace

int main(int argc, char** argv) {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    ::setenv("SSL_CERT_FILE", certificates().ca.c_str(), 1);
    benchmark::Initialize(&argc, argv);
    bench::RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printRatio(reporter, "BM_Large_Wispel/Big", "BM_Large_Libcurl/Big");
    printRatio(reporter, "BM_Large_Wispel/Big", "BM_Big_CurlProgram");
    printRatio(reporter, "BM_Large_Wispel/Mid", "BM_Large_Libcurl/Mid");
    printRatio(reporter, "BM_Tls_Wispel", "BM_Tls_Libcurl");
    printRatio(reporter, "BM_Tls_Wispel", "BM_Tls_CurlProgram");
    printRatio(reporter, "BM_Small_Wispel", "BM_Small_Libcurl");
    printRatio(reporter, "BM_Small_Wispel", "BM_Small_CurlProgram");
    double big = reporter.realTime(runName("BM_Large_Wispel/Big")) / (kBigSize / 1e6);
    double mid = reporter.realTime(runName("BM_Large_Wispel/Mid")) / (kMidSize / 1e6);
    std::printf("ours per MB: %.2f ms at 50 MB, %.2f ms at 5 MB\n", big, mid);
    benchmark::Shutdown();
    curl_global_cleanup();
    return 0;
}
