#include "tablestore/index/IndexHeader.h"

#include <cstring>

#include "core/TextCase.h"
#include "tablestore/format/ByteOrder.h"
#include "tablestore/index/IndexDefinition.h"

namespace wispel {

using namespace indexlayout;

bool TIndexHeader::slotHoldsKeys(int slot) const {
    if (slot == kSystemSlot) return true;
    if (slot == kPrimarySlot) return !NoKeyPrimary && Slots[slot].used();
    return slot >= 1 && slot <= SecondaryCount;
}

StoreResult decodeIndexHeader(const std::uint8_t* image, TIndexHeader& header) {
    if (image[kHeaderVersion] != kFormatVersion) return storecode::kWrongVersion;
    header.ChangeCounter = static_cast<std::int32_t>(getLe32(image + kHeaderChangeCounter));
    header.EndOfFile = getLe32(image + kHeaderEndOfFile);
    header.SecondaryCount = image[kHeaderSecondaryCount];
    for (int i = 0; i < kSlotCount; ++i) {
        if (!decodeIndexSlot(image + kHeaderSlots + i * kSlotSize, header.Slots[i])) {
            return storecode::kHeaderCorrupt;
        }
    }
    // The system index's keys (status byte, record ID) are the same whether its "unique"
    // byte is 1 or 0; uncompressed, so are its pages, and it is taken (and written) as 1.
    TIndexSlot& system = header.Slots[kSystemSlot];
    if (system.Compression == kCompressNone) system.Unique = true;
    header.ActiveRecords = getLe32(image + kHeaderActiveRecords);
    header.NoKeyPrimary = image[kHeaderNoKeyPrimary] != 0;
    return storecode::kOk;
}

void encodeIndexHeader(const TIndexHeader& header, bool changed, std::uint8_t* image) {
    std::memset(image, 0, kPageSize);
    putLe32(image + kHeaderChangeCounter, static_cast<std::uint32_t>(header.ChangeCounter));
    image[kHeaderVersion] = kFormatVersion;
    putLe32(image + kHeaderEndOfFile, header.EndOfFile);
    image[kHeaderSecondaryCount] = header.SecondaryCount;
    for (int i = 0; i < kSlotCount; ++i) {
        encodeIndexSlot(header.Slots[i], image + kHeaderSlots + i * kSlotSize);
    }
    putLe32(image + kHeaderActiveRecords, header.ActiveRecords);
    image[kHeaderNoKeyPrimary] = header.NoKeyPrimary ? 1 : 0;
    image[kHeaderChanged] = changed ? 1 : 0;
}

bool validPageOffset(std::uint32_t offset, std::uint32_t endOfFile) {
    return offset == 0 || (offset % kPageSize == 0 && offset >= kPageSize && offset < endOfFile);
}

namespace {

bool validSlot(const TIndexSlot& slot, std::uint32_t endOfFile,
               std::span<const ColumnDescriptor> columns, std::uint32_t recordSize) {
    if (!validPageOffset(slot.Root, endOfFile) || !validPageOffset(slot.FreeHead, endOfFile)) {
        return false;
    }
    if (slot.Compression > kCompressBoth || slot.KeyLength == 0) return false;
    TKeyLayout layout;
    return makeKeyLayout(slot, columns, recordSize, layout) == storecode::kOk;
}

bool validSystemSlot(const TIndexSlot& slot, std::uint32_t endOfFile) {
    return slot.KeyLength == kSystemKeyLength && slot.ColumnCount == 0 &&
           slot.Compression <= kCompressBoth && validPageOffset(slot.Root, endOfFile) &&
           validPageOffset(slot.FreeHead, endOfFile);
}

}  // namespace

StoreResult checkIndexHeader(const TIndexHeader& header, std::uint64_t fileSize,
                             std::span<const ColumnDescriptor> columns, std::uint32_t recordSize) {
    const std::uint32_t end = header.EndOfFile;
    if (end < kPageSize || end % kPageSize != 0 || end >= kEndOfFileLimit || end > fileSize) {
        return storecode::kHeaderCorrupt;
    }
    if (header.SecondaryCount > kMaxSecondary) return storecode::kHeaderCorrupt;
    if (!validSystemSlot(header.systemSlot(), end)) return storecode::kHeaderCorrupt;
    const TIndexSlot& primary = header.Slots[kPrimarySlot];
    if (header.NoKeyPrimary) {
        if (primary.ColumnCount != 0 || primary.Root != 0) return storecode::kHeaderCorrupt;
    } else if (primary.ColumnCount == 0 || !validSlot(primary, end, columns, recordSize)) {
        return storecode::kHeaderCorrupt;
    }
    for (int i = 1; i <= header.SecondaryCount; ++i) {
        const TIndexSlot& slot = header.Slots[i];
        if (!validIndexName(slot.Name) || slot.ColumnCount == 0 ||
            !validSlot(slot, end, columns, recordSize)) {
            return storecode::kHeaderCorrupt;
        }
        for (int j = 1; j < i; ++j) {
            if (sameText(slot.Name, header.Slots[j].Name)) return storecode::kHeaderCorrupt;
        }
    }
    return storecode::kOk;
}

TIndexHeader newIndexHeader() {
    TIndexHeader header;
    header.systemSlot() = systemIndexSlot();
    header.NoKeyPrimary = true;
    return header;
}

}  // namespace wispel
