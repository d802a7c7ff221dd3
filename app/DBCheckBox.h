#pragma once
// TDBCheckBox: a check box bound to a Boolean field: checked for true, unchecked for false,
// grey when the field holds no value. A click puts the table into edit state and stores
// the new value; a grey box becomes checked.

#include <QCheckBox>

#include "app/DataSource.h"

namespace wispel {

class TDBCheckBox : public QCheckBox, public TFieldDataControl {
    Q_OBJECT
public:
    explicit TDBCheckBox(QWidget* parent = nullptr);

    void RefreshFromTable() override;
    void FieldChanged(TStoreField& field) override;

protected:
    // The click's own change of state; ours goes through the field instead.
    void nextCheckState() override;
    // The whole box takes the click, not only its indicator: it has no caption to click.
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

}  // namespace wispel
