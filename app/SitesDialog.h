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
// A new or changed address is looked at before it is saved (SitesDialogFeeds.cpp): a feed
// goes in as typed; a web page that announces feeds has them offered (the one, or a chooser
// for several); a page that announces none, or an address that cannot be reached, is said
// so, and the person keeps the address or goes back to change it. The search runs off the
// window's thread, shows a box while it runs and can be stopped there.
//
// Ownership: the dialog owns `dbSites` (through `components_`) and the data source; the
// table is created with its stored settings (name, schema) but closed: start-up points it
// at the data folder and opens it, and it stays open until the dialog is destroyed.

#include <QDialog>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/DataSource.h"
#include "app/FieldAtRest.h"
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
class TStoreField;
struct TFeedSearch;

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
    // Whether a new or changed address is searched for its feed before it is saved; tests
    // of other matters turn it off.
    bool FindsFeeds = true;

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

    // The search for the feed before a new or changed address is saved: may put a feed's
    // address into `url`, or stop the post to let the person change it.
    void lookForFeed(TStoreField& url);
    // The address to save after the search, or nothing to go back to the address.
    std::optional<std::string> addressAfterSearch(const std::string& typed, const TFeedSearch& found);
    std::optional<std::string> offerTheFeed(const std::string& typed, const TFeedSearch& found);
    bool keepWithoutFeed(const std::string& typed);
    bool keepAfterFailure(const std::string& typed, const QString& error);
    // A box with `text` that offers to keep the address or change it: true to keep.
    bool keepOrChange(int icon, const QString& name, const QString& text);
    // Stops the post silently with the address selected, as typed.
    [[noreturn]] void backToAddress();

    std::unique_ptr<Ui::TdlgOptions> ui;
    TComponent components_;  // owns dbSites_
    TStoreTable* dbSites_;
    TDataSource datSites_;
    TFieldAtRest urlAtRest_;
};

}  // namespace wispel
