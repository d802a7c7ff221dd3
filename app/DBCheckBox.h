#pragma once
// TDBCheckBox: a check box bound to a Boolean field: checked for true, unchecked for false,
// and for a field without a value the state `SetNoValueState` names (grey by default). A
// click puts the table into edit state and stores the new value; a grey box becomes
// checked. A row posted while the box shows a checked or unchecked state for a field
// without a value gets that value stored.

#include <QCheckBox>

#include "app/DataSource.h"

namespace wispel {

class TDBCheckBox : public QCheckBox, public TFieldDataControl {
    Q_OBJECT
public:
    explicit TDBCheckBox(QWidget* parent = nullptr);

    void SetNoValueState(Qt::CheckState state);

    void RefreshFromTable() override;
    void FieldChanged(TStoreField& field) override;
    void BeforePost() override;

protected:
    // The click's own change of state; ours goes through the field instead.
    void nextCheckState() override;
    // The whole box takes the click, not only its indicator: it has no caption to click.
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }

private:
    Qt::CheckState noValue_ = Qt::PartiallyChecked;
};

}  // namespace wispel
