// The table component as the program uses it, on disk, SQLite being the peer:
//
//   inserts  10 000 single-row inserts through TStoreTable, each written to the files before
//            PostRow returns; SQLite does 10 000 autocommit INSERTs with synchronous=OFF.
//            With the session's ForceBufferFlush (files opened write-through) against
//            synchronous=FULL, 1 000 rows each, since every row waits for the disk.
//   walk     100 000 sites rows, "Active = TRUE" set as the filter (compiled and evaluated)
//            and walked with FindFirstMatch/FindNextMatch, reading Name, URL and Update of
//            each match; SQLite prepares and steps the same SELECT and reads the same
//            columns. Both files are open before the clock runs.
//
// Aims: inserts within 1.5 times SQLite's time, the walk within twice.

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/support/BenchDir.h"
#include "bench/support/RecordingReporter.h"
#include "feeds/SitesSchema.h"
#include "tablestore/component/StoreSession.h"
#include "tablestore/component/StoreTable.h"

namespace {

using namespace wispel;
namespace fs = std::filesystem;

constexpr int kWalkRows = 100000;

using bench::benchDir;

std::unique_ptr<TStoreTable> newSites(const fs::path& dir) {
    auto table = std::make_unique<TStoreTable>();
    table->SetDatabaseName(dir.string() + "/");
    table->SetTableName(kSitesTableName);
    addSitesFieldDefs(table->FieldDefs());
    table->CreateTable();
    table->Open();
    return table;
}

void insertRow(TStoreTable& table, int row) {
    table.StartInsert();
    table.FieldNamed("Name").SetTextValue("Site " + std::to_string(row));
    table.FieldNamed("URL").SetTextValue("http://news.example.org/feeds/" + std::to_string(row) + ".rss");
    table.FieldNamed("Update").SetIntegerValue(60);
    table.FieldNamed("Active").SetBooleanValue(row % 3 != 0);
    table.PostRow();
}

void wispelInserts(benchmark::State& state, bool flush) {
    const int rows = static_cast<int>(state.range(0));
    DefaultSession().SetForceBufferFlush(flush);
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path dir = benchDir("insert");
        auto table = newSites(dir);
        state.ResumeTiming();
        for (int row = 1; row <= rows; ++row) insertRow(*table, row);
        state.PauseTiming();
        table.reset();
        fs::remove_all(dir);
        state.ResumeTiming();
    }
    DefaultSession().SetForceBufferFlush(false);
    state.counters["s_per_row"] = benchmark::Counter(
        rows, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void exec(sqlite3* db, const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) std::abort();
}

sqlite3* newSqlite(const fs::path& dir, const char* synchronous) {
    sqlite3* db = nullptr;
    if (sqlite3_open((dir / "sites.db").c_str(), &db) != SQLITE_OK) std::abort();
    exec(db, (std::string("PRAGMA synchronous=") + synchronous).c_str());
    exec(db,
         "CREATE TABLE sites (ID INTEGER PRIMARY KEY AUTOINCREMENT, Name VARCHAR(10), "
         "URL VARCHAR(250), \"Update\" INTEGER, Active BOOLEAN)");
    return db;
}

void sqliteInsertRow(sqlite3_stmt* insert, int row) {
    const std::string name = ("Site " + std::to_string(row)).substr(0, 10);
    const std::string url = "http://news.example.org/feeds/" + std::to_string(row) + ".rss";
    sqlite3_bind_text(insert, 1, name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(insert, 2, url.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int(insert, 3, row % 3 != 0);
    if (sqlite3_step(insert) != SQLITE_DONE) std::abort();
    sqlite3_reset(insert);
}

constexpr const char* kInsertSql =
    "INSERT INTO sites (Name, URL, \"Update\", Active) VALUES (?, ?, 60, ?)";

void sqliteInserts(benchmark::State& state, const char* synchronous) {
    const int rows = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path dir = benchDir("sqlite-insert");
        sqlite3* db = newSqlite(dir, synchronous);
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(db, kInsertSql, -1, &insert, nullptr);
        state.ResumeTiming();
        for (int row = 1; row <= rows; ++row) sqliteInsertRow(insert, row);  // autocommit each
        state.PauseTiming();
        sqlite3_finalize(insert);
        sqlite3_close(db);
        fs::remove_all(dir);
        state.ResumeTiming();
    }
    state.counters["s_per_row"] = benchmark::Counter(
        rows, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_WispelInsert(benchmark::State& state) { wispelInserts(state, false); }
void BM_SqliteInsertSyncOff(benchmark::State& state) { sqliteInserts(state, "OFF"); }
void BM_WispelInsertFlush(benchmark::State& state) { wispelInserts(state, true); }
void BM_SqliteInsertSyncFull(benchmark::State& state) { sqliteInserts(state, "FULL"); }

// The walk's tables, built once for the whole run.
struct WalkTables {
    fs::path dir = benchDir("walk");
    sqlite3* db = nullptr;
    WalkTables() {
        auto table = newSites(dir);
        for (int row = 1; row <= kWalkRows; ++row) insertRow(*table, row);
        db = newSqlite(dir, "OFF");
        exec(db, "BEGIN");
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(db, kInsertSql, -1, &insert, nullptr);
        for (int row = 1; row <= kWalkRows; ++row) sqliteInsertRow(insert, row);
        sqlite3_finalize(insert);
        exec(db, "COMMIT");
    }
    ~WalkTables() {
        sqlite3_close(db);
        fs::remove_all(dir);
    }
};

WalkTables& walkTables() {
    static WalkTables tables;
    return tables;
}

void BM_WispelWalk(benchmark::State& state) {
    WalkTables& tables = walkTables();
    // Opened once, as SQLite's database is; each walk sets the filter, which is compiled and
    // evaluated over the table as SQLite prepares and steps its statement.
    TStoreTable table;
    table.SetDatabaseName(tables.dir.string() + "/");
    table.SetTableName(kSitesTableName);
    table.Open();
    TStoreField& name = table.FieldNamed("Name");
    TStoreField& url = table.FieldNamed("URL");
    TStoreField& update = table.FieldNamed("Update");
    long matches = 0;
    for (auto _ : state) {
        table.SetFilter("Active = TRUE");
        table.SetFiltered(true);
        table.RefreshRows();
        matches = 0;
        for (bool found = table.FindFirstMatch(); found; found = table.FindNextMatch()) {
            benchmark::DoNotOptimize(name.TextValue());
            benchmark::DoNotOptimize(url.TextValue());
            benchmark::DoNotOptimize(update.IntegerValue());
            ++matches;
        }
        table.SetFiltered(false);
        table.SetFilter("");
    }
    state.counters["rows"] = static_cast<double>(matches);
    state.counters["s_per_row"] = benchmark::Counter(
        kWalkRows, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_SqliteWalk(benchmark::State& state) {
    WalkTables& tables = walkTables();
    long matches = 0;
    for (auto _ : state) {
        sqlite3_stmt* select = nullptr;
        sqlite3_prepare_v2(tables.db, "SELECT Name, URL, \"Update\" FROM sites WHERE Active = 1",
                           -1, &select, nullptr);
        matches = 0;
        while (sqlite3_step(select) == SQLITE_ROW) {
            benchmark::DoNotOptimize(std::string(
                reinterpret_cast<const char*>(sqlite3_column_text(select, 0))));
            benchmark::DoNotOptimize(std::string(
                reinterpret_cast<const char*>(sqlite3_column_text(select, 1))));
            benchmark::DoNotOptimize(sqlite3_column_int(select, 2));
            ++matches;
        }
        sqlite3_finalize(select);
    }
    state.counters["rows"] = static_cast<double>(matches);
    state.counters["s_per_row"] = benchmark::Counter(
        kWalkRows, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_WispelInsert)->Arg(10000)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqliteInsertSyncOff)->Arg(10000)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WispelInsertFlush)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqliteInsertSyncFull)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WispelWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqliteWalk)->Unit(benchmark::kMillisecond);

void printRatio(const bench::RecordingReporter& reporter, const char* what, const std::string& ours,
                const std::string& peer, double aim) {
    const double r = bench::ratio(reporter.realTime(ours), reporter.realTime(peer));
    std::printf("%-40s ours / SQLite = %.2f (aim <= %.1f)\n", what, r, aim);
}

}  // namespace

int main(int argc, char** argv) {
    return wispel::bench::runBenchmarks(argc, argv, [](const auto& reporter) {
        printRatio(reporter, "10 000 inserts, no flush / sync OFF", "BM_WispelInsert/10000/iterations:3",
                   "BM_SqliteInsertSyncOff/10000/iterations:3", 1.5);
        printRatio(reporter, "1 000 inserts, flush / sync FULL", "BM_WispelInsertFlush/1000/iterations:1",
                   "BM_SqliteInsertSyncFull/1000/iterations:1", 1.5);
        printRatio(reporter, "walk of 100 000 rows", "BM_WispelWalk", "BM_SqliteWalk", 2.0);
    });
}
