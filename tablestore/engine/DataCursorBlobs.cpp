// The cursor's reading of blob values: the value of one row, and the values of the rows
// that follow it read ahead under the same lock (DataCursor.h, readBlob).

#include "tablestore/engine/DataCursor.h"
#include "tablestore/format/BlobFile.h"
#include "tablestore/format/RecordValues.h"

namespace wispel {

namespace {

BlobReference referenceIn(const std::uint8_t* image, const ColumnDescriptor& column) {
    return hasValue(image, column) ? readBlobReference(valueBytes(image, column)) : BlobReference{};
}

}  // namespace

StoreStatus TDataCursor::readBlob(const std::uint8_t* image, const ColumnDescriptor& column,
                                  std::string& value, bool* atHand) {
    noteBlobAsked(column);
    bool held = false;
    StoreStatus r = table_->readBlobAtHand(image, column, value, held);
    if (atHand != nullptr) *atHand = held;
    if (held) return r;
    return table_->underReadLock([&]() -> StoreStatus {
        // What the read ahead fails to bring, the read of this one value reports.
        (void)table_->keepBlobs(blobsAhead(image, column));
        return table_->readBlob(image, column, value);
    });
}

void TDataCursor::noteBlobAsked(const ColumnDescriptor& column) {
    const std::size_t at = column.fieldNumber - 1u;
    if (at >= table_->columns().size()) return;
    if (blobAsked_.size() <= at) blobAsked_.resize(table_->columns().size(), 0);
    blobAsked_[at] = steps_ + 1;
}

std::vector<const ColumnDescriptor*> TDataCursor::blobColumnsInUse(const ColumnDescriptor& column) {
    const std::size_t at = column.fieldNumber - 1u;
    std::vector<const ColumnDescriptor*> inUse{&column};
    for (std::size_t i = 0; i < blobAsked_.size(); ++i) {
        if (i != at && blobAsked_[i] != 0 && blobAsked_[i] >= steps_)
            inUse.push_back(&table_->columns()[i]);
    }
    return inUse;
}

std::vector<BlobReference> TDataCursor::blobsAhead(const std::uint8_t* image,
                                                   const ColumnDescriptor& column) {
    // A run ends after so many rows or bytes of values, whichever comes first.
    constexpr int kRows = 128;
    constexpr std::uint64_t kBytes = 512 * 1024;
    // The blob columns read at this row or the one before come for the rows ahead together,
    // as their blocks usually lie side by side.
    const std::vector<const ColumnDescriptor*> columns = blobColumnsInUse(column);
    std::vector<BlobReference> references{referenceIn(image, column)};
    // A set built for an older state of the table does not say which rows follow; a row
    // found by a key search says nothing of the rows to be read next.
    if (beforeFirst_ || afterLast_ || position_ != steppedTo_ ||
        generation_ != table_->generation())
        return references;
    std::vector<std::uint8_t> next(table_->recordSize());
    std::uint64_t bytes = references.front().length;
    auto keep = [&](std::uint32_t record) {
        if (table_->readRecord(record, next.data()) != storecode::kOk) return false;
        for (const ColumnDescriptor* wanted : columns) {
            references.push_back(referenceIn(next.data(), *wanted));
            bytes += references.back().length;
        }
        return bytes <= kBytes;
    };
    if (order_ < 0) {
        std::uint32_t record = position_;
        for (int n = 0; n < kRows && record < visible_.size(); ++n) {
            if ((record = visible_.nextMember(record + 1)) == 0 || !keep(record)) break;
        }
        return references;
    }
    if (place_.slot != order_ || place_.record != position_ ||
        place_.generation != table_->generation())
        return references;
    TIndexTree& tree = table_->indexes().tree(order_);
    TIndexPosition at = place_.at;
    std::vector<std::uint8_t>& key = keyScratch_;
    key.resize(table_->indexes().keyLength(order_));
    for (int n = 0; n < kRows && tree.next(at) == storecode::kOk;) {
        std::uint32_t record = 0;
        if (tree.entry(at, key.data(), record) != storecode::kOk) break;
        if (!visible_.contains(record)) continue;
        if (!keep(record)) break;
        ++n;
    }
    return references;
}

bool TDataCursor::readMemo(const ColumnDescriptor& column, const std::uint8_t* image,
                           std::string& text) {
    return table_->readBlob(image, column, text) == storecode::kOk;
}

}  // namespace wispel
