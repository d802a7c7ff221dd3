// The table object's write side: insert, modify and delete under the write lock, in an
// order that a killed process or a failed write cannot turn into a damaged table.
//
// Each operation first notes itself in the index header (kind, record slot, the slot's
// former free-chain link, the data header's change counter), then writes the record, the
// index pages and the data header, and last the index header without the note. Whoever
// next holds the write lock and finds a note repairs the table from it (recover()):
//   - data header not yet written (its counter is the noted one): the operation is undone:
//     an appended slot is cut off, a reused free slot goes back to the chain with its noted
//     link, a deleted record becomes active again;
//   - data header written: the operation is complete in the data file and stays;
// and in both cases the file is cut to the slots the data header counts and the index file
// is made again from the records. A write that fails inside this process is rolled back
// the same way at once, with the data header and record image as they were before.
// doc/table_format.md, "Crash safety", describes the note.

#include <cstring>

#include "tablestore/engine/DataTable.h"

#include "tablestore/format/ByteOrder.h"
#include "tablestore/format/RecordValues.h"

namespace wispel {

using namespace datafile;


StoreResult TDataTable::takeWriteLock() {
    if (readOnly_) return storecode::kAccessDenied;
    if (StoreResult r = locks_->takeWriteLock()) return r;
    bool changed = false;
    if (StoreResult r = reloadIfChanged(changed)) {
        locks_->releaseWriteLock();
        return r;
    }
    return storecode::kOk;
}

StoreResult TDataTable::releaseWriteLock(StoreResult result) {
    StoreResult released = locks_->releaseWriteLock();
    return result ? result : released;
}

StoreResult TDataTable::writeDataHeader() {
    header_.prepareWrite(true);
    errorName_ = dataPath_;
    return data_->write(0, header_.image.data(), kHeaderSize);
}

StoreResult TDataTable::writeIndexHeader() {
    indexHeader_.prepareWrite(true);
    errorName_ = indexPath_;
    return index_->write(0, indexHeader_.image.data(), indexHeader_.image.size());
}

StoreResult TDataTable::writeRecord(std::uint32_t record, const std::uint8_t* image,
                                    std::uint32_t bytes) {
    errorName_ = dataPath_;
    return data_->write(header_.recordOffset(record), image, bytes);
}

StoreResult TDataTable::beginWrite(const TPendingOperation& operation) {
    indexHeader_.setPending(operation);
    return writeIndexHeader();
}

StoreResult TDataTable::endWrite() {
    indexHeader_.setPending({});
    return writeIndexHeader();
}

StoreResult TDataTable::checkRecord(const std::uint8_t* image) {
    for (const ColumnDescriptor& c : columns_) {
        if (c.isAutoInc() || !c.required) continue;
        if (image[c.offset] == 0) {
            errorField_ = c.name;
            return storecode::kValueRequired;
        }
    }
    return storecode::kOk;
}

StoreResult TDataTable::recover(const TDataHeader* before, const std::uint8_t* oldImage) {
    const TPendingOperation op = indexHeader_.pending();
    const bool dataWritten = before == nullptr && header_.counter() != op.dataCounter;
    if (before != nullptr) header_ = *before;
    StoreResult r = storecode::kOk;
    if (!dataWritten && op.record >= 1 && op.record < header_.nextRecord()) {
        std::uint8_t head[5];
        switch (op.kind) {
            case TPendingKind::insert:  // a reused free slot goes back to the chain
                head[0] = recordstatus::kDeleted;
                putLe32(head + 1, op.link);
                r = writeRecord(op.record, head, sizeof head);
                break;
            case TPendingKind::remove:
                head[0] = recordstatus::kActive;
                putLe32(head + 1, op.record);
                r = writeRecord(op.record, head, sizeof head);
                break;
            case TPendingKind::modify:
                if (oldImage != nullptr) r = writeRecord(op.record, oldImage, recordSize());
                break;
            case TPendingKind::none:
                break;
        }
    }
    if (r == storecode::kOk && before != nullptr) r = writeDataHeader();
    std::uint64_t length = 0;
    if (r == storecode::kOk) r = data_->size(length);
    const std::uint64_t expected = header_.recordOffset(header_.nextRecord());
    if (r == storecode::kOk && length > expected) r = data_->truncate(expected);
    else if (r == storecode::kOk && length < expected) r = storecode::kHeaderCorrupt;
    if (cache_) cache_->clear();
    ++generation_;
    if (r == storecode::kOk) r = rebuildActive();
    if (r == storecode::kOk) r = rebuildIndexFile();
    return r;
}

StoreResult TDataTable::repairIfPending() {
    const bool lockHere = !locks_->writeLocked();
    if (lockHere) {
        if (readOnly_) return storecode::kOk;
        if (StoreResult r = locks_->takeWriteLock()) return r;
    }
    // Another process may have repaired it while this one waited.
    StoreResult r = readHeaders();
    if (r == storecode::kOk && indexHeader_.pending().kind != TPendingKind::none)
        r = recover(nullptr, nullptr);
    return lockHere ? releaseWriteLock(r) : r;
}

StoreResult TDataTable::rebuildIndexFile() {
    const std::uint32_t count = active_.count();
    indexHeader_.setActiveRecords(count);
    indexHeader_.setPending({});
    indexMissing_ = false;
    return writeIndexHeader();
}

StoreResult TDataTable::insertRecord(std::uint8_t* image, std::uint32_t& record,
                                     const void* owner) {
    errorField_.clear();
    if (StoreResult r = takeWriteLock()) return fail(r);
    const TDataHeader before = header_;
    std::uint32_t link = 0;
    StoreResult r = storecode::kOk;
    if (std::uint32_t head = header_.freeHead()) {
        std::vector<std::uint8_t> slot(recordSize());
        r = readRecord(head, slot.data());
        if (r == storecode::kOk && slot[kStatus] != recordstatus::kDeleted) r = storecode::kRecordsCorrupt;
        record = head;
        link = getLe32(&slot[kLink]);
    } else {
        record = header_.nextRecord();
        if (record + 1 > kMaxRecordNumber || std::uint64_t(record) * recordSize() >= kMaxDataBytes)
            r = storecode::kTableFull;
    }
    if (r == storecode::kOk) r = checkRecord(image);
    if (r == storecode::kOk) r = lockRecord(record, owner);
    if (r != storecode::kOk) return fail(releaseWriteLock(r));

    const std::uint32_t id = nextRecordId(header_.lastAutoInc());
    image[kStatus] = recordstatus::kActive;
    putLe32(image + kLink, record);
    putLe32(image + kRecordId, id);
    r = beginWrite({TPendingKind::insert, record, link, header_.counter()});
    if (r == storecode::kOk) r = writeRecord(record, image, recordSize());
    if (r == storecode::kOk) {
        if (before.freeHead() == record) header_.setFreeHead(link);
        else header_.setNextRecord(record + 1);
        header_.setLastAutoInc(id);
        r = writeDataHeader();
    }
    if (r == storecode::kOk) {
        indexHeader_.setActiveRecords(indexHeader_.activeRecords() + 1);
        r = endWrite();
    }
    if (r != storecode::kOk) {
        indexHeader_.setPending({TPendingKind::insert, record, link, before.counter()});
        recover(&before, nullptr);
        unlockRecord(record, owner);
        return fail(releaseWriteLock(r));
    }
    cache_->put(record, image);
    active_.resize(slotCount());
    active_.include(record);
    ++generation_;
    r = unlockRecord(record, owner);
    return fail(releaseWriteLock(r));
}

StoreResult TDataTable::modifyRecord(std::uint32_t record, std::uint8_t* image,
                                     const std::uint8_t* asRead) {
    (void)asRead;
    errorField_.clear();
    if (StoreResult r = takeWriteLock()) return fail(r);
    std::vector<std::uint8_t> current(recordSize());
    StoreResult r = readRecord(record, current.data());
    if (r == storecode::kOk && current[kStatus] != recordstatus::kActive) r = storecode::kRecordChanged;
    if (r == storecode::kOk) {
        std::memcpy(image, current.data(), kRecordHeaderSize);  // status, number and ID stay
        r = checkRecord(image);
    }
    if (r != storecode::kOk) return fail(releaseWriteLock(r));
    const TDataHeader before = header_;
    r = beginWrite({TPendingKind::modify, record, 0, header_.counter()});
    if (r == storecode::kOk) r = writeRecord(record, image, recordSize());
    if (r == storecode::kOk) r = writeDataHeader();
    if (r == storecode::kOk) r = endWrite();
    if (r != storecode::kOk) {
        indexHeader_.setPending({TPendingKind::modify, record, 0, before.counter()});
        recover(&before, current.data());
        return fail(releaseWriteLock(r));
    }
    cache_->put(record, image);
    ++generation_;
    return fail(releaseWriteLock(storecode::kOk));
}

StoreResult TDataTable::deleteRecord(std::uint32_t record, const std::uint8_t* asSeen,
                                     const void* owner) {
    errorField_.clear();
    if (StoreResult r = takeWriteLock()) return fail(r);
    std::vector<std::uint8_t> current(recordSize());
    StoreResult r = readRecord(record, current.data());
    if (r == storecode::kRecordNotFound ||
        (r == storecode::kOk && std::memcmp(current.data(), asSeen, recordSize()) != 0))
        r = storecode::kRecordChanged;
    const bool lockedBefore = recordLocks_.count(record) != 0;
    if (r == storecode::kOk) r = lockRecord(record, owner);
    if (r != storecode::kOk) return fail(releaseWriteLock(r));
    const TDataHeader before = header_;
    std::uint8_t head[5] = {recordstatus::kDeleted};
    putLe32(head + 1, header_.freeHead());
    r = beginWrite({TPendingKind::remove, record, 0, header_.counter()});
    if (r == storecode::kOk) r = writeRecord(record, head, sizeof head);
    if (r == storecode::kOk) {
        header_.setFreeHead(record);
        r = writeDataHeader();
    }
    if (r == storecode::kOk) {
        indexHeader_.setActiveRecords(indexHeader_.activeRecords() - 1);
        r = endWrite();
    }
    if (r != storecode::kOk) {
        indexHeader_.setPending({TPendingKind::remove, record, 0, before.counter()});
        recover(&before, nullptr);
        if (!lockedBefore) unlockRecord(record, owner);
        return fail(releaseWriteLock(r));
    }
    std::memcpy(current.data(), head, sizeof head);
    cache_->put(record, current.data());
    active_.exclude(record);
    ++generation_;
    r = unlockRecord(record, owner);
    return fail(releaseWriteLock(r));
}

}  // namespace wispel
