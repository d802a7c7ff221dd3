// Record and value bytes: doc/table_format.md, "Records" and "Value encodings".

#include "tablestore/format/RecordValues.h"

#include <cmath>
#include <climits>
#include <cstring>

#include "core/TextConvert.h"
#include "tablestore/format/ByteOrder.h"

namespace wispel {

namespace {

constexpr std::size_t kStatus = 0;
constexpr std::size_t kLink = 1;
constexpr std::size_t kRecordId = 5;

// Days from 1 January of year 1 (stored as day 1) back to the system's day 0, 1899-12-30.
constexpr std::int32_t kDateDelta = 693594;

// Marks the column as holding a value and returns its value bytes.
unsigned char* valueForWrite(unsigned char* record, const ColumnDescriptor& column) {
    if (column.inFieldArea()) record[column.offset] = 1;
    return record + column.valueOffset();
}

// Days outside what a stored date can hold are pinned to its ends rather than overflowing.
std::int32_t clampedDays(double days) {
    if (!(days > -2147483648.0)) return days != days ? 0 : INT32_MIN;
    if (days >= 2147483647.0) return INT32_MAX;
    return static_cast<std::int32_t>(days);
}

}  // namespace

RecordHeader readRecordHeader(const unsigned char* record) {
    return RecordHeader{record[kStatus], getLe32(record + kLink),
                        static_cast<std::int32_t>(getLe32(record + kRecordId))};
}

void writeRecordHeader(const RecordHeader& header, unsigned char* record) {
    record[kStatus] = header.status;
    putLe32(record + kLink, header.link);
    putLe32(record + kRecordId, static_cast<std::uint32_t>(header.recordId));
}

bool hasValue(const unsigned char* record, const ColumnDescriptor& column) {
    return !column.inFieldArea() || record[column.offset] != 0;
}

const unsigned char* valueBytes(const unsigned char* record, const ColumnDescriptor& column) {
    return record + column.valueOffset();
}

std::string_view textValue(const unsigned char* record, const ColumnDescriptor& column) {
    if (!hasValue(record, column) || column.width == 0) return {};
    const char* text = reinterpret_cast<const char*>(valueBytes(record, column));
    // The last byte is the terminator; a damaged file may lack it, so the scan stops there.
    std::size_t limit = column.width - 1u;
    const void* end = std::memchr(text, 0, limit);
    return std::string_view(text, end ? static_cast<const char*>(end) - text : limit);
}

std::int16_t int16Value(const unsigned char* record, const ColumnDescriptor& column) {
    return static_cast<std::int16_t>(uint16Value(record, column));
}

std::uint16_t uint16Value(const unsigned char* record, const ColumnDescriptor& column) {
    return hasValue(record, column) ? getLe16(valueBytes(record, column)) : 0;
}

std::int32_t int32Value(const unsigned char* record, const ColumnDescriptor& column) {
    return static_cast<std::int32_t>(uint32Value(record, column));
}

std::uint32_t uint32Value(const unsigned char* record, const ColumnDescriptor& column) {
    return hasValue(record, column) ? getLe32(valueBytes(record, column)) : 0;
}

double doubleValue(const unsigned char* record, const ColumnDescriptor& column) {
    return hasValue(record, column) ? getLeDouble(valueBytes(record, column)) : 0.0;
}

bool booleanValue(const unsigned char* record, const ColumnDescriptor& column) {
    return uint16Value(record, column) != 0;
}

void clearValue(unsigned char* record, const ColumnDescriptor& column) {
    if (!column.inFieldArea()) return;  // the auto-increment value belongs to the engine
    std::memset(record + column.offset, 0, column.width + 1u);
}

void setTextValue(unsigned char* record, const ColumnDescriptor& column, std::string_view text) {
    clearValue(record, column);
    if (column.width == 0) return;
    // The stored value is zero-terminated: it cannot hold more than the text before a zero.
    text = truncateUtf8(text.substr(0, text.find('\0')), column.width - 1u);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (text.empty()) return;
    std::memcpy(valueForWrite(record, column), text.data(), text.size());
}

void setInt16Value(unsigned char* record, const ColumnDescriptor& column, std::int16_t value) {
    setUint16Value(record, column, static_cast<std::uint16_t>(value));
}

void setUint16Value(unsigned char* record, const ColumnDescriptor& column, std::uint16_t value) {
    putLe16(valueForWrite(record, column), value);
}

void setInt32Value(unsigned char* record, const ColumnDescriptor& column, std::int32_t value) {
    setUint32Value(record, column, static_cast<std::uint32_t>(value));
}

void setUint32Value(unsigned char* record, const ColumnDescriptor& column, std::uint32_t value) {
    putLe32(valueForWrite(record, column), value);
}

void setDoubleValue(unsigned char* record, const ColumnDescriptor& column, double value) {
    putLeDouble(valueForWrite(record, column), value);
}

void setBooleanValue(unsigned char* record, const ColumnDescriptor& column, bool value) {
    setUint16Value(record, column, value ? 1 : 0);
}

void setValueBytes(unsigned char* record, const ColumnDescriptor& column,
                   const unsigned char* bytes) {
    std::memcpy(valueForWrite(record, column), bytes, column.width);
}

TDateTime dateToDateTime(std::int32_t storedDate) {
    return static_cast<double>(storedDate) - kDateDelta;
}

std::int32_t dateFromDateTime(TDateTime value) {
    return clampedDays(std::floor(value) + kDateDelta);
}

TDateTime timeToDateTime(std::int32_t storedTime) {
    return storedTime / kMillisecondsPerDay;
}

std::int32_t timeFromDateTime(TDateTime value) {
    if (!std::isfinite(value)) return 0;
    auto ms = std::llround((value - std::floor(value)) * kMillisecondsPerDay);
    return static_cast<std::int32_t>(ms % static_cast<long long>(kMillisecondsPerDay));
}

TDateTime timestampToDateTime(double storedTimestamp) {
    return storedTimestamp / kMillisecondsPerDay + 1 - kDateDelta;
}

double timestampFromDateTime(TDateTime value) {
    return std::round((value + kDateDelta - 1) * kMillisecondsPerDay);
}

}  // namespace wispel
