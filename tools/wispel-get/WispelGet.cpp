// wispel-get [-v] URL: fetches URL (http or https) with the HTTP client at its defaults and
// writes the reply body to standard output. With -v the status events, the request lines and the reply
// head go to standard error. Exit status: 0 on success; 1 on an error, after writing the
// body that arrived and the error message; 2 for a wrong command line.

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <string_view>

#include "core/Exception.h"
#include "core/MemoryStream.h"
#include "core/Posix.h"
#include "http/NetHTTP.h"
#include "http/TLSIntercept.h"
#include "tools/wispel-get/VerboseHTTP.h"

using namespace wispel;

namespace {

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        auto n = retryOnEintr([&] { return ::write(fd, bytes.data(), bytes.size()); });
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

int usage() {
    std::fprintf(stderr, "usage: wispel-get [-v] URL\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    bool verbose = false;
    std::string url;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-v") == 0) {
            verbose = true;
        } else if (url.empty() && argv[i][0] != '-') {
            url = argv[i];
        } else {
            return usage();
        }
    }
    if (url.empty()) return usage();

    TNetTLSIntercept tls;  // for https URLs; outlives the client
    std::unique_ptr<TNetHTTP> http =
        verbose ? std::make_unique<TVerboseHTTP>(stderr) : std::make_unique<TNetHTTP>();
    http->SetIntercept(&tls);
    TMemoryStream body;
    std::string error;
    try {
        http->Get(url, body);
        http->Disconnect();
    } catch (const std::exception& e) {
        error = e.what();
    }
    // After an error the stream may have been sized for bytes that never came.
    bool written = writeAll(STDOUT_FILENO, body.View().substr(0, body.Position()));
    if (!error.empty()) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    return written ? 0 : 1;
}
