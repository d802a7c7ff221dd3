// wispel-fetch [--tsv] [--max-time SECONDS] [--jobs N] SOURCE...   a SOURCE is URL or NAME=URL
// wispel-fetch [--tsv] [--jobs N] --file PATH...
// wispel-fetch [--tsv] [--max-time SECONDS] [--jobs N] [--unread] [--mark-read] --sites [DIR]
//                                     the active sites of DIR/Sites.DAT (default: the
//                                     program's data folder), read as the window reads them
//
// Runs one update over the sources (each due at once), N of them fetched at a time (default
// 6, as the window), and prints what the news tree would show, in the sources' order:
// "Wispel", then per site two spaces and its name, then per item four spaces, its title, a
// tab and its link. With --tsv: one line per item, site, title, link and description
// separated by tabs; control characters in every text are escaped. --max-time bounds each
// request (default 120 seconds). Without sources the design-time source is fetched.
//
// A site that fails is named on standard error with its address and the error, and the rest
// go on. With --sites the feeds' ETag and Last-Modified values are kept in DIR/Feeds.DAT and
// sent with the next run, and every feed is merged into the news kept in DIR/Items.DAT as
// the window merges it: each site then shows its kept items, newest first (--unread: only
// those not read yet), and --mark-read marks what was printed as read. The
// exit status is 1 when a site failed, an error ended the run or standard output could not
// take what was printed.

#include <cstdio>
#include <string>
#include <vector>

#include "core/CommandLineTool.h"
#include "tools/wispel-fetch/FetchCommand.h"

namespace {

constexpr wispel::TCommandUsage kUsage{
    "wispel-fetch",
    "Fetches news feeds once and prints their news as the window's tree shows it.",
    "[--tsv] [--max-time SECONDS] [--jobs N] SOURCE...\n"
    "[--tsv] [--jobs N] --file PATH...\n"
    "[--tsv] [--max-time SECONDS] [--jobs N] [--unread] [--mark-read] --sites [DIR]",
    "  SOURCE              URL or NAME=URL, http or https\n"
    "  --file PATH...      read local feed files instead\n"
    "  --sites [DIR]       the active sites of DIR/Sites.DAT (default: the data folder),\n"
    "                      their news kept in DIR/Items.DAT\n"
    "  --unread            with --sites: only the items not read yet\n"
    "  --mark-read         with --sites: mark the items printed as read\n"
    "  --tsv               one tab-separated line per item\n"
    "  --max-time SECONDS  time limit of each request (default 120)\n"
    "  --jobs N            sites fetched at once, 1 to 64 (default 6)\n"};

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
