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
    put(reference, std::string(value));
}

void TBlobValueCache::put(const BlobReference& reference, std::string&& value) {
    if (value.size() > kCacheBytes / 4 || value.size() != reference.length) return;
    if (bytes_ + value.size() > kCacheBytes) clear();
    const std::size_t size = value.size();
    auto [at, added] = values_.try_emplace(reference.block, Held{reference.length, std::move(value)});
    if (!added) {
        bytes_ -= at->second.value.size();
        at->second = Held{reference.length, std::move(value)};
    }
    bytes_ += size;
}

void TBlobValueCache::forget(const BlobReference& reference) {
    auto found = values_.find(reference.block);
    if (found == values_.end()) return;
    bytes_ -= found->second.value.size();
    values_.erase(found);
}

void TBlobValueCache::clear() {
    values_.clear();
    bytes_ = 0;
}

}  // namespace wispel
