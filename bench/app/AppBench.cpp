// The main window taking a retrieved site on the offscreen platform: one feed of 1 000 to
// 100 000 items parsed (as a worker of the update does) and turned into tree nodes and news
// entries, then the double-click look-up of the last item. The time per item must stay flat as the feed grows: a node's
// absolute index and its news entry are found without walking the tree or the list.
//
// Peer, in the same run: a bare QTreeWidget given the same number of nodes in one batch,
// the floor that any window showing the items pays. Ours also parses the feed (the XML
// parse and the item walk), which is most of its time: the ratio to the peer shows what
// the window adds beyond the tree; the growth per item is what must stay flat.
//
// Counters: "per_item" is seconds per item.

#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <QTreeWidget>

#include <string>

#include "app/Application.h"
#include "app/MainWindow.h"
#include "app/UrlOpener.h"
#include "bench/support/GeneratedRss.h"
#include "bench/support/RecordingReporter.h"
#include "core/MemoryStream.h"
#include "feeds/FeedParser.h"
#include "feeds/SitesTable.h"

using namespace wispel;

namespace {

class CountingOpener : public TUrlOpener {
public:
    int opened = 0;

protected:
    bool openUrl(const QUrl&) override {
        ++opened;
        return true;
    }
};

void setPerItem(benchmark::State& state, int items) {
    state.counters["per_item"] = benchmark::Counter(
        static_cast<double>(items),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_DataRetrieved_Wispel(benchmark::State& state) {
    const int items = static_cast<int>(state.range(0));
    QTemporaryDir folder;
    const std::string path = folder.path().toStdString() + "/";
    CreateSitesTableIfMissing(path);
    TfrmMain window(path);
    TMemoryStream stream;
    const std::string feed = bench::generatedRss(static_cast<std::size_t>(items));
    stream.WriteBuffer(feed.data(), static_cast<std::int64_t>(feed.size()));
    CountingOpener opener;
    TUrlOpener* previous = setUrlOpener(&opener);
    TRSSParser parser;
    const TUpdateSite site{0, "Site", "http://127.0.0.1/feed.xml", {}};
    for (auto _ : state) {
        state.PauseTiming();
        window.btnUpdateClick();  // no sources: takes the site's node away again
        stream.SetPosition(0);
        state.ResumeTiming();
        parser.ParseRSSStream(&stream);
        window.SiteRetrieved(site, parser.Items());
        QTreeWidgetItem* last = window.RootNode()->child(0)->child(items - 1);
        window.tvList()->setCurrentItem(last);
        window.tvListDblClick();
    }
    setUrlOpener(previous);
    if (window.NewsItems().Count() != items ||
        opener.opened != static_cast<int>(state.iterations()))
        state.SkipWithError("wrong item or link count");
    setPerItem(state, items);
}

void BM_DataRetrieved_BareTree(benchmark::State& state) {
    const int items = static_cast<int>(state.range(0));
    QTreeWidget tree;
    for (auto _ : state) {
        state.PauseTiming();
        tree.clear();
        state.ResumeTiming();
        auto* root = new QTreeWidgetItem(QStringList(QStringLiteral("Wispel")));
        tree.addTopLevelItem(root);
        auto* site = new QTreeWidgetItem(root, QStringList(QStringLiteral("Site")));
        QList<QTreeWidgetItem*> nodes;
        nodes.reserve(items);
        for (int i = 0; i < items; ++i) {
            nodes.append(new QTreeWidgetItem(QStringList(QStringLiteral("Item %1").arg(i))));
        }
        site->addChildren(nodes);
        site->setExpanded(true);
        root->setExpanded(true);
    }
    setPerItem(state, items);
}

void feedSizes(benchmark::internal::Benchmark* bench) {
    for (int items : {1000, 10000, 100000}) bench->Arg(items);
    bench->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_DataRetrieved_Wispel)->Apply(feedSizes);
BENCHMARK(BM_DataRetrieved_BareTree)->Apply(feedSizes);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TWispelApplication app(argc, argv);
    return bench::runBenchmarks(argc, argv, [](const bench::RecordingReporter& reporter) {
        bench::printScaling(reporter, {"BM_DataRetrieved_Wispel", "BM_DataRetrieved_BareTree",
                                       1000, 100000, "per_item", "items", 1.5, 40.0});
    });
}
