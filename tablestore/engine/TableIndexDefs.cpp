// Adding and deleting indexes of an open table: the new definitions go into the index
// file's header and the file is made again from the records, all under the write lock.

#include "core/TextCase.h"
#include "tablestore/engine/DataTable.h"
#include "tablestore/index/IndexLayout.h"

namespace wispel {

StoreStatus TDataTable::addIndex(const TIndexDefinition& definition) {
    if (StoreStatus r = takeWriteLock()) return r;
    TIndexHeader header = indexes_->header();
    StoreStatus r = addIndexDefinition(header, definition, columns_);
    if (r == storecode::kOk) r = redefineIndexes(header);
    return releaseWriteLock(r);
}

StoreStatus TDataTable::deleteIndex(const std::string& name) {
    if (name.empty()) return storecode::kPrimaryIndexRequired;
    if (StoreStatus r = takeWriteLock()) return r;
    TIndexHeader header = indexes_->header();
    int found = 0;
    for (int n = 1; n <= header.SecondaryCount && found == 0; ++n)
        if (sameText(header.Slots[n].Name, name)) found = n;
    StoreStatus r = found == 0 ? storecode::kInvalidIndexName : storecode::kOk;
    if (r == storecode::kOk) {
        // The secondary indexes keep their order in slots 1 onward, without a gap.
        for (int n = found; n < header.SecondaryCount; ++n) header.Slots[n] = header.Slots[n + 1];
        header.Slots[header.SecondaryCount] = TIndexSlot{};
        --header.SecondaryCount;
        r = redefineIndexes(header);
    }
    return releaseWriteLock(r);
}

StoreStatus TDataTable::redefineIndexes(const TIndexHeader& header) {
    if (deferred_) {
        if (StoreStatus r = writeDeferred()) return r;
    }
    const TIndexHeader old = indexes_->header();
    StoreStatus r = rebuildIndexes(&header);
    // The old definitions come back with their keys; the error is what counts.
    if (r != storecode::kOk) (void)rebuildIndexes(&old);
    resetCaches();
    return r;
}

}  // namespace wispel
