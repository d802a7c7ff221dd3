#include "feeds/FeedFinder.h"

#include <algorithm>

#include "core/MemoryStream.h"
#include "feeds/Retriever.h"
#include "http/NetHTTP.h"

namespace wispel {

TFeedSearch findFeeds(const std::string& url) {
    TRSSRetriever retriever;
    retriever.HTTP()->TotalTimeout = kFeedSearchTimeout;
    return findFeeds(retriever, url);
}

TFeedSearch findFeeds(TRSSRetriever& retriever, const std::string& url) {
    TFeedSearch search;
    TMemoryStream body;
    try {
        retriever.Retrieve(url, &body);
        search.IsFeed = true;
        return search;
    } catch (const ERSSNotAFeed&) {
        retriever.DropConnection();
        const std::size_t scanned =
            std::min(static_cast<std::size_t>(body.Size()), kFeedDiscoveryScanLimit);
        const std::string_view page(body.Memory(), scanned);
        // The other reply that is no feed: compressed data that does not say so.
        if (!isWebPage(page, retriever.HTTP()->Response().ContentType)) throw;
        search.PageURL = retriever.RetrievedURL();
        search.Feeds = announcedFeeds(page, search.PageURL);
        return search;
    } catch (...) {
        retriever.DropConnection();
        throw;
    }
}

}  // namespace wispel
