// wispel-table [--dir DIR] TABLE schema
//            | list [--tsv] [--index NAME] [--filter EXPR] [--range LOW [HIGH]]
//                   [--key VALUE...] [--fields A,B,...]
//            | count [--filter EXPR]
//            | check
//
// A window onto any table of DIR (by default the program's data folder): `schema` prints
// the columns and indexes; `list` the rows in the order of the index named (or of the
// record slots), narrowed by a filter, a range of the index's first key field, or the rows
// whose leading key fields equal the --key values; `count` the rows that pass the filter;
// `check` what is wrong with the table's files (exit 1 if anything is). Memo values print as
// text, escaped so that no control character reaches the terminal; blob values as their
// length in bytes. `--tsv` separates the fields by tabs, without a heading. Errors print the
// engine's message on standard error and exit 1; wrong arguments exit 2.

#include <cstdio>
#include <string>
#include <vector>

#include "core/CommandLineTool.h"

#include "tools/wispel-table/TableCommand.h"

namespace {

constexpr wispel::TCommandUsage kUsage{
    "wispel-table",
    "Shows the columns, indexes and rows of any table of the store and checks its files.",
    "[--dir DIR] TABLE schema\n"
    "[--dir DIR] TABLE list [--tsv] [--index NAME] [--filter EXPR] [--fields A,B,...]\n"
    "[--dir DIR] TABLE list --index NAME [--range LOW [HIGH] | --key VALUE...] [...]\n"
    "[--dir DIR] TABLE count [--filter EXPR]\n"
    "[--dir DIR] TABLE check",
    "  --dir DIR           the folder of the table (default: the data folder)\n"
    "  schema              print the columns and the indexes\n"
    "  list                print the rows (tab-separated, without a heading, with --tsv)\n"
    "  --index NAME        in the order of the index NAME\n"
    "  --filter EXPR       only the rows the filter expression passes\n"
    "  --range LOW [HIGH]  only the rows whose first key field lies in the range\n"
    "  --key VALUE...      only the rows whose leading key fields equal the values\n"
    "  --fields A,B,...    only these fields, in this order\n"
    "  count               print the number of rows the filter passes\n"
    "  check               check the table's files; exit status 1 when anything is wrong\n"};

}  // namespace

int main(int argc, char** argv) {
    wispel::ignoreBrokenPipe();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (wispel::answerCommonOption(arguments, kUsage, stdout)) return 0;
    wispel::TTableCommand command;
    std::string error;
    if (!wispel::parseTableArguments(arguments, command, error))
        return wispel::usageError(kUsage, error, stderr);
    return wispel::runReportingErrors(
        [&] { return wispel::runTableCommand(command, stdout, stderr); });
}
