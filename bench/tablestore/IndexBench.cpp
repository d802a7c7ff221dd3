// Index build: N keys inserted one by one into a new index on the Name column of the sites
// table (text of 10, not unique: 16-byte keys), from record images in random name order, and
// the index written out; SQLite, in memory, runs CREATE INDEX on the Name column of a table
// holding the same N rows. Ours runs without compression and with compression 3. Reported per
// key, at 10 000 and 100 000 keys: ours must stay within twice SQLite's time and grow less
// than 1.3 times per key from the small to the large run.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include <sqlite3.h>

#include "bench/support/RecordingReporter.h"
#include "tablestore/format/RecordValues.h"
#include "tablestore/format/TableCreation.h"
#include "tablestore/index/IndexDefinition.h"
#include "tablestore/index/IndexFile.h"
#include "tablestore/index/KeyForm.h"

namespace {

using namespace wispel;

constexpr int kByName = 1;  // the secondary index's slot

struct SitesRows {
    std::vector<ColumnDescriptor> columns;
    std::uint32_t recordSize = 0;
    std::vector<std::string> names;     // in insertion order
    std::vector<RecordImage> records;   // record n + 1 holds names[n]
};

// The sites table's columns and N rows whose names are distinct and shuffled.
const SitesRows& sitesRows(std::size_t count) {
    static std::map<std::size_t, SitesRows> made;
    SitesRows& rows = made[count];
    if (!rows.records.empty()) return rows;
    DataHeader header;
    std::size_t failed = 0;
    buildTableLayout({{"ID", enginetype::kInteger, enginesubtype::kAutoInc},
                      {"Name", enginetype::kText, 0, 10},
                      {"URL", enginetype::kText, 0, 250},
                      {"Update", enginetype::kInteger},
                      {"Active", enginetype::kBoolean}},
                     header, rows.columns, failed);
    rows.recordSize = header.recordSize;
    std::vector<std::uint32_t> order(count);
    std::iota(order.begin(), order.end(), 0u);
    std::shuffle(order.begin(), order.end(), std::mt19937(42));
    for (std::size_t i = 0; i < count; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "site%06u", order[i]);
        rows.names.push_back(name);
        RecordImage record(rows.recordSize, 0);
        writeRecordHeader(RecordHeader{recordstatus::kActive, static_cast<std::uint32_t>(i + 1),
                                       static_cast<std::int32_t>(i + 1)},
                          record.data());
        setTextValue(record.data(), rows.columns[1], name);
        setTextValue(record.data(), rows.columns[2], "http://example.com/feed.xml");
        setInt32Value(record.data(), rows.columns[3], 60);
        setBooleanValue(record.data(), rows.columns[4], true);
        rows.records.push_back(std::move(record));
    }
    return rows;
}

// Inserts every row's key into a new index with the given leaf compression.
void wispelIndexInsert(benchmark::State& state, std::uint8_t compression) {
    const SitesRows& rows = sitesRows(static_cast<std::size_t>(state.range(0)));
    TIndexHeader header = newIndexHeader();
    addIndexDefinition(header, TIndexDefinition{"ByName", {2}, false, compression}, rows.columns);
    TKeyLayout layout;
    makeKeyLayout(header.Slots[kByName], rows.columns, rows.recordSize, layout);
    std::vector<std::uint8_t> key(layout.KeyLength);
    for (auto _ : state) {
        std::unique_ptr<StoreFile> file;
        memoryFileSystem().create("bench.IDX", file);
        TIndexFile::create(*file, header);
        TIndexFile index(*file);
        index.open(rows.columns, rows.recordSize);
        for (std::size_t n = 0; n < rows.records.size(); ++n) {
            buildKey(layout, rows.records[n].data(), key.data());
            if (index.insertKey(kByName, key.data(), static_cast<std::uint32_t>(n + 1)) !=
                storecode::kOk) {
                state.SkipWithError("insert failed");
                break;
            }
        }
        if (index.writePending() != storecode::kOk) state.SkipWithError("write failed");
        state.PauseTiming();
        file.reset();
        memoryFileSystem().remove("bench.IDX");
        state.ResumeTiming();
    }
    state.counters["s_per_key"] = benchmark::Counter(
        static_cast<double>(rows.records.size()),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_WispelIndexInsert(benchmark::State& state) {
    wispelIndexInsert(state, indexlayout::kCompressNone);
}
void BM_WispelIndexInsertCompressed(benchmark::State& state) {
    wispelIndexInsert(state, indexlayout::kCompressBoth);
}

void exec(sqlite3* db, const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) std::abort();
}

void BM_SqliteCreateIndex(benchmark::State& state) {
    const SitesRows& rows = sitesRows(static_cast<std::size_t>(state.range(0)));
    sqlite3* db = nullptr;
    if (sqlite3_open(":memory:", &db) != SQLITE_OK) std::abort();
    exec(db, "PRAGMA synchronous=OFF");
    exec(db, "CREATE TABLE sites (ID INTEGER PRIMARY KEY, Name TEXT, URL TEXT, "
             "\"Update\" INTEGER, Active INTEGER)");
    exec(db, "BEGIN");
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO sites VALUES (?, ?, 'http://example.com/feed.xml', 60, 1)",
                       -1, &insert, nullptr);
    for (std::size_t n = 0; n < rows.names.size(); ++n) {
        sqlite3_bind_int(insert, 1, static_cast<int>(n + 1));
        sqlite3_bind_text(insert, 2, rows.names[n].c_str(), -1, SQLITE_STATIC);
        if (sqlite3_step(insert) != SQLITE_DONE) std::abort();
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    exec(db, "COMMIT");
    for (auto _ : state) {
        exec(db, "BEGIN; CREATE INDEX ByName ON sites (Name); COMMIT");
        state.PauseTiming();
        exec(db, "DROP INDEX ByName");
        state.ResumeTiming();
    }
    sqlite3_close(db);
    state.counters["s_per_key"] = benchmark::Counter(
        static_cast<double>(rows.names.size()),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_WispelIndexInsert)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WispelIndexInsertCompressed)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqliteCreateIndex)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return wispel::bench::runBenchmarks(argc, argv, [](const auto& reporter) {
        for (const char* ours : {"BM_WispelIndexInsert", "BM_WispelIndexInsertCompressed"}) {
            std::printf("\n%s:", ours);
            wispel::bench::printScaling(reporter, {ours, "BM_SqliteCreateIndex", 10000, 100000,
                                                   "s_per_key", "keys", 1.3, 2.0});
        }
    });
}
