#include "bench/support/PeakMemory.h"

#include <malloc.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include "xml/dom/BulkMemory.h"
#include "xml/dom/NodePool.h"

namespace wispel::bench {

namespace {
// The benchmarks run on one thread.
std::size_t liveBytes = 0;
std::size_t peakBytes = 0;
std::size_t startBytes = 0;

// A large document keeps its bulk in mappings of its own, outside the heap: those bytes
// count as well, looked at whenever the heap changes.
std::size_t usedBytes() {
    return liveBytes + TdomBulkMemory::bytesInUse();
}

void notePeak() {
    if (const std::size_t used = usedBytes(); used > peakBytes) peakBytes = used;
}
}  // namespace

void countBlock(void* block) {
    liveBytes += malloc_usable_size(block);
    notePeak();
}

void* countedMalloc(std::size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) return nullptr;
    countBlock(block);
    return block;
}

void countedFree(void* block) {
    if (block == nullptr) return;
    liveBytes -= malloc_usable_size(block);
    std::free(block);
}

void* countedRealloc(void* block, std::size_t size) {
    const std::size_t before = block ? malloc_usable_size(block) : 0;
    void* moved = std::realloc(block, size);
    if (moved == nullptr) return nullptr;
    liveBytes = liveBytes - before + malloc_usable_size(moved);
    notePeak();
    return moved;
}

char* countedStrdup(const char* text) {
    const std::size_t size = std::strlen(text) + 1;
    auto* copy = static_cast<char*>(countedMalloc(size));
    if (copy != nullptr) std::memcpy(copy, text, size);
    return copy;
}

void startPeak() {
    TdomNodePool::releaseCachedChunks();
    startBytes = usedBytes();
    peakBytes = startBytes;
}

double peakKbSinceStart() {
    notePeak();
    return static_cast<double>(peakBytes - startBytes) / 1024.0;
}

}  // namespace wispel::bench

void* operator new(std::size_t size) {
    if (void* block = wispel::bench::countedMalloc(size)) return block;
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept {
    wispel::bench::countedFree(block);
}
void operator delete(void* block, std::size_t) noexcept {
    wispel::bench::countedFree(block);
}

// Aligned blocks (the DOM's node chunks) are counted the same way.
void* operator new(std::size_t size, std::align_val_t alignment) {
    void* block = std::aligned_alloc(static_cast<std::size_t>(alignment),
                                     (size + static_cast<std::size_t>(alignment) - 1) /
                                         static_cast<std::size_t>(alignment) *
                                         static_cast<std::size_t>(alignment));
    if (block == nullptr) throw std::bad_alloc();
    wispel::bench::countBlock(block);
    return block;
}
void operator delete(void* block, std::align_val_t) noexcept {
    wispel::bench::countedFree(block);
}
void operator delete(void* block, std::size_t, std::align_val_t) noexcept {
    wispel::bench::countedFree(block);
}
