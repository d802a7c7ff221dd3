#pragma once
// A set of record numbers, one bit per record slot of a table: the result of a filter and
// the cursor's record sets. Record numbers count from 1, as record slots do; a bitmap of
// size n holds the numbers 1 to n. Navigation steps from one set bit to the next, so
// finding the next or previous member skips whole words of clear bits.

#include <cstdint>
#include <vector>

namespace wispel {

class TRecordsBitmap {
public:
    TRecordsBitmap() = default;
    // Numbers 1 to `size`, all members when `full`.
    explicit TRecordsBitmap(std::uint32_t size, bool full = false) { resize(size, full); }

    std::uint32_t size() const noexcept { return size_; }
    // Grows or shrinks to numbers 1 to `size`; numbers added are members when `full`.
    void resize(std::uint32_t size, bool full = false);

    bool contains(std::uint32_t recordNo) const noexcept {
        if (recordNo == 0 || recordNo > size_) return false;
        const std::uint32_t bit = recordNo - 1;
        return (words_[bit / 64] >> (bit % 64)) & 1u;
    }
    // Numbers outside 1 to size() are ignored.
    void include(std::uint32_t recordNo) noexcept;
    void exclude(std::uint32_t recordNo) noexcept;
    void includeAll() noexcept;
    void excludeAll() noexcept;

    // Keeps only the members that `other` holds too (numbers beyond its size leave).
    void intersect(const TRecordsBitmap& other) noexcept;
    std::uint32_t count() const noexcept;

    // The smallest member >= `from`, or 0 when there is none.
    std::uint32_t nextMember(std::uint32_t from) const noexcept;
    // The largest member <= `from`, or 0 when there is none.
    std::uint32_t priorMember(std::uint32_t from) const noexcept;

    friend bool operator==(const TRecordsBitmap&, const TRecordsBitmap&) = default;

private:
    // Bits beyond size_ in the last word are always clear.
    void clearTail() noexcept;

    std::vector<std::uint64_t> words_;
    std::uint32_t size_ = 0;
};

}  // namespace wispel
