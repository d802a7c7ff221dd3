#pragma once
// The fetch command: one update over the given sources, fetched side by side and parsed as
// the window does (feeds/FeedUpdate.h), the result printed in the sources' order.

#include <cstdio>
#include <string>
#include <vector>

#include "feeds/FeedUpdate.h"
#include "tools/wispel-fetch/FetchOutput.h"

namespace wispel {

struct TFetchOptions {
    TFetchOutput::Format format = TFetchOutput::Format::Tree;
    bool files = false;                // the sources are local files
    bool sites = false;                // the active sites of a sites table
    bool unread = false;               // with sites: only the unread items are printed
    bool markRead = false;             // with sites: what was printed is marked as read
    int maxTime = 0;                   // ms for each request; 0: the client's default
    int jobs = kDefaultUpdateJobs;     // sites fetched at once
    std::vector<std::string> sources;  // "URL", "NAME=URL", with files paths, with sites
                                       // at most one folder (default: the data folder)
};

// Parses the command line (without the program name). Returns false, with a message in
// `error`, for an unknown option, a second folder after --sites, or --unread or --mark-read
// without --sites.
bool parseFetchArguments(const std::vector<std::string>& args, TFetchOptions& options,
                         std::string& error);

// Splits "NAME=URL" into its parts; a plain URL (also one whose query holds "=") names
// itself.
void splitSource(const std::string& source, std::string& name, std::string& url);

// Runs the update and prints to `out`. Each site that fails is named on `err` with its
// address and error, and the others go on; an error that ends the whole run (the sites
// table cannot be read) is printed as the error box shows it. Returns the exit status: 0,
// or 1 when anything failed.
int runFetch(const TFetchOptions& options, std::FILE* out, std::FILE* err);

}  // namespace wispel
