// The table object's blob side: reading a record's blob value, writing the values of a row
// being posted, releasing the values a row no longer holds, and making the free-block chain
// again after a crash. Where these steps fall in an operation is in TableWriter.cpp.

#include <cstring>

#include "tablestore/engine/DataTable.h"
#include "tablestore/format/RecordValues.h"

namespace wispel {

namespace {

const TBlobValue* findValue(const TBlobValues& values, std::uint16_t fieldNumber) {
    for (const TBlobValue& value : values)
        if (value.fieldNumber == fieldNumber) return &value;
    return nullptr;
}

BlobReference referenceIn(const std::uint8_t* image, const ColumnDescriptor& column) {
    if (!hasValue(image, column)) return {};
    return readBlobReference(valueBytes(image, column));
}

void setReference(std::uint8_t* image, const ColumnDescriptor& column, const BlobReference& ref) {
    clearValue(image, column);
    if (ref.length == 0) return;
    image[column.offset] = 1;
    writeBlobReference(ref, image + column.offset + 1);
}

}  // namespace

StoreStatus TDataTable::readBlobAtHand(const std::uint8_t* image, const ColumnDescriptor& column,
                                       std::string& value, bool& atHand) const {
    atHand = true;
    value.clear();
    if (column.type != enginetype::kBlob || !blobs_)
        return {storecode::kInvalidBlobField, {}, column.name};
    const BlobReference ref = referenceIn(image, column);
    if (ref.length == 0) return storecode::kOk;
    if (ref.block < 0) return storecode::kInvalidBlobHandle;
    atHand = blobValues_.copy(ref, value);
    return storecode::kOk;
}

StoreStatus TDataTable::readBlob(const std::uint8_t* image, const ColumnDescriptor& column,
                                 std::string& value) {
    bool atHand = false;
    if (StoreStatus r = readBlobAtHand(image, column, value, atHand); atHand) return r;
    const BlobReference ref = referenceIn(image, column);
    return underReadLock([&]() -> StoreStatus {
        if (ref.block == 0 ||
            blobBlockOffset(blobBlockSize(header_), ref.block) >= blobs_->header().usedEnd)
            return storecode::kInvalidBlobOffset;
        StoreResult r = blobs_->read(ref, value);
        if (r == storecode::kOk) blobValues_.put(ref, value);
        return r;
    });
}

StoreStatus TDataTable::writeBlobValues(std::uint8_t* image, const std::uint8_t* onFile,
                                        const TBlobValues& blobs,
                                        std::vector<BlobReference>& replaced) {
    replaced.clear();
    if (!blobs_) return blobs.empty() ? storecode::kOk : storecode::kInvalidBlobField;
    // The row's new values, written together so that blocks side by side go out at once.
    std::vector<const ColumnDescriptor*> written;
    std::vector<std::string_view> values;
    std::vector<std::string> copies;
    copies.reserve(columns_.size());
    for (const ColumnDescriptor& column : columns_) {
        if (column.type != enginetype::kBlob) continue;
        const TBlobValue* given = findValue(blobs, column.fieldNumber);
        const BlobReference old = onFile != nullptr ? referenceIn(onFile, column) : BlobReference{};
        std::string_view value;
        if (given != nullptr) {
            value = given->value;
        } else if (onFile != nullptr) {
            setReference(image, column, old);  // the value stored stays, whatever the image says
            continue;
        } else {
            // A new row that refers to another row's value (a copied row) gets a copy of it:
            // no two rows share a block.
            const BlobReference shown = referenceIn(image, column);
            if (shown.length == 0) {
                clearValue(image, column);
                continue;
            }
            copies.emplace_back();
            if (StoreStatus r = readBlob(image, column, copies.back())) return r;
            value = copies.back();
        }
        if (value.size() > kMaxBlobValueLength)
            return {storecode::kInvalidBlobLength, {}, column.name};
        written.push_back(&column);
        values.push_back(value);
        if (old.length != 0) replaced.push_back(old);
    }
    std::vector<BlobReference> references;
    if (StoreResult r = blobs_->write(values, references)) return {r, blobPath_};
    bool wrote = false;
    for (std::size_t i = 0; i < written.size(); ++i) {
        setReference(image, *written[i], references[i]);
        wrote = wrote || references[i].length != 0;
    }
    if (!wrote && !blobs_->changed()) return storecode::kOk;
    header_.blobWriteCounter = nextCounterValue(header_.blobWriteCounter);
    return storeBlobHeader();
}

StoreStatus TDataTable::checkBlobValues(const TBlobValues& blobs) {
    for (const TBlobValue& value : blobs) {
        const ColumnDescriptor* column = nullptr;
        for (const ColumnDescriptor& c : columns_)
            if (c.fieldNumber == value.fieldNumber) column = &c;
        if (column == nullptr || column->type != enginetype::kBlob || !blobs_)
            return {storecode::kInvalidBlobField, {}, column != nullptr ? column->name : ""};
        if (value.value.size() > kMaxBlobValueLength)
            return {storecode::kInvalidBlobLength, {}, column->name};
    }
    return storecode::kOk;
}

StoreStatus TDataTable::releaseBlobs(const std::vector<BlobReference>& values) {
    if (!blobs_ || values.empty()) return storecode::kOk;
    for (const BlobReference& value : values) {
        // A value at hand was read and checked since the table last changed (the cache
        // forgets what changes): its blocks are as its reference says.
        const bool checked = blobValues_.contains(value);
        // Its blocks may hold another value next: a copy kept of it would be of neither.
        blobValues_.forget(value);
        if (StoreResult r = blobs_->release(value, checked)) return {r, blobPath_};
    }
    return storeBlobHeader();
}

StoreStatus TDataTable::storeBlobHeader() {
    // Under a write lock held across operations the header waits for the end (writeDeferred):
    // until then the operation's note stands, and a crash makes the free-block chain again.
    if (deferring()) return storecode::kOk;
    return StoreStatus(blobs_->saveHeader()).about(blobPath_);
}

StoreStatus TDataTable::collectBlobUses(std::vector<BlobUse>& uses) {
    uses.clear();
    return scanSlots([&](std::uint32_t record, const std::uint8_t* image) {
        if (image[0] != recordstatus::kActive) return;
        for (const ColumnDescriptor& column : columns_) {
            if (column.type != enginetype::kBlob) continue;
            const BlobReference ref = referenceIn(image, column);
            if (ref.length != 0) uses.push_back({record, ref});
        }
    });
}

StoreStatus TDataTable::rebuildBlobChains() {
    if (!blobs_) return storecode::kOk;
    std::vector<BlobUse> uses;
    if (StoreStatus r = collectBlobUses(uses)) return r;
    return StoreStatus(blobs_->rebuild(uses)).about(blobPath_);
}

}  // namespace wispel
