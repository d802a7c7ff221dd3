#include "tablestore/engine/BlobValueCache.h"

#include <algorithm>

namespace wispel {

namespace {

constexpr std::size_t kCacheBytes = 4u << 20;
// What a value counts for at least: its place in the tables beside its bytes. It bounds
// the number of values held.
constexpr std::size_t kHeldBytes = 64;
constexpr std::size_t kFirstSlots = 1024;
// An emptied cache keeps its buffers of spans of at least so many bytes for the spans read
// next, so that reading ahead neither allocates nor clears fresh memory each time. They were
// counted as the cache's, and each new span takes one of them: the memory stays in bound.
constexpr std::size_t kSpareBytes = 4096;

}  // namespace

std::size_t TBlobValueCache::slotOf(std::int32_t block) const {
    // Fibonacci hashing: neighbouring blocks spread over the table.
    const std::uint64_t mixed = static_cast<std::uint32_t>(block) * 0x9E3779B97F4A7C15ull;
    return static_cast<std::size_t>(mixed >> 32) & (slots_.size() - 1);
}

const TBlobValueCache::Held* TBlobValueCache::find(const BlobReference& reference) const {
    if (slots_.empty()) return nullptr;
    for (std::size_t at = slotOf(reference.block);; at = (at + 1) & (slots_.size() - 1)) {
        const std::uint32_t slot = slots_[at];
        if (slot == 0) return nullptr;
        const Held& held = held_[slot - 1];
        if (held.reference.block == reference.block)
            return held.reference.length == reference.length && reference.length != 0 ? &held
                                                                                       : nullptr;
    }
}

void TBlobValueCache::index(const Held& held) {
    if (2 * (held_.size() + 1) > slots_.size()) {
        slots_.assign(std::max(kFirstSlots, 2 * slots_.size()), 0);
        const std::vector<Held> kept = std::move(held_);
        held_.clear();
        for (const Held& old : kept) index(old);
    }
    for (std::size_t at = slotOf(held.reference.block);; at = (at + 1) & (slots_.size() - 1)) {
        std::uint32_t& slot = slots_[at];
        if (slot != 0 && held_[slot - 1].reference.block != held.reference.block) continue;
        if (slot == 0) {
            held_.push_back(held);
            slot = static_cast<std::uint32_t>(held_.size());
        } else {
            held_[slot - 1] = held;
        }
        return;
    }
}

bool TBlobValueCache::copy(const BlobReference& reference, std::string& value) const {
    const Held* held = find(reference);
    if (held == nullptr) return false;
    const unsigned char* bytes = pieces_[held->piece].data();
    if (held->blockSize == 0) {
        value.assign(reinterpret_cast<const char*>(bytes + held->offset), reference.length);
    } else {
        copyBlobInRun(bytes, held->blockSize, {reference, held->offset}, value);
    }
    return true;
}

bool TBlobValueCache::makeRoom(std::size_t bytes, std::size_t most) {
    if (bytes > most) return false;
    if (bytes_ + bytes > kCacheBytes) clear();
    bytes_ += bytes;
    return true;
}

void TBlobValueCache::put(const BlobReference& reference, std::string_view value) {
    if (value.empty() || value.size() != reference.length ||
        !makeRoom(value.size() + kHeldBytes, kCacheBytes / 4))
        return;
    pieces_.emplace_back(value.begin(), value.end());
    index({reference, static_cast<std::uint32_t>(pieces_.size() - 1), 0, 0});
}

std::vector<unsigned char> TBlobValueCache::takeBuffer() {
    if (spare_.empty()) return {};
    std::vector<unsigned char> buffer = std::move(spare_.back());
    spare_.pop_back();
    return buffer;
}

void TBlobValueCache::putSpans(std::vector<unsigned char>&& bytes,
                               const std::vector<BlobInRun>& found, std::uint32_t blockSize) {
    if (found.empty() || !makeRoom(bytes.size() + found.size() * kHeldBytes, kCacheBytes)) {
        keepSpare(std::move(bytes));
        return;
    }
    pieces_.push_back(std::move(bytes));
    const auto piece = static_cast<std::uint32_t>(pieces_.size() - 1);
    for (const BlobInRun& value : found) index({value.reference, piece, blockSize, value.offset});
}

void TBlobValueCache::forget(const BlobReference& reference) {
    if (slots_.empty()) return;
    for (std::size_t at = slotOf(reference.block);; at = (at + 1) & (slots_.size() - 1)) {
        const std::uint32_t slot = slots_[at];
        if (slot == 0) return;
        Held& held = held_[slot - 1];
        if (held.reference.block != reference.block) continue;
        // The slot stays for the probes that pass it; no length matches the block again
        // until a value of that block is kept anew.
        held.reference.length = 0;
        return;
    }
}

void TBlobValueCache::keepSpare(std::vector<unsigned char>&& buffer) {
    if (buffer.size() >= kSpareBytes)
        spare_.push_back(std::move(buffer));
}

void TBlobValueCache::clear() {
    for (std::vector<unsigned char>& piece : pieces_) keepSpare(std::move(piece));
    pieces_.clear();
    held_.clear();
    std::fill(slots_.begin(), slots_.end(), 0);
    bytes_ = 0;
}

}  // namespace wispel
