#pragma once
// The byte buffer of a connection: received bytes not yet consumed. Bytes are appended at
// the end and taken from the front; taking only moves a start offset, and the storage is
// compacted once the consumed part outweighs the rest, so both stay linear in the bytes
// that pass through.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wispel {

class TNetBuffer {
public:
    std::int64_t Size() const noexcept { return static_cast<std::int64_t>(bytes_.size() - start_); }
    bool Empty() const noexcept { return Size() == 0; }
    const char* Memory() const noexcept { return bytes_.data() + start_; }
    std::string_view View() const noexcept { return {Memory(), static_cast<size_t>(Size())}; }

    void Append(const char* bytes, std::int64_t count);
    // Removes the first `count` bytes (at most Size()).
    void Remove(std::int64_t count);
    void Clear();

private:
    std::vector<char> bytes_;
    std::size_t start_ = 0;  // bytes before start_ are consumed
};

}  // namespace wispel
