// Update cycles over generated RSS 2.0 feeds served from a local HTTP server on 127.0.0.1:
// each due feed is retrieved and handed to a parser that collects title, link and
// description of every item. Ours (TRSSParser) against libxml2 (tree parse plus a walk over
// the item elements) in the same run, over the same retriever; and the parse alone, from
// memory, to show the time per item staying flat as feeds grow.
//
// The pipeline benchmarks follow `wispel-fetch --tsv` over one feed of 1 000 to 100 000
// items with escaped-HTML descriptions (about 25 entity references per item): parse, walk,
// field text and one tab-separated line per item, against libxml2's xmlReadMemory, a walk
// of the same items and the same lines; each reports its peak heap memory as well.
//
// Counters: "per_feed" and "per_item" are seconds per feed and per item; "peak_kB" the
// high-water mark of live heap bytes during one run.

#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "bench/support/GeneratedRss.h"
#include "bench/support/PeakMemory.h"
#include "bench/support/RecordingReporter.h"
#include "core/MemoryStream.h"
#include "feeds/FeedParser.h"
#include "feeds/Retriever.h"
#include "feeds/Sources.h"
#include "tests/support/LocalHttpServer.h"
#include "tools/wispel-fetch/FetchOutput.h"

using namespace wispel;

namespace {

// The generated feeds, one file per size, and the server that serves them.
class FeedServer {
public:
    FeedServer() {
        char pattern[] = "/tmp/wispel-bench-feeds-XXXXXX";
        if (!::mkdtemp(pattern)) std::abort();
        dir_ = pattern;
        for (int items : {10, 100, 1000, 10000}) {
            std::ofstream(dir_ + "/" + std::to_string(items) + ".xml", std::ios::binary)
                << bench::generatedRss(static_cast<std::size_t>(items));
        }
        server_ = std::make_unique<test::LocalHttpServer>(dir_);
    }
    ~FeedServer() {
        server_.reset();
        std::filesystem::remove_all(dir_);
    }
    std::string url(int items, int feed) const {
        std::string path = "/";
        path += std::to_string(items);
        path += ".xml?feed=";
        path += std::to_string(feed);
        return server_->url(path);
    }

private:
    std::string dir_;
    std::unique_ptr<test::LocalHttpServer> server_;
};

FeedServer& feedServer() {
    static FeedServer server;
    return server;
}

struct PeerItem {
    std::string title, link, description;
};

std::string contentOf(xmlNode* node) {
    xmlChar* text = xmlNodeGetContent(node);
    std::string out = text ? reinterpret_cast<const char*>(text) : "";
    xmlFree(text);
    return out;
}

// The peer's walk: libxml2's tree, then every item element's title, link and description,
// handed to `add`. False when the document does not parse.
template <class Add>
bool peerWalk(const char* bytes, int size, Add add) {
    xmlDoc* doc = xmlReadMemory(bytes, size, nullptr, nullptr, XML_PARSE_NONET);
    if (!doc) return false;
    std::vector<xmlNode*> stack{xmlDocGetRootElement(doc)};
    while (!stack.empty()) {
        xmlNode* node = stack.back();
        stack.pop_back();
        for (; node; node = node->next) {
            if (node->type != XML_ELEMENT_NODE) continue;
            const std::string name = reinterpret_cast<const char*>(node->name);
            if (name == "image") continue;
            if (name != "item") {
                stack.push_back(node->children);
                continue;
            }
            PeerItem item;
            for (xmlNode* field = node->children; field; field = field->next) {
                if (field->type != XML_ELEMENT_NODE) continue;
                const std::string fieldName = reinterpret_cast<const char*>(field->name);
                if (fieldName == "title") item.title = contentOf(field);
                if (fieldName == "link") item.link = contentOf(field);
                if (fieldName == "description") item.description = contentOf(field);
            }
            add(std::move(item));
        }
    }
    xmlFreeDoc(doc);
    return true;
}

std::vector<PeerItem> peerParse(const char* bytes, int size) {
    std::vector<PeerItem> items;
    peerWalk(bytes, size, [&](PeerItem item) { items.push_back(std::move(item)); });
    return items;
}

int feedsFor(int items) {
    return items >= 10000 ? 10 : 100;
}

void setCounters(benchmark::State& state, int feeds, int items) {
    using benchmark::Counter;
    state.counters["per_feed"] =
        Counter(feeds, Counter::kIsIterationInvariantRate | Counter::kInvert);
    state.counters["per_item"] = Counter(static_cast<double>(feeds) * items,
                                         Counter::kIsIterationInvariantRate | Counter::kInvert);
}

template <class Handler>
void runCycle(benchmark::State& state, Handler handler) {
    const int items = static_cast<int>(state.range(0));
    const int feeds = feedsFor(items);
    TRSSRetriever retriever;
    TRSSSources sources;
    sources.SetRetriever(&retriever);
    for (int f = 0; f < feeds; ++f) {
        TRSSSourceItem* source = sources.RSSSourceList().Add();
        source->URL = feedServer().url(items, f);
        source->Site = "feed " + std::to_string(f);
    }
    int collected = 0;
    sources.OnRSSDataRetrieved = [&](TRSSSources*, TMemoryStream* stream, std::string) {
        collected = handler(*stream);
    };
    for (auto _ : state) sources.UpdateSources();  // frequency 0: every cycle fetches all
    if (collected != items) state.SkipWithError("wrong item count");
    setCounters(state, feeds, items);
}

void BM_UpdateCycle_Wispel(benchmark::State& state) {
    TRSSParser parser;
    runCycle(state, [&](TMemoryStream& stream) {
        parser.ParseRSSStream(&stream);
        return parser.Items().Count();
    });
}

void BM_UpdateCycle_Libxml2(benchmark::State& state) {
    runCycle(state, [](TMemoryStream& stream) {
        return static_cast<int>(peerParse(stream.Memory(), static_cast<int>(stream.Size())).size());
    });
}

// Our parse of `feed` from memory, which must give state.range(0) items from XML.
void parseWispel(benchmark::State& state, const std::string& feed) {
    const int items = static_cast<int>(state.range(0));
    TMemoryStream stream;
    stream.WriteBuffer(feed.data(), static_cast<std::int64_t>(feed.size()));
    TRSSParser parser;
    for (auto _ : state) parser.ParseRSSStream(&stream);
    if (parser.Items().Count() != items || parser.Document() == nullptr) {
        state.SkipWithError("wrong item count");
    }
    setCounters(state, 1, items);
}

void parseLibxml2(benchmark::State& state, const std::string& feed) {
    const int items = static_cast<int>(state.range(0));
    size_t count = 0;
    for (auto _ : state) count = peerParse(feed.data(), static_cast<int>(feed.size())).size();
    if (count != static_cast<size_t>(items)) state.SkipWithError("wrong item count");
    setCounters(state, 1, items);
}

void BM_Parse_Wispel(benchmark::State& state) {
    parseWispel(state, bench::generatedRss(static_cast<std::size_t>(state.range(0))));
}

void BM_Parse_Libxml2(benchmark::State& state) {
    parseLibxml2(state, bench::generatedRss(static_cast<std::size_t>(state.range(0))));
}

// The generated feed with its first `from` replaced by `to`, and every later one too when
// `all` is set.
std::string variedRss(int items, std::string_view from, std::string_view to, bool all) {
    std::string feed = bench::generatedRss(static_cast<std::size_t>(items));
    for (size_t at = feed.find(from); at != std::string::npos; at = feed.find(from, at)) {
        feed.replace(at, from.size(), to);
        at += to.size();
        if (!all) break;
    }
    return feed;
}

// The same feed declared EUC-KR (its ASCII text is valid EUC-KR), so that every character
// goes through the C library's converter; libxml2 converts it through iconv as well.
std::string eucKrRss(int items) {
    return variedRss(items, "encoding=\"UTF-8\"", "encoding=\"EUC-KR\"", false);
}

void BM_Parse_Wispel_EucKr(benchmark::State& state) {
    parseWispel(state, eucKrRss(static_cast<int>(state.range(0))));
}

void BM_Parse_Libxml2_EucKr(benchmark::State& state) {
    parseLibxml2(state, eucKrRss(static_cast<int>(state.range(0))));
}

// Every title with an HTML named reference the document does not declare (&hellip;), as
// real feeds write them. libxml2 refuses such a document, so it has no peer of its own here.
void BM_Parse_Wispel_HtmlEntities(benchmark::State& state) {
    parseWispel(state,
                variedRss(static_cast<int>(state.range(0)), " &amp; more", " &hellip; more", true));
}

// Where both pipelines write their lines.
std::FILE* discardedOutput() {
    static std::FILE* out = std::fopen("/dev/null", "w");
    if (!out) std::abort();
    return out;
}

const std::string& escapedHtmlFeed(int items) {
    static std::map<int, std::string> cache;
    auto found = cache.find(items);
    if (found == cache.end()) {
        found =
            cache.emplace(items, bench::generatedEscapedHtmlRss(static_cast<std::size_t>(items)))
                .first;
    }
    return found->second;
}

// Ours: the feed parser over the retrieved bytes, then the tool's own output; the parser
// and its document are freed at the end, as the tool frees them.
std::size_t pipelineWispel(TMemoryStream& stream) {
    TRSSParser parser;
    parser.ParseRSSStream(&stream);
    TFetchOutput(discardedOutput(), TFetchOutput::Format::Tsv).site("feed", parser.Items());
    return static_cast<std::size_t>(parser.Items().Count());
}

// The peer: libxml2's tree and walk, its items in our item list, then the same output.
std::size_t pipelineLibxml2(const std::string& feed) {
    TRSSListedItemCollection items(typeid(TRSSListedItem));
    peerWalk(feed.data(), static_cast<int>(feed.size()), [&](PeerItem found) {
        TRSSListedItem* item = items.Add();
        item->Title = std::move(found.title);
        item->Link = std::move(found.link);
        item->Description = std::move(found.description);
    });
    TFetchOutput(discardedOutput(), TFetchOutput::Format::Tsv).site("feed", items);
    return static_cast<std::size_t>(items.Count());
}

template <class Pipeline>
void runPipeline(benchmark::State& state, Pipeline pipeline) {
    const int items = static_cast<int>(state.range(0));
    const std::string& feed = escapedHtmlFeed(items);
    TMemoryStream stream;
    stream.WriteBuffer(feed.data(), static_cast<std::int64_t>(feed.size()));
    std::size_t count = 0;
    for (auto _ : state) count = pipeline(stream, feed);
    if (count != static_cast<std::size_t>(items)) state.SkipWithError("wrong item count");
    setCounters(state, 1, items);
    state.counters["peak_kB"] = bench::peakKb([&] { pipeline(stream, feed); });
}

// Enough iterations that a repetition lasts about 0.1 s or more at every size.
int pipelineIterations(int items) {
    return items <= 1000 ? 20 : items <= 10000 ? 4 : 2;
}

void BM_Pipeline_Wispel(benchmark::State& state) {
    runPipeline(state,
                [](TMemoryStream& stream, const std::string&) { return pipelineWispel(stream); });
}

void BM_Pipeline_Libxml2(benchmark::State& state) {
    runPipeline(state,
                [](TMemoryStream&, const std::string& feed) { return pipelineLibxml2(feed); });
}

void printPipelineRatios(const bench::RecordingReporter& reporter) {
    auto name = [](const char* who, int items) {
        return std::string("BM_Pipeline_") + who + "/" + std::to_string(items) +
               "/iterations:" + std::to_string(pipelineIterations(items)) + "/repeats:5/real_time";
    };
    std::printf(
        "\npipeline over escaped-HTML feeds, wispel / libxml2 "
        "(aim: time <= 1.5, peak memory <= 1.5)\n");
    for (int items : {1000, 10000, 100000}) {
        const std::string ours = name("Wispel", items);
        const std::string peer = name("Libxml2", items);
        std::printf(
            "  %6d items: time %.2f (CPU %.2f), peak memory %.2f (%.0f / %.0f kB)\n", items,
            bench::ratio(reporter.realTime(ours), reporter.realTime(peer)),
            bench::ratio(reporter.cpuTime(ours), reporter.cpuTime(peer)),
            bench::ratio(reporter.counter(ours, "peak_kB"), reporter.counter(peer, "peak_kB")),
            reporter.counter(ours, "peak_kB"), reporter.counter(peer, "peak_kB"));
    }
    const double small = reporter.counter(name("Wispel", 1000), "per_item");
    const double large = reporter.counter(name("Wispel", 100000), "per_item");
    const double peerSmall = reporter.counter(name("Libxml2", 1000), "per_item");
    const double peerLarge = reporter.counter(name("Libxml2", 100000), "per_item");
    std::printf("  time per item, 100 000 / 1 000 items: ours %.2f, peer %.2f\n",
                bench::ratio(large, small), bench::ratio(peerLarge, peerSmall));
}

}  // namespace

// Feed sizes from 10 to 10 000 items: the time per item should not grow with them.
void feedSizes(benchmark::internal::Benchmark* bench) {
    for (int items : {10, 100, 1000, 10000}) bench->Arg(items);
}

void cycleSettings(benchmark::internal::Benchmark* bench) {
    feedSizes(bench);
    bench->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
}

void parseSettings(benchmark::internal::Benchmark* bench) {
    feedSizes(bench);
    bench->Unit(benchmark::kMicrosecond);
}

// Five repetitions each, the fastest counted: the pipeline is the path a user runs, and one
// slow spell of the machine must not decide its ratio.
template <int Items>
void pipelineSettings(benchmark::internal::Benchmark* bench) {
    bench->Arg(Items)->Unit(benchmark::kMillisecond)->UseRealTime();
    bench->Iterations(pipelineIterations(Items))->Repetitions(5);
}

BENCHMARK(BM_UpdateCycle_Wispel)->Apply(cycleSettings);
BENCHMARK(BM_UpdateCycle_Libxml2)->Apply(cycleSettings);
BENCHMARK(BM_Parse_Wispel)->Apply(parseSettings);
BENCHMARK(BM_Parse_Libxml2)->Apply(parseSettings);
BENCHMARK(BM_Parse_Wispel_EucKr)->Apply(parseSettings);
BENCHMARK(BM_Parse_Libxml2_EucKr)->Apply(parseSettings);
BENCHMARK(BM_Parse_Wispel_HtmlEntities)->Apply(parseSettings);
BENCHMARK(BM_Pipeline_Wispel)->Apply(pipelineSettings<1000>);
BENCHMARK(BM_Pipeline_Libxml2)->Apply(pipelineSettings<1000>);
BENCHMARK(BM_Pipeline_Wispel)->Apply(pipelineSettings<10000>);
BENCHMARK(BM_Pipeline_Libxml2)->Apply(pipelineSettings<10000>);
BENCHMARK(BM_Pipeline_Wispel)->Apply(pipelineSettings<100000>);
BENCHMARK(BM_Pipeline_Libxml2)->Apply(pipelineSettings<100000>);

int main(int argc, char** argv) {
    xmlMemSetup(bench::countedFree, bench::countedMalloc, bench::countedRealloc,
                bench::countedStrdup);
    const int status = bench::runBenchmarks(argc, argv, printPipelineRatios);
    xmlCleanupParser();
    return status;
}
