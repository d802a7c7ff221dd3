#include "tablestore/index/KeyForm.h"

#include <cstring>
#include <string>

#include "core/TextCase.h"
#include "core/TextConvert.h"
#include "tablestore/format/ByteOrder.h"
#include "tablestore/index/IndexLayout.h"

namespace wispel {

using namespace indexlayout;

namespace {

constexpr std::uint16_t kRecordIdOffset = kAutoIncValueOffset;  // in the record header
constexpr std::uint16_t kFirstColumnOffset = 9;

void putBe32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

// A record ID (or any signed 32-bit value) in key form.
void putSigned32Form(std::uint8_t* p, std::uint32_t value) { putBe32(p, value ^ 0x80000000u); }

// Stored little-endian bytes turned around, so that the most significant byte comes first.
void reverseInto(const std::uint8_t* stored, std::uint8_t width, std::uint8_t* out) {
    for (std::uint8_t i = 0; i < width; ++i) out[i] = stored[width - 1 - i];
}

// Two's complement sorts as unsigned once its sign bit is flipped.
void signedForm(const std::uint8_t* stored, std::uint8_t width, std::uint8_t* out) {
    reverseInto(stored, width, out);
    out[0] ^= 0x80;
}

// IEEE doubles: zero and positive values get the sign bit set, negative ones every bit
// flipped, so that more negative values come first. Minus zero is zero.
void doubleForm(const std::uint8_t* stored, std::uint8_t* out) {
    reverseInto(stored, 8, out);
    bool negative = (out[0] & 0x80) != 0;
    if (negative) {
        bool minusZero = out[0] == 0x80;
        for (int i = 1; i < 8 && minusZero; ++i) minusZero = out[i] == 0;
        if (minusZero) negative = false, out[0] = 0;
    }
    if (negative) {
        for (int i = 0; i < 8; ++i) out[i] = static_cast<std::uint8_t>(~out[i]);
    } else {
        out[0] |= 0x80;
    }
}

// Text up to its terminating zero in upper case, cut to fit its width with room for the
// terminator, never inside a UTF-8 sequence.
void upperTextForm(const std::uint8_t* stored, std::uint8_t width, std::uint8_t* out) {
    const std::size_t length = strnlen(reinterpret_cast<const char*>(stored), width);
    const std::string upper =
        upperCase(std::string_view(reinterpret_cast<const char*>(stored), length));
    const std::string_view cut = truncateUtf8(upper, width - 1u);
    std::memset(out, 0, width);
    std::memcpy(out, cut.data(), cut.size());
}

}  // namespace

void appendKeyForm(std::uint8_t engineType, const std::uint8_t* stored, std::uint8_t width,
                   bool caseInsensitive, std::uint8_t* out) {
    using namespace enginetype;
    switch (engineType) {
    case kInteger:
    case kDate:
    case kTime:
    case kSmallint:
        if (width == 4 || width == 2) return signedForm(stored, width, out);
        break;
    case kWord:
    case kBoolean:
    case kUnsigned32:
        if (width == 4 || width == 2) return reverseInto(stored, width, out);
        break;
    case kFloat:
    case kTimestamp:
        if (width == 8) return doubleForm(stored, out);
        break;
    case kText:
        if (caseInsensitive && width > 0) return upperTextForm(stored, width, out);
        break;
    default:
        break;
    }
    std::memcpy(out, stored, width);
}

void buildSystemKey(std::uint8_t status, std::int32_t recordId, std::uint8_t* key) {
    key[0] = status;
    putSigned32Form(key + 1, static_cast<std::uint32_t>(recordId));
}

std::int32_t systemKeyRecordId(const std::uint8_t* key) {
    const std::uint32_t form = (std::uint32_t{key[1]} << 24) | (std::uint32_t{key[2]} << 16) |
                               (std::uint32_t{key[3]} << 8) | key[4];
    return static_cast<std::int32_t>(form ^ 0x80000000u);
}

StoreResult makeKeyLayout(const TIndexSlot& slot, std::span<const ColumnDescriptor> columns,
                          std::uint32_t recordSize, TKeyLayout& layout) {
    layout = TKeyLayout{};
    layout.Unique = slot.Unique;
    layout.CaseInsensitive = slot.CaseInsensitive != 0;
    layout.KeyLength = slot.KeyLength;
    if (slot.ColumnCount > kMaxKeyColumns) return storecode::kHeaderCorrupt;
    std::uint32_t length = slot.Unique ? 0 : kRecordIdKeyBytes;
    for (int i = 0; i < slot.ColumnCount; ++i) {
        const std::uint16_t field = slot.FieldNumbers[i];
        if (field == 0 || field > columns.size()) return storecode::kHeaderCorrupt;
        const ColumnDescriptor& column = columns[field - 1];
        TKeyPart part;
        part.EngineType = column.type;
        part.Width = column.width;
        part.Offset = column.offset;
        part.AutoIncrement = column.isAutoInc();
        part.Descending = slot.descending(i);
        // A key part reads its null byte (none for the auto-increment value) and its width.
        const std::uint32_t first = part.AutoIncrement ? kRecordIdOffset : part.Offset;
        const std::uint32_t end = part.Offset + (part.AutoIncrement ? 0u : 1u) + part.Width;
        if (column.type == enginetype::kBlob || column.computed || part.Width == 0 ||
            first < kRecordIdOffset || (part.AutoIncrement && part.Width != 4) ||
            (!part.AutoIncrement && first < kFirstColumnOffset) || end > recordSize) {
            return storecode::kHeaderCorrupt;
        }
        length += 1u + part.Width;
        layout.Parts.push_back(part);
    }
    if (length != slot.KeyLength || length > kMaxKeyLength) return storecode::kHeaderCorrupt;
    return storecode::kOk;
}

void buildKey(const TKeyLayout& layout, const std::uint8_t* record, std::uint8_t* key) {
    std::uint8_t* out = key;
    for (const TKeyPart& part : layout.Parts) {
        std::uint8_t* start = out;
        const std::uint8_t* value = record + part.Offset + (part.AutoIncrement ? 0 : 1);
        const bool present = part.AutoIncrement || record[part.Offset] != 0;
        *out++ = present ? 1 : 0;
        if (present) {
            appendKeyForm(part.EngineType, value, part.Width, layout.CaseInsensitive, out);
        } else {
            std::memset(out, 0, part.Width);
        }
        out += part.Width;
        if (part.Descending) {
            for (std::uint8_t* p = start; p != out; ++p) *p = static_cast<std::uint8_t>(~*p);
        }
    }
    if (!layout.Unique) {
        putSigned32Form(out, getLe32(record + kRecordIdOffset));
    }
}

}  // namespace wispel
