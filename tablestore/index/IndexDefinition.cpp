#include "tablestore/index/IndexDefinition.h"

#include "core/TextCase.h"

namespace wispel {

using namespace indexlayout;

bool validIndexName(const std::string& name) {
    if (name.empty() || name.size() > kSlotNameLength) return false;
    const unsigned char first = static_cast<unsigned char>(name[0]);
    const unsigned char folded = first | 0x20;
    if (!(first == '_' || first >= 0x80 || (folded >= 'a' && folded <= 'z'))) return false;
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7F) return false;
    }
    return true;
}

namespace {

StoreResult fillSlot(const TIndexDefinition& definition,
                     std::span<const ColumnDescriptor> columns, TIndexSlot& slot) {
    const std::size_t columnCount = definition.FieldNumbers.size();
    if (columnCount == 0 || columnCount > kMaxKeyColumns ||
        definition.Compression > kCompressBoth) {
        return storecode::kIndexLimits;
    }
    std::uint32_t keyLength = definition.Unique ? 0 : kRecordIdKeyBytes;
    slot = TIndexSlot{};
    for (std::size_t i = 0; i < columnCount; ++i) {
        const std::uint16_t field = definition.FieldNumbers[i];
        if (field == 0 || field > columns.size()) return storecode::kInvalidIndexField;
        const ColumnDescriptor& column = columns[field - 1];
        if (column.type == enginetype::kBlob || column.computed || column.width == 0) {
            return storecode::kInvalidIndexFieldType;
        }
        keyLength += 1u + column.width;
        slot.FieldNumbers[i] = field;
        slot.ColumnOptions[i] = i < definition.Descending.size() && definition.Descending[i] ? 1 : 0;
    }
    if (keyLength > kMaxKeyLength) return storecode::kInvalidKeySize;
    slot.Name = definition.Name;
    slot.KeyLength = static_cast<std::uint16_t>(keyLength);
    slot.Unique = definition.Unique;
    slot.Compression = definition.Compression;
    slot.CaseInsensitive = definition.CaseInsensitive ? 1 : 0;
    slot.ColumnCount = static_cast<std::uint8_t>(columnCount);
    return storecode::kOk;
}

}  // namespace

StoreResult addIndexDefinition(TIndexHeader& header, const TIndexDefinition& definition,
                               std::span<const ColumnDescriptor> columns) {
    if (definition.Name.empty()) {
        if (!header.NoKeyPrimary) return storecode::kPrimaryIndexExists;
        TIndexSlot slot;
        if (StoreResult result = fillSlot(definition, columns, slot); result != storecode::kOk) {
            return result;
        }
        header.Slots[kPrimarySlot] = slot;
        header.NoKeyPrimary = false;
        return storecode::kOk;
    }
    if (!validIndexName(definition.Name)) return storecode::kInvalidIndexName;
    for (int i = 1; i <= header.SecondaryCount; ++i) {
        if (sameText(header.Slots[i].Name, definition.Name)) return storecode::kIndexExists;
    }
    if (header.SecondaryCount >= kMaxSecondary) return storecode::kIndexLimits;
    TIndexSlot slot;
    if (StoreResult result = fillSlot(definition, columns, slot); result != storecode::kOk) {
        return result;
    }
    header.Slots[++header.SecondaryCount] = slot;
    return storecode::kOk;
}

}  // namespace wispel
