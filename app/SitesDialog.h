#pragma once
// TdlgOptions: the sites dialog. It edits "Sites.DAT" one row at a time through controls
// bound to its table `dbSites` (two edits, a check box and a navigator); it has no logic of
// its own beyond the binding. Shown modally by the main window's configuration command,
// which afterwards brings a pending edit to rest and reloads the active sites.
//
// Ownership: the dialog owns `dbSites` (through `components_`) and the data source; the
// table is created with its stored settings (name, schema) but closed: start-up points it
// at the data folder and opens it, and it stays open, keeping its current row between
// showings, until the dialog is destroyed.

#include <QDialog>

#include <memory>

#include "app/DataSource.h"
#include "core/Component.h"

namespace Ui {
class TdlgOptions;
}

namespace wispel {

class TStoreTable;
class TDBEdit;
class TDBCheckBox;
class TDBNavigator;

class TdlgOptions : public QDialog {
    Q_OBJECT
public:
    explicit TdlgOptions(QWidget* parent = nullptr);
    ~TdlgOptions() override;

    TStoreTable& dbSites() const noexcept { return *dbSites_; }
    TDataSource& datSites() noexcept { return datSites_; }

    // Copies what the controls hold into the fields, then posts a changed row or drops an
    // unchanged edit or insert.
    void FinishPendingEdit() { datSites_.FinishPendingEdit(); }

    TDBEdit* DBEdit1() const;
    TDBEdit* DBEdit2() const;
    TDBCheckBox* DBCheckBox1() const;
    TDBNavigator* dbNav() const;

private:
    std::unique_ptr<Ui::TdlgOptions> ui;
    TComponent components_;  // owns dbSites_
    TStoreTable* dbSites_;
    TDataSource datSites_;
};

}  // namespace wispel
