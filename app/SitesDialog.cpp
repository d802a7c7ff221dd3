#include "app/SitesDialog.h"

#include <QHeaderView>
#include <QIntValidator>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>

#include "app/Application.h"
#include "app/DBCheckBox.h"
#include "app/DBEdit.h"
#include "app/DBGrid.h"
#include "app/DBNavigator.h"
#include "app/QtText.h"
#include "core/Exception.h"
#include "feeds/ItemsTable.h"
#include "feeds/SiteValues.h"
#include "feeds/SitesTable.h"
#include "tablestore/component/StoreTable.h"
#include "ui_SitesDialog.h"

namespace wispel {

namespace {

// A row the dialog does not save; the message says what to change.
WISPEL_DECLARE_EXCEPTION(ESiteRefused, Exception);

}  // namespace

TdlgOptions::TdlgOptions(QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::TdlgOptions>()),
      dbSites_(new TStoreTable(&components_)) {
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    dbSites_->SetName("dbSites");
    dbSites_->SetTableName(kSitesTableName);
    dbSites_->StoreDefs = true;
    addSitesFieldDefs(dbSites_->FieldDefs());
    datSites_.SetDataSet(dbSites_);
    bindControls();
}

TdlgOptions::~TdlgOptions() = default;

void TdlgOptions::bindControls() {
    // A site whose Active was never set is fetched, so it shows checked, and a new one
    // starts checked.
    ui->DBCheckBox1->SetNoValueState(Qt::Checked);
    ui->lvSites->SetColumns({{"Name", tr("Name")},
                             {"URL", tr("Address")},
                             {"Update", tr("Update")},
                             {"Active", tr("Active"), Qt::Checked}});
    QHeaderView* header = ui->lvSites->header();
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(1, QHeaderView::Stretch);
    ui->DBEdit3->setValidator(new QIntValidator(0, static_cast<int>(kMaxSiteUpdateMinutes), ui->DBEdit3));
    ui->DBEdit3->setToolTip(tr("Minutes between two fetches of this site, 0 to %1; empty: at every update")
                                .arg(static_cast<int>(kMaxSiteUpdateMinutes)));
    ui->lvSites->SetDataSource(&datSites_);
    ui->DBEdit1->SetDataField(&datSites_, "Name");
    ui->DBEdit2->SetDataField(&datSites_, "URL");
    ui->DBEdit3->SetDataField(&datSites_, "Update");
    ui->DBCheckBox1->SetDataField(&datSites_, "Active");
    urlAtRest_.SetDataField(&datSites_, "URL");
    ui->dbNav->SetDataSource(&datSites_);
    ui->dbNav->SetHints({tr("Previous site"), tr("Next site"), tr("Add a site"),
                         tr("Delete this site"), tr("Save"), tr("Cancel edit")});
    ui->dbNav->ConfirmDelete = [this] { return confirmDeleteSite(); };
    ui->dbNav->DeleteStoredRow = [](TStoreTable& table) { deleteSite(table); };
    ChooseAddress = [this](const std::string& httpAddress) { return chooseAddress(httpAddress); };
    datSites_.OnBeforePost = [this](TStoreTable& table) { checkRow(table); };
}

void TdlgOptions::checkRow(TStoreTable& table) {
    if (const auto problem = siteNameProblem(table.FieldNamed("Name").TextValue())) {
        refuse(*problem, ui->DBEdit1);
    }
    TStoreField& url = table.FieldNamed("URL");
    if (const auto problem = siteAddressProblem(url.TextValue())) {
        const std::string suggested = suggestedSiteAddress(url.TextValue());
        const std::string chosen = suggested.empty() || !ChooseAddress ? std::string() : ChooseAddress(suggested);
        if (chosen.empty()) refuse(*problem, ui->DBEdit2);
        url.SetTextValue(chosen);
    }
    const TStoreField& update = table.FieldNamed("Update");
    if (!update.IsNull()) {
        if (const auto problem = siteUpdateProblem(std::int64_t{update.IntegerValue()})) {
            refuse(*problem, ui->DBEdit3);
        }
    }
    // Last: a row refused for another reason asks nothing about its feed.
    if (FindsFeeds && url.TextValue() != urlAtRest_.Text()) lookForFeed(url);
}

// The row stays as typed, in edit or insert state, with the field to change selected.
void TdlgOptions::refuse(const std::string& problem, QWidget* control) {
    control->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(control)) edit->selectAll();
    throw ESiteRefused(problem);
}

std::string TdlgOptions::chooseAddress(const std::string& httpAddress) {
    const std::string httpsAddress = "https" + httpAddress.substr(4);
    QMessageBox box(QMessageBox::Question, tr("Address"),
                    tr("This address has no http:// or https:// in front:\n\n%1\n\n"
                       "Save it with one of them?")
                        .arg(fromText(httpAddress.substr(7))),
                    QMessageBox::Cancel, this);
    box.setTextFormat(Qt::PlainText);
    QPushButton* http = box.addButton(tr("Use http://"), QMessageBox::AcceptRole);
    QPushButton* https = box.addButton(tr("Use https://"), QMessageBox::AcceptRole);
    box.setDefaultButton(http);
    box.exec();
    if (box.clickedButton() == http) return httpAddress;
    if (box.clickedButton() == https) return httpsAddress;
    return {};
}

bool TdlgOptions::confirmDeleteSite() {
    const TStoreField* name = dbSites_->FindField("Name");
    const QString text = tr("Delete the site '%1'?").arg(name ? fromText(name->TextValue()) : QString());
    QMessageBox box(QMessageBox::Question, tr("Confirm"), text, QMessageBox::Ok | QMessageBox::Cancel,
                    this);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok;
}

// The row first: should the items fail to go, they wait unseen (no new site takes the ID
// again) instead of a site staying without its news.
void TdlgOptions::deleteSite(TStoreTable& table) {
    const std::int32_t site = table.FieldNamed("ID").IntegerValue();
    table.DeleteRow();
    DeleteSiteItems(table.DatabaseName(), site);
}

void TdlgOptions::ShowStoredRows() {
    if (!dbSites_->Active()) return;
    FinishPendingEdit();
    dbSites_->RefreshRows();
    dbSites_->MoveFirst();
    ui->lvSites->Reload();
}

void TdlgOptions::accept() {
    bool saved = false;
    runHandler([this, &saved] {
        FinishPendingEdit();
        saved = true;
    });
    if (saved) QDialog::accept();
}

void TdlgOptions::reject() {
    runHandler([this] {
        if (datSites_.Editing()) dbSites_->CancelRow();
    });
    QDialog::reject();
}

bool TdlgOptions::inForm(const QWidget* widget) const {
    return widget && ui->FormPanel->isAncestorOf(widget);
}

// Enter in a field of the form saves the row and leaves the dialog open; elsewhere it is
// the dialog's (OK, or the button that has the focus).
void TdlgOptions::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && event->modifiers() == Qt::NoModifier && inForm(focusWidget())) {
        runHandler([this] { FinishPendingEdit(); });
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

TDBGrid* TdlgOptions::lvSites() const {
    return ui->lvSites;
}

TDBEdit* TdlgOptions::DBEdit1() const {
    return ui->DBEdit1;
}

TDBEdit* TdlgOptions::DBEdit2() const {
    return ui->DBEdit2;
}

TDBEdit* TdlgOptions::DBEdit3() const {
    return ui->DBEdit3;
}

TDBCheckBox* TdlgOptions::DBCheckBox1() const {
    return ui->DBCheckBox1;
}

TDBNavigator* TdlgOptions::dbNav() const {
    return ui->dbNav;
}

}  // namespace wispel
