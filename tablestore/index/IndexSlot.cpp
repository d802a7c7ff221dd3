#include "tablestore/index/IndexSlot.h"

#include <cstring>

#include "tablestore/format/ByteOrder.h"
#include "tablestore/index/IndexLayout.h"

namespace wispel {

using namespace indexlayout;

bool decodeIndexSlot(const std::uint8_t* bytes, TIndexSlot& slot) {
    const std::uint8_t nameLength = bytes[kSlotName];
    if (nameLength > kSlotNameLength) return false;
    slot.Name = getShortText(bytes + kSlotName, kSlotNameLength);
    slot.KeyLength = getLe16(bytes + kSlotKeyLength);
    slot.ColumnOptionsOff = bytes[kSlotColumnOptionsOff];
    slot.CaseInsensitive = bytes[kSlotCaseInsensitive];
    slot.Unique = bytes[kSlotUnique] != 0;
    slot.Compression = bytes[kSlotCompression];
    slot.ColumnCount = bytes[kSlotColumnCount];
    for (int i = 0; i < kMaxKeyColumns; ++i) {
        slot.ColumnOptions[i] = bytes[kSlotColumnOptions + i];
        slot.FieldNumbers[i] = getLe16(bytes + kSlotFieldNumbers + 2 * i);
    }
    slot.Root = getLe32(bytes + kSlotRoot);
    slot.FreeHead = getLe32(bytes + kSlotFreeHead);
    return true;
}

void encodeIndexSlot(const TIndexSlot& slot, std::uint8_t* bytes) {
    std::memset(bytes, 0, kSlotSize);
    putShortText(bytes + kSlotName, kSlotNameLength, slot.Name);
    putLe16(bytes + kSlotKeyLength, slot.KeyLength);
    bytes[kSlotColumnOptionsOff] = slot.ColumnOptionsOff;
    bytes[kSlotCaseInsensitive] = slot.CaseInsensitive;
    bytes[kSlotUnique] = slot.Unique ? 1 : 0;
    bytes[kSlotCompression] = slot.Compression;
    bytes[kSlotColumnCount] = slot.ColumnCount;
    for (int i = 0; i < kMaxKeyColumns; ++i) {
        bytes[kSlotColumnOptions + i] = slot.ColumnOptions[i];
        putLe16(bytes + kSlotFieldNumbers + 2 * i, slot.FieldNumbers[i]);
    }
    putLe32(bytes + kSlotRoot, slot.Root);
    putLe32(bytes + kSlotFreeHead, slot.FreeHead);
}

TIndexSlot systemIndexSlot() {
    TIndexSlot slot;
    slot.Name = kSystemIndexName;
    slot.KeyLength = kSystemKeyLength;
    slot.Unique = true;
    return slot;
}

}  // namespace wispel
