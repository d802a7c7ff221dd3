#include "app/DataSource.h"

#include <algorithm>

#include "tablestore/component/StoreTable.h"

namespace wispel {

TDataControl::~TDataControl() {
    if (source_) source_->detach(this);
}

void TDataControl::SetDataSource(TDataSource* source) {
    if (source_) source_->detach(this);
    source_ = source;
    if (source_) source_->attach(this);
    RefreshFromTable();
}

void TFieldDataControl::SetDataField(TDataSource* source, std::string fieldName) {
    fieldName_ = std::move(fieldName);
    SetDataSource(source);
}

TStoreField* TFieldDataControl::field() const {
    TStoreTable* table = source() ? source()->DataSet() : nullptr;
    return table && table->Active() ? table->FindField(fieldName_) : nullptr;
}

TDataSource::TDataSource() = default;

TDataSource::~TDataSource() {
    for (TDataControl* control : controls_) control->source_ = nullptr;
}

void TDataSource::SetDataSet(TStoreTable* table) {
    link_.SetDataSet(table);
    refreshAll();
}

void TDataSource::attach(TDataControl* control) {
    controls_.push_back(control);
}

void TDataSource::detach(TDataControl* control) {
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

void TDataSource::beforePost(TStoreTable& table) {
    UpdateRecord();
    const std::vector<TDataControl*> controls = controls_;
    for (TDataControl* control : controls) control->BeforePost();
    if (OnBeforePost) OnBeforePost(table);
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
