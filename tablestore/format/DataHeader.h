#pragma once
// The 127-byte header at the start of a table's data file (doc/table_format.md, "Data file
// header"), as a plain value, and where everything else in the data file lies.
//
// Data file: header | column descriptors (768 bytes each) | records (record size each).
// Its length is always 127 + columns * 768 + (next record number - 1) * record size.

#include <cstddef>
#include <cstdint>
#include <string>

namespace wispel {

constexpr std::size_t kDataHeaderSize = 127;
constexpr std::uint8_t kFormatVersion = 4;                // every file of a table
constexpr std::int64_t kEngineVersionValue = 20800;       // 2.08 in ten-thousandths
constexpr std::uint16_t kRecordHeaderSize = 9;  // status, link, record ID
constexpr std::uint16_t kMaxColumns = 1024;
constexpr std::uint16_t kMaxBlobColumns = 64;
constexpr std::size_t kMaxTableDescriptionLength = 50;
constexpr std::size_t kMaxPasswordCheckLength = 15;
// The header's time is the day count minus this (see writeDataHeader).
constexpr double kHeaderTimeDelta = 693594.0;

struct DataHeader {
    std::int32_t changeCounter = 0;    // +1 at every header write (wrapping)
    std::uint32_t blobBlockSize = 0;   // 0 means 512
    std::uint8_t version = kFormatVersion;
    std::uint32_t freeChainHead = 0;   // first deleted record, 0 when there is none
    std::uint32_t nextRecordNumber = 1;  // record slots in the file + 1
    std::int32_t lastAutoInc = 0;      // last record ID handed out
    std::uint16_t recordSize = 0;
    std::uint16_t columnCount = 0;
    std::uint16_t blobColumnCount = 0;
    double writeTime = 0;              // day count of the last write minus 693594
    std::string description;           // at most 50 bytes
    bool enciphered = false;
    std::string passwordCheck;         // at most 15 bytes; empty when not enciphered
    std::uint16_t languageId = 0;      // 0: none (byte order, US English case mapping)
    std::uint16_t sortId = 0;
    std::uint16_t creatorValue1 = 1;   // reported, not interpreted
    std::uint16_t creatorValue2 = 0;
    bool changed = false;              // written as 1 when the header changed; ignored on read
    std::int32_t blobWriteCounter = 0;  // advanced whenever blob data is written
    std::int64_t engineVersion = kEngineVersionValue;

    bool operator==(const DataHeader&) const = default;
};

DataHeader readDataHeader(const unsigned char* bytes);
void writeDataHeader(const DataHeader& header, unsigned char* bytes);

// Where things lie in the data file of a table with this header.
inline std::uint64_t columnDescriptorOffset(std::uint16_t fieldNumber) {
    return kDataHeaderSize + (fieldNumber - 1u) * std::uint64_t{768};
}
inline std::uint64_t recordAreaOffset(const DataHeader& header) {
    return kDataHeaderSize + header.columnCount * std::uint64_t{768};
}
// Record n counts from 1.
inline std::uint64_t recordOffset(const DataHeader& header, std::uint32_t n) {
    return recordAreaOffset(header) + (n - std::uint64_t{1}) * header.recordSize;
}
// The length the file must have.
inline std::uint64_t dataFileLength(const DataHeader& header) {
    return recordOffset(header, header.nextRecordNumber);
}
inline std::uint32_t recordSlotCount(const DataHeader& header) {
    return header.nextRecordNumber - 1;
}

// The record ID and blob counters wrap: after 2147483647 (or from a damaged negative value)
// the next value is 1.
std::int32_t nextCounterValue(std::int32_t value);
// The change counter only has to differ from its last value; it wraps through the negatives.
std::int32_t nextChangeCounter(std::int32_t value);

}  // namespace wispel
