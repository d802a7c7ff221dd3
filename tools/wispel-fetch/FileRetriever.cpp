#include "tools/wispel-fetch/FileRetriever.h"

#include "core/Exception.h"
#include "core/FileStream.h"

namespace wispel {

void TFileRetriever::Retrieve(const std::string& URL, TStream* Stream) {
    if (!Stream) throw EAccessViolation("Stream not specified.");
    TFileStream file(URL, TFileMode::fmOpenRead);
    Stream->CopyFrom(file, 0);
}

}  // namespace wispel
