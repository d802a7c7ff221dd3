// Decoding plus reading must cost the same per byte at 5 MB and at 50 MB. Compare the
// bytes_per_second of the two sizes, and against libxml2's SAX reader in the same run. The
// escaped-HTML feed of 10 000 items is the shape most real feeds have: many short pieces.
#include <benchmark/benchmark.h>
#include <libxml/parser.h>

#include <cstdint>
#include <map>
#include <string>

#include "bench/support/GeneratedRss.h"
#include "xml/input/NameValueList.h"
#include "xml/input/XmlInputSource.h"
#include "xml/input/XmlMemoryStream.h"
#include "xml/reader/ContentHandler.h"
#include "xml/reader/ErrorHandler.h"
#include "xml/reader/StandardDocXMLReader.h"

namespace {

using namespace wispel;

// An RSS-like document of about `bytes` bytes with attributes, references, CDATA,
// comments, long text and characters of two, three and four UTF-8 bytes.
std::string makeDocument(std::size_t bytes) {
    std::string doc =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE rss [<!ENTITY c \"(c)\">]>\n"
        "<rss version=\"2.0\"><channel><title>Bench</title>\n";
    const std::string item =
        "<item id=\"n\" kind='news'>\n"
        "  <title>Gr\xC3\xB6\xC3\x9F"
        "e &amp; K\xE2\x82\xAC"
        "ll &#169; \xF0\x9F\x98\x80</title>\n"
        "  <link>http://example.invalid/news/item?id=12345&amp;lang=en</link>\n"
        "  <!-- a comment between the fields -->\n"
        "  <description><![CDATA[<p>Some <b>markup</b> kept as text.</p>]]> and a longer "
        "paragraph of plain text that goes on for a while, as feed descriptions do.</description>\n"
        "  <enclosure url=\"http://example.invalid/a.mp3\" length=\"123\" type=\"audio/mpeg\"/>\n"
        "</item>\n";
    while (doc.size() + item.size() < bytes) doc += item;
    doc += "</channel></rss>\n";
    return doc;
}

const std::string& document(std::int64_t megabytes) {
    static std::map<std::int64_t, std::string> cache;
    auto& doc = cache[megabytes];
    if (doc.empty()) doc = makeDocument(static_cast<std::size_t>(megabytes) << 20);
    return doc;
}

const std::string& escapedHtmlDocument(std::int64_t items) {
    static std::map<std::int64_t, std::string> cache;
    auto& doc = cache[items];
    if (doc.empty()) doc = bench::generatedEscapedHtmlRss(static_cast<std::size_t>(items));
    return doc;
}

// Touches every event so that nothing is optimised away.
class CountingHandler : public TdomCustomContentHandler {
public:
    std::size_t units = 0;
    void startElement(TdomCustomParser*, TdomStandardLocator*, const DOMString&, const DOMString&,
                      const DOMString& name, TdomNameValueList* attributes) override {
        units += name.size() + static_cast<std::size_t>(attributes->count());
    }
    void endElement(TdomCustomParser*, TdomStandardLocator*, const DOMString&, const DOMString&,
                    const DOMString& name) override {
        units += name.size();
    }
    void pcdata(TdomCustomParser*, TdomStandardLocator*, const DOMString& text) override {
        units += text.size();
    }
    void cdataSection(TdomCustomParser*, TdomStandardLocator*, const DOMString& text) override {
        units += text.size();
    }
    void entityReference(TdomCustomParser*, TdomStandardLocator*, const DOMString& name) override {
        units += name.size();
    }
    void characterReference(TdomCustomParser*, TdomStandardLocator*,
                            const DOMString& text) override {
        units += text.size();
    }
};

void readWithWispel(benchmark::State& state, const std::string& doc) {
    TdomStandardDocXMLReader reader;
    CountingHandler handler;
    TdomStandardErrorHandler errors;
    reader.setContentHandler(&handler);
    reader.setErrorHandler(&errors);
    for (auto _ : state) {
        TXmlMemoryStream stream(doc.data(), static_cast<std::int64_t>(doc.size()));
        TXmlInputSource source(&stream, u"", u"");
        if (!reader.parse(nullptr, &source)) state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(handler.units);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(doc.size()));
}

void countCharacters(void* context, const xmlChar*, int length) {
    *static_cast<std::size_t*>(context) += static_cast<std::size_t>(length);
}

void countElement(void* context, const xmlChar*, const xmlChar**) {
    ++*static_cast<std::size_t*>(context);
}

void readWithLibxml2Sax(benchmark::State& state, const std::string& doc) {
    xmlSAXHandler sax{};
    sax.characters = countCharacters;
    sax.cdataBlock = countCharacters;
    sax.startElement = countElement;
    std::size_t count = 0;
    for (auto _ : state) {
        if (xmlSAXUserParseMemory(&sax, &count, doc.data(), static_cast<int>(doc.size())) != 0) {
            state.SkipWithError("libxml2 parse failed");
        }
        benchmark::DoNotOptimize(count);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(doc.size()));
}

void BM_WispelReader(benchmark::State& state) {
    readWithWispel(state, document(state.range(0)));
}
void BM_Libxml2Sax(benchmark::State& state) {
    readWithLibxml2Sax(state, document(state.range(0)));
}
void BM_EscapedHtml_WispelReader(benchmark::State& state) {
    readWithWispel(state, escapedHtmlDocument(state.range(0)));
}
void BM_EscapedHtml_Libxml2Sax(benchmark::State& state) {
    readWithLibxml2Sax(state, escapedHtmlDocument(state.range(0)));
}

BENCHMARK(BM_WispelReader)->Arg(5)->Arg(50)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Libxml2Sax)->Arg(5)->Arg(50)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EscapedHtml_WispelReader)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EscapedHtml_Libxml2Sax)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
