#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <vector>

#include "xml/dom/NodePool.h"

namespace wispel {
namespace {

TEST(NodePool, HandsOutAlignedDistinctBlocksAcrossChunks) {
    TdomNodePool pool;
    std::set<void*> seen;
    // Enough blocks for several chunks, of a size that is not a multiple of the alignment.
    for (int i = 0; i < 2000; ++i) {
        void* block = pool.allocate(200);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % TdomNodePool::kGrain, 0u);
        std::memset(block, 0xAB, 200);
        EXPECT_TRUE(seen.insert(block).second);
    }
}

// Past its first chunks a pool takes bulk memory: every block there still finds its owner
// and keeps what was written to it, and the pool starts over after being released.
TEST(NodePool, AGrowingPoolKeepsEveryBlockAndItsOwner) {
    int owner = 0;
    TdomNodePool pool(&owner);
    for (int round = 0; round < 2; ++round) {
        std::vector<std::uint64_t*> blocks;
        // About 150 chunks of 56-byte blocks, several times the heap's share.
        for (std::uint64_t i = 0; i < 170000; ++i) {
            auto* block = static_cast<std::uint64_t*>(pool.allocate(56));
            block[0] = i;
            block[6] = ~i;
            blocks.push_back(block);
        }
        std::set<std::uintptr_t> chunks;
        for (std::uint64_t i = 0; i < blocks.size(); ++i) {
            ASSERT_EQ(blocks[i][0], i);
            ASSERT_EQ(blocks[i][6], ~i);
            ASSERT_EQ(TdomNodePool::ownerOf(blocks[i]), &owner);
            chunks.insert(reinterpret_cast<std::uintptr_t>(blocks[i]) /
                          TdomNodePool::kChunkSize);
        }
        EXPECT_GT(chunks.size(), 140u);
        pool.releaseAll();
    }
}

TEST(NodePool, ReusesABlockGivenBackForTheSameSizeOnly) {
    TdomNodePool pool;
    void* first = pool.allocate(120);
    void* second = pool.allocate(120);
    pool.release(first, 120);
    void* other = pool.allocate(64);
    EXPECT_NE(other, first);
    EXPECT_EQ(pool.allocate(120), first);
    pool.release(second, 120);
    pool.release(other, 64);
    EXPECT_EQ(pool.allocate(64), other);
    EXPECT_EQ(pool.allocate(120), second);
    pool.releaseAll();
    EXPECT_NE(pool.allocate(120), nullptr);
}

TEST(NodePool, ChunksOfAFreedPoolServeTheNextOne) {
    {
        TdomNodePool pool;
        pool.allocate(120);
    }
    const std::size_t cached = TdomNodePool::cachedChunkCount();
    ASSERT_GE(cached, 1u);
    TdomNodePool next;
    next.allocate(120);
    EXPECT_EQ(TdomNodePool::cachedChunkCount(), cached - 1);
    TdomNodePool::releaseCachedChunks();
    EXPECT_EQ(TdomNodePool::cachedChunkCount(), 0u);
}

}  // namespace
}  // namespace wispel
