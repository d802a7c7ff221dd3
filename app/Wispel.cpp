// wispel: the window program. Creates the application object titled "Wispel", the three
// windows (main window, sites dialog, about dialog), shows the main window and runs the
// event loop until it closes. A failed start-up shows the "Application Error" box and
// ends with exit status 1. --help and --version are answered without a display; the
// toolkit's own options (-platform NAME, -style NAME, ...) are taken by the application
// object, and anything else is a wrong command line (exit status 2).

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/ErrorBox.h"
#include "app/Startup.h"
#include "core/CommandLineTool.h"
#include "core/DataFolder.h"
#include "tablestore/component/StoreSession.h"

namespace {

constexpr wispel::TCommandUsage kUsage{
    "wispel",
    "Shows the news of your news sites in a window.",
    "[-platform NAME] [-style NAME]",
    "  -platform NAME      the toolkit's platform (xcb, wayland, offscreen, ...)\n"
    "  -style NAME         the toolkit's widget style\n"};

}  // namespace

int main(int argc, char** argv) {
    using namespace wispel;
    if (answerCommonOption(std::vector<std::string>(argv + 1, argv + argc), kUsage, stdout))
        return 0;
    DefaultSession();  // the table store's "Default" session, before anything opens a table
    TWispelApplication app(argc, argv);
    // What the application object left is ours, and the program takes no arguments.
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) != "--")
            return usageError(kUsage, "unexpected argument " + std::string(argv[i]), stderr);
    }
    try {
        TWispelWindows windows = CreateWindows(wispelDataFolder());
        windows.frmMain->show();
        return app.exec();
    } catch (const std::exception& error) {
        showApplicationError(error);
        return 1;
    }
}
