#pragma once
// One index definition as the index file header keeps it (120 bytes; doc/table_format.md,
// "Index slot"). Option bytes are kept exactly as read so that writing the header back
// carries them unchanged; indexes made here leave them zero.

#include <array>
#include <cstdint>
#include <string>

namespace wispel {

struct TIndexSlot {
    std::string Name;                 // empty for the primary index
    std::uint16_t KeyLength = 0;      // bytes of every key; 0 while the slot is unused
    std::uint8_t ColumnOptionsOff = 0;  // non-zero: the per-column options are ignored
    std::uint8_t CaseInsensitive = 0;   // non-zero: text keys are mapped to upper case
    bool Unique = false;              // no record ID appended to the keys
    std::uint8_t Compression = 0;     // indexlayout::Compression, leaf pages only
    std::uint8_t ColumnCount = 0;     // at most 16
    std::array<std::uint8_t, 16> ColumnOptions{};  // non-zero: that column descends
    std::array<std::uint16_t, 16> FieldNumbers{};  // 1-based field numbers of the key columns
    std::uint32_t Root = 0;           // offset of the root page; 0 when the index is empty
    std::uint32_t FreeHead = 0;       // first page of this index's free-page chain, or 0

    bool used() const { return KeyLength != 0; }
    bool descending(int column) const {
        return ColumnOptionsOff == 0 && ColumnOptions[column] != 0;
    }
    bool operator==(const TIndexSlot&) const = default;
};

// Reads a slot from its 120 bytes; false when the name's length byte is beyond 30.
bool decodeIndexSlot(const std::uint8_t* bytes, TIndexSlot& slot);
// Writes the slot's 120 bytes; reserved bytes become zero.
void encodeIndexSlot(const TIndexSlot& slot, std::uint8_t* bytes);

// The slot of the system index: key of 5 bytes (status, record ID), unique, no columns.
TIndexSlot systemIndexSlot();

}  // namespace wispel
