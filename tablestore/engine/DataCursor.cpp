#include "tablestore/engine/DataCursor.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "tablestore/engine/DataTable.h"
#include "tablestore/index/IndexTree.h"

namespace wispel {

TDataCursor::TDataCursor(TDataDirectory& directory) : directory_(directory) {}

TDataCursor::~TDataCursor() { close(); }

StoreStatus TDataCursor::open(const std::string& tableName, const TTableOpenOptions& options) {
    if (StoreStatus r = directory_.openTable(tableName, options, table_)) {
        table_ = nullptr;
        return r;
    }
    first();
    if (StoreStatus r = rebuild()) {
        r = std::move(r).about(table_->name());
        close();
        return r;
    }
    return storecode::kOk;
}

void TDataCursor::close() {
    if (table_ == nullptr) return;
    table_->unlockAll(this);
    directory_.releaseTable(table_);
    table_ = nullptr;
    filters_ = TFilterList();
    attached_.clear();
}

StoreStatus TDataCursor::rebuild() {
    // Reading records for the filters may reveal yet another change: the set is then built
    // again from what is now known, a bounded number of times.
    for (int round = 0; round < 8; ++round) {
        generation_ = table_->generation();
        if (StoreStatus r = buildRecordSet()) return r;
        visible_ = recordSet_;
        if (filters_.anyAttached()) {
            if (StoreResult r = filters_.reapply(visible_, *this)) return filterOutcome(r);
            filters_.combine(visible_);
        }
        if (generation_ == table_->generation()) break;
    }
    // The run read for the filters is not kept between rebuilds.
    std::vector<std::uint8_t>().swap(run_);
    runCount_ = 0;
    bitmapsStale_ = false;
    return storecode::kOk;
}

StoreStatus TDataCursor::catchUp() {
    if (generation_ == table_->generation()) return storecode::kOk;
    std::vector<std::uint32_t> changed;
    if (!table_->changesSince(generation_, changed)) return rebuild();
    generation_ = table_->generation();
    if (attached_.empty() && !hasRange()) {
        // Both sets were the table's active records when last made: only the changed
        // records can differ now, and copying the whole set per change would cost a run of
        // operations time in the table's size.
        const TRecordsBitmap& active = table_->activeRecords();
        for (TRecordsBitmap* set : {&visible_, &recordSet_}) {
            set->resize(active.size());
            for (std::uint32_t record : changed) {
                if (active.contains(record)) set->include(record);
                else set->exclude(record);
            }
        }
        return storecode::kOk;
    }
    // Only the changed records are evaluated again.
    visible_.resize(table_->slotCount());
    recordSet_.resize(table_->slotCount());
    std::vector<std::uint8_t> image(table_->recordSize());
    for (std::uint32_t record : changed) {
        bool visible = table_->activeRecords().contains(record);
        if (visible) {
            if (StoreStatus r = table_->readRecord(record, image.data())) return r;
            visible = inRange(image.data());
        }
        if (visible) recordSet_.include(record);
        else recordSet_.exclude(record);
        if (visible) {
            for (TFilterHandle handle : attached_)
                visible = visible && filters_.find(handle)->passes(record, image.data(), this);
        }
        if (visible) visible_.include(record);
        else visible_.exclude(record);
    }
    if (generation_ != table_->generation()) return rebuild();  // reading found more
    bitmapsStale_ = true;
    return storecode::kOk;
}

StoreResult TDataCursor::readRecord(std::uint32_t recordNo, const std::uint8_t*& image) {
    // Filters read every candidate in record order: runs of about a megabyte, past the cache.
    constexpr std::uint32_t kRunBytes = 1 << 20;
    const std::uint32_t size = table_->recordSize();
    if (runGeneration_ != table_->generation() || recordNo < runFirst_ ||
        recordNo >= runFirst_ + runCount_) {
        runCount_ = 0;
        filterReadFailure_ = table_->readRun(
            recordNo, std::max<std::uint32_t>(1, kRunBytes / size), run_, runCount_);
        if (filterReadFailure_) return filterReadFailure_.code();
        runFirst_ = recordNo;
        runGeneration_ = table_->generation();
    }
    image = &run_[std::size_t(recordNo - runFirst_) * size];
    return storecode::kOk;
}

StoreStatus TDataCursor::filterOutcome(StoreResult result) {
    if (result == filterReadFailure_.code()) return std::exchange(filterReadFailure_, {});
    return result;
}

StoreStatus TDataCursor::beginOperation() {
    if (StoreStatus r = table_->beginOperation()) return r;
    return catchUp();
}

void TDataCursor::first() {
    position_ = 0;
    beforeFirst_ = true;
    afterLast_ = false;
}

void TDataCursor::last() {
    position_ = visible_.size() + 1;
    beforeFirst_ = false;
    afterLast_ = true;
}

StoreStatus TDataCursor::readIndex(const std::function<StoreStatus()>& search,
                                   const std::uint32_t& found) {
    if (!table_->readLocked()) {
        TTableIndexes& indexes = table_->indexes();
        indexes.setCachedOnly(true);
        cachedOnly_ = true;
        cacheMissed_ = false;
        StoreStatus r = search();
        const bool missed = indexes.missedCache() || cacheMissed_;
        indexes.setCachedOnly(false);
        cachedOnly_ = false;
        if (!missed && (r != storecode::kOk || found == 0 || table_->isCached(found))) return r;
    }
    return table_->underReadLock([&]() -> StoreStatus {
        StoreStatus r = search();
        if (r == storecode::kOk && found != 0) r = table_->readRecord(found, nullptr);
        return r;
    });
}

StoreStatus TDataCursor::stepInIndex(bool forward, std::uint32_t& found) {
    TIndexPosition at;
    StoreStatus r = readIndex([&] { return findStep(forward, at, found); }, found);
    if (r == storecode::kOk && found != 0) remember(at, found);
    return r;
}

StoreStatus TDataCursor::findStep(bool forward, TIndexPosition& at, std::uint32_t& found) {
    found = 0;
    TIndexTree& tree = table_->indexes().tree(order_);
    std::vector<std::uint8_t>& key = keyScratch_;
    key.resize(table_->indexes().keyLength(order_));
    StoreResult r = storecode::kOk;
    std::uint32_t record = 0;
    if (forward ? beforeFirst_ : afterLast_) {
        r = rangeEdge(forward, tree, at);
    } else if (place_.slot == order_ && place_.record == position_ &&
               place_.generation == table_->generation()) {
        at = place_.at;
        r = forward ? tree.next(at) : tree.prior(at);
    } else {
        // From the current record's key: its own entry, which the step then leaves.
        if (cachedOnly_ && !table_->isCached(position_)) {
            cacheMissed_ = true;
            return storecode::kOk;
        }
        std::vector<std::uint8_t> image(table_->recordSize()), own;
        if (StoreStatus read = table_->readRecord(position_, image.data())) return read;
        table_->indexes().keyFor(order_, image.data(), own);
        r = tree.seek(own.data(), at);
        if (r == storecode::kEndOfFile && !forward) r = tree.last(at);
        else if (r == storecode::kOk) {
            if ((r = tree.entry(at, key.data(), record))) return r;
            if (record == position_ || !forward) r = forward ? tree.next(at) : tree.prior(at);
        }
    }
    for (; r == storecode::kOk; r = forward ? tree.next(at) : tree.prior(at)) {
        if ((r = tree.entry(at, key.data(), record))) return r;
        if (pastRange(key.data(), forward)) break;
        if (visible_.contains(record)) {
            found = record;
            return storecode::kOk;
        }
    }
    return r == storecode::kEndOfFile || r == storecode::kBeginOfFile ? storecode::kOk : r;
}

void TDataCursor::remember(const TIndexPosition& at, std::uint32_t record) {
    place_ = {at, record, order_, table_->generation()};
}

StoreStatus TDataCursor::next() {
    if (StoreStatus r = beginOperation()) return r;
    std::uint32_t found = 0;
    if (order_ >= 0 && !afterLast_) {
        if (StoreStatus r = stepInIndex(true, found)) return r;
    } else if (!afterLast_) {
        found = visible_.nextMember(position_ + 1);
        if (found != 0 && sparseWanted() != nullptr) prefetchAhead(found);
    }
    if (found == 0) {
        last();
        return storecode::kEndOfFile;
    }
    position_ = found;
    beforeFirst_ = afterLast_ = false;
    ++steps_;
    steppedTo_ = found;
    return storecode::kOk;
}

void TDataCursor::prefetchAhead(std::uint32_t found) {
    constexpr int kStepsAhead = 8;
    int asked = 1;
    if (aheadFrom_ != position_ || aheadTo_ <= found) {
        aheadTo_ = found;  // the walk began or jumped: the distance is made anew
        asked = kStepsAhead;
    }
    aheadFrom_ = found;
    for (; asked > 0; --asked) {
        const std::uint32_t next = visible_.nextMember(aheadTo_ + 1);
        if (next == 0) return;
        aheadTo_ = next;
        table_->prefetchRecord(next);
    }
}

StoreStatus TDataCursor::prior() {
    if (StoreStatus r = beginOperation()) return r;
    std::uint32_t found = 0;
    if (order_ >= 0 && !beforeFirst_) {
        if (StoreStatus r = stepInIndex(false, found)) return r;
    } else if (!beforeFirst_) {
        const std::uint32_t from = std::min<std::uint32_t>(position_, visible_.size() + 1);
        found = from <= 1 ? 0 : visible_.priorMember(from - 1);
    }
    if (found == 0) {
        first();
        return storecode::kBeginOfFile;
    }
    position_ = found;
    beforeFirst_ = afterLast_ = false;
    ++steps_;
    steppedTo_ = found;
    return storecode::kOk;
}

StoreStatus TDataCursor::current(std::uint8_t* image) {
    if (StoreStatus r = beginOperation()) return r;
    if (beforeFirst_) return storecode::kBeginOfFile;
    if (afterLast_) return storecode::kEndOfFile;
    if (!visible_.contains(position_)) return storecode::kRecordNotFound;
    StoreStatus r = table_->readRecord(position_, image, sparseWanted());
    // The read may have revealed another process's change: the set follows it.
    if (r == storecode::kOk && generation_ != table_->generation()) {
        if ((r = catchUp())) return r;
        if (!visible_.contains(position_)) return storecode::kRecordNotFound;
        r = table_->readRecord(position_, image, sparseWanted());
    }
    return r;
}

const TRecordsBitmap* TDataCursor::sparseWanted() const {
    // A filter or range that leaves a part of the rows: the read-ahead keeps only those.
    return filters_.anyAttached() || hasRange() ? &visible_ : nullptr;
}

StoreStatus TDataCursor::gotoRecord(std::uint32_t record) {
    if (StoreStatus r = beginOperation()) return r;
    if (!visible_.contains(record)) return storecode::kRecordNotFound;
    position_ = record;
    beforeFirst_ = afterLast_ = false;
    return storecode::kOk;
}

StoreStatus TDataCursor::lockCurrent(const std::uint8_t* asSeen) {
    if (beforeFirst_ || afterLast_) return storecode::kNoCurrentRecord;
    const std::uint32_t record = position_;
    if (StoreStatus r = table_->lockRecord(record, this)) return r;
    // Taking the lock is when another process's change shows.
    std::vector<std::uint8_t> image(table_->recordSize());
    StoreStatus r = table_->refresh();
    if (r == storecode::kOk) r = current(image.data());
    if (r == storecode::kRecordNotFound ||
        (r == storecode::kOk && std::memcmp(image.data(), asSeen, image.size()) != 0))
        r = storecode::kRecordChanged;
    if (r != storecode::kOk) {
        (void)table_->unlockRecord(record, this);  // the failure is what the caller hears of
        return r;
    }
    locked_ = record;
    return storecode::kOk;
}

StoreStatus TDataCursor::releaseLock() {
    if (locked_ == 0) return storecode::kOk;
    const std::uint32_t record = std::exchange(locked_, 0);
    return table_->unlockRecord(record, this);
}

StoreStatus TDataCursor::insert(std::uint8_t* image, const TBlobValues& blobs) {
    if (StoreStatus r = beginOperation()) return r;
    std::uint32_t record = 0;
    if (StoreStatus r = table_->insertRecord(image, record, this, blobs)) return r;
    if (StoreStatus r = catchUp()) return r;
    position_ = record;
    beforeFirst_ = afterLast_ = false;
    return storecode::kOk;
}

StoreStatus TDataCursor::modify(std::uint8_t* image, const std::uint8_t* asRead,
                                const TBlobValues& blobs) {
    if (beforeFirst_ || afterLast_) return storecode::kNoCurrentRecord;
    if (StoreStatus r = table_->modifyRecord(position_, image, asRead, blobs)) return r;
    // The row is written; a record lock that cannot be given back goes with the file's
    // handle, and is no reason to call the change failed.
    (void)releaseLock();
    return catchUp();
}

StoreStatus TDataCursor::remove(const std::uint8_t* asSeen) {
    if (beforeFirst_ || afterLast_) return storecode::kNoCurrentRecord;
    if (StoreStatus r = table_->deleteRecord(position_, asSeen, this)) return r;
    if (locked_ == position_) locked_ = 0;
    return catchUp();
}

StoreStatus TDataCursor::refresh() {
    if (StoreStatus r = table_->refresh()) return r;
    return catchUp();
}

StoreStatus TDataCursor::createFilter(std::unique_ptr<TFilter> filter, TFilterHandle& handle) {
    return filters_.add(std::move(filter), handle);
}

StoreStatus TDataCursor::recombine() {
    // The other filters' bitmaps still hold unless the table changed meanwhile.
    if (generation_ != table_->generation() || bitmapsStale_) return rebuild();
    visible_ = recordSet_;
    filters_.combine(visible_);
    std::vector<std::uint8_t>().swap(run_);
    runCount_ = 0;
    return storecode::kOk;
}

StoreStatus TDataCursor::attachFilter(TFilterHandle handle) {
    if (generation_ != table_->generation() || bitmapsStale_) {
        if (StoreStatus r = rebuild()) return r;
    }
    if (StoreResult r = filters_.attach(handle, recordSet_, *this)) return filterOutcome(r);
    if (std::find(attached_.begin(), attached_.end(), handle) == attached_.end())
        attached_.push_back(handle);
    return recombine();
}

StoreStatus TDataCursor::detachFilter(TFilterHandle handle) {
    if (StoreStatus r = filters_.detach(handle)) return r;
    attached_.erase(std::remove(attached_.begin(), attached_.end(), handle), attached_.end());
    return recombine();
}

StoreStatus TDataCursor::freeFilter(TFilterHandle handle) {
    const TFilter* filter = filters_.find(handle);
    const bool attached = filter != nullptr && filter->isAttached();
    if (StoreStatus r = filters_.free(handle)) return r;
    attached_.erase(std::remove(attached_.begin(), attached_.end(), handle), attached_.end());
    return attached ? recombine() : storecode::kOk;
}

bool TDataCursor::passes(TFilterHandle handle, std::uint32_t record, const std::uint8_t* image) {
    TFilter* filter = filters_.find(handle);
    return filter == nullptr || filter->passes(record, image, this);
}

}  // namespace wispel
