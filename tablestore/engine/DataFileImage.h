#pragma once
// The parts of the data file (".DAT") the engine reads and writes: its 127-byte header,
// the 768-byte column descriptors and the record slots. doc/table_format.md, "Data file",
// has the byte tables.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tablestore/errors/StoreResult.h"

namespace wispel {


namespace datafile {
constexpr std::uint32_t kHeaderSize = 127;
constexpr std::uint32_t kDescriptorSize = 768;
constexpr std::uint8_t kVersion = 4;
// Header.
constexpr int kCounter = 0, kVersionAt = 8, kFreeHead = 9, kNextRecord = 13, kLastAutoInc = 17,
              kRecordSize = 21, kColumnCount = 23, kBlobCount = 25, kWriteTime = 27,
              kDescription = 35, kEnciphered = 86, kLanguage = 103, kSortID = 105,
              kCreator1 = 107, kCreator2 = 109, kChangedFlag = 111, kBlobCounter = 112,
              kEngineVersion = 116;
// Record.
constexpr int kStatus = 0, kLink = 1, kRecordId = 5;
// Limits of a growing table.
constexpr std::uint32_t kMaxRecordNumber = 100000000;
constexpr std::uint64_t kMaxDataBytes = 2000000001;
}  // namespace datafile

// The decoded header fields the engine changes; the image keeps everything else as read.
struct TDataHeader {
    std::array<std::uint8_t, datafile::kHeaderSize> image{};

    std::int32_t counter() const;
    std::uint32_t freeHead() const;
    std::uint32_t nextRecord() const;
    std::uint32_t lastAutoInc() const;
    std::uint16_t recordSize() const;
    std::uint16_t columnCount() const;
    std::uint16_t languageID() const;
    void setFreeHead(std::uint32_t record);
    void setNextRecord(std::uint32_t record);
    void setLastAutoInc(std::uint32_t value);
    // Counter + 1, the time, the version value and the changed flag, before a write.
    void prepareWrite(bool changed);

    std::uint32_t slotCount() const { return nextRecord() - 1; }
    std::uint64_t recordsOffset() const {
        return datafile::kHeaderSize + std::uint64_t(columnCount()) * datafile::kDescriptorSize;
    }
    std::uint64_t recordOffset(std::uint32_t record) const {
        return recordsOffset() + std::uint64_t(record - 1) * recordSize();
    }
};

// The record ID after `last`, wrapping after 2147483647 to 1.
std::uint32_t nextRecordId(std::uint32_t last);

}  // namespace wispel
