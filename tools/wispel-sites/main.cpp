// wispel-sites [--dir DIR] create | list [--tsv] | add NAME URL [--update MIN] [--inactive]
//              | set ID FIELD=VALUE... | delete ID | check
//
// Lists and edits the sites table ("Sites.DAT") of DIR, by default the program's data
// folder. `list --tsv` prints one line per row in table order: ID, Name, URL, Update and
// Active ("True"/"False") separated by tabs, a field without a value empty; `add` prints the
// new row's ID; `check` prints what is wrong with the table's files and exits 1 if anything
// is. Errors print the engine's message on standard error and exit 1, as does output that
// standard output cannot take.

#include <cstdio>
#include <exception>
#include <string>

#include "core/CommandLineTool.h"

#include "tools/wispel-sites/SitesCommand.h"

int main(int argc, char** argv) {
    wispel::ignoreBrokenPipe();
    wispel::TSitesCommand command;
    std::string error;
    if (!wispel::parseSitesArguments(std::vector<std::string>(argv + 1, argv + argc), command,
                                     error)) {
        std::fprintf(stderr,
                     "wispel-sites: %s\n"
                     "usage: wispel-sites [--dir DIR] create | list [--tsv]\n"
                     "         | add NAME URL [--update MIN] [--inactive]\n"
                     "         | set ID FIELD=VALUE... | delete ID | check\n",
                     error.c_str());
        return 2;
    }
    int status = 1;
    // Nothing may end the tool but its own exit: an error of any kind is reported.
    try {
        status = wispel::runSitesCommand(command, stdout, stderr);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "Unknown error.\n");
    }
    const std::string writeError = wispel::outputError(stdout, "standard output");
    if (writeError.empty()) return status;
    std::fprintf(stderr, "%s\n", writeError.c_str());
    return 1;
}
