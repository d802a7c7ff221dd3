#pragma once
// The get command: one GET with the HTTP client, the reply body written out as it came
// (inflated when the server compressed it).

#include <cstdio>
#include <string>
#include <vector>

namespace wispel {

struct TGetOptions {
    bool verbose = false;  // the exchange is logged on the error stream
    int maxTime = 0;       // ms for the whole request; 0: the client's default
    std::string url;
};

// Parses the command line (without the program name). Returns false, with a message in
// `error`, for an unknown option, a missing or second URL, or a time that is not one.
bool parseGetArguments(const std::vector<std::string>& args, TGetOptions& options,
                       std::string& error);

// Runs the request: the body that arrived goes to `out`, also after an error; the error, as
// one line naming the URL, to `err`. Returns the exit status: 0, or 1 after an error or when
// `out` cannot take the body.
int runGet(const TGetOptions& options, std::FILE* out, std::FILE* err);

}  // namespace wispel
