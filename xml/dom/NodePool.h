#pragma once
// Storage for the nodes of one document: blocks are cut from large chunks, so that making a
// node costs no call into the general heap and clearing a document gives back its chunks
// at once instead of one block per node. A block given back on its own is kept for the next
// node of the same size, so making and freeing nodes one by one does not grow the pool.
//
// The pool only provides memory: constructing and destroying the nodes in it is the
// document's work. A node without anything of its own on the heap needs no destructor call:
// `releaseAll` gives its memory back with its chunk.
//
// Chunks are aligned to their size and begin with the pool's owner, so that a block finds
// its owner from its own address: a node need not keep a pointer to its document.
//
// The first chunks of a pool come from the heap; those of a pool that keeps growing come
// from bulk memory (huge pages where the system has them), which goes back to the system
// whole when the pool is released.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "xml/dom/BulkMemory.h"

namespace wispel {

class TdomNodePool {
public:
    // `owner` is what ownerOf answers for the pool's blocks.
    explicit TdomNodePool(void* owner = nullptr) noexcept : owner_(owner) {}
    ~TdomNodePool() { releaseAll(); }
    TdomNodePool(const TdomNodePool&) = delete;
    TdomNodePool& operator=(const TdomNodePool&) = delete;

    // Blocks are aligned to, and sized in, steps of this many bytes: enough for pointers and
    // strings, which is all that nodes and node arrays hold.
    static constexpr std::size_t kGrain = alignof(void*);

    // The largest block the pool hands out.
    static constexpr std::size_t kMaxBlock = 4096;
    // Chunks are this large and aligned to it.
    static constexpr std::size_t kChunkSize = 64 * 1024;

    // A block of at least `size` bytes (at most kMaxBlock), aligned to kGrain.
    void* allocate(std::size_t size);
    // The owner of the pool that handed out `block`: the first word of its chunk.
    static void* ownerOf(const void* block) noexcept {
        const auto chunk = reinterpret_cast<std::uintptr_t>(block) & ~(kChunkSize - 1);
        return *reinterpret_cast<void* const*>(chunk);
    }
    // Takes back a block that `allocate` handed out for the same size.
    void release(void* block, std::size_t size) noexcept;
    // From here until releaseAll, blocks given back are not kept: the whole pool is about to
    // go, so the blocks of its last nodes need no free list.
    void beginReleaseAll() noexcept { releasingAll_ = true; }
    // Gives back every chunk; no block of the pool may be in use any more. Chunks of the
    // usual size are kept, up to a bound, for the pools of the documents that follow.
    void releaseAll() noexcept;

    // How many chunks wait for reuse across all pools.
    static std::size_t cachedChunkCount();
    // Hands the chunks that wait for reuse back to the heap.
    static void releaseCachedChunks();

private:
    struct FreeBlock {
        FreeBlock* next;
    };
    // Whole grains, and room for the link of the free list the block may join.
    static std::size_t blockSize(std::size_t size) noexcept {
        if (size < sizeof(FreeBlock)) size = sizeof(FreeBlock);
        return (size + kGrain - 1) / kGrain * kGrain;
    }

    // Starts a new chunk; the rest of the current one stays unused.
    void addChunk();

    void* owner_;
    std::vector<std::byte*> chunks_;      // from the heap
    std::vector<std::byte*> bulkChunks_;  // from bulk_
    TdomBulkMemory bulk_;
    std::byte* next_ = nullptr;  // free space of the newest chunk
    std::byte* end_ = nullptr;
    std::vector<FreeBlock*> freeBlocks_;  // per size in grains: blocks given back
    bool releasingAll_ = false;
};

}  // namespace wispel
