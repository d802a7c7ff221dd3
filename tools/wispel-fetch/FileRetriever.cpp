#include "tools/wispel-fetch/FileRetriever.h"

#include "core/Exception.h"
#include "core/FileStream.h"

namespace wispel {

TRetrieval TFileRetriever::RetrieveIfModified(const std::string& URL, TStream* Stream,
                                              const TFeedValidator&) {
    if (!Stream) throw EAccessViolation("Stream not specified.");
    TFileStream file(URL, TFileMode::fmOpenRead);
    Stream->CopyFrom(file, 0);
    return {};
}

}  // namespace wispel
