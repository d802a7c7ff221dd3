// The cursor's reading of blob values: the value of one row, and the values of the rows
// that follow it read ahead under the same lock (DataCursor.h, readBlob).

#include "tablestore/engine/DataCursor.h"
#include "tablestore/format/BlobFile.h"
#include "tablestore/format/RecordValues.h"

namespace wispel {

StoreStatus TDataCursor::readBlob(const std::uint8_t* image, const ColumnDescriptor& column,
                                  std::string& value) {
    if (table_->readLocked() || table_->hasBlobAtHand(image, column))
        return table_->readBlob(image, column, value);
    return table_->underReadLock([&]() -> StoreStatus {
        StoreStatus r = table_->readBlob(image, column, value);
        if (r == storecode::kOk) readBlobsAhead(column);
        return r;
    });
}

void TDataCursor::readBlobsAhead(const ColumnDescriptor& column) {
    // A run ends after so many rows or bytes of values, whichever comes first.
    constexpr int kRows = 64;
    constexpr std::uint64_t kBytes = 256 * 1024;
    // A set built for an older state of the table does not say which rows follow.
    if (beforeFirst_ || afterLast_ || generation_ != table_->generation()) return;
    std::vector<std::uint8_t> image(table_->recordSize());
    std::uint64_t bytes = 0;
    auto keep = [&](std::uint32_t record) {
        if (table_->readRecord(record, image.data()) != storecode::kOk) return false;
        if (hasValue(image.data(), column))
            bytes += readBlobReference(valueBytes(image.data(), column)).length;
        return bytes <= kBytes && table_->keepBlob(image.data(), column) == storecode::kOk;
    };
    if (order_ < 0) {
        std::uint32_t record = position_;
        for (int n = 0; n < kRows && record < visible_.size(); ++n) {
            if ((record = visible_.nextMember(record + 1)) == 0 || !keep(record)) return;
        }
        return;
    }
    if (place_.slot != order_ || place_.record != position_ ||
        place_.generation != table_->generation())
        return;
    TIndexTree& tree = table_->indexes().tree(order_);
    TIndexPosition at = place_.at;
    std::vector<std::uint8_t>& key = keyScratch_;
    key.resize(table_->indexes().keyLength(order_));
    for (int n = 0; n < kRows && tree.next(at) == storecode::kOk;) {
        std::uint32_t record = 0;
        if (tree.entry(at, key.data(), record) != storecode::kOk) return;
        if (!visible_.contains(record)) continue;
        if (!keep(record)) return;
        ++n;
    }
}

bool TDataCursor::readMemo(const ColumnDescriptor& column, const std::uint8_t* image,
                           std::string& text) {
    return table_->readBlob(image, column, text) == storecode::kOk;
}

}  // namespace wispel
