#include "xml/dom/NodePool.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define WISPEL_POISON(block, size) ASAN_POISON_MEMORY_REGION(block, size)
#define WISPEL_UNPOISON(block, size) ASAN_UNPOISON_MEMORY_REGION(block, size)
#else
#define WISPEL_POISON(block, size) ((void)(block), (void)(size))
#define WISPEL_UNPOISON(block, size) ((void)(block), (void)(size))
#endif

namespace wispel {

namespace {
// Large enough that a chunk holds a few hundred nodes, small enough to stay in the heap
// rather than in a mapping of its own.
constexpr std::size_t kChunkSize = 64 * 1024;
}  // namespace

void* TdomNodePool::allocate(std::size_t size) {
    size = blockSize(size);
    std::size_t grains = size / kGrain;
    // Room for the list of this size now, so that giving a block back cannot fail.
    if (grains >= freeBlocks_.size()) freeBlocks_.resize(grains + 1, nullptr);
    if (freeBlocks_[grains] != nullptr) {
        FreeBlock* block = freeBlocks_[grains];
        WISPEL_UNPOISON(block, size);
        freeBlocks_[grains] = block->next;
        return block;
    }
    if (static_cast<std::size_t>(end_ - next_) < size) {
        std::size_t chunkSize = size > kChunkSize ? size : kChunkSize;
        chunks_.push_back({std::make_unique_for_overwrite<std::byte[]>(chunkSize), chunkSize});
        next_ = chunks_.back().bytes.get();
        end_ = next_ + chunkSize;
    }
    void* block = next_;
    next_ += size;
    return block;
}

void TdomNodePool::release(void* block, std::size_t size) noexcept {
    if (releasingAll_) return;
    size = blockSize(size);
    std::size_t grains = size / kGrain;
    auto* freed = static_cast<FreeBlock*>(block);
    freed->next = freeBlocks_[grains];
    freeBlocks_[grains] = freed;
    // A stale reference to a freed node is still found by the sanitizer builds.
    WISPEL_POISON(static_cast<std::byte*>(block) + sizeof(FreeBlock), size - sizeof(FreeBlock));
}

void TdomNodePool::releaseAll() noexcept {
    for (const Chunk& chunk : chunks_) WISPEL_UNPOISON(chunk.bytes.get(), chunk.size);
    chunks_.clear();
    freeBlocks_.clear();
    next_ = nullptr;
    end_ = nullptr;
    releasingAll_ = false;
}

}  // namespace wispel
