#pragma once
// RSS 2.0 documents generated for the benchmarks: a channel with numbered items, each with a
// title holding an entity reference, a link, a description holding a character reference, a
// guid and a date.

#include <cstddef>
#include <string>

namespace wispel::bench {

std::string generatedRss(std::size_t items);
// As many items as make the document at least `bytes` long.
std::string generatedRssOfSize(std::size_t bytes);

}  // namespace wispel::bench
