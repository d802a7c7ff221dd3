// Parses generated RSS documents of about 5 MB and 50 MB with TXmlToDomParser and, in the
// same run, with libxml2's xmlReadMemory, and reports time and peak memory of both and their
// ratios. Peak memory is the high-water mark of live heap bytes during one parse, counted
// through operator new for our parser and through libxml2's allocator hooks for the peer.

#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <string>

#include "bench/support/GeneratedRss.h"
#include "bench/support/RecordingReporter.h"
#include "core/MemoryStream.h"
#include "xml/dom/DomImplementation.h"
#include "xml/dom/NodePool.h"
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

// Live heap bytes and their high-water mark, counted for operator new (our parser) and for
// libxml2's allocator hooks alike, so that both peaks are measured the same way.
std::size_t liveBytes = 0;
std::size_t peakBytes = 0;

void* countedMalloc(std::size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) return nullptr;
    liveBytes += malloc_usable_size(block);
    if (liveBytes > peakBytes) peakBytes = liveBytes;
    return block;
}

void countedFree(void* block) {
    if (block == nullptr) return;
    liveBytes -= malloc_usable_size(block);
    std::free(block);
}

void* countedRealloc(void* block, std::size_t size) {
    const std::size_t before = block ? malloc_usable_size(block) : 0;
    void* moved = std::realloc(block, size);
    if (moved == nullptr) return nullptr;
    liveBytes = liveBytes - before + malloc_usable_size(moved);
    if (liveBytes > peakBytes) peakBytes = liveBytes;
    return moved;
}

char* countedStrdup(const char* text) {
    const std::size_t size = std::strlen(text) + 1;
    auto* copy = static_cast<char*>(countedMalloc(size));
    if (copy != nullptr) std::memcpy(copy, text, size);
    return copy;
}

// Peak growth of live heap bytes in kB during one parse. Node chunks kept from earlier
// parses are handed back first, so that the parse has to take all it uses from the heap.
double peakKb(void (*parse)(const std::string&), const std::string& text) {
    TdomNodePool::releaseCachedChunks();
    const std::size_t start = liveBytes;
    peakBytes = liveBytes;
    parse(text);
    return static_cast<double>(peakBytes - start) / 1024.0;
}

void runParse(benchmark::State& state, void (*parse)(const std::string&)) {
    const std::string& text = rssOfSize(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) parse(text);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.counters["peak_kB"] = peakKb(parse, text);
}

void BM_Wispel(benchmark::State& state) {
    runParse(state, parseWithWispel);
}
void BM_Libxml2(benchmark::State& state) {
    runParse(state, parseWithLibxml2);
}

BENCHMARK(BM_Wispel)->Arg(5)->Arg(50)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Libxml2)->Arg(5)->Arg(50)->Unit(benchmark::kMillisecond)->Iterations(3);

// Prints time and peak memory of ours against the peer once every run is done.
void printRatios(const bench::RecordingReporter& reporter) {
    std::printf("\nratio wispel / libxml2 (aim: time <= 2, peak memory <= 2)\n");
    for (const char* size : {"5", "50"}) {
        const std::string ours = std::string("BM_Wispel/") + size + "/iterations:3";
        const std::string peer = std::string("BM_Libxml2/") + size + "/iterations:3";
        std::printf("  %3s MB: time %.2f (CPU %.2f), peak memory %.2f\n", size,
                    bench::ratio(reporter.realTime(ours), reporter.realTime(peer)),
                    bench::ratio(reporter.cpuTime(ours), reporter.cpuTime(peer)),
                    bench::ratio(reporter.counter(ours, "peak_kB"),
                                 reporter.counter(peer, "peak_kB")));
    }
}

}  // namespace

void* operator new(std::size_t size) {
    if (void* block = countedMalloc(size)) return block;
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept {
    countedFree(block);
}
void operator delete(void* block, std::size_t) noexcept {
    countedFree(block);
}

int main(int argc, char** argv) {
    xmlMemSetup(countedFree, countedMalloc, countedRealloc, countedStrdup);
    benchmark::Initialize(&argc, argv);
    wispel::bench::RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printRatios(reporter);
    benchmark::Shutdown();
    xmlCleanupParser();
    return 0;
}
