// The record cache: records that share a home place both stay (one beside it), a third
// pushes one out, and a record is never held twice, so that dropping it leaves no stale copy.

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
    ASSERT_EQ(cap % 2, 0u);
    cache.put(1, image(11).data());
    cache.put(1 + cap, image(12).data());  // the same home: beside it
    EXPECT_EQ(held(cache, 1), 11);
    EXPECT_EQ(held(cache, 1 + cap), 12);
    cache.put(1 + 2 * cap, image(13).data());  // a third: one of the two goes
    EXPECT_EQ(held(cache, 1 + 2 * cap), 13);
    EXPECT_EQ((held(cache, 1) == 11) + (held(cache, 1 + cap) == 12), 1);

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
