// wispel-get [-v] [--max-time SECONDS] URL: fetches URL (http or https) with the HTTP client
// at its defaults and writes the reply body to standard output. With -v the status events,
// the request lines and the reply head go to standard error, control characters escaped.
// --max-time bounds the whole request (default 120 seconds). Exit status: 0 on success; 1 on
// an error, after writing the body that arrived and the error message, and when standard
// output cannot take the body; 2 for a wrong command line.

#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "core/CommandLineTool.h"
#include "core/MemoryStream.h"
#include "core/TerminalText.h"
#include "http/NetHTTP.h"
#include "http/TLSIntercept.h"
#include "tools/wispel-get/VerboseHTTP.h"

using namespace wispel;

namespace {

constexpr TCommandUsage kUsage{
    "wispel-get",
    "Fetches an http or https URL and writes the reply body to standard output.",
    "[-v] [--max-time SECONDS] URL",
    "  -v                  show the exchange on standard error\n"
    "  --max-time SECONDS  time limit of the whole request (default 120)\n"};

// Runs the request; the error's message, or empty on success.
std::string fetch(TNetHTTP& http, const std::string& url, TMemoryStream& body) {
    try {
        http.Get(url, body);
        http.Disconnect();
        return {};
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "Unknown error.";
    }
}

}  // namespace

int main(int argc, char** argv) {
    ignoreBrokenPipe();
    if (answerCommonOption(std::vector<std::string>(argv + 1, argv + argc), kUsage, stdout)) return 0;
    bool verbose = false;
    bool operands = false;  // after "--"
    int maxTime = kDefaultTotalTimeout;
    std::string url;
    for (int i = 1; i < argc; ++i) {
        if (!operands && std::strcmp(argv[i], "--") == 0) {
            operands = true;
        } else if (!operands && std::strcmp(argv[i], "-v") == 0) {
            verbose = true;
        } else if (!operands && std::strcmp(argv[i], "--max-time") == 0) {
            if (++i == argc || !parseSeconds(argv[i], maxTime))
                return usageError(kUsage, "--max-time needs a number of seconds", stderr);
        } else if (url.empty() && (operands || argv[i][0] != '-')) {
            url = argv[i];
        } else {
            return usageError(kUsage, "unexpected argument " + std::string(argv[i]), stderr);
        }
    }
    if (url.empty()) return usageError(kUsage, "no URL", stderr);

    std::string error;
    TMemoryStream body;
    try {
        TNetTLSIntercept tls;  // for https URLs; outlives the client
        std::unique_ptr<TNetHTTP> http =
            verbose ? std::make_unique<TVerboseHTTP>(stderr) : std::make_unique<TNetHTTP>();
        http->SetIntercept(&tls);
        http->TotalTimeout = maxTime;
        error = fetch(*http, url, body);
    } catch (...) {
        error = "Unknown error.";  // the client could not even be set up
    }
    // After an error the stream may have been sized for bytes that never came.
    const std::string_view received = body.View().substr(0, static_cast<size_t>(body.Position()));
    if (!received.empty()) std::fwrite(received.data(), 1, received.size(), stdout);
    const std::string writeError = outputError(stdout, "standard output");
    if (!error.empty()) std::fprintf(stderr, "%s\n", escapeControlsKeepingLines(error).c_str());
    if (!writeError.empty()) std::fprintf(stderr, "%s\n", writeError.c_str());
    return error.empty() && writeError.empty() ? 0 : 1;
}
