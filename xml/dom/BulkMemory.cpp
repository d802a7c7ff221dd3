#include "xml/dom/BulkMemory.h"

#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <cstdint>

namespace wispel {

namespace {

// Address space is reserved in steps this large; only the pages touched cost memory.
constexpr std::size_t kMappingSize = std::size_t{64} << 20;

// Documents are built and freed on several threads at once.
std::atomic<std::size_t> allHandedOut{0};

std::byte* alignUp(std::byte* at, std::size_t alignment) {
    const auto address = reinterpret_cast<std::uintptr_t>(at);
    return reinterpret_cast<std::byte*>((address + alignment - 1) & ~(alignment - 1));
}

}  // namespace

bool TdomBulkMemory::map(std::size_t size) {
    // Whole huge pages, starting on one: the extra step of address space makes the start
    // alignable, and the unaligned ends go back at once.
    const std::size_t wanted =
        (std::max(size, kMappingSize) + kMaxAlignment - 1) / kMaxAlignment * kMaxAlignment;
    mappings_.reserve(mappings_.size() + 1);  // so that the new mapping cannot be lost
    void* raw = ::mmap(nullptr, wanted + kMaxAlignment, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (raw == MAP_FAILED) return false;
    auto* start = static_cast<std::byte*>(raw);
    std::byte* aligned = alignUp(start, kMaxAlignment);
    if (aligned != start) ::munmap(start, static_cast<std::size_t>(aligned - start));
    const std::size_t tail = kMaxAlignment - static_cast<std::size_t>(aligned - start);
    if (tail != 0) ::munmap(aligned + wanted, tail);
    // Only advice: where the kernel has no huge pages to give, small ones serve as before.
    ::madvise(aligned, wanted, MADV_HUGEPAGE);
    mappings_.push_back({aligned, wanted});
    next_ = aligned;
    end_ = aligned + wanted;
    return true;
}

void* TdomBulkMemory::allocate(std::size_t size, std::size_t alignment) {
    std::byte* start = next_ != nullptr ? alignUp(next_, alignment) : nullptr;
    if (start == nullptr || start > end_ || static_cast<std::size_t>(end_ - start) < size) {
        if (!map(size)) return nullptr;
        start = next_;  // aligned to kMaxAlignment, so to any alignment asked
    }
    next_ = start + size;
    handedOut_ += size;
    allHandedOut.fetch_add(size, std::memory_order_relaxed);
    return start;
}

void TdomBulkMemory::releaseAll() noexcept {
    for (const Mapping& mapping : mappings_) ::munmap(mapping.base, mapping.size);
    mappings_.clear();
    next_ = nullptr;
    end_ = nullptr;
    allHandedOut.fetch_sub(handedOut_, std::memory_order_relaxed);
    handedOut_ = 0;
}

std::size_t TdomBulkMemory::bytesInUse() noexcept {
    return allHandedOut.load(std::memory_order_relaxed);
}

}  // namespace wispel
