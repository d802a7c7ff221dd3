#pragma once
// The values of a record image (doc/table_format.md, "Records" and "Value encodings"). A
// record image is the table's record size bytes: the 9-byte record header, then for every
// stored column a null byte (1: holds a value, 0: none) and its value bytes at the column's
// offset. Every accessor assumes the image is at least the record size that the column's
// descriptor was checked against when the table was opened.
//
// A value without its null byte set has all its bytes zero; the setters keep it so.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/DateTime.h"
#include "tablestore/format/ColumnDescriptor.h"
#include "tablestore/format/DataHeader.h"

namespace wispel {

using RecordImage = std::vector<unsigned char>;

// The record header: status, link or own number, record ID.
namespace recordstatus {
constexpr std::uint8_t kActive = 0;
constexpr std::uint8_t kDeleted = 1;
}  // namespace recordstatus

struct RecordHeader {
    std::uint8_t status = recordstatus::kActive;
    std::uint32_t link = 0;      // active: its own record number; deleted: next free record
    std::int32_t recordId = 0;   // the auto-increment value given at creation
    bool operator==(const RecordHeader&) const = default;
};

RecordHeader readRecordHeader(const unsigned char* record);
void writeRecordHeader(const RecordHeader& header, unsigned char* record);

// Whether the column holds a value; the auto-increment column always does.
bool hasValue(const unsigned char* record, const ColumnDescriptor& column);
// The value bytes (column.width of them; 4 for the auto-increment column).
const unsigned char* valueBytes(const unsigned char* record, const ColumnDescriptor& column);

// Readers by encoding; a column without a value reads as empty, zero or false.
std::string_view textValue(const unsigned char* record, const ColumnDescriptor& column);
std::int16_t int16Value(const unsigned char* record, const ColumnDescriptor& column);
std::uint16_t uint16Value(const unsigned char* record, const ColumnDescriptor& column);
// Integer, auto-increment, date (day count) and time (milliseconds) columns.
std::int32_t int32Value(const unsigned char* record, const ColumnDescriptor& column);
std::uint32_t uint32Value(const unsigned char* record, const ColumnDescriptor& column);
// Float, money and timestamp (milliseconds) columns.
double doubleValue(const unsigned char* record, const ColumnDescriptor& column);
bool booleanValue(const unsigned char* record, const ColumnDescriptor& column);

// Writers: each sets the null byte to 1 (the text writer only for a non-empty text).
void clearValue(unsigned char* record, const ColumnDescriptor& column);
// Cut to width - 1 bytes where a character ends, trailing blanks removed, zero-padded.
void setTextValue(unsigned char* record, const ColumnDescriptor& column, std::string_view text);
void setInt16Value(unsigned char* record, const ColumnDescriptor& column, std::int16_t value);
void setUint16Value(unsigned char* record, const ColumnDescriptor& column, std::uint16_t value);
void setInt32Value(unsigned char* record, const ColumnDescriptor& column, std::int32_t value);
void setUint32Value(unsigned char* record, const ColumnDescriptor& column, std::uint32_t value);
void setDoubleValue(unsigned char* record, const ColumnDescriptor& column, double value);
// Any non-zero value is stored as 1.
void setBooleanValue(unsigned char* record, const ColumnDescriptor& column, bool value);
// Byte strings, BCD and blob references: exactly column.width bytes.
void setValueBytes(unsigned char* record, const ColumnDescriptor& column,
                   const unsigned char* bytes);

// Dates, times and timestamps against the system's day counts (days since 1899-12-30).
TDateTime dateToDateTime(std::int32_t storedDate);
std::int32_t dateFromDateTime(TDateTime value);  // the day, its time dropped
TDateTime timeToDateTime(std::int32_t storedTime);
std::int32_t timeFromDateTime(TDateTime value);  // the time of day, to the millisecond
TDateTime timestampToDateTime(double storedTimestamp);
double timestampFromDateTime(TDateTime value);

}  // namespace wispel
