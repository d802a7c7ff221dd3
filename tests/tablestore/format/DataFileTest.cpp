#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <cstring>
#include <functional>
#include <utility>

#include "FormatTestSupport.h"
#include "tablestore/files/FaultInjectingFileSystem.h"
#include "tablestore/format/DataFile.h"
#include "tablestore/format/DataFileChecks.h"
#include "tablestore/format/RecordSlots.h"

using namespace wispel;
using namespace wispel::formattest;

namespace {

// A table made through the format layer alone, in the in-memory directory or on disk.
class Table {
public:
    Table(StoreFileSystem& files, std::string path,
          const std::vector<ColumnDefinition>& definitions = sitesDefinitions())
        : files_(files), path_(std::move(path)) {
        std::size_t failed = 0;
        result = createDataFile(files_, path_, definitions, fixtureTime(), header, columns,
                                file, failed);
    }
    ~Table() {
        file.reset();
        files_.remove(path_);
    }

    // Inserts a row the way the engine does: slot, ID, record, then header.
    std::uint32_t insert(const std::function<void(RecordImage&)>& fill = {}) {
        std::uint32_t slot = 0;
        EXPECT_EQ(chooseRecordSlot(header, slot), storecode::kOk);
        RecordImage onFile;
        if (slot == header.freeChainHead) {
            EXPECT_EQ(loadRecord(*file, header, slot, onFile), storecode::kOk);
        }
        EXPECT_EQ(takeRecordSlot(header, slot, onFile), storecode::kOk);
        RecordImage record;
        initRecordSlot(header, record, slot, takeRecordId(header));
        if (fill) fill(record);
        EXPECT_EQ(saveRecord(*file, header, slot, record), storecode::kOk);
        EXPECT_EQ(saveDataHeader(*file, header, true, fixtureTime()), storecode::kOk);
        return slot;
    }

    void remove(std::uint32_t slot) {
        RecordImage record;
        ASSERT_EQ(loadRecord(*file, header, slot, record), storecode::kOk);
        freeRecordSlot(header, record, slot);
        ASSERT_EQ(saveRecord(*file, header, slot, record), storecode::kOk);
        ASSERT_EQ(saveDataHeader(*file, header, true, fixtureTime()), storecode::kOk);
    }

    std::int32_t recordId(std::uint32_t slot) {
        RecordImage record;
        EXPECT_EQ(loadRecord(*file, header, slot, record), storecode::kOk);
        return readRecordHeader(record.data()).recordId;
    }

    std::uint64_t length() {
        std::uint64_t bytes = 0;
        file->size(bytes);
        return bytes;
    }

    StoreResult result;
    DataHeader header;
    std::vector<ColumnDescriptor> columns;
    std::unique_ptr<StoreFile> file;

private:
    StoreFileSystem& files_;
    std::string path_;
};

std::string tempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() /
            ("wispel-format-" + std::to_string(::getpid()) + "-" + name))
        .string();
}

}  // namespace

TEST(DataFile, NewSitesTableIsHeaderAndDescriptorsOnly) {
    Table table(memoryFileSystem(), "MEMORY/new.DAT");
    ASSERT_EQ(table.result, storecode::kOk);
    EXPECT_EQ(table.length(), 127u + 5u * 768u);
    EXPECT_EQ(table.header.recordSize, 281);
    EXPECT_EQ(table.header.nextRecordNumber, 1u);
    EXPECT_EQ(table.header.freeChainHead, 0u);
    EXPECT_EQ(table.header.changeCounter, 1);
    const std::uint16_t offsets[] = {5, 9, 21, 273, 278};
    const std::uint8_t widths[] = {4, 11, 251, 4, 2};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(table.columns[i].offset, offsets[i]) << i;
        EXPECT_EQ(table.columns[i].width, widths[i]) << i;
    }

    DataHeader header;
    std::vector<ColumnDescriptor> columns;
    ASSERT_EQ(loadDataFile(*table.file, header, columns), storecode::kOk);
    EXPECT_EQ(header, table.header);
    EXPECT_EQ(columns, table.columns);
}

TEST(DataFile, SitesTableWithTwoRowsMatchesTheDocumentedBytes) {
    std::string path = tempPath("Sites.DAT");
    {
        Table table(posixFileSystem(), path);
        ASSERT_EQ(table.result, storecode::kOk);
        const auto& c = table.columns;
        table.insert([&](RecordImage& r) {
            setTextValue(r.data(), c[1], "Example");
            setTextValue(r.data(), c[2], "http://example.com/rss.xml");
            setInt32Value(r.data(), c[3], 60);
            setBooleanValue(r.data(), c[4], true);
        });
        table.insert([&](RecordImage& r) {
            setTextValue(r.data(), c[1], "");
            setTextValue(r.data(), c[2], "http://news.example.org/feed");
            setInt32Value(r.data(), c[3], 30);
            setBooleanValue(r.data(), c[4], false);
        });
        EXPECT_EQ(fileBytes(path), fileBytes(fixturePath("sites-two-rows.DAT")));
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(DataFile, FixtureReadsBack) {
    std::unique_ptr<StoreFile> file;
    ASSERT_EQ(posixFileSystem().open(fixturePath("sites-two-rows.DAT"), {.readOnly = true}, file),
              storecode::kOk);
    DataHeader header;
    std::vector<ColumnDescriptor> columns;
    ASSERT_EQ(loadDataFile(*file, header, columns), storecode::kOk);
    RecordImage row;
    ASSERT_EQ(loadRecord(*file, header, 2, row), storecode::kOk);
    EXPECT_EQ(row.size(), 281u);
    EXPECT_FALSE(hasValue(row.data(), columns[1]));  // an empty Name has no value
    for (int i = 9; i < 21; ++i) EXPECT_EQ(row[i], 0) << i;
    EXPECT_EQ(textValue(row.data(), columns[2]), "http://news.example.org/feed");
    EXPECT_EQ(int32Value(row.data(), columns[0]), 2);
    EXPECT_TRUE(hasValue(row.data(), columns[4]));
    EXPECT_FALSE(booleanValue(row.data(), columns[4]));
    EXPECT_EQ(loadRecord(*file, header, 3, row), storecode::kRecordsCorrupt);
    EXPECT_EQ(loadRecord(*file, header, 0, row), storecode::kRecordsCorrupt);
}

TEST(DataFile, FreeChainIsFiveThenThreeAndSlotsAreReusedInThatOrder) {
    Table table(memoryFileSystem(), "MEMORY/chain.DAT");
    for (int i = 0; i < 5; ++i) table.insert();
    table.remove(3);
    table.remove(5);
    EXPECT_EQ(table.header.freeChainHead, 5u);
    RecordImage five;
    ASSERT_EQ(loadRecord(*table.file, table.header, 5, five), storecode::kOk);
    EXPECT_EQ(readRecordHeader(five.data()), (RecordHeader{recordstatus::kDeleted, 3, 5}));
    std::uint32_t chainLength = 0;
    EXPECT_EQ(checkFreeChain(*table.file, table.header, chainLength), storecode::kOk);
    EXPECT_EQ(chainLength, 2u);

    EXPECT_EQ(table.insert(), 5u);
    EXPECT_EQ(table.insert(), 3u);
    EXPECT_EQ(table.insert(), 6u);
    EXPECT_EQ(table.recordId(5), 6);  // IDs go on from the highest ever given
    EXPECT_EQ(table.recordId(3), 7);
    EXPECT_EQ(table.recordId(6), 8);
    EXPECT_EQ(table.length(), 127u + 5u * 768u + 6u * 281u);
    EXPECT_EQ(checkFreeChain(*table.file, table.header, chainLength), storecode::kOk);
    EXPECT_EQ(chainLength, 0u);
}

TEST(DataFile, RecordIdsAreNeverReused) {
    Table table(memoryFileSystem(), "MEMORY/ids.DAT");
    table.insert();
    std::uint32_t newest = table.insert();
    table.remove(newest);
    EXPECT_EQ(table.insert(), newest);
    EXPECT_EQ(table.recordId(newest), 3);
}

TEST(RecordSlots, RecordIdWrapsAfterTheLargestValue) {
    DataHeader header;
    header.lastAutoInc = 2147483646;
    EXPECT_EQ(takeRecordId(header), 2147483647);
    EXPECT_EQ(takeRecordId(header), 1);
    EXPECT_EQ(takeRecordId(header), 2);
    noteRecordId(header, 40);
    noteRecordId(header, 7);
    EXPECT_EQ(takeRecordId(header), 41);
}

TEST(RecordSlots, TableFullAtTheRecordLimits) {
    struct Case {
        std::uint32_t next;
        std::uint16_t recordSize;
        StoreResult expected;
    };
    const Case cases[] = {
        {99999999, 10, storecode::kOk},          // 99999999 + 1 does not exceed 10^8
        {100000000, 10, storecode::kTableFull},
        {7117437, 281, storecode::kOk},          // 7117437 * 281 = 1999999797
        {7117438, 281, storecode::kTableFull},   // 2000000078
    };
    for (const auto& c : cases) {
        DataHeader header;
        header.nextRecordNumber = c.next;
        header.recordSize = c.recordSize;
        std::uint32_t slot = 0;
        EXPECT_EQ(chooseRecordSlot(header, slot), c.expected) << c.next;
        header.freeChainHead = 4;  // a free slot is always there to take
        EXPECT_EQ(chooseRecordSlot(header, slot), storecode::kOk);
        EXPECT_EQ(slot, 4u);
    }
}

TEST(RecordSlots, ChainHeadThatIsNoDeletedRecordIsRefused) {
    DataHeader header;
    header.nextRecordNumber = 4;
    header.recordSize = 19;
    header.freeChainHead = 2;
    RecordImage image(19, 0);
    writeRecordHeader({recordstatus::kActive, 2, 1}, image.data());
    EXPECT_EQ(takeRecordSlot(header, 2, image), storecode::kRecordsCorrupt);
    writeRecordHeader({recordstatus::kDeleted, 9, 1}, image.data());
    EXPECT_EQ(takeRecordSlot(header, 2, image), storecode::kRecordsCorrupt);
    writeRecordHeader({recordstatus::kDeleted, 2, 1}, image.data());
    EXPECT_EQ(takeRecordSlot(header, 2, image), storecode::kRecordsCorrupt);
    writeRecordHeader({recordstatus::kDeleted, 3, 1}, image.data());
    EXPECT_EQ(takeRecordSlot(header, 2, image), storecode::kOk);
    EXPECT_EQ(header.freeChainHead, 3u);
}

TEST(DataFile, HeaderWriteStampsCounterTimeAndVersion) {
    Table table(memoryFileSystem(), "MEMORY/stamp.DAT");
    table.header.engineVersion = 0;
    TDateTime when = encodeDateTime(2027, 1, 2, 3, 4, 5);
    ASSERT_EQ(saveDataHeader(*table.file, table.header, false, when), storecode::kOk);
    unsigned char bytes[kDataHeaderSize];
    ASSERT_EQ(table.file->read(0, bytes, sizeof bytes), storecode::kOk);
    DataHeader written = readDataHeader(bytes);
    EXPECT_EQ(written.changeCounter, 2);
    EXPECT_EQ(written.writeTime, when - 693594.0);
    EXPECT_EQ(written.engineVersion, 20800);
    EXPECT_FALSE(written.changed);
    EXPECT_EQ(bytes[116], 0x40);  // 20800 = 0x5140, little-endian
    EXPECT_EQ(bytes[117], 0x51);
    EXPECT_EQ(nextChangeCounter(2147483647), -2147483647 - 1);
}

TEST(DataFile, FailedWritesAndReadsGiveTheirCodes) {
    FaultInjectingFileSystem faulty(memoryFileSystem());
    Table table(faulty, "MEMORY/faults.DAT");
    ASSERT_EQ(table.result, storecode::kOk);
    table.insert();
    RecordImage record;
    ASSERT_EQ(loadRecord(*table.file, table.header, 1, record), storecode::kOk);

    faulty.failWrite(1, StoreFault::ShortTransfer);
    EXPECT_EQ(saveRecord(*table.file, table.header, 1, record), storecode::kWriteError);
    faulty.failWrite(1, StoreFault::NoSpace);
    EXPECT_EQ(saveDataHeader(*table.file, table.header, true), storecode::kWriteError);
    faulty.failRead(1, StoreFault::IoError);
    EXPECT_EQ(loadRecord(*table.file, table.header, 1, record), storecode::kReadError);
    faulty.failRead(2, StoreFault::ShortTransfer);  // the descriptors, after the header
    DataHeader header;
    std::vector<ColumnDescriptor> columns;
    EXPECT_EQ(loadDataFile(*table.file, header, columns), storecode::kReadError);

    // A creation that fails half-way leaves no file behind.
    faulty.failWrite(2, StoreFault::IoError);
    Table failed(faulty, "MEMORY/half.DAT");
    EXPECT_EQ(failed.result, storecode::kWriteError);
    EXPECT_FALSE(memoryFileSystem().exists("MEMORY/half.DAT"));
}

TEST(DataHeader, EveryFieldRoundTripsAtItsOffset) {
    DataHeader h;
    h.changeCounter = -5;
    h.blobBlockSize = 1024;
    h.freeChainHead = 7;
    h.nextRecordNumber = 9;
    h.lastAutoInc = 2147483647;
    h.recordSize = 281;
    h.columnCount = 5;
    h.blobColumnCount = 1;
    h.writeTime = -647227.5;
    h.description = "Sites";
    h.passwordCheck = "pw";
    h.languageId = 0x0409;
    h.sortId = 3;
    h.creatorValue1 = 1;
    h.creatorValue2 = 2;
    h.changed = true;
    h.blobWriteCounter = 11;
    unsigned char bytes[kDataHeaderSize];
    std::memset(bytes, 0xAA, sizeof bytes);
    writeDataHeader(h, bytes);
    EXPECT_EQ(readDataHeader(bytes), h);
    const std::pair<std::size_t, unsigned char> at[] = {
        {0, 0xFB}, {5, 0x04}, {8, 4}, {9, 7}, {13, 9}, {20, 0x7F}, {21, 0x19}, {22, 0x01},
        {23, 5}, {25, 1}, {35, 5}, {36, 'S'}, {86, 0}, {87, 2}, {103, 0x09}, {104, 0x04},
        {105, 3}, {109, 2}, {111, 1}, {112, 11}, {124, 0}, {125, 0}, {126, 0}};
    for (const auto& [offset, value] : at) EXPECT_EQ(bytes[offset], value) << offset;
}

TEST(DataFile, HeaderReadAgainSeesAnotherWritersRecords) {
    Table writer(memoryFileSystem(), "MEMORY/shared.DAT");
    writer.file.reset();  // created unshared; both now open it shared
    ASSERT_EQ(memoryFileSystem().open("MEMORY/shared.DAT", {}, writer.file), storecode::kOk);
    std::unique_ptr<StoreFile> reader;
    ASSERT_EQ(memoryFileSystem().open("MEMORY/shared.DAT", {}, reader), storecode::kOk);
    DataHeader seen;
    std::vector<ColumnDescriptor> columns;
    ASSERT_EQ(loadDataFile(*reader, seen, columns), storecode::kOk);
    writer.insert();
    DataHeader now;
    ASSERT_EQ(loadDataHeader(*reader, now), storecode::kOk);
    EXPECT_NE(now.changeCounter, seen.changeCounter);
    EXPECT_EQ(now.nextRecordNumber, 2u);
    // A record appended without its header write does not pass as a table.
    RecordImage extra(281, 0);
    ASSERT_EQ(writer.file->write(dataFileLength(now), extra.data(), extra.size()),
              storecode::kOk);
    EXPECT_EQ(loadDataHeader(*reader, now), storecode::kHeaderCorrupt);
}
