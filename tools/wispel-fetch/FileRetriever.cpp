#include "tools/wispel-fetch/FileRetriever.h"

#include "core/Exception.h"
#include "core/FileStream.h"
#include "core/Format.h"
#include "core/MemoryStream.h"
#include "http/NetHTTP.h"

namespace wispel {

TRetrieval TFileRetriever::RetrieveIfModified(const std::string& URL, TStream* Stream,
                                              const TFeedValidator&) {
    if (!Stream) throw EAccessViolation("Stream not specified.");
    TFileStream file(URL, TFileMode::fmOpenRead);
    // A local file stands in for a server's reply, so it may be no larger than a reply body.
    const std::int64_t size = file.Size();
    if (size > kDefaultMaxBodySize) {
        throw EReadError(formatMessage("File %s is larger than %d bytes.",
                                       {URL, kDefaultMaxBodySize}));
    }
    // Straight into the memory it will be parsed from: no copy between, no regrowth.
    if (auto* memory = dynamic_cast<TMemoryStream*>(Stream); memory && size > 0) {
        char* room = memory->PrepareWrite(size);
        file.ReadBuffer(room, size);
        memory->CommitWrite(size);
        return {};
    }
    Stream->CopyFrom(file, size);
    return {};
}

}  // namespace wispel
