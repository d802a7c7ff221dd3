#include "tablestore/engine/RecordCache.h"

#include <algorithm>
#include <cstring>

namespace wispel {

namespace {

constexpr std::uint32_t kCacheBytes = 4u << 20;
// The smallest cache made, in records: a new table is not refused a read-ahead run.
constexpr std::uint32_t kLeastRecords = 256;

}  // namespace

TRecordCache::TRecordCache(std::uint32_t recordSize, std::uint32_t slots)
    : recordSize_(std::max<std::uint32_t>(recordSize, 1)),
      limit_(std::max<std::uint32_t>(kCacheBytes / recordSize_, 1)) {
    reserve(slots);
}

void TRecordCache::reserve(std::uint32_t slots) {
    const std::uint32_t wanted = std::min(limit_, std::max(slots, kLeastRecords));
    if (wanted <= capacity_) return;
    // Growing by at least half each time keeps the copying linear in the table's growth.
    capacity_ = std::min(limit_, std::max(wanted, capacity_ + capacity_ / 2));
    tags_.assign(capacity_, 0);
    images_.resize(std::size_t(capacity_) * recordSize_);
}

void TRecordCache::put(std::uint32_t record, const std::uint8_t* image) {
    std::uint32_t place = placeOf(record);
    if (place == capacity_) {
        // The home, else a free place of its group, else a place of the group in turn.
        const std::uint32_t home = record % capacity_;
        const std::uint32_t start = groupStart(home), end = groupEnd(home);
        place = home;
        for (std::uint32_t other = start; tags_[place] != 0 && other < end; ++other)
            if (tags_[other] == 0) place = other;
        if (tags_[place] != 0) place = start + turn_++ % (end - start);
    }
    tags_[place] = record;
    std::memcpy(&images_[std::size_t(place) * recordSize_], image, recordSize_);
}

std::uint8_t* TRecordCache::runSpace(std::uint32_t first, std::uint32_t& count) {
    const std::uint32_t place = first % capacity_;
    count = std::max<std::uint32_t>(1, std::min(count, capacity_ - place));
    for (std::uint32_t i = 0; i < count; ++i) tags_[place + i] = 0;  // being overwritten
    return &images_[std::size_t(place) * recordSize_];
}

void TRecordCache::fill(std::uint32_t first, std::uint32_t got) {
    const std::uint32_t place = first % capacity_;
    for (std::uint32_t i = 0; i < got; ++i) {
        // A copy held elsewhere in the group from before goes: the one just read is the record.
        const std::uint32_t other = placeOf(first + i);
        if (other != capacity_) tags_[other] = 0;
        tags_[place + i] = first + i;
    }
}

void TRecordCache::erase(std::uint32_t record) {
    const std::uint32_t place = placeOf(record);
    if (place != capacity_) tags_[place] = 0;
}

void TRecordCache::clear() { std::fill(tags_.begin(), tags_.end(), 0); }

}  // namespace wispel
