// Parses generated RSS documents of about 5 MB and 50 MB with TXmlToDomParser and, in the
// same run, with libxml2's xmlReadMemory, and reports time and peak memory of both and their
// ratios. Peak memory is measured in a forked child per parse: the child's high-water mark
// of resident memory starts at its size at fork, so the growth is what the parse needed.

#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
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

long residentKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line)) {
        if (line.rfind(prefix, 0) == 0) return std::stol(line.substr(prefix.size()));
    }
    return 0;
}

// Peak memory growth in kB of one parse, measured in a child process.
long peakKb(void (*parse)(const std::string&), const std::string& text) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        const long before = residentKb("VmRSS");
        parse(text);
        const long growth = residentKb("VmHWM") - before;
        ssize_t written = write(fds[1], &growth, sizeof growth);
        _exit(written == sizeof growth ? 0 : 1);
    }
    close(fds[1]);
    long growth = -1;
    if (read(fds[0], &growth, sizeof growth) != sizeof growth) growth = -1;
    close(fds[0]);
    waitpid(child, nullptr, 0);
    return growth;
}

void runParse(benchmark::State& state, void (*parse)(const std::string&)) {
    const std::string& text = rssOfSize(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) parse(text);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.counters["peak_kB"] = static_cast<double>(peakKb(parse, text));
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
            std::printf("  %3s MB: time %.2f, peak memory %.2f\n", size,
                        ours->second.seconds / peer->second.seconds,
                        ours->second.peakKb / peer->second.peakKb);
        }
    }

private:
    struct Result {
        double seconds = 0;
        double peakKb = 0;
    };
    std::map<std::string, Result> results_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    xmlCleanupParser();
    return 0;
}
