#pragma once
// Index definitions of a new table: the primary index with key columns, or a secondary
// index, added to the header of an index file that holds no keys yet. Text compared without
// regard to case sets the slot's option byte 34, a descending key column its byte in 38 to
// 53; the other option bytes stay zero.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "tablestore/errors/StoreResult.h"
#include "tablestore/format/ColumnDescriptor.h"
#include "tablestore/index/IndexHeader.h"

namespace wispel {

struct TIndexDefinition {
    std::string Name;                         // empty for the primary index
    std::vector<std::uint16_t> FieldNumbers;  // 1-based, 1 to 16 of them
    bool Unique = false;
    std::uint8_t Compression = indexlayout::kCompressNone;
    bool CaseInsensitive = false;
    std::vector<bool> Descending{};  // per key column; missing ones ascend
};

// Fills the primary slot (clearing the no-key flag) or the next secondary slot. Errors:
// 9487 no key column, more than 16, a 31st secondary index or an unknown compression; 10023
// a field number that names no column; 12292 a blob or computed column; 10026 a key longer
// than 524 bytes; 9993 a second primary index; 10022 a secondary index
// with an invalid name, 10027 one whose name is taken.
StoreResult addIndexDefinition(TIndexHeader& header, const TIndexDefinition& definition,
                               std::span<const ColumnDescriptor> columns);

// A secondary index name: 1 to 30 bytes, a letter or underscore first, no control characters.
bool validIndexName(const std::string& name);

}  // namespace wispel
