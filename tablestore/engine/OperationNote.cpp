#include "tablestore/engine/OperationNote.h"

#include "tablestore/format/ByteOrder.h"

namespace wispel {

namespace {

constexpr std::uint64_t kNoteOffset = 3980;
constexpr std::size_t kNoteSize = 13;

}  // namespace

namespace {

TPendingOperation decodeNote(const unsigned char* bytes) {
    TPendingOperation operation;
    operation.kind = bytes[0] <= 4 ? static_cast<TPendingKind>(bytes[0]) : TPendingKind::none;
    operation.record = getLe32(bytes + 1);
    operation.link = getLe32(bytes + 5);
    operation.dataCounter = static_cast<std::int32_t>(getLe32(bytes + 9));
    return operation;
}

}  // namespace

StoreResult readOperationNote(StoreFile& index, TPendingOperation& operation) {
    unsigned char bytes[kNoteSize];
    if (StoreResult r = index.read(kNoteOffset, bytes, sizeof bytes)) return r;
    operation = decodeNote(bytes);
    return storecode::kOk;
}

TPendingOperation decodeOperationNote(const unsigned char* indexHeader) {
    static_assert(kNoteOffset + kNoteSize == kOperationNoteEnd);
    return decodeNote(indexHeader + kNoteOffset);
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

namespace {

using P = TPendingOperation;

bool holdsOwnNumber(const RecordHeader& slot, std::uint32_t record) {
    return slot.status == recordstatus::kActive && slot.link == record;
}

// The noted slot is one of the file's slots, held whole, and the file has no more and no
// fewer bytes than its header counts.
TNoteRepair judgeInsert(const P& note, const DataHeader& header, const RecordHeader& slot,
                        bool headerWritten) {
    const std::uint32_t head = header.freeChainHead;
    // Before: the slot was the chain head, still free with its noted link or already written.
    if (head == note.record && note.link != note.record && note.link < header.nextRecordNumber &&
        ((slot.status == recordstatus::kDeleted && slot.link == note.link) ||
         holdsOwnNumber(slot, note.record)))
        return TNoteRepair::undo;
    // After: the chain lost its head to the new record (or it was appended to an empty chain).
    if (headerWritten && head == note.link && holdsOwnNumber(slot, note.record))
        return TNoteRepair::keep;
    return TNoteRepair::refuse;
}

TNoteRepair judgeDelete(const P& note, const DataHeader& header, const RecordHeader& slot,
                        bool headerWritten) {
    const std::uint32_t head = header.freeChainHead;
    if (head != note.record &&
        (holdsOwnNumber(slot, note.record) ||
         (slot.status == recordstatus::kDeleted && slot.link == head)))
        return TNoteRepair::undo;
    if (headerWritten && head == note.record && slot.status == recordstatus::kDeleted)
        return TNoteRepair::keep;
    return TNoteRepair::refuse;
}

}  // namespace

TNoteRepair judgeOperationNote(const TPendingOperation& note, const DataHeader& header,
                               std::uint64_t fileLength, const RecordHeader* slot) {
    // The operation writes the data header once, so its counter is the noted one or one more
    // (a roll-back after a failed write also writes it once, with the header from before).
    const bool headerWritten = header.changeCounter == nextChangeCounter(note.dataCounter);
    if (!headerWritten && header.changeCounter != note.dataCounter) return TNoteRepair::refuse;
    if (header.recordSize < kRecordHeaderSize || header.nextRecordNumber == 0 || note.record == 0)
        return TNoteRepair::refuse;
    const std::uint64_t length = dataFileLength(header);
    if (note.kind == TPendingKind::appendRun) {
        // The run appends only while the free-record chain is empty, from the noted slot on.
        if (header.freeChainHead != 0 || note.link != 0) return TNoteRepair::refuse;
        if (!headerWritten)
            return note.record == header.nextRecordNumber && fileLength >= length
                       ? TNoteRepair::adopt
                       : TNoteRepair::refuse;
        const bool whole = note.record < header.nextRecordNumber && fileLength == length &&
                           slot != nullptr && holdsOwnNumber(*slot, note.record);
        return whole ? TNoteRepair::keep : TNoteRepair::refuse;
    }
    if (note.kind == TPendingKind::insert && note.record == header.nextRecordNumber) {
        // An append whose header was not written: at most the one slot beyond the counted ones.
        const bool fits = header.freeChainHead == 0 && note.link == 0 && fileLength >= length &&
                          fileLength <= length + header.recordSize;
        return fits ? TNoteRepair::undo : TNoteRepair::refuse;
    }
    if (note.record >= header.nextRecordNumber || fileLength != length || slot == nullptr)
        return TNoteRepair::refuse;
    switch (note.kind) {
        case TPendingKind::insert: return judgeInsert(note, header, *slot, headerWritten);
        case TPendingKind::remove: return judgeDelete(note, header, *slot, headerWritten);
        case TPendingKind::modify:
            return holdsOwnNumber(*slot, note.record) ? TNoteRepair::keep : TNoteRepair::refuse;
        case TPendingKind::none:
        case TPendingKind::appendRun: break;
    }
    return TNoteRepair::refuse;
}

}  // namespace wispel
