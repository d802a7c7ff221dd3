#include "tablestore/engine/TableLocks.h"

#include <chrono>
#include <thread>
#include <unistd.h>

namespace wispel {

using namespace lockoffset;

namespace {

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace

TTableLocks::TTableLocks(TAbstractFile& data, TAbstractFile& index, bool enabled)
    : data_(data),
      index_(index),
      enabled_(enabled),
      random_(static_cast<unsigned>(::getpid()) * 2654435761u ^
              static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count())) {}

StoreResult TTableLocks::lockRecord(std::uint32_t record, const TEngineSettings& settings) {
    if (!enabled_) return storecode::kOk;
    const std::uint64_t offset = kRecordBase - record;
    for (int round = 0;; ++round) {
        StoreResult r = data_.lock(offset, 1);
        if (r == storecode::kOk) return r;
        if (r != storecode::kTableLocked) return r;
        if (round >= settings.lockRetryCount) return storecode::kRecordInUse;
        sleepMs(settings.lockWaitTime);
    }
}

StoreResult TTableLocks::unlockRecord(std::uint32_t record) {
    if (!enabled_) return storecode::kOk;
    return data_.unlock(kRecordBase - record, 1);
}

StoreResult TTableLocks::lockWithRetries(TAbstractFile& file, std::uint64_t offset,
                                         std::uint64_t length) {
    for (int tries = 0;; ++tries) {
        StoreResult r = file.lock(offset, length);
        if (r == storecode::kOk) return r;
        if (r != storecode::kTableLocked) return r;
        if (tries >= kTableLockRetries) return storecode::kLockFailure;
        sleepMs(kTableLockSleepMs);
    }
}

StoreResult TTableLocks::lockReadByte(TAbstractFile& file, std::uint64_t& offset) {
    std::uniform_int_distribution<std::uint32_t> pick(1, 65535);
    for (int tries = 0;; ++tries) {
        offset = kReadBase - pick(random_);
        StoreResult r = file.lock(offset, 1);
        if (r == storecode::kOk) return r;
        if (r != storecode::kTableLocked || tries >= kTableLockRetries)
            return r == storecode::kTableLocked ? storecode::kLockFailure : r;
        sleepMs(kTableLockSleepMs);
    }
}

StoreResult TTableLocks::takeReadLock() {
    if (!enabled_ || writeDepth_ > 0 || readDepth_++ > 0) return storecode::kOk;
    StoreResult r = lockReadByte(index_, readOffset_);
    if (r == storecode::kOk && blob_ != nullptr) {
        r = lockReadByte(*blob_, blobReadOffset_);
        if (r != storecode::kOk) index_.unlock(readOffset_, 1);
    }
    if (r != storecode::kOk) --readDepth_;
    return r;
}

StoreResult TTableLocks::releaseReadLock() {
    if (!enabled_ || readDepth_ == 0 || --readDepth_ > 0) return storecode::kOk;
    StoreResult b = blob_ != nullptr ? blob_->unlock(blobReadOffset_, 1) : storecode::kOk;
    StoreResult r = index_.unlock(readOffset_, 1);
    return r != storecode::kOk ? r : b;
}

void TTableLocks::relockReadBytes() {
    if (readDepth_ == 0) return;
    index_.lock(readOffset_, 1);
    if (blob_ != nullptr) blob_->lock(blobReadOffset_, 1);
}

StoreResult TTableLocks::takeWriteLock() {
    if (!enabled_ || writeDepth_++ > 0) return storecode::kOk;
    // A read lock of this table object sits inside the ranges about to be taken: hand it
    // back first, the write lock keeps the same readers out.
    if (readDepth_ > 0) {
        index_.unlock(readOffset_, 1);
        if (blob_ != nullptr) blob_->unlock(blobReadOffset_, 1);
    }
    StoreResult r = lockWithRetries(data_, kDataWrite, 1);
    if (r == storecode::kOk) {
        r = lockWithRetries(index_, kIndexWrite, kIndexWriteLength);
        if (r == storecode::kOk && blob_ != nullptr) {
            r = lockWithRetries(*blob_, kIndexWrite, kIndexWriteLength);
            if (r != storecode::kOk) index_.unlock(kIndexWrite, kIndexWriteLength);
        }
        if (r != storecode::kOk) data_.unlock(kDataWrite, 1);
    }
    if (r != storecode::kOk) {
        --writeDepth_;
        relockReadBytes();
    }
    return r;
}

StoreResult TTableLocks::releaseWriteLock() {
    if (!enabled_ || writeDepth_ == 0 || --writeDepth_ > 0) return storecode::kOk;
    StoreResult b = blob_ != nullptr ? blob_->unlock(kIndexWrite, kIndexWriteLength) : storecode::kOk;
    StoreResult r = index_.unlock(kIndexWrite, kIndexWriteLength);
    StoreResult d = data_.unlock(kDataWrite, 1);
    relockReadBytes();
    return r != storecode::kOk || d != storecode::kOk || b != storecode::kOk
               ? storecode::kCannotUnlock
               : storecode::kOk;
}

}  // namespace wispel
