#include "app/SitesDialog.h"

#include "app/DBCheckBox.h"
#include "app/DBEdit.h"
#include "app/DBNavigator.h"
#include "feeds/SitesTable.h"
#include "tablestore/component/StoreTable.h"
#include "ui_SitesDialog.h"

namespace wispel {

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
    ui->DBEdit1->SetDataField(&datSites_, "Name");
    ui->DBEdit2->SetDataField(&datSites_, "URL");
    ui->DBCheckBox1->SetDataField(&datSites_, "Active");
    ui->dbNav->SetDataSource(&datSites_);
}

// The bound controls go first, while the data source they detach from still exists.
TdlgOptions::~TdlgOptions() {
    delete ui->dbNav;
    delete ui->DBCheckBox1;
    delete ui->DBEdit2;
    delete ui->DBEdit1;
}

TDBEdit* TdlgOptions::DBEdit1() const {
    return ui->DBEdit1;
}

TDBEdit* TdlgOptions::DBEdit2() const {
    return ui->DBEdit2;
}

TDBCheckBox* TdlgOptions::DBCheckBox1() const {
    return ui->DBCheckBox1;
}

TDBNavigator* TdlgOptions::dbNav() const {
    return ui->dbNav;
}

}  // namespace wispel
