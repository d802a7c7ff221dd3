#pragma once
// Byte streams with a size, a current position, read, write and seek. Sizes and positions
// are 64-bit. `Read`/`Write` move what they can and return the count; `ReadBuffer` and
// `WriteBuffer` move all or raise EReadError / EWriteError.

#include <cstdint>

namespace wispel {

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
    TStream() = default;
    virtual ~TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;

    virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
    virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;
    // Returns the new position. Seeking past the end is allowed; a negative result is not.
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
    virtual void SetSize(std::int64_t newSize) = 0;
    virtual std::int64_t Size();

    std::int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(std::int64_t position) { Seek(position, TSeekOrigin::soBeginning); }

    void ReadBuffer(void* buffer, std::int64_t count);
    void WriteBuffer(const void* buffer, std::int64_t count);

    // Copies `count` bytes from the current position of `source`; a count of 0 copies the
    // whole of `source` from its start. Returns the number of bytes copied.
    std::int64_t CopyFrom(TStream& source, std::int64_t count);
};

}  // namespace wispel
