#pragma once
// Index pages to and from their 4096 bytes (doc/table_format.md, "Index pages"): a 13-byte
// header, then the entries. Branch entries and uncompressed leaf entries have a fixed size;
// compressed leaf entries are LeafCompression.h's.

#include <cstdint>

#include "tablestore/errors/StoreResult.h"
#include "tablestore/index/IndexPage.h"

namespace wispel {

// Reads a page in use: 8965 when its kind is unknown, it holds no entry or more than fit,
// its compressed entries do not decode, its keys do not ascend strictly, or a link is not 0
// or a page before `endOfFile`.
// The invariant checker passes `checkOrder` false to report the keys out of order itself.
StoreResult decodePage(const std::uint8_t* image, const TPageFormat& format,
                       std::uint32_t endOfFile, TIndexPage& page, bool checkOrder = true);
// Writes the page's 4096 bytes; a free page is its header with no entries and zeros.
void encodePage(const TIndexPage& page, const TPageFormat& format, std::uint8_t* image);

// The free page's own fields: its entry count and the next page of its free chain.
struct TFreePageHeader {
    std::uint16_t Count = 0;
    std::uint32_t Next = 0;
};
TFreePageHeader readFreePageHeader(const std::uint8_t* image);

// Whether the page's entries fit in one page.
bool pageFits(const TIndexPage& page, const TPageFormat& format);
// Whether the page is so empty that it should merge with or borrow from a neighbour: below a
// quarter of its entry capacity, or of its entry space when it is a compressed leaf page.
bool pageUnderfull(const TIndexPage& page, const TPageFormat& format);

}  // namespace wispel
