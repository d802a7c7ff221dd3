#include "xml/dom/NodePool.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define WISPEL_POISON(block, size) ASAN_POISON_MEMORY_REGION(block, size)
#define WISPEL_UNPOISON(block, size) ASAN_UNPOISON_MEMORY_REGION(block, size)
#else
#define WISPEL_POISON(block, size) ((void)(block), (void)(size))
#define WISPEL_UNPOISON(block, size) ((void)(block), (void)(size))
#endif

#include <mutex>

namespace wispel {

namespace {
// Large enough that a chunk holds a few hundred nodes, small enough to stay in the heap
// rather than in a mapping of its own.
constexpr std::size_t kChunkSize = 64 * 1024;

// Chunks of documents that are gone, kept for the documents that follow. Feeds are parsed
// one after another: without this, freeing a large document hands its pages back to the
// system and the next one faults them in again, which made the cost per node grow with the
// document. At most kMaxCachedBytes (64 MiB) are kept; the rest go back to the heap.
class ChunkCache {
    static constexpr std::size_t kMaxCachedBytes = std::size_t{64} << 20;
    static constexpr std::size_t kMaxCachedChunks = kMaxCachedBytes / kChunkSize;

public:
    static ChunkCache& instance() {
        // Never destroyed: a document that outlives static destruction may still give back.
        static ChunkCache* cache = new ChunkCache;
        return *cache;
    }

    // Room for every chunk it may keep, so that giving one back never allocates.
    ChunkCache() { chunks_.reserve(kMaxCachedChunks); }

    std::unique_ptr<std::byte[]> take() {
        std::lock_guard<std::mutex> lock(mutex_);
        if (chunks_.empty()) return nullptr;
        std::unique_ptr<std::byte[]> chunk = std::move(chunks_.back());
        chunks_.pop_back();
        WISPEL_UNPOISON(chunk.get(), kChunkSize);
        return chunk;
    }

    void give(std::unique_ptr<std::byte[]> chunk) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (chunks_.size() >= kMaxCachedChunks) return;
        // A stale reference into a freed document is still found by the sanitizer builds.
        WISPEL_POISON(chunk.get(), kChunkSize);
        chunks_.push_back(std::move(chunk));
    }

    void clear() {
        std::lock_guard<std::mutex> lock(mutex_);
        chunks_.clear();
    }

    std::size_t size() {
        std::lock_guard<std::mutex> lock(mutex_);
        return chunks_.size();
    }

private:
    std::mutex mutex_;
    std::vector<std::unique_ptr<std::byte[]>> chunks_;
};

std::unique_ptr<std::byte[]> newChunk(std::size_t size) {
    if (size == kChunkSize) {
        if (auto cached = ChunkCache::instance().take()) return cached;
    }
    return std::make_unique_for_overwrite<std::byte[]>(size);
}
}  // namespace

std::size_t TdomNodePool::cachedChunkCount() { return ChunkCache::instance().size(); }

void TdomNodePool::releaseCachedChunks() { ChunkCache::instance().clear(); }

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
        chunks_.push_back({newChunk(chunkSize), chunkSize});
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
    for (Chunk& chunk : chunks_) {
        WISPEL_UNPOISON(chunk.bytes.get(), chunk.size);
        if (chunk.size == kChunkSize) ChunkCache::instance().give(std::move(chunk.bytes));
    }
    chunks_.clear();
    freeBlocks_.clear();
    next_ = nullptr;
    end_ = nullptr;
    releasingAll_ = false;
}

}  // namespace wispel
