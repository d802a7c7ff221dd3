// The table object's reading of many blob values at once, for a cursor that reads a memo of
// row after row (DataCursorBlobs.cpp).

#include <algorithm>

#include "tablestore/engine/DataTable.h"

namespace wispel {

StoreStatus TDataTable::keepBlobs(std::vector<BlobReference> references) {
    if (!blobs_) return storecode::kOk;
    return underReadLock([&]() -> StoreStatus {
        // Taking the lock may have found the files changed and the cache emptied: what is
        // held is decided only now.
        references.erase(std::remove_if(references.begin(), references.end(),
                                        [&](const BlobReference& reference) {
                                            return reference.length == 0 || reference.block < 1 ||
                                                   blobValues_.contains(reference);
                                        }),
                         references.end());
        if (references.empty()) return storecode::kOk;
        std::vector<unsigned char> bytes = blobValues_.takeBuffer();
        StoreResult r = blobs_->readRuns(references, bytes, blobsFound_);
        // What came before a failed read is as good as any.
        blobValues_.putSpans(std::move(bytes), blobsFound_, blobBlockSize(header_));
        if (r) return {r, blobPath_};
        return storecode::kOk;
    });
}

}  // namespace wispel
