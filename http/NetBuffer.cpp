#include "http/NetBuffer.h"

#include <algorithm>

namespace wispel {

void TNetBuffer::Append(const char* bytes, std::int64_t count) {
    if (start_ > 0 && start_ >= bytes_.size() - start_) {
        bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(start_));
        start_ = 0;
    }
    bytes_.insert(bytes_.end(), bytes, bytes + count);
}

void TNetBuffer::Remove(std::int64_t count) {
    start_ += static_cast<std::size_t>(std::min(count, Size()));
    if (start_ == bytes_.size()) Clear();
}

void TNetBuffer::Clear() {
    bytes_.clear();
    start_ = 0;
}

}  // namespace wispel
