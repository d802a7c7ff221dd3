#pragma once
// Keys of records in an index (doc/table_format.md, "Keys"). A key is, for each key column,
// a byte 1 (value) or 0 (no value) and the value's key form in the column's stored width,
// then, unless the index is unique, the record ID in key form. Key forms are chosen so that
// keys compare as unsigned byte strings in the order of their values.

#include <cstdint>
#include <span>
#include <vector>

#include "tablestore/errors/StoreResult.h"
#include "tablestore/format/ColumnDescriptor.h"
#include "tablestore/index/IndexSlot.h"

namespace wispel {

// One key column as the key builder walks it.
struct TKeyPart {
    std::uint8_t EngineType = 0;
    std::uint8_t Width = 0;
    std::uint16_t Offset = 0;   // of the null byte in the record
    bool AutoIncrement = false; // value in the record header, always present
    bool Descending = false;
};

// How the keys of one index with key columns are made from record images (the system
// index's keys come from buildSystemKey).
struct TKeyLayout {
    std::vector<TKeyPart> Parts;
    std::uint16_t KeyLength = 0;
    bool Unique = false;
    bool CaseInsensitive = false;
};

// The key layout of `slot` over the table's columns (field number n is columns[n - 1]).
// 8961 when a key column does not exist, is a blob column, lies outside the record, or the
// slot's key length differs from the one its columns give.
StoreResult makeKeyLayout(const TIndexSlot& slot, std::span<const ColumnDescriptor> columns,
                          std::uint32_t recordSize, TKeyLayout& layout);

// The key of `record` (a record image of the size the layout was made for) into `key`
// (layout.KeyLength bytes).
void buildKey(const TKeyLayout& layout, const std::uint8_t* record, std::uint8_t* key);

// The system index's key: status byte (0 active, 1 deleted), then the record ID in key form.
void buildSystemKey(std::uint8_t status, std::int32_t recordId, std::uint8_t* key);
// The record ID a system index key holds.
std::int32_t systemKeyRecordId(const std::uint8_t* key);

// One value's key form from its stored bytes (little-endian as in the record).
void appendKeyForm(std::uint8_t engineType, const std::uint8_t* stored, std::uint8_t width,
                   bool caseInsensitive, std::uint8_t* out);

}  // namespace wispel
