// Many blob values read at once: neighbouring values come in one read, each value whole and
// checked; one whose chain jumps or whose blocks do not check out is left out (the single
// read reports it), and so is a reference past the used blocks.

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "tablestore/files/FaultInjectingFileSystem.h"
#include "tablestore/format/BlobRuns.h"
#include "tablestore/format/ByteOrder.h"

using namespace wispel;

namespace {

constexpr std::uint32_t kBlock = 64;  // 56 value bytes per block

class BlobRuns : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(createBlobFile(files, "MEMORY/runs.BLB", header, file), storecode::kOk);
    }
    void TearDown() override {
        file.reset();
        memoryFileSystem().remove("MEMORY/runs.BLB");
    }

    BlobReference write(const std::string& value) {
        BlobReference reference;
        EXPECT_EQ(writeBlob(*file, header, kBlock, value, reference), storecode::kOk);
        return reference;
    }

    // The values handed out, by first block (each at most once), and the reads it took.
    std::map<std::int32_t, std::string> readRuns(const std::vector<BlobReference>& references,
                                                 int& reads) {
        std::map<std::int32_t, std::string> got;
        const int before = files.readCount();
        std::vector<BlobInRun> found;
        EXPECT_EQ(readBlobRuns(*file, header, kBlock, references, buffer, found), storecode::kOk);
        reads = files.readCount() - before;
        for (const BlobInRun& value : found) {
            std::string text = "left over";
            copyBlobInRun(buffer.data(), kBlock, value, text);
            EXPECT_TRUE(got.emplace(value.reference.block, text).second);
        }
        return got;
    }

    FaultInjectingFileSystem files{memoryFileSystem()};
    std::vector<unsigned char> buffer;  // kept from one read to the next, as a cache keeps it
    BlobHeader header;
    std::unique_ptr<StoreFile> file;
};

std::string pattern(std::size_t length, char first) {
    std::string value(length, first);
    for (std::size_t i = 0; i < length; ++i) value[i] = static_cast<char>(first + i % 13);
    return value;
}

}  // namespace

TEST_F(BlobRuns, NeighboursComeInOneReadAndOnlyWholeCheckedValues) {
    const BlobReference freed = write("a");                      // block 1
    const BlobReference three = write(pattern(150, 'b'));        // blocks 2 to 4
    const BlobReference one = write("short");                    // block 5
    ASSERT_EQ(freeBlob(*file, header, kBlock, freed), storecode::kOk);
    const BlobReference jumping = write(pattern(120, 'j'));      // block 1, then 6 and 7
    const BlobReference last = write(pattern(56, 't'));          // block 8, exactly full
    const BlobReference damaged = write(pattern(60, 'd'));       // blocks 9 and 10
    unsigned char held[4];
    putLe32(held, 3);  // block 10 should hold 4 bytes
    ASSERT_EQ(file->write(512 + 9 * kBlock + 4, held, 4), storecode::kOk);
    ASSERT_EQ(jumping.block, 1);

    int reads = 0;
    const auto got = readRuns({one, three, jumping, last, three, damaged, {11, 5}, {0, 0}},
                              reads);
    const std::map<std::int32_t, std::string> expected{
        {three.block, pattern(150, 'b')}, {one.block, "short"}, {last.block, pattern(56, 't')}};
    EXPECT_EQ(got, expected);
    EXPECT_EQ(reads, 1);
}

TEST_F(BlobRuns, ValuesFarApartComeInReadsOfTheirOwn) {
    const BlobReference near = write("near");
    write(std::string(200 * 56, 'f'));  // 12800 bytes of blocks between them
    const BlobReference far = write("far");
    int reads = 0;
    const auto got = readRuns({far, near}, reads);
    EXPECT_EQ(got, (std::map<std::int32_t, std::string>{{near.block, "near"}, {far.block, "far"}}));
    EXPECT_EQ(reads, 2);
}
