#pragma once
// Start-up: the program's three windows, created once in a fixed order and kept for the
// whole run, with the sites dialog's table pointed at the data folder.

#include <memory>
#include <string>

#include "app/AboutDialog.h"
#include "app/MainWindow.h"
#include "app/SitesDialog.h"

namespace wispel {

struct TWispelWindows {
    std::unique_ptr<TfrmMain> frmMain;
    std::unique_ptr<TdlgOptions> dlgOptions;
    std::unique_ptr<TdlgAbout> dlgAbout;
};

// Creates an empty sites table in `dataFolder` when it has none (a first start), then the
// main window (its FormCreate errors are shown and skipped), the sites dialog and the about
// dialog, and opens the dialog's table from `dataFolder`. Any other error passes to the
// caller: start-up has failed.
TWispelWindows CreateWindows(const std::string& dataFolder);

}  // namespace wispel
