#pragma once
// A stream that keeps its bytes in memory and grows as it is written.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/Stream.h"

namespace wispel {

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;

    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Write(const void* buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    void SetSize(std::int64_t newSize) override;
    std::int64_t Size() override { return size_; }

    // The bytes, valid until the next write or resize.
    const char* Memory() const noexcept { return bytes_.data(); }
    char* Memory() noexcept { return bytes_.data(); }
    std::string_view View() const noexcept { return {bytes_.data(), static_cast<size_t>(size_)}; }
    void Clear();
    void LoadFromStream(TStream& source);
    void SaveToStream(TStream& target);
    void LoadFromFile(const std::string& path);
    void SaveToFile(const std::string& path);

private:
    void reserveFor(std::int64_t size);

    std::vector<char> bytes_;  // capacity; only the first size_ bytes are content
    std::int64_t size_ = 0;
    std::int64_t position_ = 0;
};

}  // namespace wispel
