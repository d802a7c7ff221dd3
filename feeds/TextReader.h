#pragma once
// The plain-text feed format, read when a feed is not usable as XML: records of three
// non-empty lines (a title, then a link and a description in either order), separated by
// lines that are empty or hold "&&". Of the second and third line, the one that contains
// "http://" is the link and the other the description.

#include <string_view>

#include "core/Stream.h"
#include "feeds/ItemModel.h"

namespace wispel {

// Replaces the content of `items` with the records of `text`, in the order in which their
// third lines occur. Lines end at line feeds; a carriage return stays part of its line. The
// separator test and the link search look at a line only up to a zero byte in it. A line
// made mostly of control characters or bytes that are no UTF-8 separates records too. The
// fields hold their line up to a zero byte, as UTF-8 with invalid bytes replaced by U+FFFD,
// without control characters other than tab and a final carriage return.
void ReadRSSTextRecords(std::string_view text, TRSSListedItemCollection& items);

// The same over the whole of `stream`, from its first byte to its last, byte for byte. The
// stream's position ends at its end.
void ReadRSSTextStream(TStream& stream, TRSSListedItemCollection& items);

}  // namespace wispel
