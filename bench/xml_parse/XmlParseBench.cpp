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

#include "core/MemoryStream.h"
#include "xml/dom/DomImplementation.h"
#include "xml/parser/XmlToDomParser.h"

namespace {

using namespace wispel;

std::string makeRss(std::size_t targetBytes) {
    std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\">\n<channel>\n"
        "  <title>Generated feed</title>\n  <link>http://127.0.0.1/</link>\n"
        "  <description>Items for the parser benchmark</description>\n";
    for (std::size_t i = 0; text.size() < targetBytes; ++i) {
        const std::string n = std::to_string(i);
        text += "  <item>\n    <title>News item " + n + " &amp; more</title>\n";
        text += "    <link>http://127.0.0.1/news/" + n + ".html</link>\n";
        text += "    <description>The text of item " + n +
                ", with some words in it to make it look like a real description of a news "
                "story &#169; 2026.</description>\n";
        text += "    <guid isPermaLink=\"false\">id-" + n + "</guid>\n";
        text += "    <pubDate>Thu, 10 Dec 2026 03:00:00 GMT</pubDate>\n  </item>\n";
    }
    text += "</channel>\n</rss>\n";
    return text;
}

const std::string& rssOfSize(std::size_t megabytes) {
    static std::map<std::size_t, std::string> cache;
    auto found = cache.find(megabytes);
    if (found == cache.end()) {
        found = cache.emplace(megabytes, makeRss(megabytes * 1000 * 1000)).first;
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

// Peak growth of live heap bytes in kB during one parse.
double peakKb(void (*parse)(const std::string&), const std::string& text) {
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

// Collects the runs so that the ratios can be printed after the usual table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            Result& result = results_[run.benchmark_name()];
            result.seconds = run.GetAdjustedRealTime();
            result.cpuSeconds = run.GetAdjustedCPUTime();
            auto peak = run.counters.find("peak_kB");
            if (peak != run.counters.end()) result.peakKb = peak->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void printRatios() const {
        std::printf("\nratio wispel / libxml2 (aim: time <= 2, peak memory <= 2)\n");
        for (const char* size : {"5", "50"}) {
            const auto ours = results_.find(std::string("BM_Wispel/") + size + "/iterations:3");
            const auto peer = results_.find(std::string("BM_Libxml2/") + size + "/iterations:3");
            if (ours == results_.end() || peer == results_.end()) continue;
            std::printf("  %3s MB: time %.2f (CPU %.2f), peak memory %.2f\n", size,
                        ours->second.seconds / peer->second.seconds,
                        ours->second.cpuSeconds / peer->second.cpuSeconds,
                        ours->second.peakKb / peer->second.peakKb);
        }
    }

private:
    struct Result {
        double seconds = 0;
        double cpuSeconds = 0;
        double peakKb = 0;
    };
    std::map<std::string, Result> results_;
};

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
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    xmlCleanupParser();
    return 0;
}
