// The kept news at the size of a long-used reader: 100 000 items across 200 sites.
//
// Merge: one feed of 1 000 items merged into one site: the site's 500 kept items, half of
// them with a new title, and 500 new ones. Peer, in the same run: SQLite upserting the same
// 1 000 rows by (site, key) in one transaction, the changed columns only, synchronous OFF
// (the table store does not sync either). Both report the heap's peak growth in one more
// merge (peak_kB), SQLite's heap counted through its allocator hooks.
//
// Start-up: every kept item read in order of site and then date, newest first, with its
// key, title, date, first-seen time and read flag (what the window reads to fill its tree).
// Peer: SQLite selecting the same columns of all rows ordered by site and date.
//
// Window start-up: the main window made on the folder (its sites, 200, and kept news read,
// the tree filled: root, a node per site, the items newest first with their dates, unread
// ones bold) and shown. Peer: SQLite selecting the same rows in the same order and a bare
// QTreeWidget given a node per site and per item with its title, also shown. Each side
// makes one window before the timed ones, outside the timing: the first of a process
// would pay for growing the heap, which the other two and a program started once do not.
// Both report the heap the shown window holds (held_kB), every block of the C library's
// heap counted, Qt's too.
//
// Both tables start alike: the same rows, each inserted by its own program.

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QTreeWidget>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <malloc.h>
#include <memory>
#include <string>
#include <typeinfo>
#include <unistd.h>

#include "bench/support/PeakMemory.h"
#include "bench/support/RecordingReporter.h"
#include "app/Application.h"
#include "app/MainWindow.h"
#include "feeds/ItemsTable.h"
#include "feeds/SitesTable.h"
#include "tablestore/component/StoreTable.h"

using namespace wispel;
namespace fs = std::filesystem;

namespace {

constexpr int kSites = 200;
constexpr int kItemsPerSite = 500;
constexpr int kFeedItems = 1000;

std::string itemLink(int site, int n) {
    return "http://news.example.org/" + std::to_string(site) + "/items/" + std::to_string(n);
}
std::string itemTitle(int n, int version) {
    return "Item " + std::to_string(n) + " of the day, version " + std::to_string(version);
}
const std::string& description() {
    static const std::string text(300, 'd');
    return text;
}

// The feed a merge sees: the site's kept items (every other one retitled in `round`) and
// `fresh` new items of `round`.
void fillFeed(TRSSListedItemCollection& feed, int site, int round,
              int fresh = kFeedItems - kItemsPerSite) {
    feed.Clear();
    for (int n = 0; n < kItemsPerSite; ++n) {
        TRSSListedItem* item = feed.Add();
        item->Title = itemTitle(n, n % 2 == 0 ? round : 0);
        item->Link = itemLink(site, n);
        item->Description = description();
    }
    for (int n = 0; n < fresh; ++n) {
        TRSSListedItem* item = feed.Add();
        item->Title = itemTitle(n, round);
        item->Link = itemLink(site, 100000 * (round + 1) + n);
        item->Description = description();
    }
}

// ---- The table store.

const std::string& wispelFolder() {
    static const std::string folder = [] {
        const fs::path dir = fs::temp_directory_path() /
                             ("wispel-bench-items-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        const std::string path = dir.string() + "/";
        TItemsTable items(path);
        TRSSListedItemCollection feed(typeid(TRSSListedItem));
        for (int site = 1; site <= kSites; ++site) {
            fillFeed(feed, site, 0, 0);
            items.Merge(site, feed);
        }
        return path;
    }();
    return folder;
}

// Merges a feed into the next site each round with `merge`, timing only the merge; one more
// round after them gives the heap's peak growth in a merge. `round` is the table's own count
// and outlives one run, so that a repetition's new items are new to the table too.
template <typename Merge>
void mergeRounds(benchmark::State& state, int& round, Merge merge) {
    TRSSListedItemCollection feed(typeid(TRSSListedItem));
    const auto next = [&] {
        ++round;
        const int site = 1 + round % kSites;
        fillFeed(feed, site, round);
        return site;
    };
    for (auto _ : state) {
        state.PauseTiming();
        const int site = next();
        state.ResumeTiming();
        merge(site, feed);
    }
    const int site = next();
    state.counters["peak_kB"] = bench::peakKb([&] { merge(site, feed); });
}

void BM_MergeWispel(benchmark::State& state) {
    static int round = 0;
    TItemsTable items(wispelFolder());
    mergeRounds(state, round, [&](int site, const TRSSListedItemCollection& feed) {
        if (items.Merge(site, feed).Added != kFeedItems - kItemsPerSite)
            state.SkipWithError("wrong merge");
    });
}

void BM_StartupWispel(benchmark::State& state) {
    TItemsTable items(wispelFolder());
    for (auto _ : state) {
        std::size_t count = 0;
        items.ForEachItem(
            [&](const TStoredItem& item) {
                benchmark::DoNotOptimize(item.Title.data());
                ++count;
            },
            0, TItemParts::Titles);
        if (count < kSites * kItemsPerSite) state.SkipWithError("items missing");
    }
}

// ---- SQLite.

// SQLite's heap counted as ours is, for the peak memory beside ours.
void countSqliteHeap() {
    static sqlite3_mem_methods methods = {
        [](int size) { return bench::countedMalloc(static_cast<std::size_t>(size)); },
        [](void* block) { bench::countedFree(block); },
        [](void* block, int size) {
            return bench::countedRealloc(block, static_cast<std::size_t>(size));
        },
        [](void* block) { return block ? static_cast<int>(malloc_usable_size(block)) : 0; },
        [](int size) { return (size + 7) & ~7; },
        [](void*) { return SQLITE_OK; },
        [](void*) {},
        nullptr};
    if (sqlite3_config(SQLITE_CONFIG_MALLOC, &methods) != SQLITE_OK) std::abort();
}

void exec(sqlite3* db, const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) std::abort();
}

sqlite3* sqliteItems() {
    static sqlite3* db = [] {
        const fs::path file = fs::temp_directory_path() /
                              ("wispel-bench-items-" + std::to_string(::getpid()) + ".db");
        fs::remove(file);
        sqlite3* opened = nullptr;
        if (sqlite3_open(file.c_str(), &opened) != SQLITE_OK) std::abort();
        exec(opened, "PRAGMA synchronous=OFF");
        exec(opened,
             "CREATE TABLE items (ID INTEGER PRIMARY KEY AUTOINCREMENT, Site INTEGER NOT NULL, "
             "ItemKey VARCHAR(250) NOT NULL, Title TEXT, Link TEXT, Description TEXT, "
             "Author VARCHAR(120), Date REAL, FirstSeen REAL, Read BOOLEAN)");
        exec(opened, "CREATE UNIQUE INDEX SiteKey ON items (Site, ItemKey)");
        exec(opened, "CREATE INDEX SiteDate ON items (Site, Date DESC, FirstSeen DESC)");
        return opened;
    }();
    return db;
}

constexpr const char* kUpsertSql =
    "INSERT INTO items (Site, ItemKey, Title, Link, Description, Author, Date, FirstSeen, Read) "
    "VALUES (?1, ?2, ?3, ?2, ?4, NULL, NULL, ?5, 0) ON CONFLICT (Site, ItemKey) DO UPDATE SET "
    "Title = excluded.Title, Link = excluded.Link, Description = excluded.Description "
    "WHERE Title IS NOT excluded.Title OR Link IS NOT excluded.Link "
    "OR Description IS NOT excluded.Description";

void sqliteMerge(sqlite3_stmt* upsert, int site, const TRSSListedItemCollection& feed) {
    exec(sqlite3_db_handle(upsert), "BEGIN");
    const double now = itemTimeNow();
    for (int i = 0; i < feed.Count(); ++i) {
        const TRSSListedItem& item = *feed[i];
        sqlite3_bind_int(upsert, 1, site);
        sqlite3_bind_text(upsert, 2, item.Link.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(upsert, 3, item.Title.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(upsert, 4, item.Description.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_double(upsert, 5, now);
        if (sqlite3_step(upsert) != SQLITE_DONE) std::abort();
        sqlite3_reset(upsert);
    }
    exec(sqlite3_db_handle(upsert), "COMMIT");
}

sqlite3* filledSqlite() {
    static sqlite3* db = [] {
        sqlite3* opened = sqliteItems();
        sqlite3_stmt* upsert = nullptr;
        sqlite3_prepare_v2(opened, kUpsertSql, -1, &upsert, nullptr);
        TRSSListedItemCollection feed(typeid(TRSSListedItem));
        for (int site = 1; site <= kSites; ++site) {
            fillFeed(feed, site, 0, 0);
            sqliteMerge(upsert, site, feed);
        }
        sqlite3_finalize(upsert);
        return opened;
    }();
    return db;
}

void BM_MergeSqlite(benchmark::State& state) {
    sqlite3* db = filledSqlite();
    sqlite3_stmt* upsert = nullptr;
    sqlite3_prepare_v2(db, kUpsertSql, -1, &upsert, nullptr);
    static int round = 0;
    mergeRounds(state, round, [&](int site, const TRSSListedItemCollection& feed) {
        sqliteMerge(upsert, site, feed);
    });
    sqlite3_finalize(upsert);
}

void BM_StartupSqlite(benchmark::State& state) {
    sqlite3* db = filledSqlite();
    for (auto _ : state) {
        sqlite3_stmt* select = nullptr;
        sqlite3_prepare_v2(db,
                           "SELECT Site, ItemKey, Title, Date, FirstSeen, Read "
                           "FROM items ORDER BY Site, Date DESC, FirstSeen DESC",
                           -1, &select, nullptr);
        std::size_t count = 0;
        while (sqlite3_step(select) == SQLITE_ROW) {
            TStoredItem item;
            item.Site = sqlite3_column_int(select, 0);
            item.Key = reinterpret_cast<const char*>(sqlite3_column_text(select, 1));
            item.Title = reinterpret_cast<const char*>(sqlite3_column_text(select, 2));
            item.Date = sqlite3_column_double(select, 3);
            item.FirstSeen = sqlite3_column_double(select, 4);
            item.Read = sqlite3_column_int(select, 5) != 0;
            benchmark::DoNotOptimize(item.Title.data());
            ++count;
        }
        sqlite3_finalize(select);
        if (count < kSites * kItemsPerSite) state.SkipWithError("rows missing");
    }
}

// The sites of the kept news, IDs 1 to kSites, for the window.
const std::string& wispelSitesFolder() {
    static const std::string& folder = [] () -> const std::string& {
        const std::string& path = wispelFolder();
        CreateSitesTableIfMissing(path);
        TStoreTable sites;
        sites.SetDatabaseName(path);
        sites.SetTableName(kSitesTableName);
        sites.Open();
        for (int site = 1; site <= kSites; ++site) {
            sites.StartInsert();
            sites.FieldNamed("Name").SetTextValue("Site " + std::to_string(site));
            sites.FieldNamed("URL").SetTextValue("http://127.0.0.1/" + std::to_string(site));
            sites.PostRow();
        }
        return path;
    }();
    return folder;
}

// The growth of the C library's heap, in kB, while what `make` returns is alive.
template <typename Make>
double heldKb(Make make) {
    const auto inUse = [] {
        const struct mallinfo2 heap = mallinfo2();
        return static_cast<double>(heap.uordblks + heap.hblkhd);
    };
    const double before = inUse();
    const auto made = make();
    return (inUse() - before) / 1024;
}

std::unique_ptr<TfrmMain> shownWindow(const std::string& folder) {
    auto window = std::make_unique<TfrmMain>(folder);
    window->show();
    QApplication::processEvents();
    return window;
}

void BM_WindowStartupWispel(benchmark::State& state) {
    const std::string& folder = wispelSitesFolder();
    shownWindow(folder);
    for (auto _ : state) {
        auto window = shownWindow(folder);
        state.PauseTiming();  // the window goes outside the timing
        // The merges measured before may have added items.
        if (window->NewsItems().Count() < kSites * kItemsPerSite) {
            state.SkipWithError("items missing");
            break;
        }
        window.reset();
        state.ResumeTiming();
    }
    state.counters["held_kB"] = heldKb([&] { return shownWindow(folder); });
}

// The peer's window: a bare tree of the rows' sites and titles, shown; its root in `root`.
std::unique_ptr<QTreeWidget> shownBareTree(sqlite3* db, QTreeWidgetItem*& root) {
    auto tree = std::make_unique<QTreeWidget>();
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT Site, Title, Date, Read FROM items "
                       "ORDER BY Site, Date DESC, FirstSeen DESC",
                       -1, &select, nullptr);
    root = new QTreeWidgetItem(QStringList(QStringLiteral("Wispel")));
    tree->addTopLevelItem(root);
    int site = 0;
    QTreeWidgetItem* siteNode = nullptr;
    QList<QTreeWidgetItem*> items;
    const auto flush = [&] {
        if (siteNode) siteNode->addChildren(items);
        items.clear();
    };
    while (sqlite3_step(select) == SQLITE_ROW) {
        if (sqlite3_column_int(select, 0) != site) {
            flush();
            site = sqlite3_column_int(select, 0);
            siteNode = new QTreeWidgetItem(root, QStringList(QStringLiteral("Site %1").arg(site)));
            siteNode->setExpanded(true);
        }
        items.append(new QTreeWidgetItem(QStringList(
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(select, 1))))));
    }
    flush();
    sqlite3_finalize(select);
    root->setExpanded(true);
    tree->show();
    QApplication::processEvents();
    return tree;
}

void BM_WindowStartupSqlite(benchmark::State& state) {
    sqlite3* db = filledSqlite();
    QTreeWidgetItem* root = nullptr;
    shownBareTree(db, root);
    for (auto _ : state) {
        auto tree = shownBareTree(db, root);
        state.PauseTiming();
        if (root->childCount() != kSites) {
            state.SkipWithError("sites missing");
            break;
        }
        tree.reset();
        state.ResumeTiming();
    }
    state.counters["held_kB"] = heldKb([&] { return shownBareTree(db, root); });
}

BENCHMARK(BM_MergeWispel)->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MergeSqlite)->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartupWispel)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartupSqlite)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WindowStartupWispel)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WindowStartupSqlite)->Iterations(3)->Unit(benchmark::kMillisecond);

void printRatio(const bench::RecordingReporter& reporter, const char* what, const char* ours,
                const char* peer) {
    std::printf("%-55s ours / SQLite = %.2f (aim <= 1.5)\n", what,
                bench::ratio(reporter.realTime(ours), reporter.realTime(peer)));
}

}  // namespace

int main(int argc, char** argv) {
    countSqliteHeap();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TWispelApplication app(argc, argv);
    const int status = bench::runBenchmarks(argc, argv, [](const bench::RecordingReporter& reporter) {
        printRatio(reporter, "merge of 1 000 items into 100 000",
                   "BM_MergeWispel/iterations:20", "BM_MergeSqlite/iterations:20");
        printRatio(reporter, "start-up read of 100 000 items by site and date",
                   "BM_StartupWispel/iterations:5", "BM_StartupSqlite/iterations:5");
        printRatio(reporter, "window start-up to a shown tree of 100 000 items",
                   "BM_WindowStartupWispel/iterations:3", "BM_WindowStartupSqlite/iterations:3");
    });
    fs::remove_all(fs::temp_directory_path() / ("wispel-bench-items-" + std::to_string(::getpid())));
    fs::remove(fs::temp_directory_path() / ("wispel-bench-items-" + std::to_string(::getpid()) + ".db"));
    return status;
}
