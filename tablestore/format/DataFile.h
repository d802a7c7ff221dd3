#pragma once
// Reading and writing the parts of a table's data file through the file interface: the
// header, the column descriptors and single records, each at its own offset, so that the
// caller chooses the order of its writes. Nothing is cached here.

#include <cstdint>
#include <vector>

#include "core/DateTime.h"
#include "tablestore/errors/StoreResult.h"
#include "tablestore/files/StoreFile.h"
#include "tablestore/format/ColumnDescriptor.h"
#include "tablestore/format/DataHeader.h"
#include "tablestore/format/RecordValues.h"

namespace wispel {

// The open path: reads the header, checks it against the file's length before reading the
// descriptors, then checks the descriptors (DataFileChecks.h). A file shorter than its
// header gives 8961.
StoreResult loadDataFile(StoreFile& file, DataHeader& header,
                         std::vector<ColumnDescriptor>& columns);

// The same checks against a length the file is about to have (a repair that cuts it).
StoreResult loadDataFileOfLength(StoreFile& file, std::uint64_t length, DataHeader& header,
                                 std::vector<ColumnDescriptor>& columns);

// Re-reads the header image alone (to see another writer's changes) and checks it against
// the file's current length.
StoreResult loadDataHeader(StoreFile& file, DataHeader& header);

// A header write: the change counter goes up by one, the time of the write (`now`, a day
// count) and the engine version are stamped, and the whole image goes to offset 0.
// `header` keeps the values written.
StoreResult saveDataHeader(StoreFile& file, DataHeader& header, bool changed, TDateTime now);
StoreResult saveDataHeader(StoreFile& file, DataHeader& header, bool changed);

StoreResult saveColumnDescriptors(StoreFile& file, const std::vector<ColumnDescriptor>& columns);

// Record n, counted from 1, of the record size bytes. A number outside the file's slots,
// or a slot the file does not hold in full, gives 8962. Saving also takes the slot just
// after the last one (header.nextRecordNumber), where an insert appends.
StoreResult loadRecord(StoreFile& file, const DataHeader& header, std::uint32_t n,
                       RecordImage& record);
StoreResult saveRecord(StoreFile& file, const DataHeader& header, std::uint32_t n,
                       const RecordImage& record);

}  // namespace wispel
