#pragma once
// Web pages told apart from feeds, and the feeds a page announces. A site's address is often
// its home page rather than its feed; such a reply must fail as a page, naming the feed the
// page points to, instead of being read as a feed of junk items.
//
// Both work on the raw bytes of a reply in an ASCII-compatible encoding (UTF-8, the ISO and
// Windows code pages), read only a bounded start of them, and never fail.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace wispel {

// Only this much of a page is read for what it announces: the links of a head are near its
// start, and a page of any size costs no more than that.
constexpr std::size_t kFeedDiscoveryScanLimit = 512 * 1024;
// At most this many announced feeds are collected.
constexpr std::size_t kFeedDiscoveryMaxFeeds = 32;

// True when `body` is an HTML page: its first markup (after a byte order mark, blanks,
// comments and an XML declaration) is "<!DOCTYPE html" or an "html" element; or `mediaType`
// (a Content-Type value; parameters allowed) is HTML and the first element is not a feed's
// (rss, feed, RDF). A body with no markup at all is never a page.
bool isWebPage(std::string_view body, std::string_view mediaType);

// A feed that a page announces.
struct TAnnouncedFeed {
    std::string URL;    // absolute when the page's address is known
    std::string Type;   // the media type it is announced with, in lower case
    std::string Title;  // the link's title attribute; may be empty
};

// The feeds `page` announces with <link rel="alternate" type="application/rss+xml"
// href="..."> (atom+xml and rdf+xml too), in page order and without repeats. Tags and
// attributes in any letter case and order, values quoted or not, character references in
// values decoded; script and style contents and comments are passed over. Each href is
// resolved against the page's <base href>, itself resolved against `pageURL`.
std::vector<TAnnouncedFeed> announcedFeeds(std::string_view page, std::string_view pageURL);

}  // namespace wispel
