#pragma once
// Memory for the bulk of a large document: blocks cut from big mappings of their own, which
// the kernel is asked to back with huge pages. A document of a few hundred megabytes would
// otherwise take a page fault for every 4 KiB it touches, and those faults cost more than
// the parse that fills the pages. The mappings go back to the system as soon as the
// document is freed, so no freed page is kept.
//
// Only for storage that grows large: a mapping's huge pages are filled whole, so a small
// document is better served by the heap. Blocks are never given back one by one.
//
// Ownership: the object owns its mappings; its blocks stay valid until releaseAll or its end.

#include <cstddef>
#include <vector>

namespace wispel {

class TdomBulkMemory {
public:
    // The largest alignment a block may ask for: that of a huge page.
    static constexpr std::size_t kMaxAlignment = std::size_t{2} << 20;

    TdomBulkMemory() = default;
    ~TdomBulkMemory() { releaseAll(); }
    TdomBulkMemory(const TdomBulkMemory&) = delete;
    TdomBulkMemory& operator=(const TdomBulkMemory&) = delete;

    // A block of `size` bytes aligned to `alignment` (a power of two up to kMaxAlignment),
    // or null when the system gives no mapping; the caller then takes the heap instead.
    void* allocate(std::size_t size, std::size_t alignment);
    // Gives every mapping back to the system.
    void releaseAll() noexcept;

    // The bytes of blocks that every bulk memory of the process has handed out and not yet
    // released: the heap's counters do not see them.
    static std::size_t bytesInUse() noexcept;

private:
    struct Mapping {
        void* base;
        std::size_t size;
    };
    // Starts a mapping with room for at least `size` bytes; false when none could be made.
    bool map(std::size_t size);

    std::vector<Mapping> mappings_;
    std::byte* next_ = nullptr;  // free space of the newest mapping
    std::byte* end_ = nullptr;
    std::size_t handedOut_ = 0;  // bytes of the blocks since the last release
};

}  // namespace wispel
