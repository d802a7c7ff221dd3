#include "feeds/Retriever.h"

#include "core/Exception.h"
#include "feeds/LinkResolution.h"
#include "http/NetException.h"
#include "http/NetHTTP.h"
#include "http/TLSIntercept.h"

namespace wispel {

namespace {

bool followedCode(int code) {
    return code == 301 || code == 302 || code == 303 || code == 307 || code == 308;
}

}  // namespace

TRSSRetriever::TRSSRetriever(TComponent* owner)
    : TComponent(owner), http_(new TNetHTTP(this)), tls_(std::make_unique<TNetTLSIntercept>()) {
    http_->SetIntercept(tls_.get());
    http_->HandleRedirects = true;
    // The client counts the first request with the redirects.
    http_->RedirectMaximum = kRetrieverRedirectLimit + 1;
    http_->OnRedirect = [this](TComponent*, std::string& location, int&, bool& handled) {
        handled = handled && followedCode(http_->ResponseCode());
        // The body comes from the target: its relative links resolve against it.
        if (handled) retrievedURL_ = resolveUriReference(retrievedURL_, location);
    };
}

TRSSRetriever::~TRSSRetriever() {
    delete http_;  // an owned component may be freed directly; it leaves its owner first
    http_ = nullptr;
}

void TRSSRetriever::Retrieve(const std::string& URL, TStream* Stream) {
    if (!Stream) throw EAccessViolation("Stream not specified.");
    retrievedURL_ = URL;
    std::int64_t start = Stream->Position();
    try {
        http_->Get(URL, *Stream);
    } catch (const ENetProtocolReplyError& error) {
        // A chain beyond the limit ends on a redirect: it is reported with its target.
        if (http_->ResponseCode() / 100 != 3 || http_->Response().Location.empty()) throw;
        throw ENetProtocolReplyError(error.ReplyErrorCode(),
                                     http_->ResponseText() + ": too many redirects, the last to '" +
                                         http_->Response().Location + "'.");
    }
    // A redirect the client did not follow (a code other than those above) is no feed.
    if (http_->ResponseCode() / 100 == 3) {
        Stream->SetSize(start);
        throw ENetProtocolReplyError(http_->ResponseCode(),
                                     http_->ResponseText() + ": redirect to '" +
                                         http_->Response().Location + "' not followed.");
    }
    // Only reached on success: after an error the connection stays as the exchange left it.
    http_->Disconnect();
}

}  // namespace wispel
