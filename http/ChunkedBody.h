#pragma once
// Reading a body in chunked transfer coding (framing in doc/http_wire.md, "Reply").
//
// The received bytes land in large receives straight in the storage of a memory stream
// that is written at its end (any other stream gets them through a memory stream of its
// own, flushed after every receive). The chunk-size lines found among them are cut out
// where they lie by moving the data after them down, so a body in big chunks is not moved
// at all and one in small chunks is moved once, in memory that is still in the cache.

#include <cstdint>

#include "core/Stream.h"

namespace wispel {

class TNetTCPConnection;

// Reads the chunks and the trailer lines up to the empty line from `connection` into
// `stream` at its position. A malformed size line or data not followed by CR LF raises
// ENetProtocolError, more than `maxBytes` of data ENetBodyTooLarge, a size,
// trailer or chunk end line longer than the connection's MaxLineLength ENetLineTooLong,
// more than `maxTrailerLines` trailer lines ENetTooManyHeaders. Bytes after the body stay
// in the connection's input buffer.
void readChunkedBody(TNetTCPConnection& connection, TStream& stream, std::int64_t maxBytes,
                     int maxTrailerLines);

}  // namespace wispel
