// The table object's open, read and change-detection side. The write side (insert, modify,
// delete, repair) is in TableWriter.cpp; table creation in TableCreate.cpp.

#include "tablestore/engine/DataTable.h"

#include <algorithm>
#include <cstring>

#include "core/TextCase.h"
#include "tablestore/engine/DataSession.h"

#include "tablestore/format/DataFile.h"
#include "tablestore/format/RecordSlots.h"
#include "tablestore/format/RecordValues.h"

namespace wispel {

namespace {

// The most a read-ahead fetches at once, in bytes: a miss at most one such run past where
// the last one ended (a walk in record order, every record or a filter's few) reads far
// ahead, a miss elsewhere (a walk in key order, a look-up) about a page.
constexpr std::uint32_t kReadAheadBytes = 65535;
constexpr std::uint32_t kReadAroundBytes = 4096;
// Chunk in which the record statuses are scanned.
constexpr std::uint32_t kScanBytes = 1 << 20;

}  // namespace

std::string tableFileName(const std::string& tableName, const char* extension) {
    size_t slash = tableName.rfind('/');
    size_t dot = tableName.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return tableName + extension;
    if (sameText(tableName.substr(dot), extension)) return tableName;
    return tableName.substr(0, dot) + extension;
}

TDataTable::TDataTable(TDataDirectory& directory, std::string name,
                       const TTableOpenOptions& options)
    : directory_(directory), name_(std::move(name)), options_(options) {}

TDataTable::~TDataTable() { close(); }

const TEngineSettings& TDataTable::settings() const { return directory_.session().settings; }

StoreStatus TDataTable::openFiles() {
    StoreFileSystem& fs = directory_.fileSystem();
    const bool memory = directory_.inMemory();
    dataPath_ = directory_.filePath(tableFileName(name_, ".DAT"));
    indexPath_ = directory_.filePath(tableFileName(name_, ".IDX"));
    StoreOpenOptions open{options_.exclusive, options_.readOnly, settings().forceBufferFlush};
    if (StoreResult r = TFileList::Instance().open(fs, memory, dataPath_, open, data_))
        return {r, dataPath_};
    StoreResult r = TFileList::Instance().open(fs, memory, indexPath_, open, index_);
    if (r == storecode::kInvalidPath && !options_.readOnly && !data_->readOnly()) {
        // A lost index file is made again, empty, and filled from the data once open.
        TAbstractFile* created = nullptr;
        if ((r = TFileList::Instance().create(fs, memory, indexPath_, created)))
            return {r, indexPath_};
        r = TIndexFile::create(created->file());
        TFileList::Instance().close(created);
        if (r) return {r, indexPath_};
        indexMissing_ = true;
        r = TFileList::Instance().open(fs, memory, indexPath_, open, index_);
    }
    if (r) return {r, indexPath_};
    if (StoreStatus opened = openBlobFile(open)) return opened;
    readOnly_ = options_.readOnly || data_->readOnly() || index_->readOnly() ||
                (blob_ != nullptr && blob_->readOnly());
    locks_ = std::make_unique<TTableLocks>(*data_, *index_, !options_.exclusive && !readOnly_);
    locks_->attachBlobFile(blob_);
    return storecode::kOk;
}

StoreStatus TDataTable::openBlobFile(const StoreOpenOptions& open) {
    // Only a table with blob columns has a blob file; a header too short to tell is refused
    // by the header checks that follow.
    unsigned char bytes[kDataHeaderSize];
    std::size_t got = 0;
    if (StoreResult r = data_->readSome(0, bytes, sizeof bytes, got)) return {r, dataPath_};
    if (got < sizeof bytes || readDataHeader(bytes).blobColumnCount == 0) return storecode::kOk;
    blobPath_ = directory_.filePath(tableFileName(name_, ".BLB"));
    return StoreStatus(TFileList::Instance().open(directory_.fileSystem(), directory_.inMemory(),
                                                  blobPath_, open, blob_))
        .about(blobPath_);
}

StoreStatus TDataTable::open() {
    StoreStatus r = openFiles();
    if (r == storecode::kOk) {
        r = locks_->takeReadLock();
        if (r == storecode::kOk) {
            r = readHeaders();
            if (r == storecode::kOk) {
                cache_ = std::make_unique<TRecordCache>(recordSize(), slotCount());
                r = rebuildActive();
            }
            if (r == storecode::kOk) r = checkIndexCount();
            StoreResult released = locks_->releaseReadLock();
            if (r == storecode::kOk) r = released;
        }
    }
    if (r == storecode::kOk && indexMissing_) {
        if ((r = takeWriteLock()) == storecode::kOk) r = releaseWriteLock(rebuildIndexFile());
    }
    if (r != storecode::kOk) close();
    return r;
}

StoreStatus TDataTable::checkIndexCount() {
    if (indexMissing_) return storecode::kOk;
    // The data file's count: its slots less the free-record chain (a chain that cannot be
    // walked leaves the count unknown; `check` reports it).
    std::uint32_t chain = 0;
    const bool chainKnown = checkFreeChain(data_->file(), header_, chain) == storecode::kOk;
    const std::uint32_t counted = indexes_->activeRecords();
    if (counted == active_.count() && (!chainKnown || counted == slotCount() - chain))
        return storecode::kOk;
    // An index file that does not describe the data file beside it (blank, or from an older
    // copy of the table) would hide rows: it is made again from the records.
    if (readOnly_) return storecode::kHeaderCorrupt;
    indexMissing_ = true;
    return rebuildActive(true);
}

void TDataTable::close() {
    // What a held write lock's operations deferred is written now; should that fail, their
    // note stays and the next writer repairs the indexes from the records.
    if (deferred_) (void)writeDeferred();
    heldWrites_ = 0;
    if (locks_) {
        // Closing cannot fail: what is not given back here goes with the files' handles.
        for (const auto& [record, owner] : recordLocks_) (void)locks_->unlockRecord(record);
        while (locks_->writeLocked()) (void)locks_->releaseWriteLock();
        while (locks_->readLocked()) (void)locks_->releaseReadLock();
    }
    recordLocks_.clear();
    locks_.reset();
    cache_.reset();
    blobs_.reset();
    if (blob_ != nullptr) TFileList::Instance().close(blob_);
    TFileList::Instance().close(index_);
    TFileList::Instance().close(data_);
    index_ = data_ = blob_ = nullptr;
}

StoreStatus TDataTable::readHeaders() {
    // An operation a killed process left half done is repaired before the data file's
    // length is held against its header.
    TPendingOperation note;
    if (StoreResult r = readOperationNote(index_->file(), note))
        return {r == storecode::kReadError ? storecode::kHeaderCorrupt : r, indexPath_};
    if (note.kind != TPendingKind::none && !readOnly_ && !indexMissing_) {
        if (StoreStatus r = repairIfPending()) return r;
    }
    DataHeader header;
    std::vector<ColumnDescriptor> columns;
    if (StoreResult r = loadDataFile(data_->file(), header, columns)) return r;
    header_ = header;
    columns_ = std::move(columns);
    if (blob_ != nullptr) {
        if (!blobs_) blobs_ = std::make_unique<TTableBlobs>(*blob_, blobBlockSize(header_));
        if (StoreResult r = blobs_->load()) return {r, blobPath_};
    }
    indexes_ = std::make_unique<TTableIndexes>(index_->file());
    return indexes_->open(columns_, header_.recordSize);
}

StoreStatus TDataTable::scanSlots(
    const std::function<void(std::uint32_t, const std::uint8_t*)>& visit) {
    const std::uint32_t slots = slotCount();
    const std::uint32_t size = recordSize();
    const std::uint32_t perChunk = std::max<std::uint32_t>(1, kScanBytes / size);
    std::vector<std::uint8_t> buffer(std::size_t(std::min(perChunk, std::max(slots, 1u))) * size);
    for (std::uint32_t first = 1; first <= slots; first += perChunk) {
        const std::uint32_t count = std::min(perChunk, slots - first + 1);
        if (StoreResult r = data_->read(recordOffset(header_, first), buffer.data(),
                                        std::size_t(count) * size))
            return {r == storecode::kReadError ? storecode::kRecordsCorrupt : r, dataPath_};
        for (std::uint32_t i = 0; i < count; ++i) visit(first + i, &buffer[std::size_t(i) * size]);
    }
    return storecode::kOk;
}

StoreStatus TDataTable::rebuildIndexes(const TIndexHeader* definitions) {
    StoreStatus scanned;
    bool scanDone = false;
    auto scan = [&](const std::function<void(std::uint32_t, const std::uint8_t*)>& visit) {
        scanned = scanSlots(visit);
        scanDone = true;
        return scanned.code();
    };
    StoreStatus r = indexes_->rebuild(scan, definitions);
    if (!scanned.ok()) return scanned;
    return r.ok() || scanDone ? r : std::move(r).about(indexPath_);
}

StoreStatus TDataTable::rebuildActive(bool fromRecords) {
    active_.resize(slotCount());
    // Every deleted slot is on the free-record chain: without a chain every slot is a row,
    // as the index file's count of them confirms, and the system index need not be walked.
    if (!fromRecords && indexes_ && !indexMissing_ && header_.freeChainHead == 0 &&
        indexes_->activeRecords() == slotCount()) {
        active_.includeAll();
        return storecode::kOk;
    }
    active_.excludeAll();
    // The system index lists them without reading the records; while it is being made again
    // (a missing or repaired index file) the records themselves are read.
    if (!fromRecords && indexes_ && !indexMissing_ &&
        indexes_->activeRecords(active_) == storecode::kOk)
        return storecode::kOk;
    active_.excludeAll();
    return scanSlots([this](std::uint32_t record, const std::uint8_t* image) {
        if (image[0] == recordstatus::kActive) active_.include(record);
    });
}

void TDataTable::resetCaches() {
    if (cache_) cache_->clear();
    blobValues_.clear();
    ++generation_;
    changes_.clear();  // what changed is not known record by record
}

void TDataTable::noteChange(std::uint32_t record) {
    ++generation_;
    changes_.push_back({generation_, record});
    if (changes_.size() > kChangesKept) changes_.erase(changes_.begin());
}

bool TDataTable::changesSince(std::uint64_t generation, std::vector<std::uint32_t>& records) const {
    records.clear();
    if (generation >= generation_) return true;
    if (changes_.empty() || changes_.front().first > generation + 1) return false;
    for (const auto& [at, record] : changes_)
        if (at > generation) records.push_back(record);
    return changes_.back().first == generation_;
}

StoreStatus TDataTable::readIndexHead(std::uint8_t* image) {
    std::size_t got = 0;
    if (StoreResult r = index_->readSome(0, image, indexlayout::kPageSize, got))
        return {r, indexPath_};
    // A file cut inside its header: the note (when it reaches that far) is the first thing
    // it fails, else the header's own checks.
    if (got < kOperationNoteEnd) return {storecode::kReadError, indexPath_};
    return got < indexlayout::kPageSize ? StoreStatus{storecode::kHeaderCorrupt, indexPath_}
                                        : StoreStatus{};
}

StoreStatus TDataTable::reloadIfChanged(bool& changed) {
    changed = false;
    // One read of the index header gives both the note and the change counter; while the
    // counter stands the header is not decoded again.
    std::uint8_t indexHead[indexlayout::kPageSize];
    if (StoreStatus r = readIndexHead(indexHead)) return r;
    if (decodeOperationNote(indexHead).kind != TPendingKind::none && !readOnly_) {
        changed = true;
        if (StoreStatus r = repairIfPending()) return r;
        if (StoreStatus r = readIndexHead(indexHead)) return r;
    }
    unsigned char bytes[kDataHeaderSize];
    if (StoreResult r = data_->read(0, bytes, sizeof bytes)) return {r, dataPath_};
    bool indexChanged = false;
    if (StoreResult r = indexes_->reread(indexHead, indexChanged)) return {r, indexPath_};
    if (!changed && !indexChanged &&
        readDataHeader(bytes).changeCounter == header_.changeCounter)
        return storecode::kOk;
    changed = true;
    DataHeader checked;
    if (StoreResult r = loadDataHeader(data_->file(), checked)) return r;
    // A table made again under the same name is not the table this object knows.
    if (checked.recordSize != header_.recordSize || checked.columnCount != header_.columnCount)
        return storecode::kHeaderCorrupt;
    header_ = checked;
    if (blobs_) {
        bool blobsChanged = false;
        if (StoreResult r = blobs_->reread(blobsChanged)) return {r, blobPath_};
    }
    resetCaches();
    return rebuildActive();
}

StoreStatus TDataTable::beginOperation() {
    if (!settings().strictChangeDetection || !locks_->enabled()) return storecode::kOk;
    return refresh();
}

StoreStatus TDataTable::underReadLock(const std::function<StoreStatus()>& body) {
    const bool lockHere = !locks_->readLocked();
    StoreStatus r = storecode::kOk;
    if (lockHere) {
        if ((r = locks_->takeReadLock())) return r;
        bool changed = false;
        r = reloadIfChanged(changed);
    }
    if (r == storecode::kOk) r = body();
    if (lockHere) {
        StoreResult released = locks_->releaseReadLock();
        if (r == storecode::kOk) r = released;
    }
    return r;
}

StoreStatus TDataTable::lockTable(bool write) {
    if (write) {
        if (StoreStatus r = takeWriteLock()) return r;
        ++heldWrites_;
        return storecode::kOk;
    }
    if (StoreResult r = locks_->takeReadLock()) return r;
    bool changed = false;
    if (StoreStatus r = reloadIfChanged(changed)) {
        // The failure to read is what the caller hears of; a release that fails too leaves
        // nothing more to do.
        (void)locks_->releaseReadLock();
        return r;
    }
    return storecode::kOk;
}

StoreStatus TDataTable::unlockTable(bool write) {
    if (!write) return locks_->releaseReadLock();
    StoreStatus r;
    if (heldWrites_ > 0 && --heldWrites_ == 0 && deferred_) r = writeDeferred();
    return releaseWriteLock(std::move(r));
}

StoreStatus TDataTable::refresh() {
    return underReadLock([] { return storecode::kOk; });
}

StoreStatus TDataTable::readRecord(std::uint32_t record, std::uint8_t* image,
                                   const TRecordsBitmap* wanted) {
    if (const std::uint8_t* hit = cache_->find(record)) {
        if (image != nullptr) std::memcpy(image, hit, recordSize());
        return storecode::kOk;
    }
    // A miss goes to the file under the read lock, which also shows another process's
    // changes first; a run of records from this one on comes into the cache.
    return underReadLock([&]() -> StoreStatus {
        if (record == 0 || record > slotCount()) return storecode::kRecordNotFound;
        const std::uint32_t size = recordSize();
        cache_->reserve(slotCount());
        const std::uint32_t farRun = std::max<std::uint32_t>(1, kReadAheadBytes / size);
        const std::uint32_t nearRun = std::max<std::uint32_t>(1, kReadAroundBytes / size);
        const bool onward = record >= runEnd_ && record - runEnd_ < farRun;
        std::uint32_t count = std::min({onward ? farRun : nearRun, slotCount() - record + 1,
                                        std::max<std::uint32_t>(1, cache_->capacity() / 2)});
        std::uint8_t* space = nullptr;
        if (wanted != nullptr) {
            // The run ends with the last record of it that is wanted and not yet held.
            std::uint32_t needed = 1;
            for (std::uint32_t i = 1; i < count; ++i) {
                if (wanted->contains(record + i) && !cache_->find(record + i)) needed = i + 1;
            }
            count = needed;
            sparseRun_.resize(std::size_t(count) * size);
            space = sparseRun_.data();
        } else {
            space = cache_->runSpace(record, count);
        }
        std::size_t got = 0;
        if (StoreResult r = data_->readSome(recordOffset(header_, record), space,
                                            std::size_t(count) * size, got))
            return {r, dataPath_};
        if (got < size) return {storecode::kRecordsCorrupt, dataPath_};
        const auto records = static_cast<std::uint32_t>(got / size);
        if (wanted == nullptr) {
            cache_->fill(record, records);
        } else {
            for (std::uint32_t i = 0; i < records; ++i) {
                if (i == 0 || wanted->contains(record + i))
                    cache_->put(record + i, &space[std::size_t(i) * size]);
            }
        }
        runEnd_ = record + records;
        if (image != nullptr) std::memcpy(image, space, size);
        return storecode::kOk;
    });
}

StoreStatus TDataTable::readRun(std::uint32_t first, std::uint32_t count,
                                std::vector<std::uint8_t>& buffer, std::uint32_t& got) {
    got = 0;
    return underReadLock([&]() -> StoreStatus {
        if (first == 0 || first > slotCount()) return storecode::kRecordNotFound;
        const std::uint32_t size = recordSize();
        buffer.resize(std::size_t(std::min(count, slotCount() - first + 1)) * size);
        std::size_t bytes = 0;
        if (StoreResult r = data_->readSome(recordOffset(header_, first), buffer.data(),
                                            buffer.size(), bytes))
            return {r, dataPath_};
        got = static_cast<std::uint32_t>(bytes / size);
        if (got == 0) return {storecode::kRecordsCorrupt, dataPath_};
        return storecode::kOk;
    });
}

StoreStatus TDataTable::lockRecord(std::uint32_t record, const void* owner) {
    auto found = recordLocks_.find(record);
    if (found != recordLocks_.end())
        return found->second == owner ? storecode::kOk : storecode::kRecordInUse;
    if (StoreResult r = locks_->lockRecord(record, settings())) return r;
    recordLocks_.emplace(record, owner);
    return storecode::kOk;
}

StoreStatus TDataTable::unlockRecord(std::uint32_t record, const void* owner) {
    auto found = recordLocks_.find(record);
    if (found == recordLocks_.end() || found->second != owner) return storecode::kOk;
    recordLocks_.erase(found);
    return locks_->unlockRecord(record);
}

void TDataTable::unlockAll(const void* owner) {
    for (auto it = recordLocks_.begin(); it != recordLocks_.end();) {
        if (it->second == owner) {
            // A cursor going away has no one to tell of a lock it could not give back; the
            // lock goes with the file's handle at the latest.
            (void)locks_->unlockRecord(it->first);
            it = recordLocks_.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace wispel
