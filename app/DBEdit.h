#pragma once
// TDBEdit: an edit box bound to one text field of a data source's table. It shows the
// field of the current row; the first change (a typed character, backspace, delete, paste,
// cut) puts the table into edit state; leaving the box copies a changed text into the field;
// Escape puts the field's value back and passes on (a dialog then cancels). It takes no
// more than the field holds.

#include <QLineEdit>

#include "app/DataSource.h"

namespace wispel {

class TStoreField;

class TDBEdit : public QLineEdit, public TFieldDataControl {
    Q_OBJECT
public:
    explicit TDBEdit(QWidget* parent = nullptr);

    void RefreshFromTable() override;
    void FieldChanged(TStoreField& field) override;
    void CommitPending() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool startsAChange(const QKeyEvent* event) const;
    void commit();
    void onTextEdited();

    bool refreshing_ = false;  // our own setText, not the user's
    bool editing_ = false;     // a change of the user's is being applied
};

}  // namespace wispel
