// wispel-get [-v] [--max-time SECONDS] URL: fetches URL (http or https) with the HTTP client
// and writes the reply body to standard output, inflated when the server sent it compressed
// (the client asks for gzip and deflate). With -v the status events, the request lines and
// the reply head go to standard error, control characters escaped. --max-time bounds the
// whole request (default 120 seconds). Exit status: 0 on success; 1 on an error, after
// writing the body that arrived and one line "wispel-get: URL: message", and when standard
// output cannot take the body; 2 for a wrong command line.

#include <cstdio>
#include <string>
#include <vector>

#include "core/CommandLineTool.h"
#include "tools/wispel-get/GetCommand.h"

int main(int argc, char** argv) {
    wispel::ignoreBrokenPipe();
    wispel::TGetOptions options;
    std::string error;
    if (!wispel::parseGetArguments(std::vector<std::string>(argv + 1, argv + argc), options,
                                   error)) {
        std::fprintf(stderr, "wispel-get: %s\nusage: wispel-get [-v] [--max-time SECONDS] URL\n",
                     error.c_str());
        return 2;
    }
    return wispel::runGet(options, stdout, stderr);
}
