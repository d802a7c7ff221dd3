// The program's filter, "Active = TRUE", over a sites table of N rows: ours compiles the
// filter and evaluates it on every record of the data file, read from the in-memory
// directory in runs of up to 65535 bytes as the cursor reads ahead, into the result bitmap.
// The peer is SQLite on an in-memory database stepping through
// SELECT ID FROM sites WHERE Active = 1. Both tables are built before the clock runs.
// Reported per row, at 10 000 and 100 000 rows: the time per row must not grow with the
// table, and ours should stay within twice SQLite's.

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "bench/support/RecordingReporter.h"
#include "tablestore/files/StoreFile.h"
#include "tablestore/filter/Filter.h"
#include "tablestore/format/DataFile.h"
#include "tablestore/format/RecordSlots.h"
#include "tablestore/format/RecordValues.h"
#include "tablestore/format/TableCreation.h"

namespace {

using namespace wispel;

// Every third row is inactive, every seventh has no Active value.
int activeOf(int row) { return row % 7 == 0 ? -1 : (row % 3 != 0); }
std::string nameOf(int row) { return "Site " + std::to_string(row % 100000); }
std::string urlOf(int row) { return "http://news.example.org/feeds/" + std::to_string(row) + ".rss"; }

// A sites table of `rows` rows in the in-memory directory.
struct SitesTable {
    std::unique_ptr<StoreFile> file;
    DataHeader header;
    std::vector<ColumnDescriptor> columns;
    std::uint64_t recordsStart = 0;

    explicit SitesTable(int rows) {
        const std::vector<ColumnDefinition> definitions{
            {"ID", enginetype::kInteger, enginesubtype::kAutoInc, 0, false},
            {"Name", enginetype::kText, 0, 10, false},
            {"URL", enginetype::kText, 0, 250, false},
            {"Update", enginetype::kInteger, 0, 0, false},
            {"Active", enginetype::kBoolean, 0, 0, false},
        };
        std::size_t failed = 0;
        const std::string path = "bench-sites-" + std::to_string(rows) + ".DAT";
        if (createDataFile(memoryFileSystem(), path, definitions, 0, header, columns, file,
                           failed) != storecode::kOk)
            std::abort();
        recordsStart = 127 + columns.size() * kColumnDescriptorSize;
        RecordImage record;
        for (int row = 1; row <= rows; ++row) {
            std::uint32_t slot = 0;
            if (chooseRecordSlot(header, slot) != storecode::kOk ||
                takeRecordSlot(header, slot, record) != storecode::kOk)
                std::abort();
            initRecordSlot(header, record, slot, takeRecordId(header));
            setTextValue(record.data(), columns[1], nameOf(row));
            setTextValue(record.data(), columns[2], urlOf(row));
            setInt32Value(record.data(), columns[3], 60);
            if (activeOf(row) >= 0) setBooleanValue(record.data(), columns[4], activeOf(row));
            if (saveRecord(*file, header, slot, record) != storecode::kOk) std::abort();
        }
        if (saveDataHeader(*file, header, true, 0) != storecode::kOk) std::abort();
    }
};

// Reads records in runs of up to 65535 bytes, as the cursor does when it walks a table.
class ReadAheadSource : public TFilterRecordSource {
public:
    explicit ReadAheadSource(SitesTable& table)
        : table_(table), perRun_(std::max<std::size_t>(1, 65535 / table.header.recordSize)) {
        buffer_.resize(perRun_ * table.header.recordSize);
    }

    StoreResult readRecord(std::uint32_t n, const std::uint8_t*& image) override {
        const std::size_t size = table_.header.recordSize;
        if (n < first_ || n >= first_ + held_) {
            std::size_t got = 0;
            const StoreResult read = table_.file->readSome(
                table_.recordsStart + std::uint64_t{n - 1} * size, buffer_.data(), buffer_.size(),
                got);
            if (read != storecode::kOk || got < size) return storecode::kRecordsCorrupt;
            first_ = n;
            held_ = got / size;
        }
        image = buffer_.data() + (n - first_) * size;
        return storecode::kOk;
    }

private:
    SitesTable& table_;
    std::size_t perRun_;
    std::vector<std::uint8_t> buffer_;
    std::uint32_t first_ = 0;
    std::size_t held_ = 0;
};

void BM_WispelFilterScan(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    SitesTable table(rows);
    const std::uint32_t count = table.header.nextRecordNumber - 1;
    std::uint32_t selected = 0;
    for (auto _ : state) {
        std::unique_ptr<TFilter> filter;
        std::string message;
        if (TFilter::create("Active = TRUE", table.columns, table.header.recordSize, {}, {},
                            filter, message) != storecode::kOk)
            std::abort();
        ReadAheadSource source(table);
        if (filter->apply(TRecordsBitmap(count, true), source) != storecode::kOk) std::abort();
        selected = filter->bitmap().count();
        benchmark::DoNotOptimize(selected);
    }
    state.counters["rows"] = selected;
    state.counters["s_per_row"] = benchmark::Counter(
        rows, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void exec(sqlite3* db, const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) std::abort();
}

void BM_SqliteFilterScan(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    sqlite3* db = nullptr;
    if (sqlite3_open(":memory:", &db) != SQLITE_OK) std::abort();
    exec(db, "PRAGMA synchronous=OFF");
    exec(db,
         "CREATE TABLE sites (ID INTEGER PRIMARY KEY AUTOINCREMENT, Name VARCHAR(10), "
         "URL VARCHAR(250), \"Update\" INTEGER, Active BOOLEAN)");
    exec(db, "BEGIN");
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO sites (Name, URL, \"Update\", Active) VALUES (?, ?, 60, ?)",
                       -1, &insert, nullptr);
    for (int row = 1; row <= rows; ++row) {
        const std::string name = nameOf(row).substr(0, 10);
        const std::string url = urlOf(row);
        sqlite3_bind_text(insert, 1, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, url.c_str(), -1, SQLITE_TRANSIENT);
        if (activeOf(row) >= 0)
            sqlite3_bind_int(insert, 3, activeOf(row));
        else
            sqlite3_bind_null(insert, 3);
        if (sqlite3_step(insert) != SQLITE_DONE) std::abort();
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    exec(db, "COMMIT");
    std::uint32_t selected = 0;
    for (auto _ : state) {
        sqlite3_stmt* select = nullptr;
        sqlite3_prepare_v2(db, "SELECT ID FROM sites WHERE Active = 1", -1, &select, nullptr);
        selected = 0;
        while (sqlite3_step(select) == SQLITE_ROW) {
            benchmark::DoNotOptimize(sqlite3_column_int(select, 0));
            ++selected;
        }
        sqlite3_finalize(select);
    }
    sqlite3_close(db);
    state.counters["rows"] = selected;
    state.counters["s_per_row"] = benchmark::Counter(
        rows, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_WispelFilterScan)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqliteFilterScan)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return wispel::bench::runBenchmarks(argc, argv, [](const auto& reporter) {
        wispel::bench::printScaling(
            reporter, {"BM_WispelFilterScan", "BM_SqliteFilterScan", 10000, 100000, "s_per_row",
                       "rows", 1.3, 2.0});
    });
}
