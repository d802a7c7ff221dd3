#pragma once
// The retriever: the one link between the feed side and the HTTP client. It fetches the
// body of one URL into a caller's stream, over http or https, following redirects.

#include <memory>
#include <string>

#include "core/Component.h"
#include "core/Stream.h"

namespace wispel {

class TNetHTTP;
class TNetTLSIntercept;

// Redirects followed for one retrieval, and only for these codes: 301, 302, 303, 307, 308.
constexpr int kRetrieverRedirectLimit = 5;

class TRSSRetriever : public TComponent {
public:
    // Creates the HTTP client, owned by this retriever, with its default settings except:
    // a TLS intercept for https, and redirects followed (kRetrieverRedirectLimit of them,
    // between http and https only).
    explicit TRSSRetriever(TComponent* owner = nullptr);
    ~TRSSRetriever() override;

    // Writes the response body of a GET of `URL` into `Stream` at its position, then closes
    // the connection. Every error of the exchange passes to the caller unchanged; the
    // connection is then left as the exchange left it. A redirect of another code, to
    // another scheme, or beyond the limit is an error of the HTTP client that names its
    // target; the body of a redirect never stays in the stream.
    virtual void Retrieve(const std::string& URL, TStream* Stream);

    TNetHTTP* HTTP() const noexcept { return http_; }
    // The address the last body came from, after the redirects followed, against which its
    // relative links resolve; empty until a retrieval over HTTP (a retriever that reads
    // files leaves it empty).
    const std::string& RetrievedURL() const noexcept { return retrievedURL_; }

private:
    TNetHTTP* http_ = nullptr;  // owned (as an owned component); null once destroyed
    std::unique_ptr<TNetTLSIntercept> tls_;
    std::string retrievedURL_;  // the URL asked for, then each redirect target followed
};

}  // namespace wispel
