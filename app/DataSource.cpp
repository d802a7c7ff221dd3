#include "app/DataSource.h"

#include <algorithm>

#include "tablestore/component/StoreTable.h"

namespace wispel {

TFieldDataControl::~TFieldDataControl() {
    if (source_) source_->Detach(this);
}

void TFieldDataControl::SetDataField(TDataSource* source, std::string fieldName) {
    if (source_) source_->Detach(this);
    source_ = source;
    fieldName_ = std::move(fieldName);
    if (source_) source_->Attach(this);
}

TStoreField* TFieldDataControl::field() const {
    TStoreTable* table = source_ ? source_->DataSet() : nullptr;
    return table && table->Active() ? table->FindField(fieldName_) : nullptr;
}

TDataSource::TDataSource() = default;

TDataSource::~TDataSource() = default;

void TDataSource::SetDataSet(TStoreTable* table) {
    link_.SetDataSet(table);
    refreshAll();
}

void TDataSource::Attach(TDataControl* control) {
    controls_.push_back(control);
    control->RefreshFromTable();
}

void TDataSource::Detach(TDataControl* control) {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
}

bool TDataSource::Editing() const {
    const TStoreTable* table = DataSet();
    return table && (table->State() == TStoreDataSetState::dsEdit ||
                     table->State() == TStoreDataSetState::dsInsert);
}

void TDataSource::StartEditing() {
    TStoreTable* table = DataSet();
    if (!table || Editing()) return;
    if (table->IsEmpty()) {
        table->StartInsert();
    } else {
        table->StartEdit();
    }
}

void TDataSource::UpdateRecord() {
    if (!Editing()) return;
    // A commit assigns a field, which refreshes controls; the list itself stays as it is.
    const std::vector<TDataControl*> controls = controls_;
    for (TDataControl* control : controls) control->CommitPending();
}

void TDataSource::FinishPendingEdit() {
    if (!Editing()) return;
    UpdateRecord();
    TStoreTable& table = *DataSet();
    if (table.Modified()) {
        table.PostRow();
    } else {
        table.CancelRow();
    }
}

void TDataSource::refreshAll() {
    const std::vector<TDataControl*> controls = controls_;
    for (TDataControl* control : controls) control->RefreshFromTable();
}

void TDataSource::Link::FieldChanged(TStoreTable&, TStoreField& field) {
    const std::vector<TDataControl*> controls = source_.controls_;
    for (TDataControl* control : controls) control->FieldChanged(field);
}

}  // namespace wispel
