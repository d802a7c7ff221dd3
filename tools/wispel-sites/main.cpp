// wispel-sites [--dir DIR] create | list [--tsv]
//              | add NAME URL [--update MIN] [--inactive] [--discover]
//              | set ID FIELD=VALUE... | delete ID | check | import FILE | export [FILE]
//
// Lists and edits the sites table ("Sites.DAT") of DIR, by default the program's data
// folder. `list --tsv` prints one line per row in table order: ID, Name, URL, Update and
// Active ("True"/"False") separated by tabs, a field without a value empty; `add` prints the
// new row's ID (with --discover, a web page at URL is searched for the feed it announces
// first, and the feed taken is named); `check` prints what is wrong with the table's files
// and exits 1 if anything is. `import` adds the feeds of an OPML file that are not sites yet,
// all or none, and prints what it added and skipped; `export` writes every site as OPML 2.0
// to FILE or to standard output. Errors print their message on standard error and exit 1, as
// does output that standard output cannot take.

#include <cstdio>
#include <string>

#include "core/CommandLineTool.h"

#include "tools/wispel-sites/SitesCommand.h"

namespace {

constexpr wispel::TCommandUsage kUsage{
    "wispel-sites",
    "Lists and edits the sites table, with the same locks as the window program.",
    "[--dir DIR] create\n"
    "[--dir DIR] list [--tsv]\n"
    "[--dir DIR] add NAME URL [--update MIN] [--inactive] [--discover]\n"
    "[--dir DIR] set ID FIELD=VALUE...\n"
    "[--dir DIR] delete ID\n"
    "[--dir DIR] check\n"
    "[--dir DIR] import FILE\n"
    "[--dir DIR] export [FILE]",
    "  --dir DIR           the folder of Sites.DAT (default: the data folder)\n"
    "  create              create an empty table\n"
    "  list [--tsv]        print every site (tab-separated with --tsv)\n"
    "  add NAME URL        add a site; --update MIN sets its interval in minutes,\n"
    "                      --inactive clears its Active flag; --discover: when URL\n"
    "                      answers with a web page, add the first feed it announces\n"
    "  set ID F=V...       change fields (Name, URL, Update, Active) of the site ID\n"
    "  delete ID           delete the site ID\n"
    "  check               check the table's files; exit status 1 when anything is wrong\n"
    "  import FILE         add the feeds of an OPML file that are not sites yet (all or\n"
    "                      none), and tell what was added and skipped\n"
    "  export [FILE]       write every site as OPML to FILE (default: standard output)\n"};

}  // namespace

int main(int argc, char** argv) {
    wispel::ignoreBrokenPipe();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (wispel::answerCommonOption(arguments, kUsage, stdout)) return 0;
    wispel::TSitesCommand command;
    std::string error;
    if (!wispel::parseSitesArguments(arguments, command, error))
        return wispel::usageError(kUsage, error, stderr);
    return wispel::runReportingErrors(
        [&] { return wispel::runSitesCommand(command, stdout, stderr); });
}
