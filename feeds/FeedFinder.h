#pragma once
// From an address a person knows to the feed to subscribe to: the address is fetched once;
// when it answers with a web page, the feeds the page announces are the candidates (their
// relative addresses resolved against the page's final address or its <base href>, see
// feeds/FeedDiscovery.h); anything else that arrives is taken as the feed itself. The
// window's dialog offers the candidates; `wispel-sites add --discover` takes the first.
//
//   TFeedSearch found = findFeeds("http://news.example/");
//   if (found.IsFeed) subscribe(url);
//   else if (!found.Feeds.empty()) subscribe(found.Feeds.front().URL);
//   else tell("the page announces no feed");
//
// Bounded: the exchange gives up after kFeedSearchTimeout (redirects included) and reads at
// most the retriever's largest body; the page is scanned only in its first
// kFeedDiscoveryScanLimit bytes. Errors of the exchange (no such host, a reply that is no
// success, the time limit, a compressed body that does not say so) pass to the caller.

#include <string>
#include <vector>

#include "feeds/FeedDiscovery.h"

namespace wispel {

class TRSSRetriever;

inline constexpr int kFeedSearchTimeout = 30000;  // ms

struct TFeedSearch {
    // The address answered with something other than a web page: subscribe to it as given.
    bool IsFeed = false;
    // A page: the address it came from after redirects, and the feeds it announces in page
    // order (none when it announces none).
    std::string PageURL;
    std::vector<TAnnouncedFeed> Feeds;
};

// Searches with a retriever of its own, limited to kFeedSearchTimeout.
TFeedSearch findFeeds(const std::string& url);
// The same with `retriever` as the caller set it up; it stays usable afterwards.
TFeedSearch findFeeds(TRSSRetriever& retriever, const std::string& url);

}  // namespace wispel
