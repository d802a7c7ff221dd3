#pragma once
// The commands of wispel-table, on one table of a folder, through TStoreTable (same locks as
// every other user of the table, so they may run beside a writer).

#include <cstdio>
#include <string>
#include <vector>

namespace wispel {

struct TTableCommand {
    std::string dir;    // the table's folder, with a trailing "/"
    std::string table;  // its file name
    std::string name;   // schema, list, count, check
    bool tsv = false;
    std::string index;
    std::string filter;
    std::vector<std::string> range;  // LOW, or LOW and HIGH
    std::vector<std::string> key;
    std::vector<std::string> fields;  // empty: every field
};

// Fills `command` from the arguments after the program name; false with `error` set when
// they do not form a command.
bool parseTableArguments(const std::vector<std::string>& arguments, TTableCommand& command,
                         std::string& error);

// Runs the command: 0, or 1 after an error (its message on `err`) or a failed check.
int runTableCommand(const TTableCommand& command, std::FILE* out, std::FILE* err);

}  // namespace wispel
