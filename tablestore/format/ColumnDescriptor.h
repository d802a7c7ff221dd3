#pragma once
// A column of a table as the data file describes it (doc/table_format.md, "Column
// descriptor"): a plain value, read from and written to its 768 bytes. The engine type and
// subtype codes below are those stored in the file; unknown codes read from a file are
// kept as they are.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace wispel {

namespace enginetype {
constexpr std::uint8_t kText = 1;
constexpr std::uint8_t kDate = 2;        // days since 1 January of year 1 (that day is 1)
constexpr std::uint8_t kBlob = 3;        // 8-byte reference into the blob file
constexpr std::uint8_t kBoolean = 4;     // 16-bit 0 or 1
constexpr std::uint8_t kSmallint = 5;    // signed 16-bit
constexpr std::uint8_t kInteger = 6;     // signed 32-bit (also the auto-increment column)
constexpr std::uint8_t kFloat = 7;       // IEEE double (also money)
constexpr std::uint8_t kBcd = 8;         // 8 bytes, fixed point
constexpr std::uint8_t kBytes = 9;       // the declared number of bytes
constexpr std::uint8_t kTime = 10;       // milliseconds since midnight, signed 32-bit
constexpr std::uint8_t kTimestamp = 11;  // milliseconds since 1 January of year 1, as a double
constexpr std::uint8_t kWord = 12;       // unsigned 16-bit
constexpr std::uint8_t kUnsigned32 = 13;
constexpr std::uint8_t kTenBytes = 14;   // 10 bytes; never made from a field type
constexpr std::uint8_t kVarBytes = 15;   // the declared number of bytes
constexpr std::uint8_t kCursor = 17;     // 17 to 23: no value bytes in a stored record
constexpr std::uint8_t kLargeint = 18;
constexpr std::uint8_t kLargeint2 = 19;
constexpr std::uint8_t kAdt = 20;
constexpr std::uint8_t kArray = 21;
constexpr std::uint8_t kReference = 22;
constexpr std::uint8_t kDataSet = 23;
}  // namespace enginetype

namespace enginesubtype {
constexpr std::uint8_t kNone = 0;
constexpr std::uint8_t kMoney = 21;
constexpr std::uint8_t kMemo = 22;
constexpr std::uint8_t kBinary = 23;
constexpr std::uint8_t kFormattedMemo = 24;
constexpr std::uint8_t kGraphic = 26;
constexpr std::uint8_t kTypedBinary = 28;
constexpr std::uint8_t kAutoInc = 29;
constexpr std::uint8_t kFixedText = 31;
constexpr std::uint8_t kWideText = 32;
}  // namespace enginesubtype

constexpr std::size_t kColumnDescriptorSize = 768;
constexpr std::size_t kMaxColumnNameLength = 30;
constexpr std::size_t kMaxColumnDescriptionLength = 50;
constexpr std::size_t kMaxValueTextLength = 50;  // minimum, maximum and default as text
constexpr std::uint16_t kAutoIncValueOffset = 5;  // in the record header

namespace textcase {
constexpr std::uint8_t kAsEntered = 0;
constexpr std::uint8_t kLower = 1;
constexpr std::uint8_t kUpper = 2;
}  // namespace textcase

struct ColumnDescriptor {
    std::uint16_t fieldNumber = 0;   // 1-based, equal to the column's position
    std::string name;                // at most 30 bytes
    std::string description;         // at most 50 bytes; the display label
    std::uint8_t type = 0;           // enginetype
    std::uint8_t subtype = 0;        // enginesubtype
    std::uint8_t size = 0;           // declared size: text and byte types only, else 0
    std::uint8_t decimals = 0;       // BCD only
    std::uint8_t width = 0;          // stored width of the value (storedWidth)
    std::uint8_t storedDecimals = 0; // copy of decimals
    std::uint16_t offset = 0;        // of the null byte in the record; 5 for auto-increment
    bool required = false;
    std::uint8_t textCase = textcase::kAsEntered;
    std::string minimum;             // as text, at most 50 bytes; empty: none
    std::string maximum;
    std::string defaultValue;        // "DATE", "TIME", "NOW": the current moment
    bool computed = false;           // not stored (query results only)
    std::uint8_t hidden = 0;         // non-zero hides the column from the dataset

    bool isAutoInc() const {
        return type == enginetype::kInteger && subtype == enginesubtype::kAutoInc;
    }
    // Whether the column has a null byte and value bytes in the record's field area.
    bool inFieldArea() const { return !isAutoInc() && !computed; }
    // Where the value bytes start in a record image (after the null byte, if any).
    std::size_t valueOffset() const { return isAutoInc() ? offset : offset + 1u; }

    bool operator==(const ColumnDescriptor&) const = default;
};

// The stored width of a value of `type` with declared `size`.
std::uint8_t storedWidth(std::uint8_t type, std::uint8_t size);
// Whether `type` takes a declared size (text, bytes, variable bytes).
bool hasDeclaredSize(std::uint8_t type);

// A column name: 1 to 30 bytes, starting with a letter or "_", without control characters.
bool validColumnName(std::string_view name);

// The 768 bytes of a descriptor. Reading never fails: what the bytes mean is checked when
// the table is opened (DataFileChecks.h).
ColumnDescriptor readColumnDescriptor(const unsigned char* bytes);
void writeColumnDescriptor(const ColumnDescriptor& column, unsigned char* bytes);

}  // namespace wispel
