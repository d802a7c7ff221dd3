#pragma once
// The record cache of one table object: record images by record number, 4 MiB of them
// (14927 records of the sites table, 149796 of 28 bytes), and far fewer for a small table:
// the cache grows with the table's slots up to that bound. A record has its home place (its
// number modulo the capacity) and may also sit at another place of the home's group (the
// four places whose numbers differ only in the two lowest bits, their tags side by side in
// one line of memory), so a look-up is at most four comparisons in one line, a read-ahead run
// of up to half the capacity never pushes out its own records, and the records of a sparse
// walk stay even where a few share a home: a filter's rows, read again pass after pass, find
// their places taken almost never. A record is held at one place at most.
//
// Images are copies; the cache never holds a record that differs from the file except while
// an operation is writing it.

#include <algorithm>
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
        const std::uint32_t place = placeOf(record);
        return place == capacity_ ? nullptr : &images_[std::size_t(place) * recordSize_];
    }
    // Asks the processor to bring the memory of `record`'s home into its caches, for a walk
    // that knows which record it reads a few steps on.
    void prefetch(std::uint32_t record) const noexcept {
        const std::uint32_t home = record % capacity_;
        __builtin_prefetch(&tags_[home]);
        __builtin_prefetch(&images_[std::size_t(home) * recordSize_]);
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
    static constexpr std::uint32_t kWays = 4;
    // The places of `home`'s group: [first, end).
    std::uint32_t groupStart(std::uint32_t home) const noexcept { return home & ~(kWays - 1); }
    std::uint32_t groupEnd(std::uint32_t home) const noexcept {
        return std::min(groupStart(home) + kWays, capacity_);
    }
    // Where `record` is held, or capacity_ when it is not.
    std::uint32_t placeOf(std::uint32_t record) const noexcept {
        const std::uint32_t home = record % capacity_;
        if (tags_[home] == record) return home;
        for (std::uint32_t place = groupStart(home), end = groupEnd(home); place < end; ++place)
            if (tags_[place] == record) return place;
        return capacity_;
    }

    std::uint32_t recordSize_;
    std::uint32_t limit_;  // the most records the bound allows
    std::uint32_t capacity_ = 0;
    std::vector<std::uint32_t> tags_;  // the record held at each place, 0 for none
    // Turns round the places of a full group that a record new to it takes: records that
    // share a group take turns at no one place, so that two walked again and again both stay
    // and a record read once and never again goes in time.
    std::uint32_t turn_ = 0;
    std::vector<std::uint8_t> images_;
};

}  // namespace wispel
