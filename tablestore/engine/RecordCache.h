#pragma once
// The record cache of one table object: record images by record number, at most 131070 /
// record size of them and never more than 8191 (466 for the sites table). Each record has
// one place in the cache (its number modulo the capacity), so a look-up is one comparison
// and a read-ahead run of up to half the capacity never pushes out its own records; the
// storage is one block allocated when the cache is made.
//
// Images are copies; the cache never holds a record that differs from the file except while
// an operation is writing it.

#include <cstdint>
#include <vector>

namespace wispel {

class TRecordCache {
public:
    explicit TRecordCache(std::uint32_t recordSize);

    std::uint32_t capacity() const noexcept { return capacity_; }
    // The cached image of `record`, or null.
    const std::uint8_t* find(std::uint32_t record) const noexcept {
        const std::uint32_t place = record % capacity_;
        return tags_[place] == record ? &images_[std::size_t(place) * recordSize_] : nullptr;
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
    std::uint32_t recordSize_;
    std::uint32_t capacity_;
    std::vector<std::uint32_t> tags_;  // the record held at each place, 0 for none
    std::vector<std::uint8_t> images_;
};

}  // namespace wispel
