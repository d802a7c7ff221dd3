#include "tablestore/filter/RecordsBitmap.h"

#include <algorithm>
#include <bit>

namespace wispel {

void TRecordsBitmap::resize(std::uint32_t size, bool full) {
    const std::uint32_t oldSize = size_;
    words_.resize((static_cast<std::size_t>(size) + 63) / 64, full ? ~std::uint64_t{0} : 0);
    size_ = size;
    if (full) {
        // The old last word may hold clear tail bits that are now inside the set.
        for (std::uint32_t n = oldSize + 1; n <= size && (n - 1) % 64 != 0; ++n) include(n);
    }
    clearTail();
}

void TRecordsBitmap::include(std::uint32_t recordNo) noexcept {
    if (recordNo == 0 || recordNo > size_) return;
    const std::uint32_t bit = recordNo - 1;
    words_[bit / 64] |= std::uint64_t{1} << (bit % 64);
}

void TRecordsBitmap::exclude(std::uint32_t recordNo) noexcept {
    if (recordNo == 0 || recordNo > size_) return;
    const std::uint32_t bit = recordNo - 1;
    words_[bit / 64] &= ~(std::uint64_t{1} << (bit % 64));
}

void TRecordsBitmap::includeAll() noexcept {
    std::fill(words_.begin(), words_.end(), ~std::uint64_t{0});
    clearTail();
}

void TRecordsBitmap::excludeAll() noexcept { std::fill(words_.begin(), words_.end(), 0); }

void TRecordsBitmap::intersect(const TRecordsBitmap& other) noexcept {
    const std::size_t common = std::min(words_.size(), other.words_.size());
    for (std::size_t i = 0; i < common; ++i) words_[i] &= other.words_[i];
    std::fill(words_.begin() + static_cast<std::ptrdiff_t>(common), words_.end(), 0);
}

std::uint32_t TRecordsBitmap::count() const noexcept {
    std::uint32_t total = 0;
    for (std::uint64_t word : words_) total += static_cast<std::uint32_t>(std::popcount(word));
    return total;
}

std::uint32_t TRecordsBitmap::nextMember(std::uint32_t from) const noexcept {
    if (from == 0) from = 1;
    if (from > size_) return 0;
    std::size_t bit = from - 1;
    std::size_t w = bit / 64;
    std::uint64_t word = words_[w] & (~std::uint64_t{0} << (bit % 64));
    while (word == 0) {
        if (++w == words_.size()) return 0;
        word = words_[w];
    }
    return static_cast<std::uint32_t>(w * 64 + std::countr_zero(word) + 1);
}

std::uint32_t TRecordsBitmap::priorMember(std::uint32_t from) const noexcept {
    if (from == 0 || size_ == 0) return 0;
    if (from > size_) from = size_;
    std::size_t bit = from - 1;
    std::size_t w = bit / 64;
    const unsigned keep = static_cast<unsigned>(bit % 64) + 1;  // bits 0..bit%64
    std::uint64_t word = words_[w] & (keep == 64 ? ~std::uint64_t{0}
                                                 : (std::uint64_t{1} << keep) - 1);
    while (word == 0) {
        if (w == 0) return 0;
        word = words_[--w];
    }
    return static_cast<std::uint32_t>(w * 64 + 63 - std::countl_zero(word) + 1);
}

void TRecordsBitmap::clearTail() noexcept {
    if (size_ % 64 != 0) words_.back() &= (std::uint64_t{1} << (size_ % 64)) - 1;
}

}  // namespace wispel
