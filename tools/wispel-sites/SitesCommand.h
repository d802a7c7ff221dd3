#pragma once
// The commands of wispel-sites, on the sites table of a folder, through TStoreTable as the
// window program uses it (same locks, so both may run at once).

#include <cstdio>
#include <string>
#include <vector>

namespace wispel {

struct TSitesCommand {
    std::string dir;                 // the table's folder, with a trailing "/"
    std::string name;                // create, list, add, set, delete, check, import, export
    bool tsv = false;                // list
    // add: NAME URL; set: ID FIELD=VALUE...; delete: ID; import: FILE; export: [FILE]
    std::vector<std::string> args;
    std::string update;              // add --update MIN; empty leaves Update without a value
    bool inactive = false;           // add --inactive
    bool discover = false;           // add --discover: URL may be a page announcing the feed
};

// Fills `command` from the arguments after the program name; false with `error` set when
// they do not form a command (an empty folder name included). Without --dir the program's
// data folder is used.
bool parseSitesArguments(const std::vector<std::string>& arguments, TSitesCommand& command,
                         std::string& error);

// Runs the command: 0, or 1 after an error (its message on `err`) or a failed check. Values
// are checked by the sites' rules (feeds/SiteValues.h) before the table changes at all.
int runSitesCommand(const TSitesCommand& command, std::FILE* out, std::FILE* err);

}  // namespace wispel
