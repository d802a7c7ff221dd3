#include "tools/wispel-get/GetCommand.h"

#include <exception>
#include <memory>

#include "core/CommandLineTool.h"
#include "core/MemoryStream.h"
#include "core/TerminalText.h"
#include "http/NetHTTP.h"
#include "http/TLSIntercept.h"
#include "tools/wispel-get/VerboseHTTP.h"

namespace wispel {

bool parseGetArguments(const std::vector<std::string>& args, TGetOptions& options,
                       std::string& error) {
    bool operands = false;  // after "--"
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!operands && arg == "--") {
            operands = true;
        } else if (operands) {
            if (!options.url.empty()) {
                error = "unexpected argument " + arg;
                return false;
            }
            options.url = arg;
        } else if (arg == "-v") {
            options.verbose = true;
        } else if (arg == "--max-time") {
            if (i + 1 == args.size() || !parseSeconds(args[++i], options.maxTime)) {
                error = "--max-time needs a number of seconds";
                return false;
            }
        } else if (options.url.empty() && !arg.empty() && arg[0] != '-') {
            options.url = arg;
        } else {
            error = "unexpected argument " + arg;
            return false;
        }
    }
    if (options.url.empty()) {
        error = "no URL";
        return false;
    }
    return true;
}

namespace {

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

void printLine(std::FILE* err, const std::string& line) {
    std::fprintf(err, "%s\n", escapeControlsAsOneLine(line).c_str());
}

}  // namespace

int runGet(const TGetOptions& options, std::FILE* out, std::FILE* err) {
    std::string error;
    TMemoryStream body;
    try {
        TNetTLSIntercept tls;  // for https URLs; outlives the client
        std::unique_ptr<TNetHTTP> http =
            options.verbose ? std::make_unique<TVerboseHTTP>(err) : std::make_unique<TNetHTTP>();
        http->SetIntercept(&tls);
        http->Request().AcceptEncoding = "gzip, deflate";
        if (options.maxTime > 0) http->TotalTimeout = options.maxTime;
        error = fetch(*http, options.url, body);
    } catch (...) {
        error = "Unknown error.";  // the client could not even be set up
    }
    // After an error the stream may have been sized for bytes that never came.
    const std::string_view received = body.View().substr(0, static_cast<size_t>(body.Position()));
    if (!received.empty()) std::fwrite(received.data(), 1, received.size(), out);
    const std::string writeError = outputError(out, "standard output");
    if (!error.empty()) printLine(err, "wispel-get: " + options.url + ": " + error);
    if (!writeError.empty()) printLine(err, "wispel-get: " + writeError);
    return error.empty() && writeError.empty() ? 0 : 1;
}

}  // namespace wispel
