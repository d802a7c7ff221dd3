#include "tablestore/engine/IndexHeaderImage.h"

#include "tablestore/format/ByteOrder.h"

namespace wispel {

using namespace indexheader;


std::int32_t TIndexHeader::counter() const {
    return static_cast<std::int32_t>(getLe32(&image[kCounter]));
}
std::uint32_t TIndexHeader::activeRecords() const { return getLe32(&image[kActiveRecords]); }
void TIndexHeader::setActiveRecords(std::uint32_t count) { putLe32(&image[kActiveRecords], count); }

TPendingOperation TIndexHeader::pending() const {
    TPendingOperation op;
    op.kind = static_cast<TPendingKind>(image[kPendingKind]);
    op.record = getLe32(&image[kPendingRecord]);
    op.link = getLe32(&image[kPendingLink]);
    op.dataCounter = static_cast<std::int32_t>(getLe32(&image[kPendingDataCounter]));
    return op;
}

void TIndexHeader::setPending(const TPendingOperation& op) {
    image[kPendingKind] = static_cast<std::uint8_t>(op.kind);
    putLe32(&image[kPendingRecord], op.record);
    putLe32(&image[kPendingLink], op.link);
    putLe32(&image[kPendingDataCounter], static_cast<std::uint32_t>(op.dataCounter));
}

void TIndexHeader::prepareWrite(bool changed) {
    putLe32(&image[kCounter], static_cast<std::uint32_t>(counter()) + 1);
    image[kChangedFlag] = changed ? 1 : 0;
}

TIndexHeader newIndexHeader() {
    TIndexHeader header;
    header.image[kVersion] = 4;
    putLe32(&header.image[kEndOfFile], kSize);
    std::uint8_t* system = &header.image[14 + 31 * 120];
    static const char kName[] = "Sys Deleted";
    system[0] = sizeof kName - 1;
    for (size_t i = 0; i + 1 < sizeof kName; ++i) system[1 + i] = static_cast<std::uint8_t>(kName[i]);
    system[31] = 5;  // key length: status byte and record ID
    header.image[kNoKeyPrimary] = 1;
    return header;
}

}  // namespace wispel
