#pragma once
// The checks a table's data file passes when the table is opened (doc/table_format.md,
// "Checks on open"). Each returns 0 or the code of the first check that fails: 12035 for a
// version other than 4, 15878 for a language ID without a locale, 10498 for an enciphered
// table (their cipher is not ours to read), 8961 for everything else.

#include <cstdint>
#include <string_view>
#include <vector>

#include "tablestore/errors/StoreResult.h"
#include "tablestore/format/ColumnDescriptor.h"
#include "tablestore/format/DataHeader.h"

namespace wispel {

// The header alone, against the file's real length: counts, sizes and the free-chain head.
// Passing it means the descriptors lie inside the file and may be read.
StoreResult checkDataHeader(const DataHeader& header, std::uint64_t fileLength);

// The raw 768 bytes of a descriptor: short texts whose length byte exceeds their room.
StoreResult checkColumnDescriptorBytes(const unsigned char* bytes);

// The descriptors against each other and the header: positions, names, types, sizes,
// offsets from 9 in field order (5 for the auto-increment column) and the record size.
StoreResult checkColumns(const DataHeader& header, const std::vector<ColumnDescriptor>& columns);

// Whether a minimum, maximum or default text can be read as a value of `type`.
bool validValueText(std::uint8_t type, std::string_view text);

// 0, or a language ID whose primary language and sublanguage lie in the ranges locales use.
bool knownLanguageId(std::uint16_t languageId);

}  // namespace wispel
