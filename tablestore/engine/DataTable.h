#pragma once
// The table object: one open table of a directory, shared by every cursor on it. It owns
// the table's file handles (through the process's file list), the header images, the
// record cache, the set of active records and the locks; cursors hold a plain pointer to
// it from open to close.
//
// Change detection: `generation()` grows whenever the table's contents may have changed,
// through a cursor of this object or, as the file headers' change counters reveal when
// they are read again under a lock, through another process. A cursor that finds a new
// generation rebuilds its record set.
//
// Writing: every insert, modify and delete runs under the write lock and writes, in this
// order, a note of the operation into the index header, the record, the data header, the
// index pages and the index header without the note. A process killed in between leaves
// the note; the next writer (or opener) sees it under the write lock and, when it fits the
// headers, repairs the table (see recoverFromNote()). A failed write rolls the operation
// back the same way, so the caller gets its error and the table is as it was.
//
// Under a write lock held across operations (lockTable) each operation still writes its
// note, blob values, record and data header before it returns, but the index pages, the
// index header and the blob header wait until the lock is handed back (or too many pages
// wait): the note of the last operation stays on file until then, so a crash in between
// makes the indexes and the free-block chain again from the records, which hold every
// operation that returned. Modifies there, and inserts that append one slot after another,
// write their blob values and records only after the first one's note: it covers them
// beside the data header it was noted against, which goes out with the next operation of
// another kind or before the rest when the lock is handed back.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "tablestore/engine/BlobValueCache.h"
#include "tablestore/engine/DataDirectory.h"
#include "tablestore/engine/OperationNote.h"
#include "tablestore/engine/TableBlobs.h"
#include "tablestore/engine/TableIndexes.h"
#include "tablestore/engine/RecordCache.h"
#include "tablestore/engine/TableLocks.h"
#include "tablestore/filter/RecordsBitmap.h"
#include "tablestore/format/ColumnDescriptor.h"
#include "tablestore/format/DataHeader.h"
#include "tablestore/format/TableCreation.h"
#include "tablestore/index/IndexDefinition.h"

namespace wispel {

struct TEngineSettings;

class TDataTable {
public:
    TDataTable(TDataDirectory& directory, std::string name, const TTableOpenOptions& options);
    ~TDataTable();
    TDataTable(const TDataTable&) = delete;
    TDataTable& operator=(const TDataTable&) = delete;

    // First user: opens the files, checks the headers, repairs an interrupted operation,
    // rebuilds a missing index file or one that does not count the data file's active
    // records. On failure nothing stays open.
    StoreStatus open();
    // Last user: writes nothing (every operation wrote its own), releases record locks and
    // closes the files.
    void close();

    const std::string& name() const noexcept { return name_; }
    const TTableOpenOptions& options() const noexcept { return options_; }
    bool readOnly() const noexcept { return readOnly_; }
    int users() const noexcept { return users_; }
    void addUser() noexcept { ++users_; }
    int removeUser() noexcept { return --users_; }
    const TEngineSettings& settings() const;
    const std::string& dataPath() const noexcept { return dataPath_; }

    const std::vector<ColumnDescriptor>& columns() const noexcept { return columns_; }
    TTableIndexes& indexes() noexcept { return *indexes_; }
    // Runs `body` under the read lock (taken here, with the headers read again, unless held).
    StoreStatus underReadLock(const std::function<StoreStatus()>& body);
    std::uint32_t recordSize() const noexcept { return header_.recordSize; }
    std::uint32_t slotCount() const noexcept { return recordSlotCount(header_); }
    std::uint16_t languageID() const noexcept { return header_.languageId; }
    std::uint16_t sortID() const noexcept { return header_.sortId; }
    const TRecordsBitmap& activeRecords() const noexcept { return active_; }
    std::uint64_t generation() const noexcept { return generation_; }
    // The records that cursors of this object changed after `generation`, when every change
    // since then was such a change and is still remembered; false otherwise (the changes are
    // then not known record by record: a cursor builds its set anew).
    bool changesSince(std::uint64_t generation, std::vector<std::uint32_t>& records) const;

    // The beginning of a cursor operation: under strict change detection the headers are
    // read again under a read lock.
    StoreStatus beginOperation();
    // Reads the headers again under a read lock (RefreshRows).
    StoreStatus refresh();
    // The write lock (`write`) or a read lock held across several operations until
    // unlockTable (they nest with the operations' own), the headers read again once it is
    // taken. Under the write lock other processes see what is written as one change; under
    // a read lock a run of reads sees one state of the table and pays for the lock once.
    // 10249 when it is not obtained.
    // Handing back the outermost write lock first writes what its operations deferred; an
    // error there is the result, the lock is released all the same, and the note left on
    // file has the next writer repair the indexes from the records.
    StoreStatus lockTable(bool write);
    StoreStatus unlockTable(bool write);

    // Copies record `record` into `image` (record size bytes; null: only into the cache); a
    // miss reads ahead. Given `wanted` (a cursor's visible records, when they are a part of
    // the table), only those of the run read ahead come into the cache: a sparse walk then
    // keeps what it will read again instead of pushing it out with its neighbours.
    StoreStatus readRecord(std::uint32_t record, std::uint8_t* image,
                           const TRecordsBitmap* wanted = nullptr);
    bool isCached(std::uint32_t record) const noexcept { return cache_->find(record) != nullptr; }
    // Brings the cache's memory for `record` towards the processor ahead of its read.
    void prefetchRecord(std::uint32_t record) const noexcept { cache_->prefetch(record); }
    bool readLocked() const noexcept { return locks_->readLocked(); }

    // Reads up to `count` records from `first` on in one read under a read lock, bypassing
    // the cache (for filters, which read every record once); `got` whole records arrive.
    StoreStatus readRun(std::uint32_t first, std::uint32_t count, std::vector<std::uint8_t>& buffer,
                        std::uint32_t& got);

    // Record locks, owned by a cursor (`owner`): another cursor of this table object holding
    // it gives 10258 at once.
    StoreStatus lockRecord(std::uint32_t record, const void* owner);
    StoreStatus unlockRecord(std::uint32_t record, const void* owner);
    void unlockAll(const void* owner);

    // `image` gets the slot's status, number and ID; `record` the slot. `blobs` are the
    // values of blob columns given for the row; the image's references to them are filled in.
    StoreStatus insertRecord(std::uint8_t* image, std::uint32_t& record, const void* owner,
                             const TBlobValues& blobs = {});
    // Rewrites `record` (its ID kept) with `image`; `asRead` is its image before the edit.
    // Blob columns not in `blobs` keep the values the record holds on file.
    StoreStatus modifyRecord(std::uint32_t record, std::uint8_t* image, const std::uint8_t* asRead,
                             const TBlobValues& blobs = {});

    bool hasBlobFile() const noexcept { return blobs_ != nullptr; }
    // The value of blob column `column` in `image`: 10753 for a column that is no blob
    // column, 10030 for a reference to a value not written, 9998 for one past the file's
    // blocks, 8963 for a damaged chain.
    StoreStatus readBlob(const std::uint8_t* image, const ColumnDescriptor& column, std::string& value);
    // The same without the blob file: `atHand` false (and the result ok) when the value
    // would have to be read from it.
    StoreStatus readBlobAtHand(const std::uint8_t* image, const ColumnDescriptor& column,
                               std::string& value, bool& atHand) const;
    // Under a read lock: reads the values `references` name into the cache of blob values,
    // neighbouring ones together; one that does not come so is read when it is asked for.
    StoreStatus keepBlobs(std::vector<BlobReference> references);
    // 8708 when the record on file differs from `asSeen`.
    StoreStatus deleteRecord(std::uint32_t record, const std::uint8_t* asSeen, const void* owner);

    // Adds an index (tablestore/index/IndexDefinition.h gives the refusals) or deletes a
    // secondary one (10022 for a name the table has no index of, 10055 for the primary
    // index), under the write lock; the index file is then made again from the records. A
    // unique index that two records would share a key in is refused with 9729, nothing
    // changed. Other cursors' current index is named by its slot: they choose it again.
    StoreStatus addIndex(const TIndexDefinition& definition);
    StoreStatus deleteIndex(const std::string& name);

    // Checks the files against each other (headers, free-record chain, records and their
    // values, record IDs, indexes), reading them again under a read lock; each problem found
    // becomes one line, the first TCheckFindings::kKept of them, then their count.
    StoreStatus check(std::vector<std::string>& problems);

private:
    StoreStatus checkFiles(TCheckFindings& findings);
    // Every block of the blob file in exactly one value of an active record or free.
    StoreStatus checkBlobFile(TCheckFindings& findings);
    StoreStatus openFiles();
    StoreStatus readHeaders();
    StoreStatus reloadIfChanged(bool& changed);
    // The index file's header image, kPageSize bytes (9217 / 8961 when the file is shorter).
    StoreStatus readIndexHead(std::uint8_t* image);
    StoreStatus repairIfPending();
    StoreStatus rebuildActive(bool fromRecords = false);
    // On open: an index file whose count of active records differs from the data file's or
    // from its own system index is made again (8961 when the table may not be written).
    StoreStatus checkIndexCount();
    StoreStatus rebuildIndexFile();
    // Every record slot of the data file with its image, read in large runs.
    StoreStatus scanSlots(const std::function<void(std::uint32_t, const std::uint8_t*)>& visit);
    // The index file made again from the records, with `definitions` when given. A failed
    // read of the records names the data file, a failure in making the index file empty
    // names the index file, and one in filling it the table.
    StoreStatus rebuildIndexes(const TIndexHeader* definitions = nullptr);
    StoreStatus checkRecord(const std::uint8_t* image);
    StoreStatus writeDataHeader();
    StoreStatus writeRecord(std::uint32_t record, const std::uint8_t* image, std::uint32_t bytes);
    StoreStatus openBlobFile(const StoreOpenOptions& open);
    // Writes the values of `blobs` (and, for an insert, copies of values the image refers to)
    // and fills in the image's references; `onFile` is the record as stored (modify) or null
    // (insert). `replaced` gets the values that go once the record is written.
    StoreStatus writeBlobValues(std::uint8_t* image, const std::uint8_t* onFile,
                                const TBlobValues& blobs, std::vector<BlobReference>& replaced);
    StoreStatus releaseBlobs(const std::vector<BlobReference>& values);
    // 10753 for a value given for a column that is no blob column, 10029 for one too long.
    StoreStatus checkBlobValues(const TBlobValues& blobs);
    // The blob values of every active record.
    StoreStatus collectBlobUses(std::vector<BlobUse>& uses);
    StoreStatus rebuildBlobChains();
    StoreStatus redefineIndexes(const TIndexHeader& header);
    StoreStatus beginWrite(const TPendingOperation& operation);
    StoreStatus endWrite();
    // Operations run under a write lock held across them: their index pages, index header
    // and blob header wait for writeDeferred.
    bool deferring() const noexcept { return heldWrites_ > 0; }
    // Writes the data header when modifies left it behind, then the blob header, the index
    // pages and the index header that operations left waiting, which clears the note.
    StoreStatus writeDeferred();
    StoreStatus storeBlobHeader();
    // Forgets the key changes of an operation refused before it wrote anything; those of
    // earlier operations not yet written go with them, and the indexes are made again from
    // the records.
    void forgetKeyChanges(const StoreStatus& refusal);
    // Forgets the key changes of a failed operation and undoes what it wrote.
    StoreStatus rollBack(StoreStatus result, const DataHeader& before, const std::uint8_t* oldImage);
    StoreStatus takeWriteLock();
    StoreStatus releaseWriteLock(StoreStatus result);
    // Puts back the slot of `op` (the image from before for a modify, when known).
    StoreStatus undoSlot(const TPendingOperation& op, const std::uint8_t* oldImage);
    // Cuts the data file to the slots the header counts: at most the one slot an insert
    // appended; a file shorter than the header counts, or longer by more, is 8961.
    StoreStatus cutAppendedSlot();
    // The active records' bitmap and the index file made again from the records; the blob
    // file's free-block chain too when `blobChains` (after a crash, or an undo that failed).
    StoreStatus rebuildFromRecords(bool blobChains);
    // Repairs what the note a killed process left describes, once the note is found to fit
    // the data header in `header_` (judgeOperationNote); else 8961 and nothing is written.
    StoreStatus recoverFromNote(const TPendingOperation& note);
    // The repair of a run of appending inserts whose data header was not written: counts in
    // the slots past the header's that hold their own numbers, cuts off one written in part
    // (8961 when more follows) and writes the header. `fileLength`: the data file's.
    StoreStatus adoptAppendedSlots(std::uint64_t fileLength);
    // Writes the data header when a run of appending inserts left it behind.
    StoreStatus countAppendedSlots();
    void resetCaches();
    // One record changed by a cursor of this object: the generation grows and remembers it.
    void noteChange(std::uint32_t record);

    TDataDirectory& directory_;
    std::string name_;
    TTableOpenOptions options_;
    int users_ = 0;
    bool readOnly_ = false;
    std::string dataPath_, indexPath_;
    TAbstractFile* data_ = nullptr;   // entries of the file list, released in close()
    TAbstractFile* index_ = nullptr;
    TAbstractFile* blob_ = nullptr;  // only for tables with blob columns
    std::string blobPath_;
    std::unique_ptr<TTableBlobs> blobs_;
    std::unique_ptr<TTableLocks> locks_;
    DataHeader header_;
    std::unique_ptr<TTableIndexes> indexes_;
    TPendingOperation pending_;     // the operation being written, for a roll-back
    std::vector<ColumnDescriptor> columns_;
    std::unique_ptr<TRecordCache> cache_;
    std::uint32_t runEnd_ = 0;  // the record after the last read-ahead run
    std::vector<std::uint8_t> sparseRun_;  // a run read for a sparse walk, before it is sifted
    TBlobValueCache blobValues_;
    std::vector<BlobInRun> blobsFound_;  // keepBlobs' values found, allocated once
    TRecordsBitmap active_;
    std::uint64_t generation_ = 1;
    static constexpr std::size_t kChangesKept = 64;
    std::vector<std::pair<std::uint64_t, std::uint32_t>> changes_;  // (generation, record)
    bool indexMissing_ = false;
    int heldWrites_ = 0;     // nesting of lockTable(true)
    bool deferred_ = false;  // operations' index pages and blob header wait, their note on file
    // Under the held write lock, operations that wrote records without the data header, and
    // so what the note on file covers, noted against the data header on file: modifies since
    // a modify's note, or appending inserts and modifies since a run's. Implies deferred_.
    enum class TCover : std::uint8_t { none, modifies, appends };
    TCover cover_ = TCover::none;
    bool headerBehind() const noexcept { return cover_ != TCover::none; }
    std::unordered_map<std::uint32_t, const void*> recordLocks_;  // record -> owning cursor
};

// The file name of a table with its extension replaced by `extension` (".DAT", ".IDX").
std::string tableFileName(const std::string& tableName, const char* extension);

// Creates the data and index files of a new table in `directory` (replacing files of that
// name; 11013 while the table is open in this process). A failure names a file's path, or
// the table, and a bad column as its field. `blobBlockSize`: 0 (512) or 64 to 65536, else
// 10029.
StoreStatus createTableFiles(TDataDirectory& directory, const std::string& tableName,
                             const std::vector<ColumnDefinition>& columns,
                             const std::vector<TIndexDefinition>& indexes,
                             std::uint16_t languageID, std::uint32_t blobBlockSize = 0);

}  // namespace wispel
