#pragma once
// The index file header as a plain value (4096 bytes on disk; doc/table_format.md, "Index
// file header"), its checks on open, and the header of a new index file.

#include <array>
#include <cstdint>
#include <span>

#include "tablestore/errors/StoreResult.h"
#include "tablestore/index/IndexLayout.h"
#include "tablestore/index/IndexSlot.h"
#include "tablestore/index/KeyForm.h"

namespace wispel {

struct TIndexHeader {
    std::int32_t ChangeCounter = 0;   // incremented at every header write
    std::uint32_t EndOfFile = indexlayout::kPageSize;  // where the next new page goes
    std::uint8_t SecondaryCount = 0;  // secondary indexes, in slots 1 onward
    std::array<TIndexSlot, indexlayout::kSlotCount> Slots;
    std::uint32_t ActiveRecords = 0;  // active records of the table
    bool NoKeyPrimary = false;        // the primary index has no key columns

    TIndexSlot& systemSlot() { return Slots[indexlayout::kSystemSlot]; }
    const TIndexSlot& systemSlot() const { return Slots[indexlayout::kSystemSlot]; }
    // Slots that hold an index with keys: the primary one when it has key columns, the
    // secondary ones and the system index.
    bool slotHoldsKeys(int slot) const;
    bool operator==(const TIndexHeader&) const = default;
};

// Reads a header image: 12035 when its version is not 4, 8961 when a slot cannot be read.
StoreResult decodeIndexHeader(const std::uint8_t* image, TIndexHeader& header);
// Writes the header image; `changed` goes to the byte that says the header was written
// because something in it changed. The change counter is written as it stands.
void encodeIndexHeader(const TIndexHeader& header, bool changed, std::uint8_t* image);

// The checks on open, 8961 when one fails: secondary indexes at most 30 with valid, unique
// names; the system index's definition; key columns that exist in `columns` (field number n
// is columns[n - 1]) and are not blob columns, at most 16, and a key length that matches them
// and is at most 524; a primary index with key columns or the no-key flag set; the end of the
// used file a page boundary within the file's size and below the limit; root and free-chain
// offsets 0 or pages below the end of the used file.
StoreResult checkIndexHeader(const TIndexHeader& header, std::uint64_t fileSize,
                             std::span<const ColumnDescriptor> columns, std::uint32_t recordSize);

// The header of a new index file: the system index, and a primary index without key columns.
TIndexHeader newIndexHeader();

// True for 0 or the offset of a page before `endOfFile`.
bool validPageOffset(std::uint32_t offset, std::uint32_t endOfFile);

}  // namespace wispel
