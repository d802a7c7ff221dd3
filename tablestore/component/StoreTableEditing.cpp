// TStoreTable: inserting, editing, posting, cancelling and deleting rows.

#include <cstring>

#include "tablestore/component/ComponentErrors.h"
#include "tablestore/component/StoreTable.h"
#include "tablestore/engine/DataCursor.h"
#include "tablestore/format/RecordValues.h"

namespace wispel {

void TStoreTable::checkCanModify() const {
    checkActive();
    if (readOnly_) raiseDatabaseError(componenttext::kReadOnlyDataSet);
}

void TStoreTable::StartInsert() {
    checkBrowse();
    checkCanModify();
    std::vector<std::uint8_t> fresh(row_.size(), 0);
    if (CopyOnAppend && hasRow_) {
        fresh = row_;
        std::memset(fresh.data(), 0, kRecordHeaderSize);
    }
    row_ = std::move(fresh);
    blobEdits_.clear();
    setState(TStoreDataSetState::dsInsert);
    if (!CopyOnAppend) applyDefaults();
    modified_ = false;
    notifyRowChanged();
}

void TStoreTable::applyDefaults() {
    for (const ColumnDescriptor& column : cursor_->table().columns()) {
        if (column.defaultValue.empty() || column.isAutoInc()) continue;
        if (TStoreField* field = FindField(column.name)) {
            try {
                field->SetTextValue(column.defaultValue);
            } catch (const Exception&) {
                // Defaults naming the current moment and other forms are left empty.
            }
        }
    }
}

void TStoreTable::StartEdit() {
    checkActive();
    if (state_ == TStoreDataSetState::dsEdit || state_ == TStoreDataSetState::dsInsert) return;
    checkCanModify();
    if (!hasRow_) return StartInsert();
    StoreStatus r = cursor_->lockCurrent(rowAsRead_.data());
    if (r != storecode::kOk) {
        // The row on file changed: show what it holds now.
        if (r == storecode::kRecordChanged) repositionAfterChange();
        raiseEngineError(r, cursor_->table().name());
    }
    modified_ = false;
    blobEdits_.clear();
    setState(TStoreDataSetState::dsEdit);
}

void TStoreTable::PostRow() {
    checkActive();
    if (state_ != TStoreDataSetState::dsEdit && state_ != TStoreDataSetState::dsInsert) return;
    for (TStoreDataLink* link : std::vector<TStoreDataLink*>(links_)) link->BeforePost(*this);
    std::vector<std::uint8_t> image(row_);
    TBlobValues blobs;
    for (const auto& [fieldNumber, value] : blobEdits_)
        blobs.push_back({static_cast<std::uint16_t>(fieldNumber), value});
    StoreStatus r = state_ == TStoreDataSetState::dsInsert
                        ? cursor_->insert(image.data(), blobs)
                        : cursor_->modify(image.data(), rowAsRead_.data(), blobs);
    // A field error names the table as this component knows it.
    if (r) raiseEngineError(r, r.field().empty() ? cursor_->table().name() : tableName_);
    row_ = image;
    rowAsRead_ = image;
    blobEdits_.clear();
    hasRow_ = true;
    modified_ = false;
    atStart_ = atEnd_ = false;
    setState(TStoreDataSetState::dsBrowse);
    // A posted row the filter hides is not shown as current.
    if (!cursor_->isVisible(cursor_->recordNumber())) repositionAfterChange();
    else notifyRowChanged();
}

void TStoreTable::CancelRow() {
    checkActive();
    // A lock the cursor cannot give back goes with the file's handle; cancelling goes on.
    if (state_ == TStoreDataSetState::dsEdit) (void)cursor_->releaseLock();
    else if (state_ != TStoreDataSetState::dsInsert) return;
    row_ = rowAsRead_;
    blobEdits_.clear();
    modified_ = false;
    setState(TStoreDataSetState::dsBrowse);
    notifyRowChanged();
}

void TStoreTable::DeleteRow() {
    checkActive();
    if (state_ == TStoreDataSetState::dsInsert) return CancelRow();
    checkCanModify();
    if (!hasRow_) raiseDatabaseError(componenttext::kEmptyDataSet);
    if (state_ == TStoreDataSetState::dsEdit) row_ = rowAsRead_;
    StoreStatus r = cursor_->remove(rowAsRead_.data());
    if (r != storecode::kOk) {
        if (r == storecode::kRecordChanged) {
            if (state_ == TStoreDataSetState::dsEdit) (void)cursor_->releaseLock();
            setState(TStoreDataSetState::dsBrowse);
            repositionAfterChange();
        }
        raiseEngineError(r, cursor_->table().name());
    }
    modified_ = false;
    setState(TStoreDataSetState::dsBrowse);
    repositionAfterChange();
}

}  // namespace wispel
