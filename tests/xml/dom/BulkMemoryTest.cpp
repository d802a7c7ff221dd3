#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "xml/dom/BulkMemory.h"

namespace wispel {
namespace {

// Blocks are aligned as asked, never overlap, and stay writable across the mappings they
// come from: one block larger than a mapping gets one of its own, and the memory is
// handed out again after a release.
TEST(BulkMemory, HandsOutAlignedDistinctBlocksAcrossMappings) {
    TdomBulkMemory memory;
    const std::size_t inUseBefore = TdomBulkMemory::bytesInUse();
    for (int round = 0; round < 2; ++round) {
        struct Case {
            std::size_t size, alignment;
        } cases[] = {{24, 8}, {65536, 65536}, {3, 2}, {std::size_t{80} << 20, 2}, {100, 4096},
                     {std::size_t{40} << 20, 8}, {std::size_t{30} << 20, 65536}, {8, 8}};
        std::vector<std::pair<std::byte*, std::byte*>> ranges;
        std::size_t total = 0;
        for (const Case& c : cases) {
            auto* block = static_cast<std::byte*>(memory.allocate(c.size, c.alignment));
            ASSERT_NE(block, nullptr);
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % c.alignment, 0u) << c.size;
            // Only the ends are touched: the blocks may be large.
            std::memset(block, 0x5A, 1);
            std::memset(block + c.size - 1, 0xA5, 1);
            ranges.emplace_back(block, block + c.size);
            total += c.size;
        }
        EXPECT_EQ(TdomBulkMemory::bytesInUse(), inUseBefore + total);
        std::sort(ranges.begin(), ranges.end());
        for (std::size_t i = 1; i < ranges.size(); ++i) {
            EXPECT_LE(ranges[i - 1].second, ranges[i].first);
        }
        memory.releaseAll();
        EXPECT_EQ(TdomBulkMemory::bytesInUse(), inUseBefore);
    }
}

}  // namespace
}  // namespace wispel
