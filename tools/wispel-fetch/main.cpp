// wispel-fetch [--tsv] [--max-time SECONDS] SOURCE...   a SOURCE is URL or NAME=URL
// wispel-fetch [--tsv] --file PATH...
// wispel-fetch [--tsv] --sites [DIR]  the active sites of DIR/Sites.DAT (default: the
//                                     program's data folder), read as the window reads them
//
// Runs one update cycle over the sources (each due at once) and prints what the news tree
// would show: "Wispel", then per site two spaces and its name, then per item four spaces,
// its title, a tab and its link. With --tsv: one line per item, site, title, link and
// description separated by tabs; control characters in every text are escaped. --max-time
// bounds each request (default 120 seconds). Without sources the design-time source is
// fetched. After an error, and when standard output cannot take what is printed, the message
// goes to standard error and the exit status is 1.

#include <cstdio>
#include <string>
#include <vector>

#include "core/CommandLineTool.h"
#include "tools/wispel-fetch/FetchCommand.h"

namespace {

constexpr wispel::TCommandUsage kUsage{
    "wispel-fetch",
    "Fetches news feeds once and prints their news as the window's tree shows it.",
    "[--tsv] [--max-time SECONDS] SOURCE...\n"
    "[--tsv] --file PATH...\n"
    "[--tsv] --sites [DIR]",
    "  SOURCE              URL or NAME=URL, http or https\n"
    "  --file PATH...      read local feed files instead\n"
    "  --sites [DIR]       the active sites of DIR/Sites.DAT (default: the data folder)\n"
    "  --tsv               one tab-separated line per item\n"
    "  --max-time SECONDS  time limit of each request (default 120)\n"};

}  // namespace

int main(int argc, char** argv) {
    wispel::ignoreBrokenPipe();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (wispel::answerCommonOption(arguments, kUsage, stdout)) return 0;
    wispel::TFetchOptions options;
    std::string error;
    if (!wispel::parseFetchArguments(arguments, options, error))
        return wispel::usageError(kUsage, error, stderr);
    return wispel::runFetch(options, stdout, stderr);
}
