// Free-record chain and record IDs: doc/table_format.md, "Free-record chain", "Record IDs".

#include "tablestore/format/RecordSlots.h"

#include <algorithm>

#include "tablestore/format/ByteOrder.h"

namespace wispel {

namespace {

using namespace storecode;

bool validLink(const DataHeader& header, std::uint32_t link) {
    return link < header.nextRecordNumber;  // 0 ends the chain
}

}  // namespace

StoreResult chooseRecordSlot(const DataHeader& header, std::uint32_t& slot) {
    if (header.freeChainHead != 0) {
        slot = header.freeChainHead;
        return kOk;
    }
    std::uint64_t number = header.nextRecordNumber;
    if (number + 1 > kMaxRecordNumber || number * header.recordSize >= kMaxRecordAreaBytes)
        return kTableFull;
    slot = header.nextRecordNumber;
    return kOk;
}

StoreResult takeRecordSlot(DataHeader& header, std::uint32_t slot, const RecordImage& slotOnFile) {
    if (slot != header.freeChainHead) {
        if (slot != header.nextRecordNumber) return kRecordsCorrupt;
        ++header.nextRecordNumber;
        return kOk;
    }
    if (slotOnFile.size() < kRecordHeaderSize) return kRecordsCorrupt;
    RecordHeader onFile = readRecordHeader(slotOnFile.data());
    if (onFile.status != recordstatus::kDeleted || !validLink(header, onFile.link) ||
        onFile.link == slot)
        return kRecordsCorrupt;
    header.freeChainHead = onFile.link;
    return kOk;
}

std::int32_t takeRecordId(DataHeader& header) {
    header.lastAutoInc = nextCounterValue(header.lastAutoInc);
    return header.lastAutoInc;
}

void noteRecordId(DataHeader& header, std::int32_t recordId) {
    header.lastAutoInc = std::max(header.lastAutoInc, recordId);
}

void initRecordSlot(const DataHeader& header, RecordImage& record, std::uint32_t slot,
                    std::int32_t recordId) {
    record.assign(header.recordSize, 0);
    writeRecordHeader({recordstatus::kActive, slot, recordId}, record.data());
}

void freeRecordSlot(DataHeader& header, RecordImage& record, std::uint32_t slot) {
    RecordHeader h = readRecordHeader(record.data());
    h.status = recordstatus::kDeleted;
    h.link = header.freeChainHead;
    writeRecordHeader(h, record.data());
    header.freeChainHead = slot;
}

StoreResult checkFreeChain(StoreFile& file, const DataHeader& header, std::uint32_t& length) {
    length = 0;
    std::uint32_t slots = recordSlotCount(header);
    for (std::uint32_t at = header.freeChainHead; at != 0;) {
        if (!validLink(header, at) || length >= slots) return kRecordsCorrupt;
        unsigned char head[5];
        std::size_t got = 0;
        if (StoreResult r = file.readSome(recordOffset(header, at), head, sizeof head, got))
            return r;
        if (got != sizeof head || head[0] != recordstatus::kDeleted) return kRecordsCorrupt;
        at = getLe32(head + 1);
        ++length;
    }
    return kOk;
}

}  // namespace wispel
