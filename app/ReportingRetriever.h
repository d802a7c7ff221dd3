#pragma once
// The window's retriever: an ordinary TRSSRetriever that says which URL it is about to
// fetch, so the status bar can name the site before its bytes arrive.

#include <string>

#include "core/Event.h"
#include "feeds/Retriever.h"

namespace wispel {

class TReportingRetriever : public TRSSRetriever {
public:
    using TRSSRetriever::TRSSRetriever;

    TEvent<const std::string&> OnRetrieveBegin;

    void Retrieve(const std::string& URL, TStream* Stream) override {
        if (OnRetrieveBegin) OnRetrieveBegin(URL);
        TRSSRetriever::Retrieve(URL, Stream);
    }
};

}  // namespace wispel
