#pragma once
// A retriever that reads local files: the source's URL is a path, and the file's bytes go
// into the stream as a server's body would.

#include "feeds/Retriever.h"

namespace wispel {

class TFileRetriever : public TRSSRetriever {
public:
    using TRSSRetriever::TRSSRetriever;
    // Raises the file stream's EFOpenError when the file cannot be opened, and EReadError
    // when it is larger than the HTTP client takes a reply body to be. A file has no
    // validators: it is always read whole.
    TRetrieval RetrieveIfModified(const std::string& URL, TStream* Stream,
                                  const TFeedValidator& Stored) override;
};

}  // namespace wispel
