#pragma once
// RSS 2.0 documents generated for the benchmarks: a channel with numbered items, each with a
// title holding an entity reference, a link, a description holding a character reference, a
// guid and a date.
//
// The escaped-HTML shape is what most real RSS 2.0 feeds look like: each description is an
// HTML fragment written with entity references (about 25 per item), each title holds an
// ampersand reference and character references, and every item has a guid and a pubDate
// (about 600 bytes per item).

#include <cstddef>
#include <string>

namespace wispel::bench {

std::string generatedRss(std::size_t items);
// As many items as make the document at least `bytes` long.
std::string generatedRssOfSize(std::size_t bytes);
std::string generatedEscapedHtmlRss(std::size_t items);

}  // namespace wispel::bench
