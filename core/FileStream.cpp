#include "core/FileStream.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "core/Exception.h"
#include "core/Format.h"
#include "core/Posix.h"

namespace wispel {

TFileStream::TFileStream(const std::string& path, TFileMode mode) : path_(path) {
    int flags = O_CLOEXEC;
    switch (mode) {
        case TFileMode::fmOpenRead: flags |= O_RDONLY; break;
        case TFileMode::fmOpenWrite: flags |= O_WRONLY; break;
        case TFileMode::fmOpenReadWrite: flags |= O_RDWR; break;
        case TFileMode::fmCreate: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
    }
    fd_ = retryOnEintr([&] { return ::open(path.c_str(), flags, 0666); });
    if (fd_ < 0) {
        std::string reason = std::strerror(errno);
        if (mode == TFileMode::fmCreate)
            throw EFCreateError(formatMessage("Cannot create file \"%s\". %s", {path, reason}));
        throw EFOpenError(formatMessage("Cannot open file \"%s\". %s", {path, reason}));
    }
}

TFileStream::~TFileStream() {
    if (fd_ >= 0) ::close(fd_);
}

std::int64_t TFileStream::Read(void* buffer, std::int64_t count) {
    if (count <= 0) return 0;
    auto n = retryOnEintr([&] { return ::read(fd_, buffer, static_cast<size_t>(count)); });
    return n < 0 ? 0 : n;
}

std::int64_t TFileStream::Write(const void* buffer, std::int64_t count) {
    if (count <= 0) return 0;
    auto n = retryOnEintr([&] { return ::write(fd_, buffer, static_cast<size_t>(count)); });
    return n < 0 ? 0 : n;
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET
                 : origin == TSeekOrigin::soCurrent ? SEEK_CUR
                                                    : SEEK_END;
    off_t result = ::lseek(fd_, offset, whence);
    if (result < 0) throw EStreamError("Invalid stream position");
    return result;
}

void TFileStream::SetSize(std::int64_t newSize) {
    if (retryOnEintr([&] { return ::ftruncate(fd_, newSize); }) != 0)
        throw EStreamError(formatMessage("Cannot set the size of \"%s\". %s",
                                         {path_, std::strerror(errno)}));
}

}  // namespace wispel
