#include "app/DBCheckBox.h"

#include "app/Application.h"
#include "tablestore/component/StoreTable.h"

namespace wispel {

TDBCheckBox::TDBCheckBox(QWidget* parent) : QCheckBox(parent) {
    setTristate(true);
}

void TDBCheckBox::SetNoValueState(Qt::CheckState state) {
    noValue_ = state;
    setTristate(state == Qt::PartiallyChecked);
    RefreshFromTable();
}

void TDBCheckBox::RefreshFromTable() {
    const TStoreField* f = field();
    if (!f) {
        setCheckState(Qt::PartiallyChecked);
    } else if (f->IsNull()) {
        setCheckState(noValue_);
    } else {
        setCheckState(f->BooleanValue() ? Qt::Checked : Qt::Unchecked);
    }
    setEnabled(f != nullptr);
}

void TDBCheckBox::FieldChanged(TStoreField& changed) {
    if (&changed == field()) RefreshFromTable();
}

void TDBCheckBox::BeforePost() {
    TStoreField* f = field();
    if (f && f->IsNull() && noValue_ != Qt::PartiallyChecked) {
        f->SetBooleanValue(noValue_ == Qt::Checked);
    }
}

void TDBCheckBox::nextCheckState() {
    runHandler([this] {
        TStoreField* f = field();
        if (!f || !f->DataSet().CanModify()) return;
        const bool checked = checkState() != Qt::Checked;  // grey and unchecked become checked
        source()->StartEditing();
        f->SetBooleanValue(checked);
    });
}

}  // namespace wispel
