#include <gtest/gtest.h>

#include <vector>

#include "tablestore/format/BlobFile.h"
#include "tablestore/format/ByteOrder.h"

using namespace wispel;

namespace {

constexpr std::uint32_t kBlock = 64;  // 56 value bytes per block

class BlobFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(createBlobFile(memoryFileSystem(), "MEMORY/t.BLB", header, file),
                  storecode::kOk);
    }
    void TearDown() override {
        file.reset();
        memoryFileSystem().remove("MEMORY/t.BLB");
    }

    std::string read(const BlobReference& reference, StoreResult expected = storecode::kOk) {
        std::string value;
        EXPECT_EQ(readBlob(*file, header, kBlock, reference, value), expected);
        return value;
    }

    BlobHeader header;
    std::unique_ptr<StoreFile> file;
};

}  // namespace

TEST_F(BlobFileTest, NewFileIsItsHeader) {
    std::uint64_t length = 0;
    file->size(length);
    EXPECT_EQ(length, 512u);
    EXPECT_EQ(header.usedEnd, 512u);
    EXPECT_EQ(header.changeCounter, 1);
    BlobHeader loaded;
    EXPECT_EQ(loadBlobHeader(*file, kBlock, loaded), storecode::kOk);
    EXPECT_EQ(loaded, header);
}

TEST_F(BlobFileTest, ValuesSpanBlocksAndFreedBlocksAreReused) {
    std::string big(150, 'x');  // three blocks: 56 + 56 + 38
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>('a' + i % 26);
    BlobReference first, second, empty;
    ASSERT_EQ(writeBlob(*file, header, kBlock, big, first), storecode::kOk);
    ASSERT_EQ(writeBlob(*file, header, kBlock, "short", second), storecode::kOk);
    ASSERT_EQ(writeBlob(*file, header, kBlock, "", empty), storecode::kOk);
    EXPECT_EQ(first, (BlobReference{1, 150}));
    EXPECT_EQ(second, (BlobReference{4, 5}));
    EXPECT_EQ(empty, (BlobReference{0, 0}));
    EXPECT_EQ(header.usedEnd, 512u + 4 * kBlock);
    EXPECT_EQ(read(first), big);
    EXPECT_EQ(read(second), "short");
    EXPECT_EQ(read(empty), "");

    ASSERT_EQ(freeBlob(*file, header, kBlock, first), storecode::kOk);
    EXPECT_EQ(header.freeChainHead, 512u + 2 * kBlock);  // the last block freed heads it
    BlobReference reused;
    ASSERT_EQ(writeBlob(*file, header, kBlock, std::string(100, 'r'), reused), storecode::kOk);
    EXPECT_EQ(header.usedEnd, 512u + 4 * kBlock);  // no new block
    EXPECT_EQ(read(reused), std::string(100, 'r'));
    ASSERT_EQ(saveBlobHeader(*file, header, true), storecode::kOk);
    BlobHeader loaded;
    EXPECT_EQ(loadBlobHeader(*file, kBlock, loaded), storecode::kOk);
    EXPECT_EQ(loaded, header);
}

TEST_F(BlobFileTest, DamagedChainsAndReferencesGive8963) {
    BlobReference value;
    ASSERT_EQ(writeBlob(*file, header, kBlock, std::string(120, 'v'), value), storecode::kOk);
    read({value.block, 100000}, storecode::kBlobCorrupt);  // more than the file can hold
    read({0, 5}, storecode::kBlobCorrupt);
    read({-1, 5}, storecode::kBlobCorrupt);
    read({9, 5}, storecode::kBlobCorrupt);  // past the used blocks
    read({1, 50}, storecode::kBlobCorrupt);  // the block holds 56 bytes, not 50
    // The second block pointing back at the first: a loop.
    unsigned char link[4];
    putLe32(link, 512);
    ASSERT_EQ(file->write(512 + kBlock, link, 4), storecode::kOk);
    read(value, storecode::kBlobCorrupt);
    // A third block's worth of bytes makes the loop visit the first block twice.
    unsigned char held[4];
    putLe32(held, 56);
    ASSERT_EQ(file->write(512 + kBlock + 4, held, 4), storecode::kOk);
    read({1, 168}, storecode::kBlobCorrupt);
}

TEST(BlobHeaderChecks, GiveTheirCodes) {
    struct Case {
        BlobHeader header;
        std::uint32_t blockSize;
        std::uint64_t fileLength;
        StoreResult expected;
    };
    const Case cases[] = {
        {{0, 4, 0, 512, false}, 512, 512, storecode::kOk},
        {{0, 3, 0, 512, false}, 512, 512, storecode::kWrongVersion},
        {{0, 4, 0, 511, false}, 512, 512, storecode::kHeaderCorrupt},
        {{0, 4, 0, 1024, false}, 512, 1000, storecode::kHeaderCorrupt},  // end past the file
        {{0, 4, 0, 1000, false}, 512, 1000, storecode::kHeaderCorrupt},  // not a whole block
        {{0, 4, 512, 1024, false}, 512, 1024, storecode::kOk},
        {{0, 4, 1024, 1024, false}, 512, 1024, storecode::kHeaderCorrupt},  // at the end
        {{0, 4, 600, 1536, false}, 512, 1536, storecode::kHeaderCorrupt},  // inside a block
        {{0, 4, 0, 512, false}, 32, 512, storecode::kHeaderCorrupt},  // block too small
    };
    for (const auto& c : cases) {
        EXPECT_EQ(checkBlobHeader(c.header, c.blockSize, c.fileLength), c.expected)
            << c.header.freeChainHead << " " << c.header.usedEnd;
    }
    DataHeader data;
    EXPECT_EQ(blobBlockSize(data), 512u);
    data.blobBlockSize = 1024;
    EXPECT_EQ(blobBlockSize(data), 1024u);
}

// The worked example of doc/table_format.md, "Blocks", byte for byte.
TEST_F(BlobFileTest, WorkedExampleOfTheFormatDocument) {
    auto bytesAt = [&](std::uint64_t offset, std::size_t size) {
        std::vector<unsigned char> bytes(size);
        EXPECT_EQ(file->read(offset, bytes.data(), size), storecode::kOk);
        return bytes;
    };
    using Bytes = std::vector<unsigned char>;
    BlobReference first, second;
    ASSERT_EQ(writeBlob(*file, header, kBlock, std::string(100, 'A'), first), storecode::kOk);
    ASSERT_EQ(saveBlobHeader(*file, header, true), storecode::kOk);
    ASSERT_EQ(writeBlob(*file, header, kBlock, "hi", second), storecode::kOk);
    ASSERT_EQ(saveBlobHeader(*file, header, true), storecode::kOk);
    EXPECT_EQ(bytesAt(0, 4), (Bytes{3, 0, 0, 0}));
    EXPECT_EQ(bytesAt(13, 4), (Bytes{0xC0, 0x02, 0, 0}));
    EXPECT_EQ(bytesAt(512, 9), (Bytes{0x40, 0x02, 0, 0, 0x38, 0, 0, 0, 'A'}));
    EXPECT_EQ(bytesAt(576 + 8 + 43, 2), (Bytes{'A', 0}));
    EXPECT_EQ(bytesAt(640, 10), (Bytes{0, 0, 0, 0, 2, 0, 0, 0, 'h', 'i'}));
    EXPECT_EQ(first, (BlobReference{1, 100}));
    EXPECT_EQ(second, (BlobReference{3, 2}));
    ASSERT_EQ(freeBlob(*file, header, kBlock, first), storecode::kOk);
    ASSERT_EQ(saveBlobHeader(*file, header, true), storecode::kOk);
    EXPECT_EQ(bytesAt(512, 8), (Bytes(8, 0)));
    EXPECT_EQ(bytesAt(576, 8), (Bytes{0, 0x02, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(bytesAt(9, 4), (Bytes{0x40, 0x02, 0, 0}));
    BlobReference third;
    ASSERT_EQ(writeBlob(*file, header, kBlock, std::string(112, 'C'), third), storecode::kOk);
    EXPECT_EQ(third, (BlobReference{2, 112}));
    EXPECT_EQ(header.usedEnd, 704u);
    EXPECT_EQ(read(third), std::string(112, 'C'));
}
