// The cache of blob values read ahead: values kept in the spans they were read in come out
// whole, as do values kept alone; a value is found only by its whole reference; a forgotten
// one is gone while its neighbours stay, also after the table of values has grown; an
// emptied cache holds nothing and hands its spans' memory to the next read.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tablestore/engine/BlobValueCache.h"
#include "tablestore/files/StoreFile.h"

using namespace wispel;

namespace {

constexpr std::uint32_t kBlock = 64;  // 56 value bytes per block

class BlobValueCache : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(createBlobFile(memoryFileSystem(), kPath, header, file), storecode::kOk);
    }
    void TearDown() override {
        file.reset();
        memoryFileSystem().remove(kPath);
    }

    BlobReference write(const std::string& value) {
        BlobReference reference;
        EXPECT_EQ(writeBlob(*file, header, kBlock, value, reference), storecode::kOk);
        return reference;
    }
    // The values `references` name, read ahead into the cache.
    void readAhead(const std::vector<BlobReference>& references) {
        std::vector<unsigned char> bytes = cache.takeBuffer();
        std::vector<BlobInRun> found;
        ASSERT_EQ(readBlobRuns(*file, header, kBlock, references, bytes, found), storecode::kOk);
        cache.putSpans(std::move(bytes), found, kBlock);
    }
    std::string held(const BlobReference& reference) const {
        std::string value = "not held";
        EXPECT_EQ(cache.copy(reference, value), cache.contains(reference));
        return value;
    }

    static constexpr const char* kPath = "MEMORY/cache.BLB";
    BlobHeader header;
    std::unique_ptr<StoreFile> file;
    TBlobValueCache cache;
};

std::string valueNumber(int n) {
    // Lengths from one byte to several blocks, exactly full ones among them.
    return std::string(1 + (n * 29) % 200, static_cast<char>('a' + n % 26)) + std::to_string(n);
}

}  // namespace

TEST_F(BlobValueCache, ValuesComeOutWholeByTheirWholeReference) {
    std::vector<BlobReference> references;
    for (int n = 0; n < 20; ++n) references.push_back(write(valueNumber(n)));
    const BlobReference alone{9999, 5};
    readAhead(references);
    cache.put(alone, "alone");
    for (int n = 0; n < 20; ++n) EXPECT_EQ(held(references[n]), valueNumber(n)) << n;
    EXPECT_EQ(held(alone), "alone");
    EXPECT_EQ(held({references[3].block, references[3].length + 1}), "not held");
    EXPECT_EQ(held({alone.block, 0}), "not held");
    EXPECT_EQ(held({references.back().block + 100, 1}), "not held");

    cache.forget(references[7]);
    cache.forget(alone);
    EXPECT_EQ(held(references[7]), "not held");
    EXPECT_EQ(held(alone), "not held");
    EXPECT_EQ(held(references[8]), valueNumber(8));
    cache.put(alone, "again");  // its block holds another value now
    EXPECT_EQ(held(alone), "again");
}

TEST_F(BlobValueCache, ManyValuesStayFoundAndAnEmptiedCacheHoldsNone) {
    // More values than the first table has room for, in many reads ahead.
    std::vector<BlobReference> references;
    for (int n = 0; n < 3000; ++n) references.push_back(write(valueNumber(n)));
    for (std::size_t first = 0; first < references.size(); first += 100)
        readAhead({references.begin() + first, references.begin() + first + 100});
    cache.forget(references[1234]);
    for (int n = 0; n < 3000; ++n)
        EXPECT_EQ(held(references[n]), n == 1234 ? "not held" : valueNumber(n)) << n;

    cache.clear();
    for (const BlobReference& reference : references) EXPECT_FALSE(cache.contains(reference));
    EXPECT_FALSE(cache.takeBuffer().empty()) << "the spans' memory is kept for the next read";
    readAhead({references[5]});
    EXPECT_EQ(held(references[5]), valueNumber(5));
    EXPECT_EQ(held(references[6]), "not held");
}

TEST_F(BlobValueCache, AValueOfMoreThanAQuarterOfTheCacheIsNotKeptAlone) {
    const std::string big(1u << 20 | 1, 'b');
    cache.put({1, static_cast<std::uint32_t>(big.size())}, big);
    EXPECT_FALSE(cache.contains({1, static_cast<std::uint32_t>(big.size())}));
    cache.put({2, 3}, "two");
    EXPECT_EQ(held({2, 3}), "two");
}
