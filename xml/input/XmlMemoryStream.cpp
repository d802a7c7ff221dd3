#include "xml/input/XmlMemoryStream.h"

#include <algorithm>
#include <cstring>

#include "core/Exception.h"

namespace wispel {

void TXmlMemoryStream::SetPointer(const void* buffer, std::int64_t size) {
    data_ = static_cast<const std::uint8_t*>(buffer);
    size_ = data_ && size > 0 ? size : 0;
    position_ = 0;
}

std::int64_t TXmlMemoryStream::Read(void* buffer, std::int64_t count) {
    if (count <= 0 || position_ >= size_) return 0;
    std::int64_t n = std::min(count, size_ - position_);
    std::memcpy(buffer, data_ + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

std::int64_t TXmlMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    std::int64_t base = origin == TSeekOrigin::soBeginning ? 0
                        : origin == TSeekOrigin::soCurrent ? position_
                                                           : size_;
    if (base + offset < 0) throw EStreamError("Invalid stream position");
    position_ = base + offset;
    return position_;
}

void TXmlMemoryStream::SetSize(std::int64_t) {
    throw EStreamError("Cannot change the size of a read-only memory stream");
}

}  // namespace wispel
