#pragma once
// Sizes and offsets of the index file (".IDX"). doc/table_format.md, section "Index file",
// has the byte tables these constants come from. All integers in the file are little-endian.

#include <cstddef>
#include <cstdint>

namespace wispel::indexlayout {

// The header and every page are one block of this size; page n sits at n * kPageSize.
constexpr std::uint32_t kPageSize = 4096;
constexpr std::uint8_t kFormatVersion = 4;

// Header.
constexpr std::size_t kHeaderChangeCounter = 0;   // 4
constexpr std::size_t kHeaderVersion = 8;         // 1
constexpr std::size_t kHeaderEndOfFile = 9;       // 4: where the next new page goes
constexpr std::size_t kHeaderSecondaryCount = 13; // 1
constexpr std::size_t kHeaderSlots = 14;          // 32 slots of kSlotSize
constexpr std::size_t kHeaderActiveRecords = 3974; // 4
constexpr std::size_t kHeaderNoKeyPrimary = 3978; // 1
constexpr std::size_t kHeaderChanged = 3979;      // 1

// The end of the used file may not reach this offset (the table is then full).
constexpr std::uint32_t kEndOfFileLimit = 2000000001u;

// Slots: 0 the primary index, 1 to 30 the secondary indexes, 31 the system index.
constexpr int kSlotCount = 32;
constexpr int kPrimarySlot = 0;
constexpr int kSystemSlot = 31;
constexpr int kMaxSecondary = 30;
constexpr std::size_t kSlotSize = 120;
constexpr std::size_t kSlotName = 0;            // short text of 30
constexpr std::size_t kSlotNameLength = 30;
constexpr std::size_t kSlotKeyLength = 31;      // 2
constexpr std::size_t kSlotColumnOptionsOff = 33; // 1
constexpr std::size_t kSlotCaseInsensitive = 34;  // 1
constexpr std::size_t kSlotUnique = 35;         // 1
constexpr std::size_t kSlotCompression = 36;    // 1
constexpr std::size_t kSlotColumnCount = 37;    // 1
constexpr std::size_t kSlotColumnOptions = 38;  // 16
constexpr std::size_t kSlotFieldNumbers = 54;   // 16 x 2
constexpr std::size_t kSlotRoot = 86;           // 4
constexpr std::size_t kSlotFreeHead = 90;       // 4

constexpr int kMaxKeyColumns = 16;
constexpr std::uint16_t kMaxKeyLength = 524;
constexpr std::uint16_t kSystemKeyLength = 5;
constexpr const char* kSystemIndexName = "Sys Deleted";
// Bytes of a record ID in key form, appended to every key of an index that is not unique.
constexpr std::uint16_t kRecordIdKeyBytes = 4;

// Page header.
constexpr std::size_t kPageKind = 0;        // 1
constexpr std::size_t kPageCount = 1;       // 2
constexpr std::size_t kPagePrev = 3;        // 4
constexpr std::size_t kPageNext = 7;        // 4: also the free-page chain's link
constexpr std::size_t kPageUsedBytes = 11;  // 2: compressed leaf pages only
constexpr std::size_t kPageHeaderSize = 13;
constexpr std::size_t kEntrySpace = kPageSize - kPageHeaderSize;  // 4083

// Page kinds: below kLeafBelowRoot a branch page, from it on a leaf page.
enum PageKind : std::uint8_t {
    kBranchRoot = 0,
    kBranchBelowRoot = 1,
    kLeafBelowRoot = 2,
    kLeafRoot = 3,
};

// Leaf key compression (slot byte 36).
enum Compression : std::uint8_t {
    kCompressNone = 0,
    kCompressLeading = 1,
    kCompressTrailing = 2,
    kCompressBoth = 3,
};

// Entries of an uncompressed page: key, then a 4-byte record number (leaf) or a 4-byte child
// offset and a 4-byte record count (branch).
constexpr std::size_t leafCapacity(std::size_t keyLength) { return kEntrySpace / (keyLength + 6); }
constexpr std::size_t branchCapacity(std::size_t keyLength) {
    return kEntrySpace / (keyLength + 10);
}

}  // namespace wispel::indexlayout
