#pragma once
// Subscription lists written as OPML 2.0, for other programs and for our own import
// (feeds/OpmlReader.h): one `outline` per feed in the order given, with its name as `text`
// and `title`, its address as `xmlUrl` and `type="rss"`, under a head with a title and the
// date of writing. The result is UTF-8 with every value escaped: markup characters as
// references, line breaks and tabs as character references (an attribute keeps them only
// so), and what XML cannot hold at all (other control characters, bytes that are not UTF-8)
// as U+FFFD.

#include <string>
#include <string_view>
#include <vector>

#include "core/InternetDate.h"
#include "feeds/OpmlReader.h"

namespace wispel {

// The OPML document of `feeds` (their Line is not used), titled `title`, created at
// `created`.
std::string writeOpml(const std::vector<TOpmlFeed>& feeds, std::string_view title,
                      TUtcSeconds created);

// An instant as RFC 822 writes it in UTC, the form OPML's dates take:
// "Fri, 11 Dec 2026 02:11:44 GMT".
std::string formatRfc822(TUtcSeconds instant);

}  // namespace wispel
