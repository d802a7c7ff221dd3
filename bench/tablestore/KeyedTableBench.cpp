// A keyed table with a memo through the table component, on disk, SQLite being the peer
// (synchronous=OFF, each statement its own transaction, as each of our posts is):
//
//   memo insert  100 000 rows of an integer Key (unique index), a Site and a 2 KB memo;
//                SQLite: INTEGER PRIMARY KEY, Site, a 2 KB TEXT, an index on Site.
//   memo read    every row walked in Key order, the memo read; SQLite: SELECT ... ORDER BY Key.
//   lookup       10 000 FindKey of random keys reading Site; SQLite: SELECT Site WHERE Key = ?.
//   site filter  "Site = 17" (1% of the rows) set and walked, answered from the Site index;
//                SQLite: SELECT Key WHERE Site = 17 over its index on Site.
// Lookup and filter run on 100 000 and on 1 000 000 rows (without the memo): they must grow
// with the log of the table, not its size. Aims: each at most 1.5 times SQLite's time.
//
// Reading the growth: at 100 000 rows (1.9 MB of records, an index of about 250 pages) the
// table object's caches hold the whole table after the first run, so a lookup reads no file
// at all and costs well under a microsecond; at 1 000 000 rows the records are 4.5 times
// the record cache and most lookups go to the files (the read lock, the headers, an index
// page, a record), about 20 us each, as SQLite's do at both sizes. The ratio of the two
// sizes is therefore cache against file, not a cost growing with the table: the line "per
// lookup" printed at the end holds ours beside SQLite's at 1 000 000 rows. "Site = 17"
// selects 1% of the rows, so both sides grow with the ten times as many rows they return.

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>

#include "bench/support/BenchDir.h"
#include "bench/support/RecordingReporter.h"
#include "tablestore/component/StoreTable.h"

namespace {

using namespace wispel;
namespace fs = std::filesystem;

constexpr int kMemoRows = 100000;
const std::string kMemo(2048, 'm');

using bench::benchDir;

std::unique_ptr<TStoreTable> keyedTable(const fs::path& dir, bool memo, bool create) {
    auto table = std::make_unique<TStoreTable>();
    table->SetDatabaseName(dir.string() + "/");
    table->SetTableName("Keyed.DAT");
    if (create) {
        table->FieldDefs().Add("Key", TStoreFieldType::ftInteger);
        table->FieldDefs().Add("Site", TStoreFieldType::ftInteger);
        if (memo) table->FieldDefs().Add("Body", TStoreFieldType::ftMemo);
        table->IndexDefs().Add("ByKey", "Key", TStoreIndexOptions{false, true, false, false});
        table->IndexDefs().Add("BySite", "Site");
        table->CreateTable();
    }
    table->Open();
    return table;
}

void exec(sqlite3* db, const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) std::abort();
}

sqlite3* sqliteTable(const fs::path& dir, bool memo) {
    sqlite3* db = nullptr;
    if (sqlite3_open((dir / "keyed.db").c_str(), &db) != SQLITE_OK) std::abort();
    exec(db, "PRAGMA synchronous=OFF");
    exec(db, memo ? "CREATE TABLE t (Key INTEGER PRIMARY KEY, Site INTEGER, Body TEXT)"
                  : "CREATE TABLE t (Key INTEGER PRIMARY KEY, Site INTEGER)");
    exec(db, "CREATE INDEX BySite ON t (Site)");
    return db;
}

void insertRow(TStoreTable& table, int key, bool memo) {
    table.StartInsert();
    table.FieldNamed("Key").SetIntegerValue(key);
    table.FieldNamed("Site").SetIntegerValue(key % 100);
    if (memo) table.FieldNamed("Body").SetTextValue(kMemo);
    table.PostRow();
}

void sqliteInsert(sqlite3_stmt* insert, int key, bool memo) {
    sqlite3_bind_int(insert, 1, key);
    sqlite3_bind_int(insert, 2, key % 100);
    if (memo) sqlite3_bind_text(insert, 3, kMemo.data(), static_cast<int>(kMemo.size()), SQLITE_STATIC);
    if (sqlite3_step(insert) != SQLITE_DONE) std::abort();
    sqlite3_reset(insert);
}

// Keys in a shuffled order, so that neither index is filled in order.
std::vector<int> shuffledKeys(int count) {
    std::vector<int> keys(count);
    for (int i = 0; i < count; ++i) keys[i] = i + 1;
    std::shuffle(keys.begin(), keys.end(), std::mt19937(7));
    return keys;
}

void BM_WispelMemoInsert(benchmark::State& state) {
    const std::vector<int> keys = shuffledKeys(kMemoRows);
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path dir = benchDir("memo-insert");
        auto table = keyedTable(dir, true, true);
        state.ResumeTiming();
        for (int key : keys) insertRow(*table, key, true);
        state.PauseTiming();
        table.reset();
        fs::remove_all(dir);
        state.ResumeTiming();
    }
}

void BM_SqliteMemoInsert(benchmark::State& state) {
    const std::vector<int> keys = shuffledKeys(kMemoRows);
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path dir = benchDir("sqlite-memo-insert");
        sqlite3* db = sqliteTable(dir, true);
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO t VALUES (?, ?, ?)", -1, &insert, nullptr);
        state.ResumeTiming();
        for (int key : keys) sqliteInsert(insert, key, true);
        state.PauseTiming();
        sqlite3_finalize(insert);
        sqlite3_close(db);
        fs::remove_all(dir);
        state.ResumeTiming();
    }
}

// Tables of `rows` rows on both sides, built once per size for the whole run.
struct Tables {
    fs::path dir;
    sqlite3* db = nullptr;
    Tables(int rows, bool memo)
        : dir(benchDir("tables-" + std::to_string(rows) + (memo ? "-memo" : ""))) {
        const std::vector<int> keys = shuffledKeys(rows);
        auto table = keyedTable(dir, memo, true);
        for (int key : keys) insertRow(*table, key, memo);
        db = sqliteTable(dir, memo);
        exec(db, "BEGIN");
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(db, memo ? "INSERT INTO t VALUES (?, ?, ?)" : "INSERT INTO t VALUES (?, ?)",
                           -1, &insert, nullptr);
        for (int key : keys) sqliteInsert(insert, key, memo);
        sqlite3_finalize(insert);
        exec(db, "COMMIT");
    }
    ~Tables() {
        sqlite3_close(db);
        fs::remove_all(dir);
    }
};

Tables& tables(int rows, bool memo) {
    static std::map<std::pair<int, bool>, std::unique_ptr<Tables>> made;
    auto& slot = made[{rows, memo}];
    if (!slot) slot = std::make_unique<Tables>(rows, memo);
    return *slot;
}

void BM_WispelMemoRead(benchmark::State& state) {
    Tables& t = tables(kMemoRows, true);
    auto table = keyedTable(t.dir, true, false);
    table->SetIndexName("ByKey");
    TStoreField& body = table->FieldNamed("Body");
    for (auto _ : state) {
        std::size_t bytes = 0;
        for (table->MoveFirst(); !table->AtEnd(); table->MoveNext()) bytes += body.TextValue().size();
        if (bytes != kMemo.size() * kMemoRows) std::abort();
    }
}

void BM_SqliteMemoRead(benchmark::State& state) {
    Tables& t = tables(kMemoRows, true);
    for (auto _ : state) {
        sqlite3_stmt* select = nullptr;
        sqlite3_prepare_v2(t.db, "SELECT Body FROM t ORDER BY Key", -1, &select, nullptr);
        std::size_t bytes = 0;
        while (sqlite3_step(select) == SQLITE_ROW)
            bytes += std::string(reinterpret_cast<const char*>(sqlite3_column_text(select, 0))).size();
        sqlite3_finalize(select);
        if (bytes != kMemo.size() * kMemoRows) std::abort();
    }
}

void BM_WispelLookup(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    Tables& t = tables(rows, false);
    auto table = keyedTable(t.dir, false, false);
    table->SetIndexName("ByKey");
    TStoreField& site = table->FieldNamed("Site");
    std::mt19937 random(3);
    for (auto _ : state) {
        for (int i = 0; i < 10000; ++i) {
            const int key = 1 + static_cast<int>(random() % rows);
            if (!table->FindKey({std::to_string(key)}) || site.IntegerValue() != key % 100) std::abort();
        }
    }
}

void BM_SqliteLookup(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    Tables& t = tables(rows, false);
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(t.db, "SELECT Site FROM t WHERE Key = ?", -1, &select, nullptr);
    std::mt19937 random(3);
    for (auto _ : state) {
        for (int i = 0; i < 10000; ++i) {
            const int key = 1 + static_cast<int>(random() % rows);
            sqlite3_bind_int(select, 1, key);
            if (sqlite3_step(select) != SQLITE_ROW || sqlite3_column_int(select, 0) != key % 100)
                std::abort();
            sqlite3_reset(select);
        }
    }
    sqlite3_finalize(select);
}

void BM_WispelSiteFilter(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    Tables& t = tables(rows, false);
    auto table = keyedTable(t.dir, false, false);
    TStoreField& key = table->FieldNamed("Key");
    for (auto _ : state) {
        table->SetFilter("Site = 17");
        table->SetFiltered(true);
        int matches = 0;
        for (table->MoveFirst(); !table->AtEnd(); table->MoveNext()) {
            benchmark::DoNotOptimize(key.IntegerValue());
            ++matches;
        }
        if (matches != rows / 100) std::abort();
        table->SetFiltered(false);
        table->SetFilter("");
    }
}

void BM_SqliteSiteFilter(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    Tables& t = tables(rows, false);
    for (auto _ : state) {
        sqlite3_stmt* select = nullptr;
        sqlite3_prepare_v2(t.db, "SELECT Key FROM t WHERE Site = 17", -1, &select, nullptr);
        int matches = 0;
        while (sqlite3_step(select) == SQLITE_ROW) {
            benchmark::DoNotOptimize(sqlite3_column_int(select, 0));
            ++matches;
        }
        sqlite3_finalize(select);
        if (matches != rows / 100) std::abort();
    }
}

BENCHMARK(BM_WispelMemoInsert)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqliteMemoInsert)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WispelMemoRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqliteMemoRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WispelLookup)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqliteLookup)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WispelSiteFilter)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqliteSiteFilter)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void printRatio(const bench::RecordingReporter& reporter, const char* what, const std::string& ours,
                const std::string& peer) {
    const double r = bench::ratio(reporter.realTime(ours), reporter.realTime(peer));
    std::printf("%-44s ours / SQLite = %.2f (aim <= 1.5)\n", what, r);
}

void printGrowth(const bench::RecordingReporter& reporter, const char* what, const std::string& name) {
    const double r = bench::ratio(reporter.realTime(name + "/1000000"), reporter.realTime(name + "/100000"));
    std::printf("%-44s 1 000 000 rows / 100 000 rows = %.2f\n", what, r);
}

}  // namespace

int main(int argc, char** argv) {
    return wispel::bench::runBenchmarks(argc, argv, [](const auto& reporter) {
        printRatio(reporter, "100 000 inserts with a 2 KB memo", "BM_WispelMemoInsert/iterations:1",
                   "BM_SqliteMemoInsert/iterations:1");
        printRatio(reporter, "reading 100 000 memos in key order", "BM_WispelMemoRead", "BM_SqliteMemoRead");
        printRatio(reporter, "10 000 lookups, 100 000 rows", "BM_WispelLookup/100000", "BM_SqliteLookup/100000");
        printRatio(reporter, "10 000 lookups, 1 000 000 rows", "BM_WispelLookup/1000000",
                   "BM_SqliteLookup/1000000");
        printRatio(reporter, "Site = 17, 100 000 rows", "BM_WispelSiteFilter/100000",
                   "BM_SqliteSiteFilter/100000");
        printRatio(reporter, "Site = 17, 1 000 000 rows", "BM_WispelSiteFilter/1000000",
                   "BM_SqliteSiteFilter/1000000");
        printGrowth(reporter, "lookup, ours", "BM_WispelLookup");
        printGrowth(reporter, "lookup, SQLite", "BM_SqliteLookup");
        printGrowth(reporter, "Site = 17, ours", "BM_WispelSiteFilter");
        printGrowth(reporter, "Site = 17, SQLite", "BM_SqliteSiteFilter");
        const double ours = reporter.realTime("BM_WispelLookup/1000000") * 1000.0 / 10000;
        const double peer = reporter.realTime("BM_SqliteLookup/1000000") * 1000.0 / 10000;
        std::printf("%-44s ours %.1f us, SQLite %.1f us (100 000 rows: ours from the caches)\n",
                    "per lookup, 1 000 000 rows", ours, peer);
    });
}
