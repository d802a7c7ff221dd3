// Column descriptor bytes: doc/table_format.md, "Column descriptor".

#include "tablestore/format/ColumnDescriptor.h"

#include <cstring>

#include "tablestore/format/ByteOrder.h"

namespace wispel {

namespace {

// Offsets inside the 768 bytes.
constexpr std::size_t kFieldNumber = 0;
constexpr std::size_t kName = 2;
constexpr std::size_t kDescription = 33;
constexpr std::size_t kType = 84;
constexpr std::size_t kSubtype = 85;
constexpr std::size_t kSize = 86;
constexpr std::size_t kDecimals = 87;
constexpr std::size_t kWidth = 88;
constexpr std::size_t kStoredDecimals = 89;
constexpr std::size_t kOffset = 90;
constexpr std::size_t kRequired = 92;
constexpr std::size_t kTextCase = 93;
constexpr std::size_t kMinimum = 94;
constexpr std::size_t kMaximum = 145;
constexpr std::size_t kDefault = 196;
constexpr std::size_t kComputed = 247;
constexpr std::size_t kHidden = 252;

}  // namespace

std::uint8_t storedWidth(std::uint8_t type, std::uint8_t size) {
    using namespace enginetype;
    switch (type) {
        case kText:
            return static_cast<std::uint8_t>(size + 1);
        case kDate:
        case kInteger:
        case kTime:
        case kUnsigned32:
            return 4;
        case kBlob:
        case kFloat:
        case kBcd:
        case kTimestamp:
            return 8;
        case kBoolean:
        case kSmallint:
        case kWord:
            return 2;
        case kTenBytes:
            return 10;
        case kBytes:
        case kVarBytes:
            return size;
        default:
            return 0;
    }
}

bool hasDeclaredSize(std::uint8_t type) {
    return type == enginetype::kText || type == enginetype::kBytes ||
           type == enginetype::kVarBytes;
}

bool validColumnName(std::string_view name) {
    if (name.empty() || name.size() > kMaxColumnNameLength) return false;
    auto first = static_cast<unsigned char>(name[0]);
    // Bytes from 0x80 on start letters of other scripts.
    bool letter = (first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z') ||
                  first == '_' || first >= 0x80;
    if (!letter) return false;
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7F) return false;
    }
    return true;
}

ColumnDescriptor readColumnDescriptor(const unsigned char* p) {
    ColumnDescriptor c;
    c.fieldNumber = getLe16(p + kFieldNumber);
    c.name = getShortText(p + kName, kMaxColumnNameLength);
    c.description = getShortText(p + kDescription, kMaxColumnDescriptionLength);
    c.type = p[kType];
    c.subtype = p[kSubtype];
    c.size = p[kSize];
    c.decimals = p[kDecimals];
    c.width = p[kWidth];
    c.storedDecimals = p[kStoredDecimals];
    c.offset = getLe16(p + kOffset);
    c.required = p[kRequired] != 0;
    c.textCase = p[kTextCase];
    c.minimum = getShortText(p + kMinimum, kMaxValueTextLength);
    c.maximum = getShortText(p + kMaximum, kMaxValueTextLength);
    c.defaultValue = getShortText(p + kDefault, kMaxValueTextLength);
    c.computed = p[kComputed] != 0;
    c.hidden = p[kHidden];
    return c;
}

void writeColumnDescriptor(const ColumnDescriptor& c, unsigned char* p) {
    std::memset(p, 0, kColumnDescriptorSize);
    putLe16(p + kFieldNumber, c.fieldNumber);
    putShortText(p + kName, kMaxColumnNameLength, c.name);
    putShortText(p + kDescription, kMaxColumnDescriptionLength, c.description);
    p[kType] = c.type;
    p[kSubtype] = c.subtype;
    p[kSize] = c.size;
    p[kDecimals] = c.decimals;
    p[kWidth] = c.width;
    p[kStoredDecimals] = c.storedDecimals;
    putLe16(p + kOffset, c.offset);
    p[kRequired] = c.required ? 1 : 0;
    p[kTextCase] = c.textCase;
    putShortText(p + kMinimum, kMaxValueTextLength, c.minimum);
    putShortText(p + kMaximum, kMaxValueTextLength, c.maximum);
    putShortText(p + kDefault, kMaxValueTextLength, c.defaultValue);
    p[kComputed] = c.computed ? 1 : 0;
    p[kHidden] = c.hidden;
}

}  // namespace wispel
