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

namespace {

constexpr wispel::TCommandUsage kUsage{
    "wispel-get",
    "Fetches an http or https URL and writes the reply body to standard output.",
    "[-v] [--max-time SECONDS] URL",
    "  -v                  show the exchange on standard error\n"
    "  --max-time SECONDS  time limit of the whole request (default 120)\n"};

}  // namespace

int main(int argc, char** argv) {
    wispel::ignoreBrokenPipe();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (wispel::answerCommonOption(arguments, kUsage, stdout)) return 0;
    wispel::TGetOptions options;
    std::string error;
    if (!wispel::parseGetArguments(arguments, options, error))
        return wispel::usageError(kUsage, error, stderr);
    return wispel::runGet(options, stdout, stderr);
}
