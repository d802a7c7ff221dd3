#pragma once
// A read-only stream over a caller's bytes, so that strings and memory blocks can be parsed
// without a copy. The buffer is not owned: it must outlive the stream, which never frees it.

#include <cstdint>

#include "core/Stream.h"

namespace wispel {

class TXmlMemoryStream : public TStream {
public:
    TXmlMemoryStream() = default;
    TXmlMemoryStream(const void* buffer, std::int64_t size) { SetPointer(buffer, size); }

    // Points the stream at other bytes and goes back to their start.
    void SetPointer(const void* buffer, std::int64_t size);

    std::int64_t Read(void* buffer, std::int64_t count) override;
    // Writing moves nothing (so WriteBuffer raises EWriteError).
    std::int64_t Write(const void*, std::int64_t) override { return 0; }
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    // Raises EStreamError: the bytes belong to the caller.
    void SetSize(std::int64_t newSize) override;
    std::int64_t Size() override { return size_; }

    const void* Memory() const noexcept { return data_; }

private:
    const std::uint8_t* data_ = nullptr;  // not owned
    std::int64_t size_ = 0;
    std::int64_t position_ = 0;
};

}  // namespace wispel
