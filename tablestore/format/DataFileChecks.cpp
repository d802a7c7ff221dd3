// Checks on open: doc/table_format.md, "Checks on open".

#include "tablestore/format/DataFileChecks.h"

#include <set>
#include <string>

#include "core/NumberText.h"
#include "core/TextCase.h"
#include "tablestore/format/RecordSlots.h"

namespace wispel {

namespace {

using namespace storecode;

bool isNumericType(std::uint8_t type) {
    using namespace enginetype;
    return type == kSmallint || type == kInteger || type == kFloat || type == kBcd ||
           type == kWord || type == kUnsigned32;
}

StoreResult checkColumn(const ColumnDescriptor& c, std::size_t position) {
    if (c.fieldNumber != position || !validColumnName(c.name) || c.type == 0)
        return kHeaderCorrupt;
    bool sized = hasDeclaredSize(c.type);
    if (sized ? (c.size < 1 || c.size > 250) : c.size != 0) return kHeaderCorrupt;
    if (c.width != storedWidth(c.type, c.size)) return kHeaderCorrupt;
    if ((c.type != enginetype::kBcd && c.decimals != 0) || c.storedDecimals != c.decimals)
        return kHeaderCorrupt;
    if (c.computed) return kHeaderCorrupt;  // only query results hold such columns
    if (!validValueText(c.type, c.minimum) || !validValueText(c.type, c.maximum) ||
        !validValueText(c.type, c.defaultValue))
        return kHeaderCorrupt;
    return kOk;
}

}  // namespace

bool knownLanguageId(std::uint16_t languageId) {
    if (languageId == 0) return true;
    unsigned primary = languageId & 0x3FFu;
    unsigned sublanguage = languageId >> 10;
    return primary >= 0x01 && primary <= 0x92 && sublanguage >= 0x01 && sublanguage <= 0x14;
}

bool validValueText(std::uint8_t type, std::string_view text) {
    if (text.empty()) return true;
    if (isNumericType(type)) {
        double value = 0;
        return parseNumber(text, value);
    }
    if (type == enginetype::kBoolean) return sameText(text, "TRUE") || sameText(text, "FALSE");
    // Dates and times are written in the creator's own date format; texts and bytes are
    // taken as they are.
    return true;
}

StoreResult checkDataHeader(const DataHeader& h, std::uint64_t fileLength) {
    if (h.version != kFormatVersion) return kWrongVersion;
    if (!knownLanguageId(h.languageId)) return kLanguageDriver;
    if (h.enciphered) return kPasswordRequired;
    if (h.columnCount == 0 || h.columnCount > kMaxColumns) return kHeaderCorrupt;
    if (h.blobColumnCount > kMaxBlobColumns || h.blobColumnCount > h.columnCount)
        return kHeaderCorrupt;
    if (h.recordSize < kRecordHeaderSize) return kHeaderCorrupt;
    std::uint64_t area = recordAreaOffset(h);
    if (fileLength < area || (fileLength - area) % h.recordSize != 0) return kHeaderCorrupt;
    std::uint64_t slots = (fileLength - area) / h.recordSize;
    if (h.nextRecordNumber == 0 || slots != h.nextRecordNumber - std::uint64_t{1})
        return kHeaderCorrupt;
    if (h.freeChainHead > slots) return kHeaderCorrupt;
    // No table grows past the limits an insert keeps (RecordSlots.h).
    if (slots + 1 > kMaxRecordNumber || slots * h.recordSize >= kMaxRecordAreaBytes)
        return kHeaderCorrupt;
    return kOk;
}

StoreResult checkColumnDescriptorBytes(const unsigned char* bytes) {
    struct ShortText {
        std::size_t offset, capacity;
    };
    constexpr ShortText kTexts[] = {{2, kMaxColumnNameLength},
                                    {33, kMaxColumnDescriptionLength},
                                    {94, kMaxValueTextLength},
                                    {145, kMaxValueTextLength},
                                    {196, kMaxValueTextLength}};
    for (const auto& t : kTexts) {
        if (bytes[t.offset] > t.capacity) return kHeaderCorrupt;
    }
    return kOk;
}

StoreResult checkColumns(const DataHeader& header, const std::vector<ColumnDescriptor>& columns) {
    if (columns.size() != header.columnCount) return kHeaderCorrupt;
    std::set<std::string> names;
    std::size_t offset = kRecordHeaderSize;
    std::size_t blobs = 0;
    bool autoInc = false;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const ColumnDescriptor& c = columns[i];
        if (StoreResult r = checkColumn(c, i + 1)) return r;
        if (!names.insert(upperCase(c.name)).second) return kHeaderCorrupt;
        if (c.type == enginetype::kBlob) ++blobs;
        if (c.isAutoInc()) {
            if (autoInc || c.offset != kAutoIncValueOffset) return kHeaderCorrupt;
            autoInc = true;
            continue;
        }
        if (c.offset != offset) return kHeaderCorrupt;
        offset += c.width + 1u;
    }
    if (blobs != header.blobColumnCount || offset != header.recordSize) return kHeaderCorrupt;
    return kOk;
}

}  // namespace wispel
