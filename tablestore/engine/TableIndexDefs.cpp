// Adding and deleting indexes of an open table: the new definitions go into the index
// file's header and the file is made again from the records, all under the write lock.

#include "core/TextCase.h"
#include "tablestore/engine/DataTable.h"
#include "tablestore/index/IndexLayout.h"

namespace wispel {

StoreResult TDataTable::addIndex(const TIndexDefinition& definition) {
    errorField_ = definition.Name;
    if (StoreResult r = takeWriteLock()) return fail(r);
    TIndexHeader header = indexes_->header();
    StoreResult r = addIndexDefinition(header, definition, columns_);
    if (r == storecode::kOk) r = redefineIndexes(header);
    return fail(releaseWriteLock(r));
}

StoreResult TDataTable::deleteIndex(const std::string& name) {
    errorField_ = name;
    if (name.empty()) return fail(storecode::kPrimaryIndexRequired);
    if (StoreResult r = takeWriteLock()) return fail(r);
    TIndexHeader header = indexes_->header();
    int found = 0;
    for (int n = 1; n <= header.SecondaryCount && found == 0; ++n)
        if (sameText(header.Slots[n].Name, name)) found = n;
    StoreResult r = found == 0 ? storecode::kInvalidIndexName : storecode::kOk;
    if (r == storecode::kOk) {
        // The secondary indexes keep their order in slots 1 onward, without a gap.
        for (int n = found; n < header.SecondaryCount; ++n) header.Slots[n] = header.Slots[n + 1];
        header.Slots[header.SecondaryCount] = TIndexSlot{};
        --header.SecondaryCount;
        r = redefineIndexes(header);
    }
    return fail(releaseWriteLock(r));
}

StoreResult TDataTable::redefineIndexes(const TIndexHeader& header) {
    const TIndexHeader old = indexes_->header();
    errorName_ = indexPath_;
    StoreResult r = indexes_->rebuild(slotScan(), &header);
    if (r != storecode::kOk) {
        // The old definitions come back with their keys; the error is what counts.
        indexes_->rebuild(slotScan(), &old);
        if (r == storecode::kDuplicateKey) errorName_ = name_;
    } else {
        errorName_ = name_;
    }
    resetCaches();
    return r;
}

}  // namespace wispel
