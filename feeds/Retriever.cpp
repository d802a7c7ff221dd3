#include "feeds/Retriever.h"

#include <algorithm>

#include "feeds/FeedDiscovery.h"
#include "http/NetException.h"
#include "http/NetHTTP.h"
#include "http/TLSIntercept.h"

namespace wispel {

namespace {

bool followedCode(int code) {
    return code == 301 || code == 302 || code == 303 || code == 307 || code == 308;
}

// A stored value goes back to the server only as one header line.
std::string sendable(const std::string& validator) {
    bool control = std::any_of(validator.begin(), validator.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
    });
    return control ? std::string() : validator;
}

// The validators are for one request only: the next site must not send them.
class ValidatorScope {
public:
    ValidatorScope(TNetHTTP& http, const TFeedValidator& stored) : http_(http) {
        http_.Request().IfNoneMatch = sendable(stored.ETag);
        http_.Request().IfModifiedSince = sendable(stored.LastModified);
    }
    ~ValidatorScope() {
        http_.Request().IfNoneMatch.clear();
        http_.Request().IfModifiedSince.clear();
    }
    ValidatorScope(const ValidatorScope&) = delete;
    ValidatorScope& operator=(const ValidatorScope&) = delete;

private:
    TNetHTTP& http_;
};

// What a feed check needs of the body: its start, read without moving the stream.
std::string bodyStart(TStream& stream, std::int64_t start) {
    const std::int64_t end = stream.Position();
    const std::int64_t count =
        std::min<std::int64_t>(end - start, static_cast<std::int64_t>(kFeedDiscoveryScanLimit));
    std::string bytes(static_cast<std::size_t>(std::max<std::int64_t>(count, 0)), '\0');
    stream.SetPosition(start);
    bytes.resize(static_cast<std::size_t>(stream.Read(bytes.data(), count)));
    stream.SetPosition(end);
    return bytes;
}

std::string webPageMessage(const std::string& body, const std::string& url) {
    std::string message = "not a feed: the address answers with a web page";
    auto feeds = announcedFeeds(body, url);
    if (!feeds.empty()) message += " that announces the feed " + feeds.front().URL;
    return message;
}

}  // namespace

TRSSRetriever::TRSSRetriever(TComponent* owner)
    : TComponent(owner), http_(new TNetHTTP(this)), tls_(std::make_unique<TNetTLSIntercept>()) {
    http_->SetIntercept(tls_.get());
    http_->HandleRedirects = true;
    http_->Request().AcceptEncoding = "gzip, deflate";
    // The client counts the first request with the redirects.
    http_->RedirectMaximum = kRetrieverRedirectLimit + 1;
    http_->OnRedirect = [this](TComponent*, std::string&, int&, bool& handled) {
        handled = handled && followedCode(http_->ResponseCode());
    };
}

TRSSRetriever::~TRSSRetriever() {
    delete http_;  // an owned component may be freed directly; it leaves its owner first
    http_ = nullptr;
}

void TRSSRetriever::DropConnection() noexcept {
    try {
        if (http_) http_->Disconnect();
    } catch (...) {
        // closing a broken connection has nothing left to report
    }
}

void TRSSRetriever::Retrieve(const std::string& URL, TStream* Stream) {
    RetrieveIfModified(URL, Stream, {});
}

TRetrieval TRSSRetriever::RetrieveIfModified(const std::string& URL, TStream* Stream,
                                             const TFeedValidator& Stored) {
    if (!Stream) throw EAccessViolation("Stream not specified.");
    retrievedURL_ = URL;
    const std::int64_t start = Stream->Position();
    {
        ValidatorScope validators(*http_, Stored);
        getFollowingRedirects(URL, *Stream);
    }
    TRetrieval result;
    result.NotModified = http_->NotModified();
    result.URL = retrievedURL_;
    result.Validator.ETag = http_->Response().ExtraHeaders().value("ETag");
    result.Validator.LastModified = http_->Response().LastModifiedText;
    if (!result.NotModified) checkIsFeed(*Stream, start);
    // Only reached on success: after an error the connection stays as the exchange left it.
    http_->Disconnect();
    return result;
}

void TRSSRetriever::getFollowingRedirects(const std::string& URL, TStream& stream) {
    const std::int64_t start = stream.Position();
    try {
        http_->Get(URL, stream);
    } catch (const ENetProtocolReplyError& error) {
        retrievedURL_ = http_->FinalURL();
        // A chain beyond the limit ends on a redirect: it is reported with its target.
        if (http_->ResponseCode() / 100 != 3 || http_->Response().Location.empty()) throw;
        throw ENetProtocolReplyError(error.ReplyErrorCode(),
                                     http_->ResponseText() + ": too many redirects, the last to '" +
                                         http_->Response().Location + "'.");
    }
    // The body comes from the last target: its relative links resolve against it.
    retrievedURL_ = http_->FinalURL();
    // A redirect the client did not follow (a code other than those above) is no feed.
    if (http_->ResponseCode() / 100 == 3 && !http_->NotModified()) {
        stream.SetSize(start);
        throw ENetProtocolReplyError(http_->ResponseCode(),
                                     http_->ResponseText() + ": redirect to '" +
                                         http_->Response().Location + "' not followed.");
    }
}

// A page or a packed file would be read as a feed of junk, or of nothing: neither is one.
void TRSSRetriever::checkIsFeed(TStream& stream, std::int64_t start) {
    const std::string body = bodyStart(stream, start);
    if (body.size() >= 2 && static_cast<unsigned char>(body[0]) == 0x1F &&
        static_cast<unsigned char>(body[1]) == 0x8B) {
        throw ERSSNotAFeed("not a feed: the reply is gzip data without a Content-Encoding that says so");
    }
    if (isWebPage(body, http_->Response().ContentType)) {
        throw ERSSNotAFeed(webPageMessage(body, retrievedURL_));
    }
}

}  // namespace wispel
