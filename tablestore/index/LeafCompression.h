#pragma once
// Entries of compressed leaf pages (doc/table_format.md, "Leaf compression"): leading bytes
// shared with the previous key, trailing zero bytes of the key, or both, are left out.
// Entry sizes depend only on the entry's key and the key before it on the page.

#include <cstddef>
#include <cstdint>

#include "tablestore/index/IndexPage.h"

namespace wispel {

// Bytes on disk of the entry of `key` after `previous` (nullptr for a page's first entry).
std::size_t leafEntrySize(const TPageFormat& format, const std::uint8_t* previous,
                          const std::uint8_t* key);
// Bytes that entries [begin, end) of `page` take when `begin` is the first entry of a page.
std::uint32_t leafEntriesSize(const TPageFormat& format, const TIndexPage& page,
                              std::size_t begin, std::size_t end);
// Writes the entry and answers its size.
std::size_t encodeLeafEntry(const TPageFormat& format, const std::uint8_t* previous,
                            const std::uint8_t* key, std::uint32_t recordNumber,
                            std::uint8_t* out);
// Reads `count` entries from the `size` bytes at `in` into the page's keys and record
// numbers; false when they do not take exactly `size` bytes or a count is out of range.
bool decodeLeafEntries(const TPageFormat& format, const std::uint8_t* in, std::size_t size,
                       std::size_t count, TIndexPage& page);

}  // namespace wispel
