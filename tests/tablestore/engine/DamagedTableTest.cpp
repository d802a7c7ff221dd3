// Table files damaged or replaced behind the engine's back, on disk: an index file that does
// not describe its data file, links in place of the files, a last record ID behind the IDs in
// use, record values that break their encodings, counts past the format's limits. None of
// them may hide rows, write through a link or pass `check` unnoticed.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>

#include "tablestore/errors/StoreEngineError.h"
#include "tests/tablestore/sitesfixture/SitesTableFixture.h"

using namespace wispel;
using namespace wispel::test;
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kRecords = 127 + 5 * 768;  // where record 1 starts
constexpr std::size_t kRecordSize = 281;



std::string le32(std::int32_t value) {
    std::string bytes(4, '\0');
    std::memcpy(bytes.data(), &value, 4);
    return bytes;
}

class DamagedTable : public SitesTableTest {
protected:
    std::string data() const { return dirName_ + "Sites.DAT"; }
    std::string index() const { return dirName_ + "Sites.IDX"; }
    void fill(int rows, int first = 0) const {
        auto table = sitesTable();
        table->Open();
        for (int i = first; i < first + rows; ++i)
            addSite(*table, "S" + std::to_string(i), "http://h/", 1, true);
    }
    std::vector<std::string> check() const {
        auto table = sitesTable();
        table->Open();
        return table->CheckFiles();
    }
};

}  // namespace

TEST_F(DamagedTable, AnIndexThatDoesNotCountTheDataIsMadeAgainOrRefused) {
    const struct {
        const char* what;
        std::function<void()> damage;  // on a table of rows S0 to S5
    } cases[] = {
        {"the index of a new empty table",
         [this] {
             const fs::path other = dir_ / "other";
             fs::create_directories(other);
             auto table = std::make_unique<TStoreTable>();
             table->SetDatabaseName(other.string() + "/");
             table->SetTableName(kSitesTableName);
             addSitesFieldDefs(table->FieldDefs());
             table->CreateTable();
             table.reset();
             writeBytes(index(), readBytes((other / "Sites.IDX").string()));
         }},
        {"an older copy of its own index",
         [this] {
             const std::string old = readBytes(index());
             fill(3, 6);
             writeBytes(index(), old);
         }},
        {"a count of active records made wrong", [this] { patchBytes(index(), 3974, le32(2)); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        createSites();
        fill(6);
        c.damage();
        {
            auto reader = sitesTable();
            reader->SetReadOnly(true);
            EXPECT_EQ(engineCode([&] { reader->Open(); }), 8961) << "a reader may not repair it";
        }
        auto table = sitesTable();
        table->Open();
        const std::string all = names(*table);
        EXPECT_TRUE(all.rfind("S0 S1 S2 S3 S4 S5", 0) == 0) << all;
        EXPECT_EQ(table->CheckFiles(), std::vector<std::string>{});
    }
}

TEST_F(DamagedTable, CreatingATableNeverWritesThroughLinksOrOverExistingFiles) {
    const std::string victim = (dir_ / "victim").string();
    const struct {
        const char* what;
        std::function<void()> prepare;
    } cases[] = {
        {"data file a dangling link, index file a link to another file",
         [&] {
             fs::create_symlink(dir_ / "nowhere", data());
             fs::create_symlink(victim, index());
         }},
        {"data file a dangling link", [&] { fs::create_symlink(dir_ / "nowhere", data()); }},
        {"index file a dangling link", [&] { fs::create_symlink(dir_ / "nowhere", index()); }},
        {"index file a link to another file", [&] { fs::create_symlink(victim, index()); }},
        {"data file a link to another file", [&] { fs::create_symlink(victim, data()); }},
        {"an index file alone", [&] { writeBytes(index(), "index"); }},
        {"a table there", [&] { createSites(); }},
    };
    const auto listing = [&] {
        std::vector<std::string> entries;
        for (const auto& e : fs::directory_iterator(dir_)) {
            const bool regular = fs::is_regular_file(fs::symlink_status(e.path()));
            entries.push_back(e.path().filename().string() + (regular ? "=" + readBytes(e.path()) : ""));
        }
        std::sort(entries.begin(), entries.end());
        return entries;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        writeBytes(victim, "precious");
        c.prepare();
        const auto before = listing();
        EXPECT_EQ(engineCode([&] { sitesTable()->CreateTable(); }), 13060);
        EXPECT_EQ(listing(), before) << "a file was made or changed";
        EXPECT_FALSE(fs::exists(dir_ / "nowhere"));
    }
}

TEST_F(DamagedTable, ATableReachedThroughALinkIsRefused) {
    const fs::path real = dir_ / "real";
    fs::create_directories(real);
    {
        auto table = std::make_unique<TStoreTable>();
        table->SetDatabaseName(real.string() + "/");
        table->SetTableName(kSitesTableName);
        addSitesFieldDefs(table->FieldDefs());
        table->CreateTable();
    }
    for (const char* linked : {"Sites.DAT", "Sites.IDX"}) {
        SCOPED_TRACE(linked);
        for (const char* file : {"Sites.DAT", "Sites.IDX"}) {
            fs::remove(dir_ / file);
            if (std::string(file) == linked) fs::create_symlink(real / file, dir_ / file);
            else fs::copy_file(real / file, dir_ / file);
        }
        EXPECT_EQ(engineCode([&] { sitesTable()->Open(); }), 11013);
    }
}

TEST_F(DamagedTable, ALastRecordIdBehindTheIdsInUseIsReportedAndSkipped) {
    for (std::int32_t last : {3, -5, 0}) {
        SCOPED_TRACE(last);
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        createSites();
        fill(20);
        patchBytes(data(), 17, le32(last));
        EXPECT_EQ(check(), std::vector<std::string>{
                               "the last record ID handed out, " + std::to_string(last) +
                               ", is below the largest ID in use, 20"});
        auto table = sitesTable();
        table->Open();
        addSite(*table, "New", "http://h/", 1, true);
        EXPECT_EQ(table->FieldNamed("ID").IntegerValue(), 21);
        EXPECT_EQ(table->CheckFiles(), std::vector<std::string>{});
    }
}

TEST_F(DamagedTable, CheckReportsValuesThatBreakTheirEncodings) {
    createSites();
    fill(3);
    const std::size_t record2 = kRecords + kRecordSize;
    patchBytes(data(), record2 + 9, std::string(12, 'x'));      // Name: null byte and 11 bytes
    patchBytes(data(), record2 + 273, "\x05");                 // Update's null byte
    patchBytes(data(), record2 + 278, std::string("\x01\x02\x00", 3));  // Active = 2
    patchBytes(data(), kRecords + 2 * kRecordSize + 21, "\x07");  // URL's null byte of record 3
    EXPECT_EQ(check(), (std::vector<std::string>{
                           "record 2: Name has the null byte 120",
                           "record 2: Update has the null byte 5",
                           "record 2: Active holds the Boolean value 2",
                           "record 3: URL has the null byte 7",
                       }));
    patchBytes(data(), record2 + 9, std::string("\x01", 1));  // Name holds 11 letters, no zero
    EXPECT_EQ(check().front(), "record 2: Name holds text without its ending zero");
}

TEST_F(DamagedTable, CheckKeepsTheFirstHundredFindingsAndCountsTheRest) {
    createSites();
    fill(150);
    for (std::size_t n = 0; n < 150; ++n) patchBytes(data(), kRecords + n * kRecordSize + 279, "\x09");
    const std::vector<std::string> found = check();
    ASSERT_EQ(found.size(), 101u);
    EXPECT_EQ(found[0], "record 1: Active holds the Boolean value 9");
    EXPECT_EQ(found[99], "record 100: Active holds the Boolean value 9");
    EXPECT_EQ(found[100], "... and 50 more problems");
}

TEST_F(DamagedTable, ARecordCountPastTheFormatsLimitsIsRefusedOnOpen) {
    createSites();
    // 7117438 records of 281 bytes reach 2000000001 bytes; the file is sparse.
    const std::uint32_t records = 7117438;
    patchBytes(data(), 13, le32(static_cast<std::int32_t>(records + 1)));
    fs::resize_file(data(), kRecords + std::uint64_t{records} * kRecordSize);
    EXPECT_EQ(engineCode([&] { sitesTable()->Open(); }), 8961);
}

TEST_F(DamagedTable, ASystemIndexWhoseUniqueByteIsZeroIsRead) {
    createSites();
    fill(3);
    const std::size_t uniqueByte = 14 + 31 * 120 + 35;
    patchBytes(index(), uniqueByte, std::string(1, '\0'));
    auto table = sitesTable();
    table->Open();
    EXPECT_EQ(names(*table), "S0 S1 S2");
    addSite(*table, "S3", "http://h/", 1, true);
    EXPECT_EQ(table->CheckFiles(), std::vector<std::string>{});
    table.reset();
    EXPECT_EQ(readBytes(index())[uniqueByte], 1) << "written as 1";
}
