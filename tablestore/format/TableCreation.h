#pragma once
// Making a new table's data file from column definitions (doc/table_format.md, "Creating
// a table"): descriptors with their offsets, the record size, a header with no records.
// The index file is made by tablestore/index; a new table needs both.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/DateTime.h"
#include "tablestore/errors/StoreResult.h"
#include "tablestore/files/StoreFile.h"
#include "tablestore/format/ColumnDescriptor.h"
#include "tablestore/format/DataHeader.h"

namespace wispel {

// One column as its creator asks for it, in engine terms (the component layer maps its
// field types to these codes).
struct ColumnDefinition {
    std::string name;
    std::uint8_t type = 0;     // enginetype
    std::uint8_t subtype = 0;  // enginesubtype
    int size = 0;              // characters or bytes for text and byte types; decimals for BCD
    bool required = false;
};

// The descriptors and the header of a new, empty table. Codes: 9492 for no columns, more
// than 1024, a size out of range or a second auto-increment column; 10038 for a missing,
// invalid or repeated name; 10000 for a type without a stored form; 9498 for more than 64
// blob columns; 9477 for a record larger than 65535 bytes. `failedColumn` receives the
// 0-based position of the definition a field error names.
StoreResult buildTableLayout(const std::vector<ColumnDefinition>& definitions,
                             DataHeader& header, std::vector<ColumnDescriptor>& columns,
                             std::size_t& failedColumn);

// 9487 when the index definitions pass the limits: at most 30 secondary indexes (slot 31
// is the system index's) and at most 16 key columns in any index.
StoreResult checkIndexLimits(std::size_t secondaryIndexes, std::size_t mostKeyColumns);

// Creates (or empties) `path` and writes the new table's header and descriptors: a file of
// 127 + columns * 768 bytes, flushed to disk. `header` and `columns` receive what was
// written; `file` the open file (not shared) when the caller wants to keep it.
StoreResult createDataFile(StoreFileSystem& files, const std::string& path,
                           const std::vector<ColumnDefinition>& definitions, TDateTime now,
                           DataHeader& header, std::vector<ColumnDescriptor>& columns,
                           std::unique_ptr<StoreFile>& file, std::size_t& failedColumn);

}  // namespace wispel
