#pragma once
// The retriever: the one link between the feed side and the HTTP client. It fetches the
// body of one URL into a caller's stream.

#include <string>

#include "core/Component.h"
#include "core/Stream.h"

namespace wispel {

class TNetHTTP;

class TRSSRetriever : public TComponent {
public:
    // Creates the HTTP client, owned by this retriever, with its default settings.
    explicit TRSSRetriever(TComponent* owner = nullptr);
    ~TRSSRetriever() override;

    // Writes the response body of a GET of `URL` into `Stream` at its position, then closes
    // the connection. Every error of the exchange passes to the caller unchanged; the
    // connection is then left as the exchange left it.
    virtual void Retrieve(const std::string& URL, TStream* Stream);

    TNetHTTP* HTTP() const noexcept { return http_; }

private:
    TNetHTTP* http_ = nullptr;  // owned (as an owned component); null once destroyed
};

}  // namespace wispel
