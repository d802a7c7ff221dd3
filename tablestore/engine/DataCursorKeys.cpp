// The cursor's key searches and ranges over the current index. A range is kept as the two
// key prefixes that bound it and as the set of records between them, found by walking the
// index from the low bound; the filters and navigation then work within that set.

#include <cstring>

#include "tablestore/engine/DataCursor.h"
#include "tablestore/index/IndexTree.h"

namespace wispel {

namespace {

// <0, 0 or >0 as `key` lies below, within or above the keys that start with `prefix`.
int comparePrefix(const std::uint8_t* key, const std::vector<std::uint8_t>& prefix) {
    return prefix.empty() ? 0 : std::memcmp(key, prefix.data(), prefix.size());
}

}  // namespace

StoreStatus TDataCursor::setOrder(int slot) {
    order_ = slot;
    if (rangeSlot_ >= 0 && rangeSlot_ != slot) return cancelRange();
    return storecode::kOk;
}

StoreStatus TDataCursor::setRange(std::vector<std::uint8_t> low, std::vector<std::uint8_t> high) {
    if (order_ < 0) return storecode::kNoCurrentRecord;
    const std::size_t length = table_->indexes().keyLength(order_);
    if (low.size() > length) low.resize(length);
    if (high.size() > length) high.resize(length);
    rangeSlot_ = order_;
    rangeLow_ = std::move(low);
    rangeHigh_ = std::move(high);
    first();
    return rebuild();
}

StoreStatus TDataCursor::cancelRange() {
    if (rangeSlot_ < 0) return storecode::kOk;
    rangeSlot_ = -1;
    rangeLow_.clear();
    rangeHigh_.clear();
    first();
    return rebuild();
}

bool TDataCursor::inRange(const std::uint8_t* image) const {
    if (rangeSlot_ < 0) return true;
    std::vector<std::uint8_t> key;
    table_->indexes().keyFor(rangeSlot_, image, key);
    return comparePrefix(key.data(), rangeLow_) >= 0 && comparePrefix(key.data(), rangeHigh_) <= 0;
}

StoreResult TDataCursor::rangeEdge(bool forward, TIndexTree& tree, TIndexPosition& at) const {
    if (rangeSlot_ != order_ || (forward ? rangeLow_ : rangeHigh_).empty())
        return forward ? tree.first(at) : tree.last(at);
    // The lowest key a range admits is its low prefix filled with 0. Going back, the walk
    // starts at the first entry above the range (the highest key it admits may be held by
    // several records, all of which lie after the seek's entry), or at the last entry.
    std::vector<std::uint8_t> edge(forward ? rangeLow_ : rangeHigh_);
    const std::size_t length = table_->indexes().keyLength(order_);
    edge.resize(length, forward ? 0x00 : 0xFF);
    StoreResult r = tree.seek(edge.data(), at);
    if (forward) return r;
    std::vector<std::uint8_t> key(length);
    for (std::uint32_t record = 0; r == storecode::kOk; r = tree.next(at)) {
        if ((r = tree.entry(at, key.data(), record))) return r;
        if (comparePrefix(key.data(), rangeHigh_) > 0) return storecode::kOk;
    }
    return r == storecode::kEndOfFile ? tree.last(at) : r;
}

bool TDataCursor::pastRange(const std::uint8_t* key, bool forward) const {
    if (rangeSlot_ != order_) return false;
    return forward ? comparePrefix(key, rangeHigh_) > 0 : comparePrefix(key, rangeLow_) < 0;
}

StoreStatus TDataCursor::buildRecordSet() {
    recordSet_ = table_->activeRecords();
    if (rangeSlot_ < 0) return storecode::kOk;
    return table_->underReadLock([&]() -> StoreStatus {
        recordSet_ = table_->activeRecords();
        TRecordsBitmap within(recordSet_.size());
        TIndexTree& tree = table_->indexes().tree(rangeSlot_);
        std::vector<std::uint8_t> key(table_->indexes().keyLength(rangeSlot_));
        std::vector<std::uint8_t> low(rangeLow_);
        low.resize(key.size(), 0);
        TIndexPosition at;
        StoreResult r = rangeLow_.empty() ? tree.first(at) : tree.seek(low.data(), at);
        for (; r == storecode::kOk; r = tree.next(at)) {
            std::uint32_t record = 0;
            if ((r = tree.entry(at, key.data(), record))) return r;
            if (comparePrefix(key.data(), rangeHigh_) > 0) break;
            if (record >= 1 && record <= within.size()) within.include(record);
        }
        if (r != storecode::kOk && r != storecode::kEndOfFile) return r;
        recordSet_.intersect(within);
        return storecode::kOk;
    });
}

StoreStatus TDataCursor::seekKey(const std::vector<std::uint8_t>& key, bool requireExact,
                                 bool& exact) {
    exact = false;
    if (order_ < 0) return storecode::kNoCurrentRecord;
    if (StoreStatus r = beginOperation()) return r;
    std::uint32_t found = 0;
    TIndexPosition at;
    std::vector<std::uint8_t>& there = keyScratch_;
    there.resize(table_->indexes().keyLength(order_));
    std::vector<std::uint8_t> wanted(key);
    wanted.resize(there.size(), 0);
    StoreStatus r = readIndex([&]() -> StoreStatus {
        found = 0;
        TIndexTree& tree = table_->indexes().tree(order_);
        StoreResult step = tree.seek(wanted.data(), at);
        for (; step == storecode::kOk; step = tree.next(at)) {
            std::uint32_t record = 0;
            if ((step = tree.entry(at, there.data(), record))) return step;
            if (!visible_.contains(record)) continue;
            found = record;
            exact = comparePrefix(there.data(), key) == 0;
            return storecode::kOk;
        }
        return step;
    }, found);
    if (r != storecode::kOk) return r;
    if (requireExact && !exact) return storecode::kRecordNotFound;
    remember(at, found);
    position_ = found;
    beforeFirst_ = afterLast_ = false;
    return storecode::kOk;
}

}  // namespace wispel
