// The descriptions of a 100 000-item feed (escaped-HTML fragments, as most RSS 2.0 feeds
// write them) reduced to safe rich text by reduceHtml, beside libxml2's HTML parser reading
// each fragment into a tree and taking its text, in the same run. Both read the same
// descriptions, taken from the feed by our parser before timing starts.
//
// Counters: "per_item" is seconds per description.

#include <benchmark/benchmark.h>
#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/support/GeneratedRss.h"
#include "bench/support/RecordingReporter.h"
#include "core/MemoryStream.h"
#include "feeds/FeedParser.h"
#include "feeds/HtmlReduction.h"

using namespace wispel;

namespace {

constexpr int kItems = 100000;

const std::vector<std::string>& descriptions() {
    static const std::vector<std::string> all = [] {
        const std::string feed = bench::generatedEscapedHtmlRss(kItems);
        TMemoryStream stream;
        stream.WriteBuffer(feed.data(), static_cast<std::int64_t>(feed.size()));
        TRSSParser parser;
        parser.ParseRSSStream(&stream);
        std::vector<std::string> texts;
        for (int i = 0; i < parser.Items().Count(); ++i) {
            texts.push_back(parser.Items()[i]->Description);
        }
        return texts;
    }();
    return all;
}

std::size_t reduceWispel(const std::string& html) {
    return reduceHtml(html).size();
}

std::size_t textLibxml2(const std::string& html) {
    htmlDocPtr doc = htmlReadMemory(html.data(), static_cast<int>(html.size()), nullptr, "UTF-8",
                                    HTML_PARSE_RECOVER | HTML_PARSE_NOERROR |
                                        HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
    std::size_t size = 0;
    if (doc) {
        if (xmlChar* text = xmlNodeGetContent(xmlDocGetRootElement(doc))) {
            size = xmlStrlen(text);
            xmlFree(text);
        }
        xmlFreeDoc(doc);
    }
    return size;
}

template <class Reduce>
void run(benchmark::State& state, Reduce reduce) {
    const std::vector<std::string>& texts = descriptions();
    if (texts.size() != static_cast<std::size_t>(kItems)) {
        state.SkipWithError("wrong item count");
        return;
    }
    std::size_t bytes = 0;
    for (auto _ : state) {
        for (const std::string& text : texts) bytes += reduce(text);
    }
    benchmark::DoNotOptimize(bytes);
    state.counters["per_item"] = benchmark::Counter(
        static_cast<double>(kItems), benchmark::Counter::kIsIterationInvariantRate |
                                         benchmark::Counter::kInvert);
}

void BM_HtmlReduction_Wispel(benchmark::State& state) { run(state, reduceWispel); }
void BM_HtmlText_Libxml2(benchmark::State& state) { run(state, textLibxml2); }

void printRatio(const bench::RecordingReporter& reporter) {
    const std::string suffix = "/iterations:2/repeats:3/real_time";
    const std::string ours = "BM_HtmlReduction_Wispel" + suffix;
    const std::string peer = "BM_HtmlText_Libxml2" + suffix;
    std::printf(
        "\nHTML reduction of %d descriptions, wispel / libxml2 HTML text (aim: <= 1.5): "
        "%.2f (%.0f / %.0f ms)\n",
        kItems, bench::ratio(reporter.realTime(ours), reporter.realTime(peer)),
        reporter.realTime(ours), reporter.realTime(peer));
}

void settings(benchmark::internal::Benchmark* bench) {
    bench->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2)->Repetitions(3);
}

}  // namespace

BENCHMARK(BM_HtmlReduction_Wispel)->Apply(settings);
BENCHMARK(BM_HtmlText_Libxml2)->Apply(settings);

int main(int argc, char** argv) {
    const int status = bench::runBenchmarks(argc, argv, printRatio);
    xmlCleanupParser();
    return status;
}
