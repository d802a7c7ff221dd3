#include "tablestore/engine/OperationNote.h"

#include "tablestore/format/ByteOrder.h"

namespace wispel {

namespace {

constexpr std::uint64_t kNoteOffset = 3980;
constexpr std::size_t kNoteSize = 13;

}  // namespace

StoreResult readOperationNote(StoreFile& index, TPendingOperation& operation) {
    unsigned char bytes[kNoteSize];
    if (StoreResult r = index.read(kNoteOffset, bytes, sizeof bytes)) return r;
    operation.kind = bytes[0] <= 3 ? static_cast<TPendingKind>(bytes[0]) : TPendingKind::none;
    operation.record = getLe32(bytes + 1);
    operation.link = getLe32(bytes + 5);
    operation.dataCounter = static_cast<std::int32_t>(getLe32(bytes + 9));
    return storecode::kOk;
}

StoreResult writeOperationNote(StoreFile& index, const TPendingOperation& operation) {
    unsigned char bytes[kNoteSize] = {};
    if (operation.kind != TPendingKind::none) {
        bytes[0] = static_cast<unsigned char>(operation.kind);
        putLe32(bytes + 1, operation.record);
        putLe32(bytes + 5, operation.link);
        putLe32(bytes + 9, static_cast<std::uint32_t>(operation.dataCounter));
    }
    return index.write(kNoteOffset, bytes, sizeof bytes);
}

}  // namespace wispel
