#pragma once
// The indexes of one table object: its index file (tablestore/index) and the key layout of
// every index with key columns. Key changes of an operation collect in memory and are
// written by writePending; a refused key (9729) or a failed write forgets all of them.
//
// *file must outlive this object.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tablestore/engine/CheckFindings.h"
#include "tablestore/filter/RecordsBitmap.h"
#include "tablestore/format/ColumnDescriptor.h"
#include "tablestore/index/IndexFile.h"
#include "tablestore/index/KeyForm.h"

namespace wispel {

// Calls the visitor with every record slot (number, image) of the data file.
using TSlotScan = std::function<StoreResult(
    const std::function<void(std::uint32_t, const std::uint8_t*)>& visit)>;

class TTableIndexes {
public:
    explicit TTableIndexes(StoreFile& file) : file_(file), index_(file) {}

    StoreResult open(const std::vector<ColumnDescriptor>& columns, std::uint32_t recordSize);
    StoreResult reread(bool& changed) { return index_.reread(changed); }
    StoreResult reread(const std::uint8_t* image, bool& changed) { return index_.reread(image, changed); }
    std::int32_t changeCounter() const { return index_.header().ChangeCounter; }
    std::uint32_t activeRecords() const { return index_.header().ActiveRecords; }
    void setActiveRecords(std::uint32_t count) { index_.setActiveRecords(count); }

    // The keys of a record added, removed or changed; `failedIndex` names the index that
    // refused a duplicate key (9729), and the indexes then hold the keys they held before,
    // whatever else waits to be written.
    StoreResult addRecord(std::uint32_t record, const std::uint8_t* image, std::string& failedIndex);
    StoreResult removeRecord(std::uint32_t record, const std::uint8_t* image);
    // A free slot taken again: the system index's key of the deleted record it held goes.
    StoreResult reuseSlot(const std::uint8_t* deletedImage);
    StoreResult changeRecord(std::uint32_t record, const std::uint8_t* before,
                             const std::uint8_t* after, std::string& failedIndex);
    StoreResult writePending() { return index_.writePending(); }
    std::size_t pendingPages() const { return index_.pages().pendingPages(); }
    void discardPending() { index_.discardPending(); }

    // The slot of the index named `name` (without regard to case; empty: the primary index),
    // or -1 for record-number order (the primary index without key columns); 10022 when
    // the table has no index of that name.
    StoreResult slotOf(const std::string& name, int& slot) const;
    // The key `image` has in the index of `slot`.
    void keyFor(int slot, const std::uint8_t* image, std::vector<std::uint8_t>& key) const;
    TIndexTree& tree(int slot) { return index_.tree(slot); }
    // See TIndexPageStore::setCachedOnly.
    void setCachedOnly(bool cachedOnly) { index_.pages().setCachedOnly(cachedOnly); }
    bool missedCache() const { return index_.pages().missed(); }
    std::uint16_t keyLength(int slot) const { return index_.keyLength(slot); }

    // The largest record ID the system index holds, active or deleted; 0 when it is empty.
    StoreResult largestRecordId(std::int32_t& id);

    // Marks in `active` (sized to the table's slots) the records the system index lists as
    // active; 8965 when it names a record outside the slots.
    StoreResult activeRecords(TRecordsBitmap& active);

    // Makes the index file again from the records: every index keeps its definition (or
    // takes those of `definitions`), loses its pages, and gets the keys of every record
    // `scan` visits. 9729 when a unique index meets a key twice; the file then holds no keys
    // and the caller makes it again.
    StoreResult rebuild(const TSlotScan& scan, const TIndexHeader* definitions = nullptr);
    const TIndexHeader& header() const { return index_.header(); }
    // The slot of the index whose leading key columns are `fields`, in that order (the
    // primary index first); -1 when none is.
    int slotForFields(const std::vector<std::uint16_t>& fields) const;
    // The key layout of a slot with key columns, or null.
    const TKeyLayout* layout(int slot) const;
    // The index file's invariants, and the system index against the records `scan` visits.
    void check(const TSlotScan& scan, TCheckFindings& findings);

private:
    struct Keyed {
        int slot;
        TKeyLayout layout;
    };
    StoreResult keyOf(const Keyed& index, const std::uint8_t* image, std::vector<std::uint8_t>& key);
    // The keys of `image` leave the first `count` keyed indexes again; `refusal` is the result.
    StoreResult takeBackKeys(const std::uint8_t* image, std::size_t count, StoreResult refusal);
    // The first `count` keyed indexes move the record's keys from `before` to `after`.
    StoreResult changeKeys(std::uint32_t record, const std::uint8_t* before,
                           const std::uint8_t* after, std::size_t count, std::string& failedIndex);

    StoreFile& file_;
    TIndexFile index_;
    std::vector<ColumnDescriptor> columns_;
    std::uint32_t recordSize_ = 0;
    std::vector<Keyed> keyed_;  // every index with key columns except the system index
};

}  // namespace wispel
