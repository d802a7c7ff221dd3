#pragma once
// TdlgOptions: the sites dialog. A list of every site beside a form that edits one row of
// "Sites.DAT" at a time through controls bound to the table `dbSites` (name, address,
// update interval, active) and a navigator; selecting a site in the list moves the form to
// it; deleting a site deletes its kept news too. OK saves a pending edit and closes; Cancel (and Escape, and the close box) drops it
// and closes; Enter in a field saves the row and stays. A new site starts active. A row is
// checked before it is saved: one without a name or an address, or with an address that
// cannot be fetched, is refused with a message that says what to change; an address typed
// without its http:// is offered with it first.
//
// Ownership: the dialog owns `dbSites` (through `components_`) and the data source; the
// table is created with its stored settings (name, schema) but closed: start-up points it
// at the data folder and opens it, and it stays open until the dialog is destroyed.

#include <QDialog>

#include <functional>
#include <memory>
#include <string>

#include "app/DataSource.h"
#include "core/Component.h"

namespace Ui {
class TdlgOptions;
}

namespace wispel {

class TStoreTable;
class TDBEdit;
class TDBCheckBox;
class TDBGrid;
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
    // Reads the table again from its files (another program may have changed it) and goes
    // to its first row, so that the dialog opens on the stored values.
    void ShowStoredRows();

    // Asked when an address lacks its scheme, with the http:// form that would do: returns
    // the address to save instead (that one, or its https:// form), or empty to refuse.
    // By default a box with the two and Cancel; tests answer here.
    std::function<std::string(const std::string& httpAddress)> ChooseAddress;

    // OK: saves a pending edit and closes; a refused save keeps the dialog open.
    void accept() override;
    // Cancel: drops a pending edit and closes.
    void reject() override;

    TDBGrid* lvSites() const;
    TDBEdit* DBEdit1() const;
    TDBEdit* DBEdit2() const;
    TDBEdit* DBEdit3() const;
    TDBCheckBox* DBCheckBox1() const;
    TDBNavigator* dbNav() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void bindControls();
    bool inForm(const QWidget* widget) const;
    bool confirmDeleteSite();
    // Deletes the current site with its kept news.
    static void deleteSite(TStoreTable& table);
    std::string chooseAddress(const std::string& httpAddress);
    // The check before a row is saved; raises the refusal.
    void checkRow(TStoreTable& table);
    [[noreturn]] void refuse(const std::string& problem, QWidget* control);

    std::unique_ptr<Ui::TdlgOptions> ui;
    TComponent components_;  // owns dbSites_
    TStoreTable* dbSites_;
    TDataSource datSites_;
};

}  // namespace wispel
