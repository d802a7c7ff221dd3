#include "feeds/Retriever.h"

#include "core/Exception.h"
#include "http/NetHTTP.h"

namespace wispel {

TRSSRetriever::TRSSRetriever(TComponent* owner) : TComponent(owner), http_(new TNetHTTP(this)) {}

TRSSRetriever::~TRSSRetriever() {
    delete http_;  // an owned component may be freed directly; it leaves its owner first
    http_ = nullptr;
}

void TRSSRetriever::Retrieve(const std::string& URL, TStream* Stream) {
    if (!Stream) throw EAccessViolation("Stream not specified.");
    http_->Get(URL, *Stream);
    // Only reached on success: after an error the connection stays as the exchange left it.
    http_->Disconnect();
}

}  // namespace wispel
