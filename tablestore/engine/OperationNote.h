#pragma once
// The note an insert, modify or delete leaves in the index file while it writes, so that a
// process killed in the middle leaves enough behind for the next one to repair the table.
// It lives in reserved bytes of the index file header (doc/table_format.md, "Crash
// safety"), which every header write clears; a reader that follows the format ignores it.
//
//   3980  1  kind: 0 none, 1 insert, 2 modify, 3 delete, 4 a run of appending inserts
//   3981  4  the record slot
//   3985  4  insert into a free slot: the slot's link in the free-record chain before
//   3989  4  the data header's change counter before the operation

#include <cstdint>

#include "tablestore/files/StoreFile.h"
#include "tablestore/format/DataHeader.h"
#include "tablestore/format/RecordValues.h"

namespace wispel {

// appendRun: inserts under a write lock held across them that append slots one after
// another, noted once at the first (its slot; the data header waits until the run ends).
enum class TPendingKind : std::uint8_t { none = 0, insert = 1, modify = 2, remove = 3, appendRun = 4 };

struct TPendingOperation {
    TPendingKind kind = TPendingKind::none;
    std::uint32_t record = 0;
    std::uint32_t link = 0;
    std::int32_t dataCounter = 0;
};

StoreResult readOperationNote(StoreFile& index, TPendingOperation& operation);
// The note in an index file header image (at least kOperationNoteEnd bytes).
constexpr std::size_t kOperationNoteEnd = 3993;
TPendingOperation decodeOperationNote(const unsigned char* indexHeader);
// Writes the note; a note of kind none clears it.
StoreResult writeOperationNote(StoreFile& index, const TPendingOperation& operation);

// What a note found on file asks of the data file. The note is held against the data header
// on file, the data file's length and the record header of the noted slot (null when the
// file does not hold it whole), and only a state that the noted operation, or its roll-back,
// can have left is repaired; anything else is damage the note does not explain:
//   refuse  the note does not fit: nothing is applied and the table is refused (8961);
//   undo    the data header is as before the operation: the slot is put back, and an insert
//           that appended has its slot (whole or in part) cut off;
//   keep    the data header already holds the whole operation;
//   adopt   a run of appending inserts whose data header was not written: the slots past
//           the counted ones that hold their own numbers are the run's inserts and are
//           counted in, a slot written in part is cut off.
enum class TNoteRepair : std::uint8_t { refuse, undo, keep, adopt };
TNoteRepair judgeOperationNote(const TPendingOperation& note, const DataHeader& header,
                               std::uint64_t fileLength, const RecordHeader* slot);

}  // namespace wispel
