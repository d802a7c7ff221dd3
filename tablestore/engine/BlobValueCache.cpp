#include "tablestore/engine/BlobValueCache.h"

namespace wispel {

namespace {

constexpr std::size_t kCacheBytes = 4u << 20;

}  // namespace

const std::string* TBlobValueCache::find(const BlobReference& reference) const {
    auto found = values_.find(reference.block);
    return found != values_.end() && found->second.length == reference.length
               ? &found->second.value
               : nullptr;
}

void TBlobValueCache::put(const BlobReference& reference, const std::string& value) {
    if (value.size() > kCacheBytes / 4 || value.size() != reference.length) return;
    if (bytes_ + value.size() > kCacheBytes) clear();
    auto [at, added] = values_.try_emplace(reference.block, Held{reference.length, value});
    if (!added) {
        bytes_ -= at->second.value.size();
        at->second = Held{reference.length, value};
    }
    bytes_ += value.size();
}

void TBlobValueCache::clear() {
    values_.clear();
    bytes_ = 0;
}

}  // namespace wispel
