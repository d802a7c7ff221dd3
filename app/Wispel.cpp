// wispel: the window program. Creates the application object titled "Wispel", the three
// windows (main window, sites dialog, about dialog), shows the main window and runs the
// event loop until it closes. A failed start-up shows the "Application Error" box and
// ends with exit status 1.

#include <exception>

#include "app/Application.h"
#include "app/ErrorBox.h"
#include "app/Startup.h"
#include "core/DataFolder.h"
#include "tablestore/component/StoreSession.h"

int main(int argc, char** argv) {
    using namespace wispel;
    DefaultSession();  // the table store's "Default" session, before anything opens a table
    TWispelApplication app(argc, argv);
    try {
        TWispelWindows windows = CreateWindows(wispelDataFolder());
        windows.frmMain->show();
        return app.exec();
    } catch (const std::exception& error) {
        showApplicationError(error);
        return 1;
    }
}
