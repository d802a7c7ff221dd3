#include "tablestore/index/IndexPageStore.h"

#include <algorithm>

#include "tablestore/index/PageCodec.h"

namespace wispel {

using namespace indexlayout;

namespace {
// Bounds of the cache between operations. Most decoded pages take about one page, but a
// compressed leaf of long, nearly equal keys decodes to up to 87 times its size: the key
// bytes are bounded as well as the pages.
constexpr std::size_t kCachedPageLimit = 2048;
constexpr std::size_t kCachedByteLimit = 32u << 20;
}  // namespace

TPageFormat TIndexPageStore::format(int slot) const {
    const TIndexSlot& s = header_.Slots[slot];
    return TPageFormat{s.KeyLength, s.Compression, s.Unique};
}

StoreResult TIndexPageStore::readPage(std::uint32_t offset, std::uint8_t* image) {
    return file_.read(offset, image, kPageSize);
}

TIndexPage& TIndexPageStore::cacheNew(std::uint32_t offset) {
    const std::size_t at = offset / kPageSize;
    if (at >= pages_.size()) pages_.resize(at + 1);
    std::unique_ptr<TIndexPage>& entry = pages_[at];
    if (entry == nullptr) {
        entry = std::make_unique<TIndexPage>();
        ++cachedCount_;
    }
    *entry = TIndexPage{};
    entry->Offset = offset;
    return *entry;
}

void TIndexPageStore::forget(std::uint32_t offset) {
    std::unique_ptr<TIndexPage>& entry = pages_[offset / kPageSize];
    if (entry != nullptr) --cachedCount_;
    entry.reset();
}

void TIndexPageStore::markDirty(TIndexPage& page) {
    if (page.Dirty) return;
    page.Dirty = true;
    dirty_.push_back(page.Offset);
}

StoreResult TIndexPageStore::load(int slot, std::uint32_t offset, TIndexPage*& page) {
    if (offset == 0 || !validPageOffset(offset, header_.EndOfFile)) {
        return storecode::kIndexCorrupt;
    }
    if (TIndexPage* found = cached(offset)) {
        page = found;
        return page->Free || page->Slot != slot ? storecode::kIndexCorrupt : storecode::kOk;
    }
    if (cachedOnly_) {
        missed_ = true;
        return storecode::kReadError;
    }
    std::uint8_t image[kPageSize];
    if (StoreResult result = readPage(offset, image); result != storecode::kOk) return result;
    TIndexPage decoded;
    if (StoreResult result = decodePage(image, format(slot), header_.EndOfFile, decoded);
        result != storecode::kOk) {
        return result;
    }
    cachedBytes_ += decoded.Keys.size();
    TIndexPage& cached = cacheNew(offset);
    cached = std::move(decoded);
    cached.Offset = offset;
    cached.Slot = slot;
    page = &cached;
    return storecode::kOk;
}

StoreResult TIndexPageStore::allocate(int slot, std::uint8_t kind, TIndexPage*& page) {
    TIndexSlot& owner = header_.Slots[slot];
    std::uint32_t offset = owner.FreeHead;
    if (offset != 0) {
        // The head must be a free page of this index, never a page that is in use.
        std::uint32_t next = 0;
        if (!validPageOffset(offset, header_.EndOfFile)) return storecode::kIndexCorrupt;
        if (const TIndexPage* found = cached(offset)) {
            if (!found->Free || found->Slot != slot) return storecode::kIndexCorrupt;
            next = found->Next;
        } else {
            std::uint8_t image[kPageSize];
            if (StoreResult result = readPage(offset, image); result != storecode::kOk) {
                return result;
            }
            const TFreePageHeader free = readFreePageHeader(image);
            if (free.Count != 0) return storecode::kIndexCorrupt;
            next = free.Next;
        }
        if (next == offset || !validPageOffset(next, header_.EndOfFile)) {
            return storecode::kIndexCorrupt;
        }
        owner.FreeHead = next;
    } else {
        offset = header_.EndOfFile;
        if (offset + std::uint64_t{kPageSize} >= kEndOfFileLimit) return storecode::kTableFull;
        header_.EndOfFile = offset + kPageSize;
    }
    TIndexPage& fresh = cacheNew(offset);
    fresh.Slot = slot;
    fresh.Kind = kind;
    fresh.KeyLength = owner.KeyLength;
    // Room for a full page (and the entry that splits it) from the start: a page fills one
    // entry at a time, and growing its arrays step by step would copy them again and again.
    const std::size_t room = (fresh.isLeaf() ? leafCapacity(owner.KeyLength)
                                             : branchCapacity(owner.KeyLength)) + 1;
    fresh.Keys.reserve(room * owner.KeyLength);
    fresh.Refs.reserve(room);
    if (!fresh.isLeaf()) fresh.Counts.reserve(room);
    markDirty(fresh);
    page = &fresh;
    return storecode::kOk;
}

void TIndexPageStore::release(TIndexPage& page) {
    TIndexSlot& owner = header_.Slots[page.Slot];
    page.clearEntries();
    page.Kind = 0;
    page.Prev = 0;
    page.Next = owner.FreeHead;
    page.Free = true;
    owner.FreeHead = page.Offset;
    markDirty(page);
}

StoreResult TIndexPageStore::readImage(std::uint32_t offset, std::uint8_t* image) {
    if (const TIndexPage* found = cached(offset)) {
        encodePage(*found, format(found->Slot), image);
        return storecode::kOk;
    }
    return readPage(offset, image);
}

StoreResult TIndexPageStore::writePending() {
    std::sort(dirty_.begin(), dirty_.end());
    std::uint8_t image[kPageSize];
    for (std::uint32_t offset : dirty_) {
        const TIndexPage& page = *cached(offset);
        encodePage(page, format(page.Slot), image);
        if (StoreResult result = file_.write(offset, image, kPageSize);
            result != storecode::kOk) {
            return result;
        }
    }
    for (std::uint32_t offset : dirty_) cached(offset)->Dirty = false;
    dirty_.clear();
    return storecode::kOk;
}

void TIndexPageStore::discardPending() {
    for (std::uint32_t offset : dirty_) forget(offset);
    dirty_.clear();
}

void TIndexPageStore::dropAll() {
    pages_.clear();
    cachedCount_ = 0;
    cachedBytes_ = 0;
    dirty_.clear();
}

void TIndexPageStore::trim() {
    if (cachedCount_ <= kCachedPageLimit && cachedBytes_ <= kCachedByteLimit) return;
    cachedBytes_ = 0;
    for (auto& entry : pages_) {
        if (entry == nullptr) continue;
        if (entry->Dirty) {
            cachedBytes_ += entry->Keys.size();
        } else {
            entry.reset();
            --cachedCount_;
        }
    }
}

}  // namespace wispel
