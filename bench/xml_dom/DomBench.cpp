// One element with N item children, each holding a text node: the document is built node by
// node, walked with a tree walker (whatToShow 31 and a filter that skips text, as the feed
// parser does) and freed. The peer does the same with libxml2's tree API and a loop over its
// node links. Reported per node, so that 1 000 and 100 000 children can be compared: the
// cost per node must not grow with the number of siblings. A second pair does the same for
// the attributes of one element.

#include <benchmark/benchmark.h>
#include <libxml/tree.h>

#include <cstdio>
#include <string>

#include "bench/support/RecordingReporter.h"
#include "xml/dom/CharacterData.h"
#include "xml/dom/Document.h"
#include "xml/dom/DomImplementation.h"
#include "xml/dom/Element.h"
#include "xml/dom/traversal/TreeWalker.h"

namespace {

using namespace wispel;

class TItemFilter : public TdomNodeFilter {
public:
    TdomFilterResult acceptNode(TdomNode* node) override {
        return node->nodeType() == ELEMENT_NODE ? FILTER_ACCEPT : FILTER_SKIP;
    }
};

void BM_WispelDom(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    TDomImplementation impl;
    TItemFilter filter;
    for (auto _ : state) {
        TdomDocument* doc = impl.createDocument(u"rss", nullptr);
        TdomElement* channel = doc->documentElement();
        for (int i = 0; i < count; ++i) {
            TdomElement* item = doc->createElement(u"item");
            item->appendChild(doc->createTextNode(u"news"));
            channel->appendChild(item);
        }
        TdomTreeWalker* walker = doc->createTreeWalker(doc->lastChild(), 31, &filter, true);
        int seen = 0;
        while (walker->nextNode() != nullptr) ++seen;
        benchmark::DoNotOptimize(seen);
        doc->freeTreeWalker(walker);
        impl.freeDocument(doc);
    }
    state.counters["s_per_node"] = benchmark::Counter(
        count, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

bool acceptItem(const xmlNode* node) {
    return node->type == XML_ELEMENT_NODE;
}

// Pre-order over the links, as a walker without recursion would go.
const xmlNode* nextInOrder(const xmlNode* node, const xmlNode* root) {
    if (node->children != nullptr) return node->children;
    while (node != root) {
        if (node->next != nullptr) return node->next;
        node = node->parent;
    }
    return nullptr;
}

// A libxml2 document with an empty "rss" root element.
xmlDocPtr newRssDocument() {
    xmlDocPtr doc = xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0"));
    xmlDocSetRootElement(
        doc, xmlNewDocNode(doc, nullptr, reinterpret_cast<const xmlChar*>("rss"), nullptr));
    return doc;
}

void BM_Libxml2Tree(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const auto* name = reinterpret_cast<const xmlChar*>("item");
    const auto* text = reinterpret_cast<const xmlChar*>("news");
    for (auto _ : state) {
        xmlDocPtr doc = newRssDocument();
        xmlNodePtr channel = xmlDocGetRootElement(doc);
        for (int i = 0; i < count; ++i) xmlNewChild(channel, nullptr, name, text);
        int seen = 0;
        for (const xmlNode* n = nextInOrder(channel, channel); n; n = nextInOrder(n, channel)) {
            if (acceptItem(n)) ++seen;
        }
        benchmark::DoNotOptimize(seen);
        xmlFreeDoc(doc);
    }
    state.counters["s_per_node"] = benchmark::Counter(
        count, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_WispelDom)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Libxml2Tree)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

// One element with N attributes of distinct names, set one by one as the parser's builder
// does (each is looked up first) and freed with the document. The peer adds them with
// xmlNewProp, which looks nothing up but walks its property list to append, so its cost per
// attribute grows with their number: 30 000 keeps its run short.
std::u16string attributeName(int i) {
    std::string ascii = "a" + std::to_string(i);
    return std::u16string(ascii.begin(), ascii.end());
}

void BM_WispelAttributes(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    TDomImplementation impl;
    for (auto _ : state) {
        TdomDocument* doc = impl.createDocument(u"rss", nullptr);
        TdomElement* element = doc->documentElement();
        for (int i = 0; i < count; ++i) element->setAttribute(attributeName(i), u"v");
        benchmark::DoNotOptimize(element->getAttribute(u"a0"));
        impl.freeDocument(doc);
    }
    state.counters["s_per_node"] = benchmark::Counter(
        count, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_Libxml2Attributes(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const auto* value = reinterpret_cast<const xmlChar*>("v");
    for (auto _ : state) {
        xmlDocPtr doc = newRssDocument();
        xmlNodePtr element = xmlDocGetRootElement(doc);
        for (int i = 0; i < count; ++i) {
            std::string name = "a" + std::to_string(i);
            xmlNewProp(element, reinterpret_cast<const xmlChar*>(name.c_str()), value);
        }
        benchmark::DoNotOptimize(element->properties);
        xmlFreeDoc(doc);
    }
    state.counters["s_per_node"] = benchmark::Counter(
        count, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_WispelAttributes)->Arg(1000)->Arg(30000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Libxml2Attributes)->Arg(1000)->Arg(30000)->Unit(benchmark::kMillisecond);

// Prints how the time per node grows with the tree, and ours against the peer, once every
// run is done.
void printRatios(const bench::RecordingReporter& reporter) {
    auto perNode = [&](const std::string& name) { return reporter.counter(name, "s_per_node"); };
    const double small = perNode("BM_WispelDom/1000");
    const double large = perNode("BM_WispelDom/100000");
    if (small <= 0 || large <= 0) return;
    std::printf("\nper node, 100 000 / 1 000 children (aim: < 1.5): wispel %.2f, libxml2 %.2f\n",
                large / small,
                bench::ratio(perNode("BM_Libxml2Tree/100000"), perNode("BM_Libxml2Tree/1000")));
    std::printf("ratio wispel / libxml2 per node: 1 000 children %.2f, 100 000 children %.2f\n",
                bench::ratio(small, perNode("BM_Libxml2Tree/1000")),
                bench::ratio(large, perNode("BM_Libxml2Tree/100000")));
    const double fewAttrs = perNode("BM_WispelAttributes/1000");
    const double manyAttrs = perNode("BM_WispelAttributes/30000");
    if (fewAttrs <= 0 || manyAttrs <= 0) return;
    std::printf("per attribute, 30 000 / 1 000 attributes: wispel %.2f, libxml2 %.2f\n",
                manyAttrs / fewAttrs,
                bench::ratio(perNode("BM_Libxml2Attributes/30000"),
                             perNode("BM_Libxml2Attributes/1000")));
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    wispel::bench::RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printRatios(reporter);
    benchmark::Shutdown();
    xmlCleanupParser();
    return 0;
}
