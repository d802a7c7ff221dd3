#pragma once
// Bodies sent compressed: the Content-Encoding of a reply read, and gzip and deflate data
// inflated with zlib. What is inflated is bounded like a body on the wire, so that a small
// reply cannot unpack into unbounded memory.

#include <cstdint>
#include <string_view>

#include "core/Stream.h"

namespace wispel {

enum class TContentCoding { identity, gzip, deflate };

// The coding a Content-Encoding value names (case-insensitive; "x-gzip" is gzip, "identity"
// and an empty value are none). A coding the client cannot undo, or two of them, raise
// ENetContentEncodingError naming the value.
TContentCoding contentCoding(std::string_view contentEncoding);

// Inflates `data` into `out` at its position. More than `maxBytes` of output raises
// ENetBodyTooLarge before any byte beyond it is written; data that is not of `coding`, or
// that ends before its stream does, raises ENetContentEncodingError. gzip members that
// follow each other are inflated one after the other; "deflate" is taken with or without
// its zlib wrapper, as servers send both.
void inflateBody(std::string_view data, TContentCoding coding, TStream& out,
                 std::int64_t maxBytes);

}  // namespace wispel
