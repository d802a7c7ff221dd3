// Replays arbitrary bytes as a server's replies to TNetHTTP requests. Every input must end
// in a reply or in one of the client's own errors, never in a crash, a leak or a hang.
//
// Input: byte 0 chooses the requests (bit 0: HEAD instead of GET; bit 1: a second GET on
// the same client, which reuses the connection when the first reply left it open; bit 2:
// follow redirects); byte 1 the size of each piece the fake server hands out (0: all at
// once). The rest is what the server sends, across every connection the client opens.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/Exception.h"
#include "core/MemoryStream.h"
#include "http/NetConnectionIntercept.h"
#include "http/NetException.h"
#include "http/NetHTTP.h"

namespace {

using namespace wispel;

// Takes the place of the socket: swallows what the client sends and hands out the
// fuzzer's bytes, then reports the peer's close.
class ReplayIntercept : public TNetConnectionIntercept {
public:
    ReplayIntercept(std::string_view bytes, std::size_t piece) : bytes_(bytes), piece_(piece) {}
    bool TakesOverReceiving() const override { return true; }
    bool TakesOverSending() const override { return true; }
    std::int64_t Send(const void*, std::int64_t count) override { return count; }
    std::int64_t Recv(void* target, std::int64_t count) override {
        std::size_t n = std::min({bytes_.size(), static_cast<std::size_t>(count),
                                  piece_ == 0 ? bytes_.size() : piece_});
        std::copy_n(bytes_.data(), n, static_cast<char*>(target));
        bytes_.remove_prefix(n);
        return static_cast<std::int64_t>(n);
    }

private:
    std::string_view bytes_;
    std::size_t piece_;
};

// A client whose connecting opens no connection: a socket handle is allocated so that the
// connection counts as open, and the intercept carries every byte.
class ReplayHTTP : public TNetHTTP {
public:
    void Connect() override {
        if (Binding().HandleAllocated()) throw ENetAlreadyConnected("Already connected.");
        ResetConnection();
        Binding().AllocateSocket();
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::uint8_t flags = data[0];
    ReplayIntercept replay(std::string_view(reinterpret_cast<const char*>(data) + 2, size - 2),
                           data[1]);
    ReplayHTTP http;
    http.SetIntercept(&replay);
    http.SetInterceptEnabled(true);
    // Small limits, so that every limit is within the fuzzer's reach.
    http.MaxBodySize = 2048;
    http.MaxHeaderLines = 20;
    http.MaxLineLength = 512;
    http.RedirectMaximum = 3;
    http.HandleRedirects = (flags & 4) != 0;
    const int requests = (flags & 2) != 0 ? 2 : 1;
    for (int i = 0; i < requests; ++i) {
        TMemoryStream body;
        try {
            TNetHTTPMethod method = i == 0 && (flags & 1) != 0 ? TNetHTTPMethod::hmHead
                                                               : TNetHTTPMethod::hmGet;
            http.PerformRequest(method, "http://replay.test:8080/feed", nullptr, &body);
        } catch (const Exception&) {
            // A refused reply: the error is the expected outcome.
        }
        if (body.Size() > http.MaxBodySize) __builtin_trap();  // a limit did not hold
    }
    http.Disconnect();
    http.SetIntercept(nullptr);
    return 0;
}
