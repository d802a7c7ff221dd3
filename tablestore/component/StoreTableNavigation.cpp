// TStoreTable: moving between rows, finding filtered rows, bookmarks and refreshing.

#include <cstring>

#include "tablestore/component/ComponentErrors.h"
#include "tablestore/component/StoreTable.h"
#include "tablestore/engine/DataCursor.h"
#include "tablestore/format/ByteOrder.h"

namespace wispel {

namespace {

bool endOfData(const StoreStatus& r) {
    return r == storecode::kBeginOfFile || r == storecode::kEndOfFile;
}

}  // namespace

void TStoreTable::checkActive() const {
    if (!Active()) raiseDatabaseError(componenttext::kClosedDataSet);
}

void TStoreTable::checkBrowse() {
    checkActive();
    if (state_ == TStoreDataSetState::dsEdit || state_ == TStoreDataSetState::dsInsert) {
        if (modified_) PostRow();
        else CancelRow();
    }
}

bool TStoreTable::readRow() {
    StoreStatus r = cursor_->current(row_.data());
    if (endOfData(r) || r == storecode::kRecordNotFound) {
        hasRow_ = false;
        return false;
    }
    checkEngine(r, cursor_->table().name());
    rowAsRead_ = row_;
    hasRow_ = true;
    return true;
}

void TStoreTable::moveToFirstRow() {
    cursor_->first();
    StoreStatus r = cursor_->next();
    if (!endOfData(r)) checkEngine(r, cursor_->table().name());
    hasRow_ = r == storecode::kOk && readRow();
    atStart_ = true;
    atEnd_ = !hasRow_;
    if (!hasRow_) std::fill(row_.begin(), row_.end(), 0);
    notifyRowChanged();
}

void TStoreTable::MoveFirst() {
    checkBrowse();
    moveToFirstRow();
}

void TStoreTable::MoveLast() {
    checkBrowse();
    cursor_->last();
    StoreStatus r = cursor_->prior();
    if (!endOfData(r)) checkEngine(r, cursor_->table().name());
    hasRow_ = r == storecode::kOk && readRow();
    atEnd_ = true;
    atStart_ = !hasRow_;
    if (!hasRow_) std::fill(row_.begin(), row_.end(), 0);
    notifyRowChanged();
}

void TStoreTable::step(bool forward) {
    checkBrowse();
    if (forward ? atEnd_ : atStart_) return;
    const std::uint32_t from = cursor_->recordNumber();
    StoreStatus r = forward ? cursor_->next() : cursor_->prior();
    if (r == storecode::kOk && readRow()) {
        atStart_ = atEnd_ = false;
        notifyRowChanged();
        return;
    }
    if (!endOfData(r)) checkEngine(r, cursor_->table().name());
    // Off the end: stay on the row that was current.
    (forward ? atEnd_ : atStart_) = true;
    if (hasRow_ && cursor_->gotoRecord(from) != storecode::kOk) hasRow_ = false;
}

void TStoreTable::MoveNext() { step(true); }
void TStoreTable::MovePrior() { step(false); }

bool TStoreTable::findMatch(bool fromStart) {
    checkBrowse();
    const std::uint32_t from = cursor_->recordNumber();
    const bool wasBefore = cursor_->atBeginning(), wasAfter = cursor_->atEnd();
    if (fromStart) cursor_->first();
    // With Filtered off the set holds every row: each one is tested on the way.
    const bool testEach = !filtered_ && (textFilter_ != 0 || eventFilter_ != 0);
    for (;;) {
        StoreStatus r = cursor_->next();
        if (endOfData(r)) break;
        checkEngine(r, cursor_->table().name());
        if (!readRow()) continue;
        if (testEach && !rowPassesFilters()) continue;
        atStart_ = atEnd_ = false;
        notifyRowChanged();
        return true;
    }
    // Not found: back to where the table was.
    if (wasBefore) cursor_->first();
    else if (wasAfter) cursor_->last();
    else if (cursor_->gotoRecord(from) != storecode::kOk) cursor_->first();
    if (hasRow_ && !wasBefore && !wasAfter) readRow();
    else row_ = rowAsRead_;
    return false;
}

bool TStoreTable::FindFirstMatch() { return findMatch(true); }
bool TStoreTable::FindNextMatch() { return findMatch(false); }

bool TStoreTable::IsEmpty() const { return RecordCount() == 0; }

int TStoreTable::RecordCount() const {
    checkActive();
    checkEngine(cursor_->beginOperation(), cursor_->table().name());
    return static_cast<int>(cursor_->recordCount());
}

TStoreBookmark TStoreTable::GetBookmark() const {
    if (!Active() || !hasRow_) return {};
    TStoreBookmark bookmark(4);
    putLe32(bookmark.data(), cursor_->recordNumber());
    return bookmark;
}

bool TStoreTable::BookmarkValid(const TStoreBookmark& bookmark) const {
    if (!Active() || bookmark.size() != 4) return false;
    checkEngine(cursor_->beginOperation(), cursor_->table().name());
    return cursor_->isVisible(getLe32(bookmark.data()));
}

void TStoreTable::GotoBookmark(const TStoreBookmark& bookmark) {
    checkBrowse();
    if (bookmark.size() != 4) raiseEngineError(storecode::kRecordNotFound, tableName_);
    checkEngine(cursor_->gotoRecord(getLe32(bookmark.data())).code(), tableName_);
    readRow();
    atStart_ = atEnd_ = false;
    notifyRowChanged();
}

void TStoreTable::RefreshRows() {
    checkBrowse();
    checkEngine(cursor_->refresh(), cursor_->table().name());
    repositionAfterChange();
}

void TStoreTable::LockTable(TStoreLockType type) {
    checkActive();
    const bool write = type == TStoreLockType::ltWriteLock;
    checkEngine(cursor_->table().lockTable(write), cursor_->table().name());
}

void TStoreTable::UnlockTable(TStoreLockType type) {
    checkActive();
    const bool write = type == TStoreLockType::ltWriteLock;
    checkEngine(cursor_->table().unlockTable(write), cursor_->table().name());
}

std::vector<std::string> TStoreTable::CheckFiles() {
    checkActive();
    std::vector<std::string> problems;
    checkEngine(cursor_->table().check(problems), cursor_->table().name());
    return problems;
}

void TStoreTable::repositionAfterChange() {
    const std::uint32_t at = cursor_->recordNumber();
    if (hasRow_ && cursor_->gotoRecord(at) == storecode::kOk && readRow()) {
        notifyRowChanged();
        return;
    }
    // The row is gone: the next one takes its place, else the one before.
    if (hasRow_) {
        StoreStatus r = cursor_->next();
        if (r == storecode::kOk && readRow()) {
            atStart_ = false;
            notifyRowChanged();
            return;
        }
        r = cursor_->prior();
        if (r == storecode::kOk && readRow()) {
            atEnd_ = true;
            notifyRowChanged();
            return;
        }
    }
    moveToFirstRow();
}

}  // namespace wispel
