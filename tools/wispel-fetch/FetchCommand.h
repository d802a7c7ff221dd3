#pragma once
// The fetch command: one update cycle over the given sources, each retrieved feed handed to
// a feed parser as the main window does, and the result printed.

#include <cstdio>
#include <string>
#include <vector>

#include "tools/wispel-fetch/FetchOutput.h"

namespace wispel {

struct TFetchOptions {
    TFetchOutput::Format format = TFetchOutput::Format::Tree;
    bool files = false;                // the sources are local files
    bool sites = false;                // the active sites of a sites table
    int maxTime = 0;                   // ms for each request; 0: the client's default
    std::vector<std::string> sources;  // "URL", "NAME=URL", with files paths, with sites
                                       // at most one folder (default: the data folder)
};

// Parses the command line (without the program name). Returns false, with a message in
// `error`, for an unknown option or a second folder after --sites.
bool parseFetchArguments(const std::vector<std::string>& args, TFetchOptions& options,
                         std::string& error);

// Splits "NAME=URL" into its parts; a plain URL (also one whose query holds "=") names
// itself.
void splitSource(const std::string& source, std::string& name, std::string& url);

// Runs the cycle and prints to `out`; an error is printed to `err` as the error box shows
// it. Returns the exit status: 0, or 1 after an error.
int runFetch(const TFetchOptions& options, std::FILE* out, std::FILE* err);

}  // namespace wispel
