#include "tablestore/engine/RecordCache.h"

#include <algorithm>
#include <cstring>

namespace wispel {

TRecordCache::TRecordCache(std::uint32_t recordSize)
    : recordSize_(recordSize),
      capacity_(std::clamp<std::uint32_t>(131070 / std::max<std::uint32_t>(recordSize, 1), 1,
                                          8191)) {}

const std::uint8_t* TRecordCache::find(std::uint32_t record) {
    auto found = entries_.find(record);
    if (found == entries_.end()) return nullptr;
    uses_.splice(uses_.begin(), uses_, found->second.use);
    return found->second.image.data();
}

void TRecordCache::put(std::uint32_t record, const std::uint8_t* image) {
    auto found = entries_.find(record);
    if (found != entries_.end()) {
        std::memcpy(found->second.image.data(), image, recordSize_);
        uses_.splice(uses_.begin(), uses_, found->second.use);
        return;
    }
    if (entries_.size() >= capacity_) {
        entries_.erase(uses_.back());
        uses_.pop_back();
    }
    uses_.push_front(record);
    Entry entry{std::vector<std::uint8_t>(image, image + recordSize_), uses_.begin()};
    entries_.emplace(record, std::move(entry));
}

void TRecordCache::erase(std::uint32_t record) {
    auto found = entries_.find(record);
    if (found == entries_.end()) return;
    uses_.erase(found->second.use);
    entries_.erase(found);
}

void TRecordCache::clear() {
    entries_.clear();
    uses_.clear();
}

}  // namespace wispel
