#pragma once
// Record slots and record IDs (doc/table_format.md, "Free-record chain" and "Record IDs"):
// the steps of an insert and a delete on the header and a record image, without any I/O,
// so that the caller reads and writes the slot and the header in the order it chooses.
//
// Insert: chooseRecordSlot; when the slot is the chain head, load that record and pass it
// to takeRecordSlot (its link becomes the new head); initRecordSlot with takeRecordId;
// write the record, then the header.
// Delete: freeRecordSlot on the record's image; write the record, then the header.

#include <cstdint>

#include "tablestore/errors/StoreResult.h"
#include "tablestore/files/StoreFile.h"
#include "tablestore/format/DataHeader.h"
#include "tablestore/format/RecordValues.h"

namespace wispel {

constexpr std::uint32_t kMaxRecordNumber = 100000000;   // new number + 1 may not exceed it
constexpr std::uint64_t kMaxRecordAreaBytes = 2000000001;  // number * size stays below it

// The slot the next insert takes: the chain head, else the next new record number; 9479
// when a new number would pass the table's limits.
StoreResult chooseRecordSlot(const DataHeader& header, std::uint32_t& slot);

// Takes `slot` (as chosen) for a new record. When it is the chain head, `slotOnFile` is its
// current image: it must be a deleted record whose link is 0 or another slot (else 8962).
StoreResult takeRecordSlot(DataHeader& header, std::uint32_t slot, const RecordImage& slotOnFile);

// The next record ID: the header's last value plus one, 1 after 2147483647.
std::int32_t takeRecordId(DataHeader& header);
// A row posted with its own ID moves the counter up to it (never down).
void noteRecordId(DataHeader& header, std::int32_t recordId);

// Clears `record` to the header's record size: status active, its own number, `recordId`.
void initRecordSlot(const DataHeader& header, RecordImage& record, std::uint32_t slot,
                    std::int32_t recordId);

// Marks the record at `slot` deleted and makes it the chain head.
void freeRecordSlot(DataHeader& header, RecordImage& record, std::uint32_t slot);

// Walks the whole free-record chain reading the 5 bytes of status and link of each record:
// every member must be a deleted record inside the file, and the walk ends within the
// number of slots (a chain that loops gives 8962). `length` receives the chain's length.
StoreResult checkFreeChain(StoreFile& file, const DataHeader& header, std::uint32_t& length);

}  // namespace wispel
