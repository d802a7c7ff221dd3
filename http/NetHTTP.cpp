#include "http/NetHTTP.h"

#include <algorithm>
#include <limits>

#include "core/Exception.h"
#include "core/Format.h"
#include "core/TextCase.h"
#include "core/TextTrim.h"
#include "core/MemoryStream.h"
#include "http/ChunkedBody.h"
#include "http/ContentDecoding.h"
#include "http/NetConnectionIntercept.h"
#include "http/NetException.h"
#include "http/NetURI.h"
#include "http/UriReference.h"

namespace wispel {

namespace {

const char* methodText(TNetHTTPMethod method) {
    switch (method) {
        case TNetHTTPMethod::hmHead:
            return "HEAD ";
        case TNetHTTPMethod::hmGet:
            return "GET ";
        case TNetHTTPMethod::hmPost:
            return "POST ";
    }
    return "";
}

// The port of a URL: -1 when it names none, else a number from 1 to 65535. Anything else
// is refused rather than quietly sent to port 80.
int portNumber(const std::string& text) {
    if (text.empty()) return -1;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9' || value > 65535) throw ENetInvalidURL("Invalid port in URL.");
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > 65535) throw ENetInvalidURL("Invalid port in URL.");
    return value;
}

bool saysClose(const TNetHeaderInfo& response) {
    return sameText(trimText(response.Connection), "CLOSE");
}

// A Content-Length value is decimal digits only (blanks may follow).
bool plainDecimal(const std::string& value) {
    std::size_t end = value.find_last_not_of(" \t");
    if (end == std::string::npos) return false;
    return std::all_of(value.begin(), value.begin() + static_cast<std::ptrdiff_t>(end + 1),
                       [](char c) { return c >= '0' && c <= '9'; });
}

// Every Content-Length line must be a plain number, and all of them the same number: a
// reply framed two ways would let one side read a body the other reads as a new reply.
void checkContentLengths(const TNetHeaderList& lines) {
    std::string first;
    for (int i = 0; i < lines.Count(); ++i) {
        if (lines.Strings(i).find(':') == std::string::npos) continue;
        if (!sameText(lines.nameOfLine(i), "Content-Length")) continue;
        std::string value(trimText(lines.valueOfLine(i)));
        if (!plainDecimal(value)) raiseMalformed("Malformed Content-Length.");
        std::size_t digits = value.find_first_not_of('0');
        value = digits == std::string::npos ? "0" : value.substr(digits);
        if (first.empty()) first = value;
        if (value != first) raiseMalformed("Conflicting Content-Length values.");
    }
}

bool isControlCharacter(char c) {
    auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

// A blank or a control character in a URL would end the request line early or start a
// header line of the server's choosing.
bool breaksRequestLine(char c) {
    return c == ' ' || isControlCharacter(c);
}

// A URL as a message shows it: control characters as "?", so that the message stays one line.
std::string shownURL(std::string url) {
    std::replace_if(url.begin(), url.end(), isControlCharacter, '?');
    return url;
}

bool isWebScheme(std::string_view scheme) {
    return sameText(scheme, "HTTP") || sameText(scheme, "HTTPS");
}

// Only whole web addresses are asked for: a URL without a host would go to whatever server
// the connection last reached, and any other scheme is no request of ours.
void checkRequestURL(const std::string& url, const TNetURI& parts) {
    if (std::any_of(url.begin(), url.end(), breaksRequestLine)) {
        throw ENetInvalidURL(formatMessage("URL '%s' refused: it holds a blank or a control character.",
                                           {shownURL(url)}));
    }
    bool bracketed = parts.Host.find_first_of("[]") != std::string::npos;
    if (!isWebScheme(uriScheme(url)) || parts.Host.empty() || bracketed) {
        throw ENetInvalidURL(formatMessage(
            "URL '%s' refused: only http and https addresses with a host are fetched.", {url}));
    }
}

// The host as the Host line and an absolute target write it: an IPv6 literal in brackets.
std::string hostText(const std::string& host) {
    return host.find(':') == std::string::npos ? host : "[" + host + "]";
}

// Sets a counter back to 0 when the outermost request ends, however it ends.
class RedirectCountScope {
public:
    explicit RedirectCountScope(int& count) : count_(count), outermost_(count == 0) { ++count_; }
    ~RedirectCountScope() {
        if (outermost_) count_ = 0;
    }
    RedirectCountScope(const RedirectCountScope&) = delete;
    RedirectCountScope& operator=(const RedirectCountScope&) = delete;

private:
    int& count_;
    bool outermost_;
};

// Sets the connection's deadline for the outermost request and removes it when that
// request ends, however it ends; redirects share the outermost request's time.
class DeadlineScope {
public:
    DeadlineScope(TNetTCPConnection& connection, bool outermost, int totalMs)
        : connection_(connection), outermost_(outermost) {
        if (!outermost_) return;
        TNetTCPConnection::Deadline deadline;
        if (totalMs > 0) {
            deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(totalMs);
        }
        connection_.SetDeadline(deadline);
    }
    ~DeadlineScope() {
        if (outermost_) connection_.SetDeadline(std::nullopt);
    }
    DeadlineScope(const DeadlineScope&) = delete;
    DeadlineScope& operator=(const DeadlineScope&) = delete;

private:
    TNetTCPConnection& connection_;
    bool outermost_;
};

}  // namespace

const char* protocolVersionText(TNetHTTPProtocolVersion version) {
    return version == TNetHTTPProtocolVersion::pv1_0 ? "1.0" : "1.1";
}

TNetHTTP::TNetHTTP(TComponent* owner)
    : TNetTCPClient(owner),
      rawHeaders_(std::make_unique<TNetHeaderList>()),
      request_(std::make_unique<TNetHeaderInfo>(this)),
      response_(std::make_unique<TNetHeaderInfo>(this)) {
    Port = 80;
}

TNetHTTP::~TNetHTTP() = default;

void TNetHTTP::Post(const std::string& url, const std::vector<std::string>& lines,
                    TStream& response) {
    TNetPostSource source;
    source.Lines = &lines;
    PerformRequest(TNetHTTPMethod::hmPost, url, &source, &response);
}

void TNetHTTP::Post(const std::string& url, TStream& source, TStream& response) {
    TNetPostSource post;
    post.Stream = &source;
    PerformRequest(TNetHTTPMethod::hmPost, url, &post, &response);
}

bool TNetHTTP::AskRedirect(std::string& location, int redirectCount) {
    bool handled = HandleRedirects;
    if (OnRedirect) {
        int count = redirectCount;  // the handler's changes to it are dropped
        OnRedirect(this, location, count, handled);
    }
    return handled;
}

void TNetHTTP::PerformRequest(TNetHTTPMethod method, const std::string& url,
                              const TNetPostSource* source, TStream* responseStream) {
    DeadlineScope timing(*this, redirectCount_ == 0, TotalTimeout);
    RedirectCountScope counting(redirectCount_);
    try {
        exchange(method, url, source, responseStream);
    } catch (const ENetLimitExceeded&) {
        Disconnect();  // the rest of the reply cannot be framed any more
        throw;
    } catch (const ENetProtocolError&) {
        Disconnect();
        throw;
    }
}

void TNetHTTP::exchange(TNetHTTPMethod method, const std::string& url, const TNetPostSource* source,
                        TStream* responseStream) {
    TNetURI parts(url);
    const int port = portNumber(parts.Port);
    checkRequestURL(url, parts);
    finalURL_ = parts.URI();
    notModified_ = false;
    std::string target = parts.Path + parts.Document;
    if (selectHostAndPort(parts.Protocol, parts.Host, port)) {
        std::string explicitPort = parts.Port.empty() ? std::string() : ":" + parts.Port;
        target = parts.Protocol + "://" + hostText(parts.Host) + explicitPort + target;
    }
    CheckClosed(false, false);
    if (!Connected()) Connect();
    sendRequest(method, target, source);
    bool http10Reply = readReplyHead();
    bool redirect =
        (responseCode_ / 100 == 3 && responseCode_ != 304) || !response_->Location.empty();
    if (replyHasBody(method)) readDecodedBody(responseStream);
    if (!redirect) {
        notModified_ = responseCode_ == 304 && request_->Conditional();
        if (responseCode_ / 100 != 2 && !notModified_) {
            if (InterceptEnabled()) Disconnect();
            raiseReplyError(http10Reply);
        }
    } else {
        std::string location = response_->Location;
        if (HandleRedirects && redirectCount_ < RedirectMaximum) {
            if (responseStream != nullptr) responseStream->SetPosition(0);
            if (AskRedirect(location, redirectCount_)) {
                checkRedirectTarget(location);
                // The redirect page must not stay in front of, or under, the next body.
                if (responseStream != nullptr) responseStream->SetSize(0);
                // A server that announced its close would not answer on this connection.
                if (closesAfterReply(http10Reply)) Disconnect();
                PerformRequest(method, resolveUriReference(finalURL_, location), source,
                               responseStream);
            }
        } else {
            // A chain that reached the maximum is a failure, not a reply to hand back.
            if (HandleRedirects || !AskRedirect(location, redirectCount_)) {
                raiseReplyError(http10Reply);
            }
            response_->Location = location;
        }
    }
    finishReply(http10Reply);
}

// Only web addresses are followed: a server must not send the client to a local file or
// another protocol, nor smuggle line breaks into the next request's head.
void TNetHTTP::checkRedirectTarget(const std::string& location) {
    std::string_view scheme = uriScheme(location);
    bool web = scheme.empty() || isWebScheme(scheme);
    bool broken = std::any_of(location.begin(), location.end(), breaksRequestLine);
    if (web && !broken) return;
    throw ENetInvalidURL(formatMessage("Redirect to '%s' refused.", {shownURL(location)}));
}

// A failed reply closes the connection as a successful one would: a server that said it
// closes would not answer the next request on it.
void TNetHTTP::raiseReplyError(bool http10Reply) {
    if (closesAfterReply(http10Reply)) Disconnect();
    throw ENetProtocolReplyError(responseCode_, responseText_);
}

bool TNetHTTP::selectHostAndPort(const std::string& protocol, const std::string& host, int port) {
    if (!request_->ProxyServer.empty()) {
        Host = request_->ProxyServer;
        Port = request_->ProxyPort;
        if (!host.empty()) lastHost_ = host;
        if (!protocol.empty()) lastProtocol_ = protocol;
        tunnelHost_ = host;
        tunnelPort_ = port == -1 ? 443 : port;
        tunnelVersion_ = protocolVersionText(ProtocolVersion);
        if (auto* secure = dynamic_cast<TNetSecureIntercept*>(Intercept())) {
            secure->OnConnectHook = [this] { openTunnel(); };
        }
        return true;
    }
    bool secure = sameText(protocol, "HTTPS");
    auto* secureIntercept = dynamic_cast<TNetSecureIntercept*>(Intercept());
    if (secure && secureIntercept == nullptr) {
        throw ENetInterceptPropInvalid("Intercept value is not valid");
    }
    // A URL without a host (a relative redirect) keeps the connection's target.
    if (hostStep(protocol, host, port)) Port = port != -1 ? port : secure ? 443 : 80;
    if (secureIntercept != nullptr) securedStep(*secureIntercept, protocol, secure);
    return false;
}

// A secure intercept secures exactly the https exchanges (a relative URL keeps the scheme);
// a change either way needs a new connection, even to the same host and port.
void TNetHTTP::securedStep(TNetSecureIntercept& intercept, const std::string& protocol,
                           bool secure) {
    if (!protocol.empty()) {
        if (InterceptEnabled() != secure) Disconnect();
        SetInterceptEnabled(secure);
    }
    intercept.ServerName = Host;
    intercept.ReadTimeout = ReadTimeout;
    intercept.Deadline = GetDeadline();
}

// A URL without a port never matches the open connection, which is then closed.
bool TNetHTTP::hostStep(const std::string& protocol, const std::string& host, int port) {
    if (host.empty()) {
        lastHost_ = Host;
        return false;
    }
    if (!(sameText(Host, host) && port == Port)) Disconnect();
    Host = host;
    lastHost_ = host;
    if (!protocol.empty()) lastProtocol_ = protocol;
    return true;
}

// The tunnel through a proxy, for a secure-connection intercept before its handshake.
void TNetHTTP::openTunnel() {
    WriteLine("CONNECT " + tunnelHost_ + ":" + std::to_string(tunnelPort_) + " HTTP/" +
              tunnelVersion_);
    WriteLine("");
    for (int i = 0; i < 3; ++i) ReadLine();
}

// Every line is its own send.
void TNetHTTP::sendRequest(TNetHTTPMethod method, const std::string& target,
                           const TNetPostSource* source) {
    rawHeaders_->Clear();
    request_->ContentLength = 0;
    std::string lines;
    if (method == TNetHTTPMethod::hmPost) {
        if (source != nullptr && source->Lines != nullptr) {
            for (std::size_t i = 0; i < source->Lines->size(); ++i) {
                lines += (i > 0 ? "\r\n" : "") + (*source->Lines)[i];
            }
            request_->ContentLength = static_cast<std::int64_t>(lines.size());
        } else if (source != nullptr && source->Stream != nullptr) {
            request_->ContentLength = source->Stream->Size();
        } else {
            throw ENetObjectTypeNotSupported("Object type not supported.");
        }
    }
    request_->ComposeRequestHeaders(*rawHeaders_);
    // The lines stay separate sends; the hint lets them leave together instead of each
    // waiting for the server to acknowledge the one before.
    setSendMore(true);
    try {
        WriteLine(methodText(method) + target + " HTTP/" + protocolVersionText(ProtocolVersion));
        WriteLine("Host: " + hostText(lastHost_));
        WriteLines(rawHeaders_->Lines());
    } catch (...) {
        setSendMore(false);
        throw;
    }
    setSendMore(false);
    WriteLine("");
    if (method != TNetHTTPMethod::hmPost) return;
    if (source->Lines != nullptr) {
        // Line breaks go between the lines only, so that the body is as long as announced.
        const auto& lines = *source->Lines;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (i + 1 < lines.size()) {
                WriteLine(lines[i]);
            } else {
                Write(lines[i]);
            }
        }
    } else {
        WriteFromStream(*source->Stream, true, false);
    }
}

// Interim replies (1xx) announce a final one on the same connection: they are skipped,
// but only so many, so that a server cannot keep the client reading heads for ever.
bool TNetHTTP::readReplyHead() {
    for (int interim = 0;; ++interim) {
        bool http10 = readStatusLine();
        ReadHeaders();
        if (responseCode_ / 100 != 1) return http10;
        if (interim >= kMaxInterimReplies) raiseMalformed("Too many interim replies.");
    }
}

// Replies to HEAD, 204 and 304 end at their head whatever their length says.
bool TNetHTTP::replyHasBody(TNetHTTPMethod method) const {
    return method != TNetHTTPMethod::hmHead && responseCode_ != 204 && responseCode_ != 304;
}

bool TNetHTTP::readStatusLine() {
    std::string line = ReadLine();
    bool http10 = line.size() >= 8 && sameText(line.substr(5, 3), "1.0");
    std::size_t space = line.find(' ');
    responseText_ = space == std::string::npos ? std::string() : line.substr(space + 1);
    std::string code = responseText_.substr(0, responseText_.find(' '));
    std::int64_t value = netStrToInt(code);
    // A code beyond the integer range must not wrap around into a success.
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) {
        throw EConvertError("'" + code + "' is not a valid integer value");
    }
    responseCode_ = static_cast<int>(value);
    return http10;
}

void TNetHTTP::ReadHeaders() {
    rawHeaders_->Clear();
    for (std::string line = ReadLine(); !line.empty(); line = ReadLine()) {
        if (rawHeaders_->Count() >= MaxHeaderLines) {
            throw ENetTooManyHeaders(formatMessage("More than %d header lines.", {MaxHeaderLines}));
        }
        rawHeaders_->Add(std::move(line));
    }
    // The peer closed inside a line: the head is cut off, not complete, and a body read
    // until the close would pass for a whole (empty) reply.
    if (ReadLineTimedOut()) throw ENetConnClosedGracefully("Connection Closed Gracefully.");
    checkContentLengths(*rawHeaders_);
    response_->ParseResponseHeaders(*rawHeaders_);
}

// Chunks win over a length: a reply framed both ways is read by its chunks.
void TNetHTTP::ReadBody(TStream* stream) {
    if (stream == nullptr) return;
    std::int64_t length = response_->ContentLength;
    if (response_->ExtraHeaders().value("Transfer-Encoding").find("chunked") != std::string::npos) {
        readChunks(*stream);
    } else if (length != 0) {
        if (length < 0 || length > MaxBodySize) raiseBodyTooLarge(MaxBodySize);
        ReadToStream(*stream, length, false, MaxBodySize);
    } else {
        ReadToStream(*stream, -1, true, MaxBodySize);
    }
}

// A compressed body is read whole (within MaxBodySize) and then inflated into the stream,
// within MaxBodySize again. A failure reply's page that does not inflate is kept as it
// came: the reply's own error is the one to report.
void TNetHTTP::readDecodedBody(TStream* stream) {
    if (stream == nullptr || trimText(response_->ContentEncoding).empty()) {
        ReadBody(stream);
        return;
    }
    // The body is read off the connection first, whatever its coding: the next reply starts
    // after it.
    TMemoryStream raw;
    ReadBody(&raw);
    std::int64_t start = stream->Position();
    try {
        inflateBody(raw.View(), contentCoding(response_->ContentEncoding), *stream, MaxBodySize);
    } catch (const ENetException&) {
        if (responseCode_ / 100 == 2) throw;
        stream->SetSize(start);
        stream->SetPosition(start);
        stream->WriteBuffer(raw.View().data(), raw.Size());
    }
}

void TNetHTTP::readChunks(TStream& stream) {
    DoStatus(TNetStatus::hsText, {"Chunk Started"});
    readChunkedBody(*this, stream, MaxBodySize, MaxHeaderLines);
}

bool TNetHTTP::closesAfterReply(bool http10Reply) const {
    return ProtocolVersion == TNetHTTPProtocolVersion::pv1_0 || http10Reply ||
           saysClose(*response_);
}

void TNetHTTP::finishReply(bool http10Reply) {
    if (closesAfterReply(http10Reply)) {
        Disconnect();
    } else {
        PollClosed(false);
    }
}

}  // namespace wispel
