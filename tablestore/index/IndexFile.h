#pragma once
// A table's index file (".IDX"; doc/table_format.md, "Index file"): its header, the trees of
// its indexes and the pages they share. Changes collect in memory until writePending, which
// writes the changed pages and then the header with its change counter advanced; a change
// that fails forgets every change since the last writePending, so that what the file and
// the memory hold stay one consistent index.
//
// *file must outlive this object.

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "tablestore/errors/StoreResult.h"
#include "tablestore/files/StoreFile.h"
#include "tablestore/format/ColumnDescriptor.h"
#include "tablestore/index/IndexHeader.h"
#include "tablestore/index/IndexPageStore.h"
#include "tablestore/index/IndexTree.h"

namespace wispel {

class TIndexFile {
public:
    explicit TIndexFile(StoreFile& file);
    TIndexFile(const TIndexFile&) = delete;
    TIndexFile& operator=(const TIndexFile&) = delete;

    // Writes the header of a new index file into `file` (created empty): by default the
    // system index and a primary index without key columns.
    static StoreResult create(StoreFile& file, const TIndexHeader& header = newIndexHeader());

    // Reads and checks the header against the table's columns and record size: 12035 for
    // another version, 8961 when a check fails or the file is shorter than its header.
    StoreResult open(std::span<const ColumnDescriptor> columns, std::uint32_t recordSize);
    // Reads the header again; when its change counter moved, takes the new one and forgets
    // the cached pages (and any change not written).
    StoreResult reread(bool& changed);
    // The same for a header image of kPageSize bytes the caller read from the file: an
    // unchanged counter costs no further read and no checks.
    StoreResult reread(const std::uint8_t* image, bool& changed);

    const TIndexHeader& header() const { return header_; }
    void setActiveRecords(std::uint32_t count) { header_.ActiveRecords = count; }
    std::uint16_t keyLength(int slot) const { return header_.Slots[slot].KeyLength; }

    // Key changes of the index in `slot` (one that holds keys; 8965 otherwise). A key is the
    // slot's key length in bytes (KeyForm.h). insertKey gives 9729 for a key that is there
    // already and changes nothing then; deleteKey 8965 for a key that is not there.
    StoreResult insertKey(int slot, const std::uint8_t* key, std::uint32_t recordNumber);
    StoreResult deleteKey(int slot, const std::uint8_t* key);
    StoreResult findKey(int slot, const std::uint8_t* key, bool& found,
                        std::uint32_t& recordNumber);
    // The tree of a slot that holds keys, for positions and reading in key order.
    TIndexTree& tree(int slot);

    // Writes the changed pages, then the header. Nothing is written when nothing changed.
    StoreResult writePending();
    void discardPending();

    // The page store, for the invariant checker.
    TIndexPageStore& pages() { return store_; }
    const TIndexPageStore& pages() const { return store_; }
    StoreFile& file() { return file_; }

private:
    StoreResult readHeader(TIndexHeader& header);
    StoreResult failed(StoreResult result);

    StoreFile& file_;
    TIndexHeader header_;
    TIndexHeader written_;  // the header as the file holds it
    TIndexPageStore store_;
    std::array<std::unique_ptr<TIndexTree>, indexlayout::kSlotCount> trees_;
    std::vector<ColumnDescriptor> columns_;
    std::uint32_t recordSize_ = 0;
};

}  // namespace wispel
