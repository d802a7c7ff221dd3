#pragma once
// The byte-range locks through which cursors of this and other processes share a table.
// Offsets (doc/table_format.md, "Locks"):
//
//   record lock of record n   data file,  1 byte at 0x7FFFFFFE - n
//   read lock                 index file, 1 byte at 0x7FFFFFFF - r, r random in 1..65535
//   write lock                data file,  1 byte at 0x7FFFFFFF, then
//                             index file, 65535 bytes from 0x7FFF0000
//   blob file (tables with blob columns): a read lock's byte and the write range as in the
//   index file, each taken after the index file's
//
// The index file's write range covers every byte a read lock can take: a writer waits for
// the readers and keeps new ones out; readers do not exclude each other.
//
// Read and write locks nest (a count per kind) and are held for one operation only; while
// the write lock is held a read lock is not taken, since the write range already covers it
// and releasing a byte inside it would cut a hole into the writer's range.
//
// Nothing is locked when the table is open exclusively or read-only (`enabled` false).
// The files must outlive this object.

#include <cstdint>
#include <random>

#include "tablestore/engine/EngineSettings.h"
#include "tablestore/engine/FileList.h"

namespace wispel {

namespace lockoffset {
constexpr std::uint64_t kRecordBase = 0x7FFFFFFE;     // minus the record number
constexpr std::uint64_t kReadBase = 0x7FFFFFFF;       // minus the random number
constexpr std::uint64_t kDataWrite = 0x7FFFFFFF;
constexpr std::uint64_t kIndexWrite = 0x7FFF0000;
constexpr std::uint64_t kIndexWriteLength = 65535;
constexpr int kTableLockRetries = 8192;
constexpr int kTableLockSleepMs = 3;
}  // namespace lockoffset

class TTableLocks {
public:
    TTableLocks(TAbstractFile& data, TAbstractFile& index, bool enabled);
    TTableLocks(const TTableLocks&) = delete;
    TTableLocks& operator=(const TTableLocks&) = delete;

    bool enabled() const noexcept { return enabled_; }
    // The blob file, locked beside the index file from now on; taken while no lock is held.
    void attachBlobFile(TAbstractFile* blob) noexcept { blob_ = blob; }

    // 10258 after the retries of `settings` (one try, then up to lockRetryCount rounds
    // with lockWaitTime between them).
    [[nodiscard]] StoreResult lockRecord(std::uint32_t record, const TEngineSettings& settings);
    [[nodiscard]] StoreResult unlockRecord(std::uint32_t record);

    // 10249 when not obtained within the bounds; the first of a nest takes the lock.
    [[nodiscard]] StoreResult takeReadLock();
    [[nodiscard]] StoreResult releaseReadLock();
    [[nodiscard]] StoreResult takeWriteLock();
    [[nodiscard]] StoreResult releaseWriteLock();
    bool readLocked() const noexcept { return readDepth_ > 0 || writeDepth_ > 0; }
    bool writeLocked() const noexcept { return writeDepth_ > 0; }

private:
    [[nodiscard]] StoreResult lockWithRetries(TAbstractFile& file, std::uint64_t offset,
                                              std::uint64_t length);
    [[nodiscard]] StoreResult lockReadByte(TAbstractFile& file, std::uint64_t& offset);
    void relockReadBytes();

    TAbstractFile& data_;
    TAbstractFile& index_;
    TAbstractFile* blob_ = nullptr;
    bool enabled_;
    int readDepth_ = 0;
    int writeDepth_ = 0;
    std::uint64_t readOffset_ = 0;  // the byte of the read lock held
    std::uint64_t blobReadOffset_ = 0;
    std::minstd_rand random_;
};

}  // namespace wispel
