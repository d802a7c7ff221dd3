#include "xml/dom/NodePool.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define WISPEL_POISON(block, size) ASAN_POISON_MEMORY_REGION(block, size)
#define WISPEL_UNPOISON(block, size) ASAN_UNPOISON_MEMORY_REGION(block, size)
#else
#define WISPEL_POISON(block, size) ((void)(block), (void)(size))
#define WISPEL_UNPOISON(block, size) ((void)(block), (void)(size))
#endif

#include <cassert>
#include <cstdint>
#include <mutex>
#include <new>

namespace wispel {

namespace {
// A chunk (kChunkSize) is large enough to hold about a thousand nodes, small enough to stay
// in the heap rather than in a mapping of its own.
constexpr std::size_t kChunkSize = TdomNodePool::kChunkSize;
constexpr std::align_val_t kChunkAlignment{kChunkSize};

// The head of every chunk: the owner of the pool it serves (read by ownerOf).
struct ChunkHeader {
    void* owner;
};
constexpr std::size_t kHeaderSize =
    (sizeof(ChunkHeader) + TdomNodePool::kGrain - 1) / TdomNodePool::kGrain * TdomNodePool::kGrain;
static_assert(TdomNodePool::kMaxBlock <= kChunkSize - kHeaderSize);

std::byte* allocateChunk() {
    return static_cast<std::byte*>(::operator new(kChunkSize, kChunkAlignment));
}
void freeChunk(std::byte* chunk) noexcept {
    ::operator delete(chunk, kChunkAlignment);
}

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

    std::byte* take() {
        std::lock_guard<std::mutex> lock(mutex_);
        if (chunks_.empty()) return nullptr;
        std::byte* chunk = chunks_.back();
        chunks_.pop_back();
        WISPEL_UNPOISON(chunk, kChunkSize);
        return chunk;
    }

    void give(std::byte* chunk) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (chunks_.size() >= kMaxCachedChunks) {
            freeChunk(chunk);
            return;
        }
        // A stale reference into a freed document is still found by the sanitizer builds.
        WISPEL_POISON(chunk, kChunkSize);
        chunks_.push_back(chunk);
    }

    void clear() {
        std::lock_guard<std::mutex> lock(mutex_);
        for (std::byte* chunk : chunks_) {
            WISPEL_UNPOISON(chunk, kChunkSize);
            freeChunk(chunk);
        }
        chunks_.clear();
    }

    std::size_t size() {
        std::lock_guard<std::mutex> lock(mutex_);
        return chunks_.size();
    }

private:
    std::mutex mutex_;
    std::vector<std::byte*> chunks_;
};

// A pool past this many heap chunks (2 MiB) takes the rest from bulk memory.
constexpr std::size_t kHeapChunks = 32;

std::byte* newChunk() {
    if (std::byte* cached = ChunkCache::instance().take()) return cached;
    return allocateChunk();
}
}  // namespace

std::size_t TdomNodePool::cachedChunkCount() {
    return ChunkCache::instance().size();
}

void TdomNodePool::releaseCachedChunks() {
    ChunkCache::instance().clear();
}

void TdomNodePool::addChunk() {
    std::byte* chunk = nullptr;
    if (chunks_.size() >= kHeapChunks) {
        bulkChunks_.reserve(bulkChunks_.size() + 1);  // so that the new chunk cannot be lost
        chunk = static_cast<std::byte*>(bulk_.allocate(kChunkSize, kChunkSize));
        if (chunk != nullptr) bulkChunks_.push_back(chunk);
    }
    if (chunk == nullptr) {
        chunks_.reserve(chunks_.size() + 1);  // so that the new chunk cannot be lost
        chunk = newChunk();
        chunks_.push_back(chunk);
    }
    new (chunk) ChunkHeader{owner_};
    next_ = chunk + kHeaderSize;
    end_ = chunk + kChunkSize;
}

void* TdomNodePool::allocate(std::size_t size) {
    assert(size <= kMaxBlock);
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
    if (static_cast<std::size_t>(end_ - next_) < size) addChunk();
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
    for (std::byte* chunk : chunks_) {
        WISPEL_UNPOISON(chunk, kChunkSize);
        ChunkCache::instance().give(chunk);
    }
    chunks_.clear();
    // The sanitizer's marks must not outlive the mapping: new memory may come at its address.
    for (std::byte* chunk : bulkChunks_) WISPEL_UNPOISON(chunk, kChunkSize);
    bulkChunks_.clear();
    bulk_.releaseAll();
    freeBlocks_.clear();
    next_ = nullptr;
    end_ = nullptr;
    releasingAll_ = false;
}

}  // namespace wispel
