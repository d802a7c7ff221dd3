#include "app/Startup.h"

#include "feeds/SitesTable.h"
#include "tablestore/component/StoreTable.h"

namespace wispel {

TWispelWindows CreateWindows(const std::string& dataFolder) {
    // The folder is found without regard to the working directory, so a start from a
    // desktop menu finds the same table as one from a terminal.
    CreateSitesTableIfMissing(dataFolder);
    TWispelWindows windows;
    windows.frmMain = std::make_unique<TfrmMain>(dataFolder);
    windows.dlgOptions = std::make_unique<TdlgOptions>();
    windows.dlgAbout = std::make_unique<TdlgAbout>();
    windows.frmMain->SetDialogs(windows.dlgOptions.get(), windows.dlgAbout.get());
    TStoreTable& sites = windows.dlgOptions->dbSites();
    sites.Close();
    sites.SetDatabaseName(dataFolder);
    sites.Open();
    return windows;
}

}  // namespace wispel
