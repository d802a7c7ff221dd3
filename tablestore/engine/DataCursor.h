#pragma once
// A cursor: one dataset's view of a shared table object. It keeps a position, its set of
// visible records (the active records, narrowed by every attached filter) and the table's
// generation it was built for; at the start of each operation a changed generation makes it
// rebuild the set and re-evaluate its filters, so it sees what other cursors and other
// processes did.
//
// Rows are visited in record-number order (the order of the record slots) when the current
// index is the primary index without key columns, as in the tables made without index
// definitions; otherwise in the order of the current index's keys.
//
// Ownership: the component owns its cursor; the cursor is one user of its table object from
// open to close, and owns its filters (tablestore/filter) from createFilter to freeFilter
// or close.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tablestore/engine/DataDirectory.h"
#include "tablestore/engine/DataTable.h"
#include "tablestore/filter/FilterList.h"
#include "tablestore/filter/FilterRecordSource.h"
#include "tablestore/filter/RecordsBitmap.h"
#include "tablestore/index/IndexTree.h"

namespace wispel {

class TDataCursor : private TFilterRecordSource {
public:
    explicit TDataCursor(TDataDirectory& directory);
    ~TDataCursor();
    TDataCursor(const TDataCursor&) = delete;
    TDataCursor& operator=(const TDataCursor&) = delete;

    // Attaches to the table object (opening it when this is its first cursor) and goes
    // before the first record. A failure names the file or the table it is about.
    StoreStatus open(const std::string& tableName, const TTableOpenOptions& options);
    void close();
    TDataTable& table() const noexcept { return *table_; }
    bool readOnly() const noexcept { return table_->readOnly(); }

    // The start of every operation: change detection (strict or not) and, when the table
    // changed, the record set rebuilt.
    StoreStatus beginOperation();

    void first();
    void last();
    // The index whose key order navigation follows: a slot, or -1 for record-number order.
    // A range set on another index is dropped.
    StoreStatus setOrder(int slot);
    int order() const noexcept { return order_; }

    // Key searches and ranges in the current index (order() >= 0). A key here is a prefix
    // of the index's keys: the key forms of its first columns (tablestore/index/KeyForm.h),
    // compared over its own length.
    //
    // The record set shrinks to the records whose key lies between `low` and `high` (an
    // empty bound is open); filters then work within it. 8709 without a current index.
    StoreStatus setRange(std::vector<std::uint8_t> low, std::vector<std::uint8_t> high);
    StoreStatus cancelRange();
    bool hasRange() const noexcept { return rangeSlot_ >= 0; }
    // Goes to the first visible record whose key is not below `key`; `exact` tells whether
    // its key starts with `key`. 8706 when there is none, 8710 when `requireExact` and its
    // key does not start with `key`; the position is then kept.
    StoreStatus seekKey(const std::vector<std::uint8_t>& key, bool requireExact, bool& exact);

    StoreStatus next();   // 8706 past the end
    StoreStatus prior();  // 8705 before the start
    // The current record's image: 8705 / 8706 at either end, 8710 when it is gone.
    StoreStatus current(std::uint8_t* image);
    bool atBeginning() const noexcept { return beforeFirst_; }
    bool atEnd() const noexcept { return afterLast_; }
    std::uint32_t recordNumber() const noexcept { return position_; }
    // Positions on `record`; 8710 when it is not visible.
    StoreStatus gotoRecord(std::uint32_t record);
    std::uint32_t recordCount() const { return visible_.count(); }
    bool isVisible(std::uint32_t record) const { return visible_.contains(record); }

    // Editing begins: the current record is locked and read again; 8708 (lock released)
    // when it differs from `asSeen`, 10258 when another user holds it.
    StoreStatus lockCurrent(const std::uint8_t* asSeen);
    StoreStatus releaseLock();
    // The new record becomes current; `blobs` are the row's blob values (DataTable.h).
    StoreStatus insert(std::uint8_t* image, const TBlobValues& blobs = {});
    StoreStatus modify(std::uint8_t* image, const std::uint8_t* asRead, const TBlobValues& blobs = {});
    StoreStatus remove(const std::uint8_t* asSeen);
    // Headers read again under a read lock, the record set rebuilt when they changed.
    StoreStatus refresh();

    // The value of blob column `column` in `image` (TDataTable::readBlob). A value that must
    // come from the file brings, under the same read lock, the values of the rows that follow
    // in the cursor's order into the table's cache: those of `column` and of the other blob
    // columns read at this row or the one before, neighbouring ones in one read. So a walk
    // that reads a memo or two of every row takes the lock and reads the blob file once for a
    // run of rows rather than for each value.
    // `atHand`, when given, says whether the value needed no read of the file.
    StoreStatus readBlob(const std::uint8_t* image, const ColumnDescriptor& column,
                         std::string& value, bool* atHand = nullptr);

    // Filters: 9482 beyond 64; 10050 for a handle this cursor does not hold. Attaching
    // evaluates the filter over the table and narrows the visible set from then on.
    StoreStatus createFilter(std::unique_ptr<TFilter> filter, TFilterHandle& handle);
    StoreStatus attachFilter(TFilterHandle handle);
    StoreStatus detachFilter(TFilterHandle handle);
    StoreStatus freeFilter(TFilterHandle handle);
    bool filtered() const { return filters_.anyAttached(); }
    // Whether one record passes the filter, attached or not.
    bool passes(TFilterHandle handle, std::uint32_t record, const std::uint8_t* image);

private:
    StoreStatus rebuild();
    // recordSet_ from the table's active records and the range.
    StoreStatus buildRecordSet();
    bool inRange(const std::uint8_t* image) const;
    // Where a walk in the current index begins: at the range's first or last key when the
    // range is on that index, so that the keys outside it are never walked.
    StoreResult rangeEdge(bool forward, TIndexTree& tree, TIndexPosition& at) const;
    // Whether `key` lies beyond the range in the walk's direction: no visible record follows.
    bool pastRange(const std::uint8_t* key, bool forward) const;
    bool readMemo(const ColumnDescriptor& column, const std::uint8_t* image,
                  std::string& text) override;
    bool indexCandidates(const std::vector<IndexCondition>& conditions, std::uint32_t size,
                         TRecordsBitmap& candidates, bool& exact) override;
    // The records of one condition, from an index that has its column first; false when
    // no index can answer it.
    bool answerFromIndex(const IndexCondition& condition, std::uint32_t size, TRecordsBitmap& hits);
    int indexLeadingWith(const ColumnDescriptor& column) const;
    // Follows the table to its current generation: record by record when only cursors of
    // this table object changed known records since, else by a rebuild.
    StoreStatus catchUp();
    // The visible set from the filters' bitmaps as they stand, after one was attached,
    // detached or freed.
    StoreStatus recombine();
    // One step in the current index's key order to the next visible record.
    StoreStatus stepInIndex(bool forward, std::uint32_t& found);
    // The step itself, from the position it starts at to the entry of `found` (0 past the
    // end); it changes nothing of the cursor.
    StoreStatus findStep(bool forward, TIndexPosition& at, std::uint32_t& found);
    // Runs `search` (which sets `found`, and changes nothing else of the cursor) on the
    // index pages and records at hand, without a lock, and again under the read lock when
    // they do not suffice: a page is not cached, or the record found is not. Under the lock
    // the record found comes into the cache, so that reading it takes no lock of its own.
    // Walks and look-ups over what was read before so cost no lock at all; what they show
    // is the table as this object last saw it, as with every cached record.
    StoreStatus readIndex(const std::function<StoreStatus()>& search, const std::uint32_t& found);
    StoreResult readRecord(std::uint32_t recordNo, const std::uint8_t*& image) override;
    // The records a read ahead should keep: the visible ones when a filter or range leaves
    // only a part of the table, else null (all of them).
    const TRecordsBitmap* sparseWanted() const;
    // The filters pass up only the code of a failed read; this keeps what it was about.
    StoreStatus filterOutcome(StoreResult result);
    // A walk in record order over a part of the table reads cache places far apart: the
    // memory of the visible records a few steps after `found` is asked for now, so that it
    // has arrived when the walk gets there.
    void prefetchAhead(std::uint32_t found);

    TDataDirectory& directory_;
    TDataTable* table_ = nullptr;  // shared; released in close()
    TRecordsBitmap recordSet_;  // the active records, within the range when one is set
    TRecordsBitmap visible_;    // the record set narrowed by every attached filter
    int rangeSlot_ = -1;        // the index of the range, -1 when there is none
    std::vector<std::uint8_t> rangeLow_, rangeHigh_;
    std::uint64_t generation_ = 0;
    std::uint32_t position_ = 0;
    bool beforeFirst_ = true;
    bool afterLast_ = false;
    std::uint32_t locked_ = 0;  // record locked for an edit, 0 none
    int order_ = -1;            // slot of the current index, -1 record-number order
    // Where the current record's entry was last found in the current index, valid while the
    // table stays at that generation: the next step goes on from there, without a descent.
    struct IndexPlace {
        TIndexPosition at;
        std::uint32_t record = 0;
        int slot = -1;
        std::uint64_t generation = 0;
    } place_;
    void remember(const TIndexPosition& at, std::uint32_t record);
    // During readIndex's attempt without a lock: the files are not to be read, and a
    // search that would read them says so.
    bool cachedOnly_ = false;
    // Under a read lock: the value of `column` in `image` and those of the rows after the
    // current one, to be read together.
    std::vector<BlobReference> blobsAhead(const std::uint8_t* image, const ColumnDescriptor& column);
    void noteBlobAsked(const ColumnDescriptor& column);
    // `column` and the other blob columns read at this row or the one before, `column` first.
    std::vector<const ColumnDescriptor*> blobColumnsInUse(const ColumnDescriptor& column);
    // Steps taken by next() and prior(); by column: 1 + the step at which a blob column was
    // last read, 0 never.
    std::uint64_t steps_ = 0;
    std::vector<std::uint64_t> blobAsked_;
    // The record the last step went to: only a walk reads the rows ahead, not a key search.
    std::uint32_t steppedTo_ = 0;
    bool cacheMissed_ = false;
    std::vector<std::uint8_t> keyScratch_;
    TFilterList filters_;
    std::vector<TFilterHandle> attached_;  // the attached filters' handles
    // The visible set was brought up to date record by record, past the filters' bitmaps,
    // which are then evaluated anew before they are combined again.
    bool bitmapsStale_ = false;
    // Records read ahead for the filters: `runCount_` records from `runFirst_` on, valid for
    // the table's generation `runGeneration_`.
    std::vector<std::uint8_t> run_;
    std::uint32_t runFirst_ = 0, runCount_ = 0;
    std::uint64_t runGeneration_ = 0;
    StoreStatus filterReadFailure_;  // the last failed read of readRecord, until passed up
    // The last record prefetchAhead asked for, and the step it was asked at.
    std::uint32_t aheadTo_ = 0, aheadFrom_ = 0;
};

}  // namespace wispel
