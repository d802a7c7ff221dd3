#include "xml/dom/TextArena.h"

#include <algorithm>

#include "xml/errors/DomException.h"

namespace wispel {

namespace {
// 64 KiB: a block holds the text of a few hundred feed items.
constexpr std::size_t kBlockUnits = 32 * 1024;
// An arena past this many units of heap blocks (2 MiB) takes the rest from bulk memory.
constexpr std::size_t kHeapUnits = 1024 * 1024;
}  // namespace

void TdomTextArena::reserve(std::size_t units) {
    if (static_cast<std::size_t>(end_ - next_) >= units) return;
    const std::size_t size = std::max(units, kBlockUnits);
    if (heapUnits_ >= kHeapUnits) {
        if (void* block = bulk_.allocate(size * sizeof(char16_t), alignof(char16_t))) {
            next_ = static_cast<char16_t*>(block);
            end_ = next_ + size;
            return;
        }
    }
    blocks_.reserve(blocks_.size() + 1);  // so that the new block cannot be lost
    blocks_.push_back(std::make_unique_for_overwrite<char16_t[]>(size));
    heapUnits_ += size;
    next_ = blocks_.back().get();
    end_ = next_ + size;
}

const char16_t* TdomTextArena::store(std::u16string_view text) {
    if (text.size() > kMaxLength) throw EIndex_Size_Err();
    reserve(text.size());
    char16_t* start = next_;
    std::copy(text.begin(), text.end(), start);
    next_ += text.size();
    return start;
}

const char16_t* TdomTextArena::append(std::u16string_view text, std::u16string_view more) {
    if (more.size() > kMaxLength - text.size()) throw EIndex_Size_Err();
    const bool atEnd = text.data() + text.size() == next_ && !text.empty();
    if (atEnd && static_cast<std::size_t>(end_ - next_) >= more.size()) {
        std::copy(more.begin(), more.end(), next_);
        next_ += more.size();
        return text.data();
    }
    const std::size_t length = text.size() + more.size();
    reserve(std::min(2 * length, kMaxLength));
    char16_t* start = next_;
    std::copy(text.begin(), text.end(), start);
    std::copy(more.begin(), more.end(), start + text.size());
    next_ += length;
    return start;
}

void TdomTextArena::releaseAll() noexcept {
    blocks_.clear();
    heapUnits_ = 0;
    bulk_.releaseAll();
    next_ = nullptr;
    end_ = nullptr;
}

}  // namespace wispel
