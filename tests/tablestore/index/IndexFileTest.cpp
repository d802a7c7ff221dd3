// The index file as a whole: a new file's bytes, the header checks on open, damaged pages met
// while the index is used, option bytes carried through, and failed writes.

#include <gtest/gtest.h>

#include <cstring>

#include "IndexTestSupport.h"
#include "tablestore/files/FaultInjectingFileSystem.h"
#include "tablestore/format/ByteOrder.h"
#include "tablestore/index/IndexChecker.h"
#include "tablestore/index/KeyForm.h"

using namespace wispel;
using namespace wispel::indextest;

namespace {

std::vector<std::uint8_t> fileBytes(StoreFile& file) {
    std::uint64_t size = 0;
    EXPECT_EQ(file.size(size), storecode::kOk);
    std::vector<std::uint8_t> bytes(size);
    EXPECT_EQ(file.read(0, bytes.data(), bytes.size()), storecode::kOk);
    return bytes;
}

std::array<std::uint8_t, 5> systemKey(std::int32_t id, std::uint8_t status = 0) {
    std::array<std::uint8_t, 5> key{};
    buildSystemKey(status, id, key.data());
    return key;
}

TEST(IndexFile, NewFileHoldsOnlyTheSystemIndexAndAPrimaryIndexWithoutKeys) {
    IndexFixture fixture("new.IDX");
    const std::vector<std::uint8_t> bytes = fileBytes(*fixture.file);
    ASSERT_EQ(bytes.size(), 4096u);
    EXPECT_EQ(getLe32(&bytes[0]), 1u);     // written once
    EXPECT_EQ(bytes[8], 4);                // version
    EXPECT_EQ(getLe32(&bytes[9]), 4096u);  // end of the used file
    EXPECT_EQ(bytes[13], 0);               // no secondary index
    EXPECT_EQ(bytes[3978], 1);             // primary index without key columns
    const std::uint8_t* system = &bytes[14 + 31 * 120];
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(system + 1), system[0]), "Sys Deleted");
    EXPECT_EQ(getLe16(system + 31), 5);
    EXPECT_EQ(system[35], 1);  // unique
    EXPECT_EQ(system[36], 0);  // no compression
    EXPECT_EQ(system[37], 0);  // no key columns
    EXPECT_EQ(getLe32(system + 86), 0u);
    const std::uint8_t* primary = &bytes[14];
    for (int i = 0; i < 120; ++i) EXPECT_EQ(primary[i], 0) << i;
    EXPECT_TRUE(checkIndexFile(*fixture.index).ok());
}

TEST(IndexFile, SystemIndexListsActiveRecordsByIdThenDeletedOnes) {
    IndexFixture fixture("system.IDX");
    TIndexFile& index = *fixture.index;
    const int slot = indexlayout::kSystemSlot;
    for (std::int32_t id : {5, -3, 1000, 2}) {
        ASSERT_EQ(index.insertKey(slot, systemKey(id).data(), static_cast<std::uint32_t>(id & 0xFF)),
                  storecode::kOk);
    }
    // Record 2 is deleted: its key moves from status 0 to status 1.
    ASSERT_EQ(index.deleteKey(slot, systemKey(2).data()), storecode::kOk);
    ASSERT_EQ(index.insertKey(slot, systemKey(2, 1).data(), 2), storecode::kOk);
    EXPECT_EQ(index.insertKey(slot, systemKey(5).data(), 9), storecode::kDuplicateKey);
    index.setActiveRecords(3);
    ASSERT_EQ(index.writePending(), storecode::kOk);

    std::vector<std::int32_t> ids;
    TIndexTree& tree = index.tree(slot);
    TIndexPosition at;
    for (StoreResult r = tree.first(at); r == storecode::kOk; r = tree.next(at)) {
        std::uint8_t key[5];
        std::uint32_t number = 0;
        ASSERT_EQ(tree.entry(at, key, number), storecode::kOk);
        ids.push_back(key[0] ? -static_cast<std::int32_t>(number) : static_cast<std::int32_t>(number));
    }
    // -3 & 0xFF is 253; its key sorts first among the active ones.
    EXPECT_EQ(ids, (std::vector<std::int32_t>{253, 5, 1000 & 0xFF, -2}));
    EXPECT_TRUE(checkIndexFile(index).ok()) << checkIndexFile(index).text();
    index.setActiveRecords(4);
    EXPECT_FALSE(checkIndexFile(index).ok());
}

TEST(IndexFile, WalksSeeksAndCountsInKeyOrder) {
    const TIndexDefinition definition{"ByUpdate", {3}, true, indexlayout::kCompressBoth};
    IndexFixture fixture("walk.IDX", &definition);
    TIndexFile& index = *fixture.index;
    TKeyLayout layout;
    ASSERT_EQ(makeKeyLayout(index.header().Slots[1], fixture.columns, kRecordSize, layout),
              storecode::kOk);
    auto keyOf = [&](std::int32_t update) {
        std::vector<std::uint8_t> key(layout.KeyLength);
        buildKey(layout, record(1, "x", update).data(), key.data());
        return key;
    };
    TIndexTree& tree = index.tree(1);
    TIndexPosition at;
    EXPECT_EQ(tree.first(at), storecode::kEndOfFile);
    EXPECT_EQ(tree.last(at), storecode::kBeginOfFile);
    // Even values from -10000 to 9998, inserted from both ends towards the middle.
    for (std::int32_t i = 0; i < 5000; ++i) {
        ASSERT_EQ(index.insertKey(1, keyOf(-10000 + 2 * i).data(), static_cast<std::uint32_t>(i)),
                  storecode::kOk);
        ASSERT_EQ(index.insertKey(1, keyOf(9998 - 2 * i).data(), static_cast<std::uint32_t>(9999 - i)),
                  storecode::kOk);
    }
    std::uint32_t count = 0;
    ASSERT_EQ(tree.keyCount(count), storecode::kOk);
    EXPECT_EQ(count, 10000u);
    ASSERT_EQ(tree.keysBefore(keyOf(1).data(), count), storecode::kOk);
    EXPECT_EQ(count, 5001u);  // -10000, -9998, .. 0
    ASSERT_EQ(tree.keysBefore(keyOf(-10000).data(), count), storecode::kOk);
    EXPECT_EQ(count, 0u);

    std::vector<std::uint8_t> key(layout.KeyLength);
    std::uint32_t number = 0;
    ASSERT_EQ(tree.seek(keyOf(1).data(), at), storecode::kOk);
    ASSERT_EQ(tree.entry(at, key.data(), number), storecode::kOk);
    EXPECT_EQ(key, keyOf(2));
    EXPECT_EQ(number, 5001u);
    ASSERT_EQ(tree.prior(at), storecode::kOk);
    ASSERT_EQ(tree.entry(at, key.data(), number), storecode::kOk);
    EXPECT_EQ(key, keyOf(0));
    EXPECT_EQ(tree.seek(keyOf(9999).data(), at), storecode::kEndOfFile);

    // Backwards from the last entry over every page.
    ASSERT_EQ(tree.last(at), storecode::kOk);
    std::int32_t expected = 9998;
    for (StoreResult r = storecode::kOk; r == storecode::kOk; r = tree.prior(at), expected -= 2) {
        ASSERT_EQ(tree.entry(at, key.data(), number), storecode::kOk);
        ASSERT_EQ(key, keyOf(expected));
    }
    EXPECT_EQ(expected, -10002);
    EXPECT_TRUE(checkIndexFile(index).ok()) << checkIndexFile(index).text();
}

TEST(IndexFile, OptionBytesOfAFileAreCarriedUnchanged) {
    const TIndexDefinition definition{"ByName", {2}, false, indexlayout::kCompressNone};
    IndexFixture fixture("options.IDX", &definition);
    // Another writer's option bytes: case-insensitive text, a per-column option, and the
    // byte that switches column options off.
    std::uint8_t slotBytes[3] = {1, 1, 7};
    ASSERT_EQ(fixture.file->write(14 + 120 + 33, slotBytes, 2), storecode::kOk);
    ASSERT_EQ(fixture.file->write(14 + 120 + 38, slotBytes + 2, 1), storecode::kOk);
    ASSERT_EQ(fixture.reopen(), storecode::kOk);
    TKeyLayout layout;
    ASSERT_EQ(makeKeyLayout(fixture.index->header().Slots[1], fixture.columns, kRecordSize, layout),
              storecode::kOk);
    EXPECT_TRUE(layout.CaseInsensitive);
    EXPECT_FALSE(layout.Parts[0].Descending);  // column options are off
    std::vector<std::uint8_t> key(layout.KeyLength);
    buildKey(layout, record(7, "abc", 0).data(), key.data());
    EXPECT_EQ(std::string(key.begin() + 1, key.begin() + 4), "ABC");
    ASSERT_EQ(fixture.index->insertKey(1, key.data(), 7), storecode::kOk);
    ASSERT_EQ(fixture.index->writePending(), storecode::kOk);
    const std::vector<std::uint8_t> bytes = fileBytes(*fixture.file);
    EXPECT_EQ(bytes[14 + 120 + 33], 1);
    EXPECT_EQ(bytes[14 + 120 + 34], 1);
    EXPECT_EQ(bytes[14 + 120 + 38], 7);
    EXPECT_NE(getLe32(&bytes[14 + 120 + 86]), 0u);  // the root now
}

// Pages are written in place, so a write that fails leaves the file behind the memory; the
// changes stay pending and the next writePending writes them all again.
TEST(IndexFile, AFailedWriteKeepsTheChangesPendingForTheNextWrite) {
    memoryFileSystem().remove("faults.IDX");
    FaultInjectingFileSystem faults(memoryFileSystem());
    std::unique_ptr<StoreFile> file;
    ASSERT_EQ(faults.create("faults.IDX", file), storecode::kOk);
    ASSERT_EQ(TIndexFile::create(*file), storecode::kOk);
    TIndexFile index(*file);
    ASSERT_EQ(index.open(tableColumns(), kRecordSize), storecode::kOk);
    const int slot = indexlayout::kSystemSlot;
    std::int32_t next = 1;
    std::uint32_t expected = 0;
    for (StoreFault fault : {StoreFault::ShortTransfer, StoreFault::NoSpace, StoreFault::IoError}) {
        for (int i = 0; i < 1000; ++i, ++next, ++expected) {
            ASSERT_EQ(index.insertKey(slot, systemKey(next).data(), static_cast<std::uint32_t>(next)),
                      storecode::kOk);
        }
        for (std::int32_t id = next - 1000; id < next - 500; ++id, --expected) {
            ASSERT_EQ(index.deleteKey(slot, systemKey(id).data()), storecode::kOk);
        }
        index.setActiveRecords(expected);
        faults.failWrite(2, fault);
        EXPECT_EQ(index.writePending(), storecode::kWriteError);
        faults.failWrite(0, fault);
        ASSERT_EQ(index.writePending(), storecode::kOk);

        TIndexFile reread(*file);
        ASSERT_EQ(reread.open(tableColumns(), kRecordSize), storecode::kOk);
        std::uint32_t count = 0;
        ASSERT_EQ(reread.tree(slot).keyCount(count), storecode::kOk);
        EXPECT_EQ(count, expected);
        const TIndexCheckReport report = checkIndexFile(reread);
        EXPECT_TRUE(report.ok()) << report.text();
    }
    file.reset();
    memoryFileSystem().remove("faults.IDX");
}

}  // namespace
