// The table object's write side: insert, modify and delete under the write lock, in an
// order that a killed process or a failed write cannot turn into a damaged table.
//
// Each operation changes the keys in memory first (a refused key changes nothing on disk),
// then notes itself in the index header (kind, record slot, the slot's former free-chain
// link, the data header's change counter), writes the record, the data header, the index
// pages and the index header, and last clears the note. Whoever next holds the write lock
// and finds a note first holds it against the data header, the file's length and the noted
// slot (judgeOperationNote); a note that does not fit them is not applied and the table is
// refused with 8961. One that fits is repaired (recoverFromNote()):
//   - data header not yet written (its counter is the noted one): the operation is undone:
//     an appended slot is cut off, a reused free slot goes back to the chain with its noted
//     link, a deleted record becomes active again;
//   - data header written: the operation is complete in the data file and stays;
// and in both cases the index file is made again from the records. A write that fails
// inside this process is rolled back at once, with the data header and record image as
// they were before (rollBack()).
// doc/table_format.md, "Crash safety", describes the note.

#include <cstring>
#include <string_view>

#include "tablestore/engine/DataTable.h"

#include "core/NumberText.h"
#include "tablestore/format/ByteOrder.h"
#include "tablestore/format/DataFile.h"
#include "tablestore/format/RecordSlots.h"
#include "tablestore/format/RecordValues.h"

namespace wispel {


StoreStatus TDataTable::takeWriteLock() {
    if (readOnly_) return storecode::kAccessDenied;
    const bool held = locks_->writeLocked();
    if (StoreResult r = locks_->takeWriteLock()) return r;
    // Under a write lock held already no other process has written since it was taken.
    if (held) return storecode::kOk;
    // A note an earlier run could not clear is repaired below; it covers nothing new.
    cover_ = TCover::none;
    bool changed = false;
    if (StoreStatus r = reloadIfChanged(changed)) {
        // The failure to read is what the caller hears of; a release that fails too leaves
        // nothing more to do.
        (void)locks_->releaseWriteLock();
        return r;
    }
    return storecode::kOk;
}

StoreStatus TDataTable::releaseWriteLock(StoreStatus result) {
    StoreResult released = locks_->releaseWriteLock();
    if (result) return result;
    return released;
}

StoreStatus TDataTable::writeDataHeader() {
    const DataHeader known = header_;
    StoreStatus r = StoreStatus(saveDataHeader(data_->file(), header_, true)).about(dataPath_);
    // A header that did not go out keeps its counter: notes are made against the one on file.
    if (!r.ok()) header_ = known;
    else cover_ = TCover::none;
    return r;
}

StoreStatus TDataTable::countAppendedSlots() {
    return cover_ == TCover::appends ? writeDataHeader() : StoreStatus();
}

StoreStatus TDataTable::writeRecord(std::uint32_t record, const std::uint8_t* image,
                                    std::uint32_t bytes) {
    return StoreStatus(data_->write(recordOffset(header_, record), image, bytes)).about(dataPath_);
}

StoreStatus TDataTable::beginWrite(const TPendingOperation& operation) {
    pending_ = operation;
    return StoreStatus(writeOperationNote(index_->file(), operation)).about(indexPath_);
}

namespace {
// The most changed index pages a held write lock lets wait (4 MiB of pages, well inside the
// page cache's bound, which never drops a changed page): past it they are written, and the
// operations after them wait again.
constexpr std::size_t kDeferredPageLimit = 1024;
}  // namespace

StoreStatus TDataTable::endWrite() {
    const bool defer = deferring() && indexes_->pendingPages() <= kDeferredPageLimit;
    if (!defer) {
        if (StoreStatus r = writeDeferred()) return r;
    }
    // The note stays while anything waits: it is what has a crash repair the indexes.
    deferred_ = defer;
    pending_ = {};
    if (blobs_) blobs_->forget();
    return storecode::kOk;
}

StoreStatus TDataTable::writeDeferred() {
    StoreStatus r;
    // Before the index header clears the note that covers the records written without it.
    if (headerBehind()) r = writeDataHeader();
    if (r.ok() && blobs_ && blobs_->unsaved()) r = StoreStatus(blobs_->saveHeader()).about(blobPath_);
    const std::int32_t counter = indexes_->changeCounter();
    if (r.ok()) r = StoreStatus(indexes_->writePending()).about(indexPath_);
    // A header write clears the note with every reserved byte; without one it is cleared here.
    if (r.ok() && indexes_->changeCounter() == counter)
        r = StoreStatus(writeOperationNote(index_->file(), {})).about(indexPath_);
    if (!r.ok() && deferred_) {
        // Earlier operations are whole in the data file; the note on file has whoever next
        // takes the write lock (this object too) make the indexes again from them.
        indexes_->discardPending();
    }
    deferred_ = false;
    // A data header that failed to go out leaves the note on file: whoever next takes the
    // write lock repairs the table from it and reads the header again.
    cover_ = TCover::none;
    return r;
}

void TDataTable::forgetKeyChanges(const StoreStatus& refusal) {
    // A refused key is taken back by the indexes themselves, keeping what waits.
    if (refusal == storecode::kDuplicateKey && deferred_) return;
    indexes_->discardPending();
    if (!deferred_) return;
    // The refusal is what the caller hears of; should the indexes not be made again, the
    // note on file has the next writer do it.
    (void)rebuildFromRecords(false);
}

namespace {

// <0, 0 or >0 as the column's value in `image` lies below, at or above the limit `text`;
// 0 too for limits of types not compared here (dates, times, byte strings).
int compareWithLimit(const std::uint8_t* image, const ColumnDescriptor& c, const std::string& text) {
    namespace et = enginetype;
    if (c.type == et::kText) {
        const int order = std::string_view(textValue(image, c)).compare(text);
        return order < 0 ? -1 : order > 0;
    }
    double value = 0;
    switch (c.type) {
        case et::kSmallint: value = int16Value(image, c); break;
        case et::kWord: value = uint16Value(image, c); break;
        case et::kInteger: value = int32Value(image, c); break;
        case et::kUnsigned32: value = uint32Value(image, c); break;
        case et::kFloat: value = doubleValue(image, c); break;
        default: return 0;
    }
    double limit = 0;
    if (!parseNumber(text, limit)) return 0;
    return value < limit ? -1 : value > limit;
}

}  // namespace

StoreStatus TDataTable::checkRecord(const std::uint8_t* image) {
    for (const ColumnDescriptor& c : columns_) {
        if (c.isAutoInc()) continue;
        if (image[c.offset] == 0) {
            if (!c.required) continue;
            return {storecode::kValueRequired, {}, c.name};
        }
        if (!c.minimum.empty() && compareWithLimit(image, c, c.minimum) < 0) {
            return {storecode::kBelowMinimum, {}, c.name};
        }
        if (!c.maximum.empty() && compareWithLimit(image, c, c.maximum) > 0) {
            return {storecode::kAboveMaximum, {}, c.name};
        }
    }
    return storecode::kOk;
}

StoreStatus TDataTable::rollBack(StoreStatus result, const DataHeader& before,
                                 const std::uint8_t* oldImage) {
    indexes_->discardPending();
    // Blocks the undo could not put back are found again from the records.
    const bool blobsUndone = !blobs_ || blobs_->undo() == storecode::kOk;
    const TPendingOperation op = pending_;
    header_ = before;
    StoreStatus r = undoSlot(op, oldImage);
    if (r == storecode::kOk) r = writeDataHeader();
    if (r == storecode::kOk) r = cutAppendedSlot();
    if (r == storecode::kOk) r = rebuildFromRecords(!blobsUndone);
    // An undo that fails leaves the note: the next writer or opener repairs the table from
    // it. The caller hears of the failure that made the undo necessary.
    if (r == storecode::kOk) pending_ = {};
    return result;
}

StoreStatus TDataTable::undoSlot(const TPendingOperation& op, const std::uint8_t* oldImage) {
    // An appended slot has nothing to put back: it is cut off.
    if (op.record < 1 || op.record >= header_.nextRecordNumber) return storecode::kOk;
    std::uint8_t head[5];
    switch (op.kind) {
        case TPendingKind::insert:  // a reused free slot goes back to the chain
            head[0] = recordstatus::kDeleted;
            putLe32(head + 1, op.link);
            return writeRecord(op.record, head, sizeof head);
        case TPendingKind::remove:
            head[0] = recordstatus::kActive;
            putLe32(head + 1, op.record);
            return writeRecord(op.record, head, sizeof head);
        case TPendingKind::modify:
            // After a crash the record stays as it is (a torn write inside one record is the
            // one thing a kill can cost); in the process the image from before is known.
            return oldImage != nullptr ? writeRecord(op.record, oldImage, recordSize())
                                       : storecode::kOk;
        case TPendingKind::none:
        case TPendingKind::appendRun:
            break;
    }
    return storecode::kOk;
}

StoreStatus TDataTable::cutAppendedSlot() {
    std::uint64_t length = 0;
    if (StoreResult r = data_->size(length)) return {r, dataPath_};
    const std::uint64_t expected = dataFileLength(header_);
    // Never below the slots the header counts, and never more than the one an insert appends.
    if (length < expected || length > expected + recordSize())
        return {storecode::kHeaderCorrupt, dataPath_};
    if (length > expected) return StoreStatus(data_->truncate(expected)).about(dataPath_);
    return storecode::kOk;
}

StoreStatus TDataTable::rebuildFromRecords(bool blobChains) {
    resetCaches();
    if (StoreStatus r = rebuildActive(true)) return r;
    // After a crash the blob blocks of the operation may be half taken or half released.
    if (blobChains) {
        if (StoreStatus r = rebuildBlobChains()) return r;
    }
    return rebuildIndexFile();
}

StoreStatus TDataTable::recoverFromNote(const TPendingOperation& note) {
    std::uint64_t length = 0;
    if (StoreResult r = data_->size(length)) return {r, dataPath_};
    RecordHeader slot;
    const RecordHeader* slotOnFile = nullptr;
    if (header_.recordSize >= kRecordHeaderSize && note.record >= 1 &&
        note.record < header_.nextRecordNumber &&
        recordOffset(header_, note.record) + header_.recordSize <= length) {
        std::uint8_t bytes[kRecordHeaderSize];
        if (StoreResult r = data_->read(recordOffset(header_, note.record), bytes, sizeof bytes))
            return {r, dataPath_};
        slot = readRecordHeader(bytes);
        slotOnFile = &slot;
    }
    const TNoteRepair repair = judgeOperationNote(note, header_, length, slotOnFile);
    if (repair == TNoteRepair::refuse) return storecode::kHeaderCorrupt;
    // What the repair leaves must pass the checks on open before anything is written.
    DataHeader checked;
    std::vector<ColumnDescriptor> columns;
    if (StoreResult r =
            loadDataFileOfLength(data_->file(), dataFileLength(header_), checked, columns))
        return r == storecode::kReadError ? storecode::kHeaderCorrupt : r;
    if (!indexes_) {
        indexes_ = std::make_unique<TTableIndexes>(index_->file());
        if (StoreResult r = indexes_->open(columns, header_.recordSize)) {
            indexes_.reset();
            return {r, indexPath_};
        }
    }
    if (columns_.empty()) columns_ = columns;
    if (blob_ != nullptr && !blobs_) {
        blobs_ = std::make_unique<TTableBlobs>(*blob_, blobBlockSize(header_));
        if (StoreResult r = blobs_->load()) {
            blobs_.reset();
            return {r, blobPath_};
        }
    }
    StoreStatus r;
    if (repair == TNoteRepair::undo) r = undoSlot(note, nullptr);
    if (repair == TNoteRepair::adopt) r = adoptAppendedSlots(length);
    if (r == storecode::kOk) r = cutAppendedSlot();
    if (r == storecode::kOk) r = rebuildFromRecords(true);
    return r;
}

StoreStatus TDataTable::adoptAppendedSlots(std::uint64_t fileLength) {
    const std::uint32_t size = header_.recordSize;
    DataHeader adopted = header_;
    std::uint64_t end = dataFileLength(header_);
    for (; end + size <= fileLength; end += size) {
        std::uint8_t bytes[kRecordHeaderSize];
        if (StoreResult r = data_->read(end, bytes, sizeof bytes)) return {r, dataPath_};
        const RecordHeader slot = readRecordHeader(bytes);
        if (slot.status != recordstatus::kActive || slot.link != adopted.nextRecordNumber) break;
        if (slot.recordId > adopted.lastAutoInc) adopted.lastAutoInc = slot.recordId;
        ++adopted.nextRecordNumber;
    }
    // Past the run's slots at most one written in part: anything more is not the run's.
    if (fileLength - end >= size) return storecode::kHeaderCorrupt;
    // That one goes before the header counts the others, so that a repair cut off in between
    // finds the same run behind the same header.
    if (fileLength > end) {
        if (StoreResult r = data_->truncate(end)) return {r, dataPath_};
    }
    if (adopted.nextRecordNumber == header_.nextRecordNumber) return storecode::kOk;
    header_ = adopted;
    return writeDataHeader();
}

StoreStatus TDataTable::repairIfPending() {
    const bool lockHere = !locks_->writeLocked();
    if (lockHere) {
        if (readOnly_) return storecode::kOk;
        if (StoreResult r = locks_->takeWriteLock()) return r;
    }
    // Read again under the write lock: another process may have repaired it meanwhile. The
    // data header is taken as it is: the note is held against it before anything is trusted.
    TPendingOperation note;
    unsigned char bytes[kDataHeaderSize];
    StoreStatus r = StoreStatus(readOperationNote(index_->file(), note)).about(indexPath_);
    if (r == storecode::kOk) {
        std::uint64_t length = 0;
        StoreResult read = data_->size(length);
        if (read == storecode::kOk && length < kDataHeaderSize) read = storecode::kHeaderCorrupt;
        if (read == storecode::kOk) read = data_->read(0, bytes, sizeof bytes);
        r = StoreStatus(read).about(dataPath_);
    }
    if (r == storecode::kOk && note.kind != TPendingKind::none) {
        // The header this object knows stays until its caller has read the repaired one.
        const DataHeader known = header_;
        header_ = readDataHeader(bytes);
        r = recoverFromNote(note);
        header_ = known;
    }
    return lockHere ? releaseWriteLock(r) : r;
}

StoreStatus TDataTable::rebuildIndexFile() {
    indexMissing_ = false;
    // A data header or blob header that waited is written before the note goes with the
    // index file's header.
    if (headerBehind()) {
        if (StoreStatus r = writeDataHeader()) return r;
    }
    if (blobs_ && blobs_->unsaved()) {
        if (StoreResult r = blobs_->saveHeader()) return {r, blobPath_};
    }
    deferred_ = false;
    if (StoreStatus r = rebuildIndexes()) return r;
    return StoreStatus(writeOperationNote(index_->file(), {})).about(indexPath_);
}

StoreStatus TDataTable::insertRecord(std::uint8_t* image, std::uint32_t& record,
                                     const void* owner, const TBlobValues& blobs) {
    if (StoreStatus r = takeWriteLock()) return r;
    // Only an append continues a run of appends; anything else is noted against a data
    // header that counts the run's slots.
    if (header_.freeChainHead != 0) {
        if (StoreStatus r = countAppendedSlots()) return releaseWriteLock(r);
    }
    const DataHeader before = header_;
    std::uint32_t link = 0;
    StoreStatus r = chooseRecordSlot(header_, record);
    RecordImage onFile;
    if (r == storecode::kOk && record == header_.freeChainHead) {
        onFile.resize(recordSize());
        r = readRecord(record, onFile.data());
        link = readRecordHeader(onFile.data()).link;
    }
    if (r == storecode::kOk) r = checkRecord(image);
    std::int32_t largestId = 0;
    if (r == storecode::kOk) r = indexes_->largestRecordId(largestId);
    if (r == storecode::kOk) r = checkBlobValues(blobs);
    // A slot appended under the write lock is one no other process or cursor has seen, so
    // none can be editing it: only a reused free slot needs its record lock.
    const bool appended = r == storecode::kOk && record != header_.freeChainHead;
    if (r == storecode::kOk && !appended) r = lockRecord(record, owner);
    const auto unlockSlot = [&] { return appended ? StoreStatus() : unlockRecord(record, owner); };
    if (r != storecode::kOk) return releaseWriteLock(r);

    r = takeRecordSlot(header_, record, onFile);
    // A last ID behind the IDs in use (a damaged header) would make every new ID a duplicate.
    if (header_.lastAutoInc < largestId) header_.lastAutoInc = largestId;
    const std::int32_t id = takeRecordId(header_);
    writeRecordHeader({recordstatus::kActive, record, id}, image);
    // The new keys go in first: a refused one is taken back before the slot's old key goes.
    if (r == storecode::kOk) {
        std::string index;
        r = StoreStatus(indexes_->addRecord(record, image, index)).onField(index);
    }
    if (r == storecode::kOk && !onFile.empty()) r = indexes_->reuseSlot(onFile.data());
    if (r != storecode::kOk) {
        header_ = before;
        forgetKeyChanges(r);
        (void)unlockSlot();  // the failure is what the caller hears of
        return releaseWriteLock(r);
    }
    indexes_->setActiveRecords(indexes_->activeRecords() + 1);
    std::vector<BlobReference> replaced;
    // Under the held write lock inserts that append slot after slot are noted once, as a
    // run, and leave the data header behind: a crash counts in every slot past the header's
    // that holds its own number (the inserts that returned) and cuts off one written in
    // part. Appends of a run cost a record and its values each.
    const bool inRun = appended && deferring();
    const TPendingOperation op =
        inRun ? TPendingOperation{TPendingKind::appendRun, record, 0, before.changeCounter}
              : TPendingOperation{TPendingKind::insert, record, link, before.changeCounter};
    if (inRun && cover_ == TCover::appends) pending_ = op;
    else r = beginWrite(op);
    if (r == storecode::kOk) r = writeBlobValues(image, nullptr, blobs, replaced);
    if (r == storecode::kOk) r = writeRecord(record, image, recordSize());
    if (r == storecode::kOk) {
        if (inRun) cover_ = TCover::appends;
        else r = writeDataHeader();
    }
    if (r == storecode::kOk) r = endWrite();
    if (r != storecode::kOk) {
        r = rollBack(r, before, nullptr);
        (void)unlockSlot();  // the failure is what the caller hears of
        return releaseWriteLock(r);
    }
    cache_->put(record, image);
    active_.resize(slotCount());
    active_.include(record);
    noteChange(record);
    r = unlockSlot();
    return releaseWriteLock(r);
}

StoreStatus TDataTable::modifyRecord(std::uint32_t record, std::uint8_t* image,
                                     const std::uint8_t* asRead, const TBlobValues& blobs) {
    (void)asRead;
    if (StoreStatus r = takeWriteLock()) return r;
    std::vector<std::uint8_t> current(recordSize());
    StoreStatus r = readRecord(record, current.data());
    if (r == storecode::kOk && current[0] != recordstatus::kActive) r = storecode::kRecordChanged;
    if (r == storecode::kOk) {
        std::memcpy(image, current.data(), kRecordHeaderSize);  // status, number and ID stay
        r = checkRecord(image);
    }
    if (r == storecode::kOk) r = checkBlobValues(blobs);
    if (r != storecode::kOk) return releaseWriteLock(r);
    std::string index;
    if ((r = StoreStatus(indexes_->changeRecord(record, current.data(), image, index))
                 .onField(index))) {
        forgetKeyChanges(r);
        return releaseWriteLock(r);
    }
    const DataHeader before = header_;
    std::vector<BlobReference> replaced;
    // A modify changes nothing the data header holds but its counters. Under the held write
    // lock it leaves the header behind, and one that follows a modify there leaves the note
    // too: the first one's note stays beside the header it was noted against, so a crash
    // keeps every record written since (a modify is never undone after a crash) and makes
    // the indexes and the free-block chain again. Modifies of a run cost a record and its
    // new values each.
    const TPendingOperation op{TPendingKind::modify, record, 0, header_.changeCounter};
    const TCover covered = headerBehind() ? cover_ : TCover::modifies;
    if (headerBehind()) pending_ = op;
    else r = beginWrite(op);
    if (r == storecode::kOk) r = writeBlobValues(image, current.data(), blobs, replaced);
    if (r == storecode::kOk) r = writeRecord(record, image, recordSize());
    if (r == storecode::kOk) {
        if (deferring()) cover_ = covered;
        else r = writeDataHeader();
    }
    // Values the record held go only now: until the record is written the operation may
    // still be undone, and the record then needs them.
    if (r == storecode::kOk) r = releaseBlobs(replaced);
    if (r == storecode::kOk) r = endWrite();
    if (r != storecode::kOk) return releaseWriteLock(rollBack(r, before, current.data()));
    cache_->put(record, image);
    noteChange(record);
    return releaseWriteLock(storecode::kOk);
}

StoreStatus TDataTable::deleteRecord(std::uint32_t record, const std::uint8_t* asSeen,
                                     const void* owner) {
    if (StoreStatus r = takeWriteLock()) return r;
    if (StoreStatus r = countAppendedSlots()) return releaseWriteLock(r);
    std::vector<std::uint8_t> current(recordSize());
    StoreStatus r = readRecord(record, current.data());
    if (r == storecode::kRecordNotFound ||
        (r == storecode::kOk && std::memcmp(current.data(), asSeen, recordSize()) != 0))
        r = storecode::kRecordChanged;
    const bool lockedBefore = recordLocks_.count(record) != 0;
    if (r == storecode::kOk) r = lockRecord(record, owner);
    if (r != storecode::kOk) return releaseWriteLock(r);
    if ((r = indexes_->removeRecord(record, current.data()))) {
        forgetKeyChanges(r);
        if (!lockedBefore) (void)unlockRecord(record, owner);  // the failure is what counts
        return releaseWriteLock(r);
    }
    indexes_->setActiveRecords(indexes_->activeRecords() - 1);
    const DataHeader before = header_;
    RecordImage freed(current.begin(), current.end());
    freeRecordSlot(header_, freed, record);
    std::vector<BlobReference> values;
    for (const ColumnDescriptor& column : columns_)
        if (column.type == enginetype::kBlob && hasValue(current.data(), column))
            values.push_back(readBlobReference(valueBytes(current.data(), column)));
    r = beginWrite({TPendingKind::remove, record, 0, before.changeCounter});
    if (r == storecode::kOk) r = writeRecord(record, freed.data(), recordSize());
    if (r == storecode::kOk) r = writeDataHeader();
    if (r == storecode::kOk) r = releaseBlobs(values);
    if (r == storecode::kOk) r = endWrite();
    if (r != storecode::kOk) {
        r = rollBack(r, before, nullptr);
        if (!lockedBefore) (void)unlockRecord(record, owner);  // the failure is what counts
        return releaseWriteLock(r);
    }
    cache_->put(record, freed.data());
    active_.exclude(record);
    noteChange(record);
    r = unlockRecord(record, owner);
    return releaseWriteLock(r);
}

}  // namespace wispel
