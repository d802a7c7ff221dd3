#pragma once
// The record cache of one table object: record images by record number, 4 MiB of them
// (14927 records of the sites table, 149796 of 28 bytes), and far fewer for a small table:
// the cache grows with the table's slots up to that bound. A record has its home place (its
// number modulo the capacity) and may also sit at the place beside it (the home's buddy,
// the place whose number differs in the lowest bit), so a look-up is at most two comparisons,
// a read-ahead run of up to half the capacity never pushes out its own records, and two
// records of a sparse walk that share a home both stay. A record is held at one place at most.
//
// Images are copies; the cache never holds a record that differs from the file except while
// an operation is writing it.

#include <cstdint>
#include <vector>

namespace wispel {

class TRecordCache {
public:
    // Room for `slots` records (a table's slots when it opens), within the bound.
    TRecordCache(std::uint32_t recordSize, std::uint32_t slots);
    // Makes room for a table that has grown to `slots` records; whether anything is kept
    // then is not said.
    void reserve(std::uint32_t slots);

    std::uint32_t capacity() const noexcept { return capacity_; }
    // The cached image of `record`, or null.
    const std::uint8_t* find(std::uint32_t record) const noexcept {
        const std::uint32_t home = record % capacity_;
        if (tags_[home] == record) return &images_[std::size_t(home) * recordSize_];
        const std::uint32_t other = buddy(home);
        return tags_[other] == record ? &images_[std::size_t(other) * recordSize_] : nullptr;
    }
    void put(std::uint32_t record, const std::uint8_t* image);
    // A read-ahead straight into the cache: room for up to `count` consecutive records from
    // `first` (fewer where the places wrap round: `count` is cut), then `fill` marks the
    // `got` records that arrived as held.
    std::uint8_t* runSpace(std::uint32_t first, std::uint32_t& count);
    void fill(std::uint32_t first, std::uint32_t got);
    void erase(std::uint32_t record);
    void clear();

private:
    std::uint32_t buddy(std::uint32_t place) const noexcept {
        const std::uint32_t other = place ^ 1u;
        return other < capacity_ ? other : place;
    }
    // Where `record` is held, or capacity_ when it is not.
    std::uint32_t placeOf(std::uint32_t record) const noexcept;

    std::uint32_t recordSize_;
    std::uint32_t limit_;  // the most records the bound allows
    std::uint32_t capacity_ = 0;
    std::vector<std::uint32_t> tags_;  // the record held at each place, 0 for none
    std::vector<std::uint8_t> images_;
};

}  // namespace wispel
