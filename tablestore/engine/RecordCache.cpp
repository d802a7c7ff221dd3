#include "tablestore/engine/RecordCache.h"

#include <algorithm>
#include <cstring>

namespace wispel {

TRecordCache::TRecordCache(std::uint32_t recordSize)
    : recordSize_(std::max<std::uint32_t>(recordSize, 1)),
      capacity_(std::clamp<std::uint32_t>(131070 / recordSize_, 1, 8191)),
      tags_(capacity_, 0),
      images_(std::size_t(capacity_) * recordSize_) {}

void TRecordCache::put(std::uint32_t record, const std::uint8_t* image) {
    const std::uint32_t place = record % capacity_;
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
    for (std::uint32_t i = 0; i < got; ++i) tags_[place + i] = first + i;
}

void TRecordCache::erase(std::uint32_t record) {
    const std::uint32_t place = record % capacity_;
    if (tags_[place] == record) tags_[place] = 0;
}

void TRecordCache::clear() { std::fill(tags_.begin(), tags_.end(), 0); }

}  // namespace wispel
