#pragma once
// TDBNavigator: the record navigator bar: prior, next, insert, delete, post and cancel,
// each enabled only when it can act on the table. Moving and inserting first bring a
// pending edit to rest; delete asks "Delete record?" first.

#include <QString>
#include <QWidget>

#include <array>
#include <functional>

#include "app/DataSource.h"

class QToolButton;

namespace wispel {

enum class TNavigateBtn { nbPrior, nbNext, nbInsert, nbDelete, nbPost, nbCancel };

class TDBNavigator : public QWidget, public TDataControl {
    Q_OBJECT
public:
    explicit TDBNavigator(QWidget* parent = nullptr);

    // The buttons' tooltips, in button order (prior, next, insert, delete, post, cancel).
    void SetHints(const std::array<QString, 6>& hints);

    QToolButton* Button(TNavigateBtn button) const;
    // Runs a button's action as a click does.
    void BtnClick(TNavigateBtn button);

    // Asks whether to delete; by default the "Confirm" box with OK and Cancel. Tests
    // answer here.
    std::function<bool()> ConfirmDelete;
    // Deletes the current stored row once confirmed; by default the table's DeleteRow. A
    // form whose rows own data elsewhere deletes that here too.
    std::function<void(TStoreTable&)> DeleteStoredRow;

    void RefreshFromTable() override;

private:
    void act(TNavigateBtn button);

    std::array<QToolButton*, 6> buttons_{};
};

// The delete confirmation: "Delete record?" in a box captioned "Confirm"; true for OK.
bool confirmDeleteRecord(QWidget* parent);

}  // namespace wispel
