#pragma once
// One site of an update, as a worker does it: fetch the feed (asking for it only when it
// changed, where validators are known), parse it, and keep the outcome for the owner's
// thread. Errors of every kind become a failed outcome with the error box's text.

#include <memory>
#include <string>

#include "feeds/ItemModel.h"
#include "feeds/Retriever.h"

namespace wispel {

class TRSSParser;

struct TSiteOutcome {
    enum class Kind { Retrieved, NotModified, Failed };
    Kind kind = Kind::Failed;
    std::unique_ptr<TRSSListedItemCollection> items;  // Retrieved: the feed's items
    std::string title;                                 // Retrieved: the feed's own title
    std::string message;                               // Failed: what went wrong
    // Retrieved, NotModified: what the reply said (after a 304, empty = keep the stored one)
    TFeedValidator validator;
};

// Fetches `url` with `retriever`, sending `known` when it is not empty, and parses the
// feed with `parser`. Both stay usable for the next site.
TSiteOutcome fetchSite(TRSSRetriever& retriever, TRSSParser& parser, const std::string& url,
                       const TFeedValidator& known);

}  // namespace wispel
