// TStoreTable: key searches and ranges in the current index. The key buffers are record
// images filled through the fields in the set-key state; the engine's key of such an image,
// cut after the leading key fields that were given a value, is the key prefix the cursor
// searches for or bounds its range with.

#include <algorithm>
#include <cstring>

#include "tablestore/component/ComponentErrors.h"
#include "tablestore/component/StoreTable.h"
#include "tablestore/engine/DataCursor.h"

namespace wispel {

namespace {

constexpr const char* kNoIndex = "No index is active";

}  // namespace

std::vector<std::uint8_t> TStoreTable::keyPrefix(int which) {
    const int slot = cursor_->order();
    TTableIndexes& indexes = cursor_->table().indexes();
    const TKeyLayout* layout = slot >= 0 ? indexes.layout(slot) : nullptr;
    if (layout == nullptr) raiseDatabaseError(kNoIndex);
    std::vector<std::uint8_t> key;
    indexes.keyFor(slot, keyBuffers_[which].data(), key);
    const TIndexSlot& definition = indexes.header().Slots[slot];
    const std::vector<int>& given = keyFields_[which];
    std::size_t length = 0;
    for (std::size_t i = 0; i < definition.ColumnCount && i < layout->Parts.size(); ++i) {
        if (std::find(given.begin(), given.end(), definition.FieldNumbers[i]) == given.end()) break;
        length += 1u + layout->Parts[i].Width;
    }
    key.resize(std::min(length, key.size()));
    return key;
}

void TStoreTable::startKey(int which, bool clear) {
    checkBrowse();
    if (cursor_->order() < 0) raiseDatabaseError(kNoIndex);
    if (clear || keyBuffers_[which].size() != row_.size()) {
        keyBuffers_[which].assign(row_.size(), 0);
        keyFields_[which].clear();
    }
    keyBuffer_ = which;
    setState(TStoreDataSetState::dsSetKey);
}

void TStoreTable::endKey() {
    if (state_ == TStoreDataSetState::dsSetKey) setState(TStoreDataSetState::dsBrowse);
}

void TStoreTable::SetKey() { startKey(kSearchKey, true); }
void TStoreTable::EditKey() { startKey(kSearchKey, false); }
void TStoreTable::SetRangeStart() { startKey(kRangeStart, true); }
void TStoreTable::SetRangeEnd() { startKey(kRangeEnd, true); }
void TStoreTable::EditRangeStart() { startKey(kRangeStart, false); }
void TStoreTable::EditRangeEnd() { startKey(kRangeEnd, false); }

bool TStoreTable::GotoKey() {
    checkActive();
    endKey();
    const std::vector<std::uint8_t> key = keyPrefix(kSearchKey);
    bool exact = false;
    StoreStatus r = cursor_->seekKey(key, true, exact);
    if (r == storecode::kRecordNotFound || r == storecode::kEndOfFile) return false;
    checkEngine(r, cursor_->table().name());
    readRow();
    atStart_ = atEnd_ = false;
    notifyRowChanged();
    return true;
}

void TStoreTable::GotoNearest() {
    checkActive();
    endKey();
    const std::vector<std::uint8_t> key = keyPrefix(kSearchKey);
    bool exact = false;
    StoreStatus r = cursor_->seekKey(key, false, exact);
    if (r == storecode::kEndOfFile) return MoveLast();
    checkEngine(r, cursor_->table().name());
    readRow();
    atStart_ = atEnd_ = false;
    notifyRowChanged();
}

void TStoreTable::fillKey(const std::vector<std::string>& values) {
    const int slot = cursor_->order();
    const TIndexSlot& definition = cursor_->table().indexes().header().Slots[slot];
    if (values.size() > definition.ColumnCount) raiseDatabaseError(componenttext::kFieldIndexRange);
    for (std::size_t i = 0; i < values.size(); ++i) {
        for (const auto& field : fields_)
            if (field->FieldNo() == definition.FieldNumbers[i]) field->SetTextValue(values[i]);
    }
}

void TStoreTable::setSearchKey(const std::vector<std::string>& values) {
    SetKey();
    try {
        fillKey(values);
    } catch (...) {
        endKey();
        throw;
    }
}

bool TStoreTable::FindKey(const std::vector<std::string>& values) {
    setSearchKey(values);
    return GotoKey();
}

void TStoreTable::FindNearest(const std::vector<std::string>& values) {
    setSearchKey(values);
    GotoNearest();
}

void TStoreTable::ApplyRange() {
    checkActive();
    endKey();
    std::vector<std::uint8_t> low = keyPrefix(kRangeStart), high = keyPrefix(kRangeEnd);
    // A descending column puts the larger value first in key order.
    const std::size_t common = std::min(low.size(), high.size());
    if (common != 0 && std::memcmp(low.data(), high.data(), common) > 0) std::swap(low, high);
    checkEngine(cursor_->setRange(std::move(low), std::move(high)), cursor_->table().name());
    moveToFirstRow();
}

void TStoreTable::CancelRange() {
    checkBrowse();
    checkEngine(cursor_->cancelRange(), cursor_->table().name());
    moveToFirstRow();
}

void TStoreTable::SetRange(const std::vector<std::string>& low, const std::vector<std::string>& high) {
    SetRangeStart();
    try {
        fillKey(low);
        SetRangeEnd();
        fillKey(high);
    } catch (...) {
        endKey();
        throw;
    }
    ApplyRange();
}

}  // namespace wispel
