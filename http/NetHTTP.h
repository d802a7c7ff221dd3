#pragma once
// The HTTP/1.0 and HTTP/1.1 client: one request per call on a TCP connection that is kept
// open between requests when the server and the version allow it.
//
//   TNetHTTP http;
//   TMemoryStream body;
//   http.Get("http://example.org/feed.xml", body);  // raises on failure, body kept
//   http.Disconnect();
//
// Limits on what a server may send (all raise an ENetLimitExceeded kind and close the
// connection): a status or header line of more than MaxLineLength bytes, more than
// MaxHeaderLines header lines, a body of more than MaxBodySize bytes. Connecting and
// reading give up after ConnectTimeout and ReadTimeout (ENetSocketError 10060), and the
// whole request, redirects included, after TotalTimeout, however steadily bytes arrive.
//
// Only absolute http and https URLs with a host, and without blanks or control characters,
// are requested (else ENetInvalidURL, before anything is sent); the host may be an IPv6
// literal in brackets. "https" URLs need a secure-connection intercept assigned
// (TNetTLSIntercept); port 443 unless the URL names another. Redirects are followed with
// HandleRedirects only to http and https targets without blanks or control characters; a
// relative target resolves against the URL that redirected.
//
// A body sent with Content-Encoding gzip or deflate is inflated into the caller's stream
// (within MaxBodySize too); set Request().AcceptEncoding to ask for one. With a validator
// in Request().IfNoneMatch or IfModifiedSince, a 304 reply is NotModified() and no error.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/Stream.h"
#include "http/NetHeaderInfo.h"
#include "http/NetHeaderList.h"
#include "http/NetTCPClient.h"

namespace wispel {

class TNetSecureIntercept;

enum class TNetHTTPProtocolVersion { pv1_0 = 0, pv1_1 = 1 };
enum class TNetHTTPMethod { hmHead = 0, hmGet = 1, hmPost = 2 };

// (sender, location the handler may change, a copy of the redirect count, whether to follow)
using TNetHTTPOnRedirectEvent = TEvent<TComponent*, std::string&, int&, bool&>;

// The body of a POST: lines (sent each with CR LF) or a stream (sent from its start).
// Neither set is a source of a kind the client cannot send.
struct TNetPostSource {
    const std::vector<std::string>* Lines = nullptr;  // not owned
    TStream* Stream = nullptr;                        // not owned
};

constexpr int kDefaultRedirectMaximum = 15;
constexpr int kDefaultMaxHeaderLines = 1000;
constexpr std::int64_t kDefaultMaxBodySize = 64LL * 1024 * 1024;
constexpr int kMaxInterimReplies = 32;  // 1xx replies skipped before a final one
constexpr int kDefaultTotalTimeout = 120000;  // ms for one request, connecting included

class TNetHTTP : public TNetTCPClient {
public:
    explicit TNetHTTP(TComponent* owner = nullptr);
    ~TNetHTTP() override;

    // Properties.
    bool HandleRedirects = false;
    TNetHTTPProtocolVersion ProtocolVersion = TNetHTTPProtocolVersion::pv1_1;
    int RedirectMaximum = kDefaultRedirectMaximum;
    TNetHTTPOnRedirectEvent OnRedirect;
    std::int64_t MaxBodySize = kDefaultMaxBodySize;
    int MaxHeaderLines = kDefaultMaxHeaderLines;
    int TotalTimeout = kDefaultTotalTimeout;  // ms; 0 or less: no total limit

    TNetHeaderInfo& Request() noexcept { return *request_; }
    TNetHeaderInfo& Response() noexcept { return *response_; }
    TNetHeaderList& RawHeaders() noexcept { return *rawHeaders_; }
    int ResponseCode() const noexcept { return responseCode_; }
    const std::string& ResponseText() const noexcept { return responseText_; }
    int RedirectCount() const noexcept { return redirectCount_; }
    const std::string& LastHost() const noexcept { return lastHost_; }
    const std::string& LastProtocol() const noexcept { return lastProtocol_; }
    // The URL whose reply was read last: the one asked for, or the redirect target followed
    // (resolved against the URL that redirected), with backslashes as slashes.
    const std::string& FinalURL() const noexcept { return finalURL_; }
    // True when the last request carried a validator (Request().IfNoneMatch or
    // IfModifiedSince) and the server answered 304: the copy the caller holds is current.
    // Such a reply is no error and has no body.
    bool NotModified() const noexcept { return notModified_; }

    // The body goes into `stream` at its position. A reply that is not a success raises
    // ENetProtocolReplyError after its body has been written.
    void Get(const std::string& url, TStream& stream) {
        PerformRequest(TNetHTTPMethod::hmGet, url, nullptr, &stream);
    }
    void Head(const std::string& url) {
        PerformRequest(TNetHTTPMethod::hmHead, url, nullptr, nullptr);
    }
    void Post(const std::string& url, const std::vector<std::string>& lines, TStream& response);
    void Post(const std::string& url, TStream& source, TStream& response);

    virtual bool AskRedirect(std::string& location, int redirectCount);
    // One exchange; `source` is used for POST only, `responseStream` may be null (no body
    // is read then).
    virtual void PerformRequest(TNetHTTPMethod method, const std::string& url,
                                const TNetPostSource* source, TStream* responseStream);
    // Reads the header lines up to the empty line into RawHeaders and parses them.
    void ReadHeaders();

private:
    void exchange(TNetHTTPMethod method, const std::string& url, const TNetPostSource* source,
                  TStream* responseStream);
    bool selectHostAndPort(const std::string& protocol, const std::string& host, int port);
    // True when the URL names a host, which then becomes the connection's target.
    bool hostStep(const std::string& protocol, const std::string& host, int port);
    void securedStep(TNetSecureIntercept& intercept, const std::string& protocol, bool secure);
    void sendRequest(TNetHTTPMethod method, const std::string& target,
                     const TNetPostSource* source);
    bool readReplyHead();   // the final reply's status line and headers; true for HTTP/1.0
    bool readStatusLine();  // true for an HTTP/1.0 reply
    bool replyHasBody(TNetHTTPMethod method) const;
    void ReadBody(TStream* stream);
    // ReadBody, and a body with a Content-Encoding inflated on its way into `stream`.
    void readDecodedBody(TStream* stream);
    void readChunks(TStream& stream);
    // True after an HTTP/1.0 exchange or a reply that says "Connection: close".
    bool closesAfterReply(bool http10Reply) const;
    void finishReply(bool http10Reply);
    // Raises ENetInvalidURL for a redirect target that is not http or https, or that holds
    // a control character.
    void checkRedirectTarget(const std::string& location);
    void openTunnel();
    [[noreturn]] void raiseReplyError(bool http10Reply);

    std::unique_ptr<TNetHeaderList> rawHeaders_;
    int redirectCount_ = 0;
    std::unique_ptr<TNetHeaderInfo> request_;
    std::unique_ptr<TNetHeaderInfo> response_;
    int responseCode_ = 0;
    std::string responseText_;
    std::string tunnelHost_;  // the proxy tunnel target, for a secure-connection intercept
    int tunnelPort_ = 0;
    std::string tunnelVersion_;
    std::string lastHost_;
    std::string lastProtocol_;
    std::string finalURL_;
    bool notModified_ = false;
};

// "1.0" or "1.1".
const char* protocolVersionText(TNetHTTPProtocolVersion version);

}  // namespace wispel
