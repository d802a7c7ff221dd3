#include "core/Stream.h"

#include <algorithm>
#include <vector>

#include "core/Exception.h"

namespace wispel {

std::int64_t TStream::Size() {
    std::int64_t here = Seek(0, TSeekOrigin::soCurrent);
    std::int64_t end = Seek(0, TSeekOrigin::soEnd);
    Seek(here, TSeekOrigin::soBeginning);
    return end;
}

void TStream::ReadBuffer(void* buffer, std::int64_t count) {
    if (count != 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, std::int64_t count) {
    if (count != 0 && Write(buffer, count) != count) throw EWriteError("Stream write error");
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    constexpr std::int64_t kChunk = 64 * 1024;
    std::vector<char> chunk(static_cast<size_t>(std::min(count, kChunk)));
    std::int64_t left = count;
    while (left > 0) {
        std::int64_t n = std::min(left, kChunk);
        source.ReadBuffer(chunk.data(), n);
        WriteBuffer(chunk.data(), n);
        left -= n;
    }
    return count;
}

}  // namespace wispel
