#pragma once
// The record cache of one table object: record images by record number, with the least
// recently used ones dropped when the cache is full. Images are copies; the cache never
// holds a record that differs from the file except while an operation is writing it.
//
// Capacity: 131070 / record size records, at most 8191 (466 for the sites table).

#include <cstdint>
#include <list>
#include <unordered_map>
#include <vector>

namespace wispel {

class TRecordCache {
public:
    explicit TRecordCache(std::uint32_t recordSize);

    std::uint32_t capacity() const noexcept { return capacity_; }
    // The cached image of `record`, or null; a hit makes it the most recently used.
    const std::uint8_t* find(std::uint32_t record);
    void put(std::uint32_t record, const std::uint8_t* image);
    void erase(std::uint32_t record);
    void clear();

private:
    struct Entry {
        std::vector<std::uint8_t> image;
        std::list<std::uint32_t>::iterator use;
    };
    std::uint32_t recordSize_;
    std::uint32_t capacity_;
    std::unordered_map<std::uint32_t, Entry> entries_;
    std::list<std::uint32_t> uses_;  // most recently used first
};

}  // namespace wispel
