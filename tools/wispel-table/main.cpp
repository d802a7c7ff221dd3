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

#include "core/CommandLineTool.h"

#include "tools/wispel-table/TableCommand.h"

int main(int argc, char** argv) {
    wispel::ignoreBrokenPipe();
    wispel::TTableCommand command;
    std::string error;
    if (!wispel::parseTableArguments(std::vector<std::string>(argv + 1, argv + argc), command,
                                     error)) {
        std::fprintf(stderr,
                     "wispel-table: %s\n"
                     "usage: wispel-table [--dir DIR] TABLE schema\n"
                     "         | list [--tsv] [--index NAME] [--filter EXPR] [--range LOW [HIGH]]\n"
                     "                [--key VALUE...] [--fields A,B,...]\n"
                     "         | count [--filter EXPR] | check\n",
                     error.c_str());
        return 2;
    }
    return wispel::runReportingErrors(
        [&] { return wispel::runTableCommand(command, stdout, stderr); });
}
