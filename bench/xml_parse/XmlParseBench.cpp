// Parses generated RSS documents of about 5 MB and 50 MB, and feeds of 10 000 and 100 000
// items with escaped-HTML descriptions, with TXmlToDomParser and, in the same run, with
// libxml2's xmlReadMemory, and reports time and peak memory of both and their ratios. Peak
// memory is the high-water mark of live heap bytes during one parse, counted through
// operator new for our parser and through libxml2's allocator hooks for the peer.

#include <benchmark/benchmark.h>
#include <libxml/parser.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "bench/support/GeneratedRss.h"
#include "bench/support/PeakMemory.h"
#include "bench/support/RecordingReporter.h"
#include "core/MemoryStream.h"
#include "xml/dom/DomImplementation.h"
#include "xml/parser/XmlToDomParser.h"

namespace {

using namespace wispel;

const std::string& rssOfSize(std::size_t megabytes) {
    static std::map<std::size_t, std::string> cache;
    auto found = cache.find(megabytes);
    if (found == cache.end()) {
        found = cache.emplace(megabytes, bench::generatedRssOfSize(megabytes * 1000 * 1000)).first;
    }
    return found->second;
}

void parseWithWispel(const std::string& text) {
    TDomImplementation impl(nullptr);
    TXmlToDomParser parser(nullptr);
    parser.setDOMImpl(&impl);
    TMemoryStream stream;
    stream.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
    TdomDocument* doc = parser.parseStream(&stream);
    benchmark::DoNotOptimize(doc);
    if (doc == nullptr) std::abort();
}

void parseWithLibxml2(const std::string& text) {
    xmlDocPtr doc = xmlReadMemory(text.data(), static_cast<int>(text.size()), "bench.xml", nullptr,
                                  XML_PARSE_NONET);
    if (doc == nullptr) std::abort();
    xmlFreeDoc(doc);
}

void runParse(benchmark::State& state, void (*parse)(const std::string&), const std::string& text) {
    for (auto _ : state) parse(text);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.counters["peak_kB"] = bench::peakKb([&] { parse(text); });
}

void runParse(benchmark::State& state, void (*parse)(const std::string&)) {
    runParse(state, parse, rssOfSize(static_cast<std::size_t>(state.range(0))));
}

// The escaped-HTML shape, by item count: about 25 entity references per item.
const std::string& escapedHtmlRss(std::size_t items) {
    static std::map<std::size_t, std::string> cache;
    auto found = cache.find(items);
    if (found == cache.end()) {
        found = cache.emplace(items, bench::generatedEscapedHtmlRss(items)).first;
    }
    return found->second;
}

void runEscapedParse(benchmark::State& state, void (*parse)(const std::string&)) {
    runParse(state, parse, escapedHtmlRss(static_cast<std::size_t>(state.range(0))));
}

void BM_Wispel(benchmark::State& state) {
    runParse(state, parseWithWispel);
}
void BM_Libxml2(benchmark::State& state) {
    runParse(state, parseWithLibxml2);
}

void BM_EscapedHtml_Wispel(benchmark::State& state) {
    runEscapedParse(state, parseWithWispel);
}
void BM_EscapedHtml_Libxml2(benchmark::State& state) {
    runEscapedParse(state, parseWithLibxml2);
}

BENCHMARK(BM_Wispel)->Arg(5)->Arg(50)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Libxml2)->Arg(5)->Arg(50)->Unit(benchmark::kMillisecond)->Iterations(3);
// Repeated, the fastest counted (see runBenchmarks): these ratios carry an aim of their own.
BENCHMARK(BM_EscapedHtml_Wispel)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(5);
BENCHMARK(BM_EscapedHtml_Libxml2)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(5);

// Prints time and peak memory of ours against the peer once every run is done.
void printRatios(const bench::RecordingReporter& reporter) {
    auto print = [&](const std::string& label, const std::string& ours, const std::string& peer) {
        std::printf(
            "  %s: time %.2f (CPU %.2f), peak memory %.2f\n", label.c_str(),
            bench::ratio(reporter.realTime(ours), reporter.realTime(peer)),
            bench::ratio(reporter.cpuTime(ours), reporter.cpuTime(peer)),
            bench::ratio(reporter.counter(ours, "peak_kB"), reporter.counter(peer, "peak_kB")));
    };
    std::printf("\nratio wispel / libxml2 (aim: time <= 2, peak memory <= 2)\n");
    for (const std::string size : {"5", "50"}) {
        print(size + " MB", "BM_Wispel/" + size + "/iterations:3",
              "BM_Libxml2/" + size + "/iterations:3");
    }
    std::printf("escaped HTML descriptions (aim: time <= 1.5, peak memory <= 1.5)\n");
    for (const std::string items : {"10000", "100000"}) {
        print(items + " items", "BM_EscapedHtml_Wispel/" + items + "/iterations:3/repeats:5",
              "BM_EscapedHtml_Libxml2/" + items + "/iterations:3/repeats:5");
    }
}

}  // namespace

int main(int argc, char** argv) {
    xmlMemSetup(wispel::bench::countedFree, wispel::bench::countedMalloc,
                wispel::bench::countedRealloc, wispel::bench::countedStrdup);
    const int status = wispel::bench::runBenchmarks(argc, argv, printRatios);
    xmlCleanupParser();
    return status;
}
