#pragma once
// The retriever: the one link between the feed side and the HTTP client. It fetches the
// body of one URL into a caller's stream, over http or https, following redirects, asking
// for a compressed reply, and sending the validators of a copy the caller keeps so that an
// unchanged feed costs no body.
//
//   TRSSRetriever retriever;
//   TMemoryStream body;
//   TRetrieval got = retriever.RetrieveIfModified(url, &body, stored);
//   if (got.NotModified) { keep the stored items } else { parse body against got.URL }
//   stored = got.Validator;  // for the next time
//
// One retriever serves one thread: several threads each use their own.

#include <cstdint>
#include <memory>
#include <string>

#include "core/Component.h"
#include "core/Exception.h"
#include "core/Stream.h"

namespace wispel {

class TNetHTTP;
class TNetTLSIntercept;

// Redirects followed for one retrieval, and only for these codes: 301, 302, 303, 307, 308.
constexpr int kRetrieverRedirectLimit = 5;

// A reply that is no feed: a web page (the message names the feed it announces, if any),
// or a body compressed without saying so.
WISPEL_DECLARE_EXCEPTION(ERSSNotAFeed, Exception);

// What a server said identifies the version of a feed it sent: the ETag and Last-Modified
// of the reply, as the server wrote them. Empty when unknown.
struct TFeedValidator {
    std::string ETag;
    std::string LastModified;

    bool Empty() const noexcept { return ETag.empty() && LastModified.empty(); }
    friend bool operator==(const TFeedValidator&, const TFeedValidator&) = default;
};

// What a retrieval found besides the body.
struct TRetrieval {
    // The server answered 304 to the validators given: the stored copy is current, and
    // nothing was written to the stream.
    bool NotModified = false;
    // This reply's validator, to keep for the next retrieval. After a 304 a server may
    // repeat it or not; an empty one then means "keep the stored one".
    TFeedValidator Validator;
    // The address the body came from, after the redirects followed, against which its
    // relative links resolve.
    std::string URL;
};

class TRSSRetriever : public TComponent {
public:
    // Creates the HTTP client, owned by this retriever, with its default settings except:
    // a TLS intercept for https, compressed replies asked for (gzip, deflate), and redirects
    // followed (kRetrieverRedirectLimit of them, between http and https only).
    explicit TRSSRetriever(TComponent* owner = nullptr);
    ~TRSSRetriever() override;

    // Writes the response body of a GET of `URL` into `Stream` at its position, then closes
    // the connection. Every error of the exchange passes to the caller unchanged; the
    // connection is then left as the exchange left it. A redirect of another code, to
    // another scheme, or beyond the limit is an error of the HTTP client that names its
    // target; the body of a redirect never stays in the stream. Only http and https URLs
    // with a host are fetched (ENetInvalidURL naming the URL otherwise, before anything is
    // sent). A reply that is a web page, or compressed data that does not say so, raises
    // ERSSNotAFeed after its body was written.
    virtual void Retrieve(const std::string& URL, TStream* Stream);

    // Retrieve, sending `Stored` as If-None-Match and If-Modified-Since (each when not
    // empty; a value holding a control character is not sent). A 304 answer is no error:
    // the result says NotModified and the stream is left as it was.
    virtual TRetrieval RetrieveIfModified(const std::string& URL, TStream* Stream,
                                          const TFeedValidator& Stored);

    // Closes the connection in whatever state an error left it, so that it cannot carry the
    // next request; never fails.
    void DropConnection() noexcept;

    TNetHTTP* HTTP() const noexcept { return http_; }
    // The address the last body came from, after the redirects followed, against which its
    // relative links resolve; empty until a retrieval over HTTP (a retriever that reads
    // files leaves it empty).
    const std::string& RetrievedURL() const noexcept { return retrievedURL_; }

private:
    void getFollowingRedirects(const std::string& URL, TStream& stream);
    void checkIsFeed(TStream& stream, std::int64_t start);

    TNetHTTP* http_ = nullptr;  // owned (as an owned component); null once destroyed
    std::unique_ptr<TNetTLSIntercept> tls_;
    std::string retrievedURL_;  // the URL asked for, then the redirect target followed
};

}  // namespace wispel
