// TStoreTable: the values of blob columns. An assigned value waits with the row until it is
// posted (the engine writes it with the record); a value read comes from the engine, which
// keeps what it read; one it had to read from the blob file is kept here as well, while
// neither the row nor the table changed, for the large ones the engine does not keep.

#include <cstring>

#include "tablestore/component/ComponentErrors.h"
#include "tablestore/component/StoreTable.h"
#include "tablestore/engine/DataCursor.h"
#include "tablestore/format/BlobFile.h"
#include "tablestore/format/RecordValues.h"

namespace wispel {

const std::string* TStoreTable::pendingBlob(const TStoreField& field) const {
    if (state_ != TStoreDataSetState::dsEdit && state_ != TStoreDataSetState::dsInsert)
        return nullptr;
    auto found = blobEdits_.find(field.FieldNo());
    return found == blobEdits_.end() ? nullptr : &found->second;
}

std::string TStoreTable::blobValue(const TStoreField& field) const {
    std::string value;
    readBlobValue(field, value);
    return value;
}

void TStoreTable::readBlobValue(const TStoreField& field, std::string& value) const {
    if (!field.IsBlob()) raiseEngineError(storecode::kInvalidBlobField, tableName_, field.FieldName());
    if (const std::string* pending = pendingBlob(field)) {
        value = *pending;
        return;
    }
    const std::uint8_t* row = field.readBuffer();
    if (row == nullptr || !hasValue(row, field.column_)) {
        value.clear();
        return;
    }
    const std::uint8_t* reference = row + field.column_.offset;
    const std::uint64_t generation = cursor_->table().generation();
    CachedBlob& cached = blobCache_[field.FieldNo()];
    static_assert(sizeof cached.reference == 1 + 8, "a null byte and a blob reference");
    if (cached.generation == generation &&
        std::memcmp(cached.reference.data(), reference, cached.reference.size()) == 0) {
        value = cached.value;
        return;
    }
    cached.generation = 0;  // until the value is read
    bool atHand = false;
    checkEngine(cursor_->readBlob(row, field.column_, value, &atHand), tableName_);
    // The engine keeps what it had at hand, and what it read unless it is large: a copy here
    // would cost every row of a walk as much as asking the engine again.
    if (atHand) return;
    std::memcpy(cached.reference.data(), reference, cached.reference.size());
    cached.generation = generation;
    cached.value = value;
}

std::size_t TStoreTable::blobSize(const TStoreField& field) const {
    if (!field.IsBlob()) raiseEngineError(storecode::kInvalidBlobField, tableName_, field.FieldName());
    if (const std::string* pending = pendingBlob(field)) return pending->size();
    const std::uint8_t* row = field.readBuffer();
    if (row == nullptr || !hasValue(row, field.column_)) return 0;
    return readBlobReference(row + field.column_.offset + 1).length;
}

void TStoreTable::setBlobValue(TStoreField& field, std::string_view value) {
    if (!field.IsBlob()) raiseEngineError(storecode::kInvalidBlobField, tableName_, field.FieldName());
    std::uint8_t* row = field.writeBuffer();
    if (value.size() > kMaxBlobValueLength) raiseEngineError(storecode::kInvalidBlobLength, tableName_);
    blobEdits_[field.FieldNo()] = std::string(value);
    // The reference itself is the engine's to fill in when the row is posted.
    row[field.column_.offset] = value.empty() ? 0 : 1;
}

}  // namespace wispel
