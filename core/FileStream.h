#pragma once
// A stream over a file on disk. The file is open for the stream's whole life.

#include <cstdint>
#include <string>

#include "core/Stream.h"

namespace wispel {

enum class TFileMode { fmOpenRead, fmOpenWrite, fmOpenReadWrite, fmCreate };

class TFileStream : public TStream {
public:
    // Raises EFOpenError (or EFCreateError for fmCreate) when the file cannot be opened.
    TFileStream(const std::string& path, TFileMode mode);
    ~TFileStream() override;

    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Write(const void* buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    void SetSize(std::int64_t newSize) override;

    const std::string& FileName() const noexcept { return path_; }
    int Handle() const noexcept { return fd_; }

private:
    std::string path_;
    int fd_ = -1;
};

}  // namespace wispel
