// The record cache: records that share a home place stay (in the home's group of four), a
// fifth pushes one out, records walked again and again push each other out of no one place,
// and a record is never held twice, so that dropping it leaves no stale copy.

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tablestore/engine/RecordCache.h"

using namespace wispel;

namespace {

constexpr std::uint32_t kSize = 4;

std::vector<std::uint8_t> image(std::uint8_t mark) { return std::vector<std::uint8_t>(kSize, mark); }

// The image held for `record` as its first byte, 0 when it is not held.
std::uint8_t held(const TRecordCache& cache, std::uint32_t record) {
    const std::uint8_t* found = cache.find(record);
    return found ? found[0] : 0;
}

}  // namespace

TEST(RecordCache, RecordsSharingAHomeStayAndNoneIsHeldTwice) {
    TRecordCache cache(kSize, 1);
    const std::uint32_t cap = cache.capacity();
    ASSERT_EQ(cap % 4, 0u);
    for (std::uint8_t i = 0; i < 4; ++i) cache.put(1 + i * cap, image(11 + i).data());
    for (std::uint8_t i = 0; i < 4; ++i) EXPECT_EQ(held(cache, 1 + i * cap), 11 + i);
    cache.put(1 + 4 * cap, image(15).data());  // a fifth: one of the four goes
    EXPECT_EQ(held(cache, 1 + 4 * cap), 15);
    int kept = 0;
    for (std::uint8_t i = 0; i < 4; ++i) kept += held(cache, 1 + i * cap) == 11 + i;
    EXPECT_EQ(kept, 3);

    // Records of a group that others fill, read again in turn as a filter's walk reads them,
    // come to stay side by side instead of pushing each other out at the home.
    cache.clear();
    for (std::uint32_t record : {cap, 1u, 2u, 3u}) cache.put(record, image(1).data());  // places 0 to 3
    const std::uint32_t walked[] = {2 + cap, 2 + 2 * cap};
    for (int pass = 0; pass < 4; ++pass)
        for (std::uint32_t record : walked)
            if (!cache.find(record)) cache.put(record, image(2).data());
    for (std::uint32_t record : walked) EXPECT_TRUE(cache.find(record)) << record;

    // A run read into the cache takes the record's home; the copy beside it goes.
    cache.clear();
    cache.put(1, image(21).data());
    cache.put(1 + cap, image(22).data());
    std::uint32_t count = 3;
    std::uint8_t* space = cache.runSpace(1 + cap, count);
    ASSERT_EQ(count, 3u);
    for (std::uint32_t i = 0; i < count; ++i) std::memset(space + i * kSize, 30 + i, kSize);
    cache.fill(1 + cap, count);
    EXPECT_EQ(held(cache, 1 + cap), 30);
    EXPECT_EQ(held(cache, 2 + cap), 31);
    cache.erase(1 + cap);
    EXPECT_EQ(held(cache, 1 + cap), 0);  // no older copy shows through
    cache.put(1 + cap, image(40).data());
    cache.put(1 + cap, image(41).data());  // put again: replaced where it is
    cache.erase(1 + cap);
    EXPECT_EQ(held(cache, 1 + cap), 0);
}
