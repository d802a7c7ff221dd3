#pragma once
// The text of one document's character data: UTF-16 units copied into large blocks, so that
// a text node costs a pointer and a length instead of a string of its own, and freeing the
// document gives the blocks back at once.
//
// The first blocks come from the heap; those of an arena that keeps growing come from bulk
// memory (huge pages where the system has them), which goes back to the system whole.
//
// Ownership: the arena owns its blocks; text it stored stays valid until releaseAll or the
// arena's end. Storage given up by a text that moved is not reused before then.

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

#include "xml/dom/BulkMemory.h"

namespace wispel {

class TdomTextArena {
public:
    TdomTextArena() = default;
    TdomTextArena(const TdomTextArena&) = delete;
    TdomTextArena& operator=(const TdomTextArena&) = delete;

    // The longest text the arena keeps, in units; a longer one is refused with
    // EIndex_Size_Err before anything changes.
    static constexpr std::size_t kMaxLength = 0x7FFFFFFF;

    // A copy of `text` in the arena.
    const char16_t* store(std::u16string_view text);
    // `text` (stored here) followed by `more`: in place when `text` is the last thing stored
    // and the room after it suffices, otherwise in a copy at the end with as much room again,
    // so that a text that keeps growing is copied a logarithmic number of times.
    const char16_t* append(std::u16string_view text, std::u16string_view more);
    // Gives every block back.
    void releaseAll() noexcept;

private:
    // Makes `units` free units at the end, in a new block when the current one lacks them.
    void reserve(std::size_t units);

    std::vector<std::unique_ptr<char16_t[]>> blocks_;  // from the heap
    std::size_t heapUnits_ = 0;                        // in blocks_
    TdomBulkMemory bulk_;
    char16_t* next_ = nullptr;  // free space of the newest block
    char16_t* end_ = nullptr;
};

}  // namespace wispel
