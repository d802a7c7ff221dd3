#pragma once
// A stream that keeps its bytes in memory and grows as it is written.
//
// Growth: the storage (Capacity) at least doubles when a write needs more, so the bytes
// copied while a stream grows stay below its final size, and new storage is never filled
// with zeros that a write is about to overwrite. Only a gap (seeking past the end and then
// writing, or SetSize to a larger size) is filled with zero bytes. Storage of 2 MiB and more
// asks the system for large pages, so that filling it costs few page faults.

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

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

    // The storage reserved; never below Size. Setting it ahead of a write of known size
    // spares the regrowth; it keeps the content and does not change Size.
    std::int64_t Capacity() const noexcept { return capacity_; }
    void SetCapacity(std::int64_t capacity);

    // For a writer that fills the bytes itself (a socket receive): room for `count` bytes
    // at the position, valid until the next call that changes the storage. CommitWrite
    // then counts the first `count` of them as written, as Write would. Bytes of the room
    // that are not committed are not content (a later room may hold them again).
    char* PrepareWrite(std::int64_t count);
    void CommitWrite(std::int64_t count);

    // The bytes, valid until the next write or resize.
    const char* Memory() const noexcept { return bytes_.get(); }
    char* Memory() noexcept { return bytes_.get(); }
    std::string_view View() const noexcept { return {bytes_.get(), static_cast<size_t>(size_)}; }
    void Clear();
    void LoadFromStream(TStream& source);
    void SaveToStream(TStream& target);
    void LoadFromFile(const std::string& path);
    void SaveToFile(const std::string& path);

private:
    struct FreeStorage {
        void operator()(char* bytes) const noexcept { std::free(bytes); }
    };
    // Capacity for `size` bytes, growing by at least doubling.
    void reserveFor(std::int64_t size);
    // Zero bytes from the end up to the position, when it lies past the end; a commit
    // then takes them into the content.
    void fillGap();

    // malloc'ed, so that growth can use realloc, which moves large blocks by remapping
    // pages instead of copying them.
    std::unique_ptr<char, FreeStorage> bytes_;
    std::int64_t capacity_ = 0;
    std::int64_t size_ = 0;  // only the first size_ bytes of the storage are content
    std::int64_t position_ = 0;
};

}  // namespace wispel
