// Table files on disk. Locks are open-file-description locks (F_OFD_SETLK): they belong to
// the handle, conflict between two handles of one process, and survive the closing of
// another descriptor of the same file, which process-associated locks (F_SETLK, flock) do
// not. Sharing modes are such a lock on kShareLockOffset, so they hold between processes.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>
#include <utility>

#include "core/Posix.h"
#include "tablestore/files/StoreFile.h"
#include "tablestore/files/SystemErrors.h"

namespace wispel {

namespace {

constexpr std::uint64_t kMaxOffset = std::numeric_limits<off_t>::max();

bool rangeFits(std::uint64_t offset, std::uint64_t length) {
    return offset <= kMaxOffset && length <= kMaxOffset - offset;
}

// Sets a lock of `type` (F_RDLCK, F_WRLCK or F_UNLCK) without waiting; -1 with errno set.
int setOfdLock(int fd, short type, std::uint64_t offset, std::uint64_t length) {
    struct flock range {};
    range.l_type = type;
    range.l_whence = SEEK_SET;
    range.l_start = static_cast<off_t>(offset);
    range.l_len = static_cast<off_t>(length);
    return retryOnEintr([&] { return ::fcntl(fd, F_OFD_SETLK, &range); });
}

bool isLockConflict(int error) { return error == EAGAIN || error == EACCES; }

class PosixStoreFile final : public StoreFile {
public:
    PosixStoreFile(std::string path, bool readOnly, int fd)
        : StoreFile(std::move(path), readOnly), fd_(fd) {}
    ~PosixStoreFile() override { ::close(fd_); }

    StoreResult readSome(std::uint64_t offset, void* buffer, std::size_t size,
                         std::size_t& got) override {
        got = 0;
        if (!rangeFits(offset, size)) return storecode::kReadError;
        auto* out = static_cast<unsigned char*>(buffer);
        while (got < size) {
            ssize_t n = retryOnEintr([&] {
                return ::pread(fd_, out + got, size - got, static_cast<off_t>(offset + got));
            });
            if (n < 0) return readResultFromErrno(errno);
            if (n == 0) break;
            got += static_cast<std::size_t>(n);
        }
        return storecode::kOk;
    }

    StoreResult write(std::uint64_t offset, const void* data, std::size_t size) override {
        if (!rangeFits(offset, size)) return storecode::kWriteError;
        const auto* in = static_cast<const unsigned char*>(data);
        std::size_t done = 0;
        while (done < size) {
            ssize_t n = retryOnEintr([&] {
                return ::pwrite(fd_, in + done, size - done, static_cast<off_t>(offset + done));
            });
            if (n < 0) return writeResultFromErrno(errno);
            if (n == 0) return storecode::kWriteError;
            done += static_cast<std::size_t>(n);
        }
        return storecode::kOk;
    }

    StoreResult size(std::uint64_t& bytes) override {
        struct stat info {};
        if (::fstat(fd_, &info) != 0) return storeResultFromErrno(errno);
        bytes = static_cast<std::uint64_t>(info.st_size);
        return storecode::kOk;
    }

    StoreResult truncate(std::uint64_t bytes) override {
        if (bytes > kMaxOffset) return storecode::kWriteError;
        if (retryOnEintr([&] { return ::ftruncate(fd_, static_cast<off_t>(bytes)); }) != 0)
            return writeResultFromErrno(errno);
        return storecode::kOk;
    }

    StoreResult flush() override {
        if (retryOnEintr([&] { return ::fdatasync(fd_); }) != 0)
            return writeResultFromErrno(errno);
        return storecode::kOk;
    }

    StoreResult lock(std::uint64_t offset, std::uint64_t length) override {
        // A zero length would lock to the end of the file and beyond.
        if (length == 0 || !rangeFits(offset, length)) return storecode::kLockFailure;
        if (setOfdLock(fd_, F_WRLCK, offset, length) == 0) return storecode::kOk;
        return isLockConflict(errno) ? storecode::kTableLocked : lockResultFromErrno(errno);
    }

    StoreResult unlock(std::uint64_t offset, std::uint64_t length) override {
        if (length == 0 || !rangeFits(offset, length)) return storecode::kCannotUnlock;
        return setOfdLock(fd_, F_UNLCK, offset, length) == 0 ? storecode::kOk
                                                              : storecode::kCannotUnlock;
    }

private:
    int fd_;
};

// Owns a descriptor until it is handed to a file object.
class FdGuard {
public:
    explicit FdGuard(int fd) : fd_(fd) {}
    ~FdGuard() {
        if (fd_ >= 0) ::close(fd_);
    }
    FdGuard(const FdGuard&) = delete;
    FdGuard& operator=(const FdGuard&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

// A table file is a regular file; a directory or a device under its name is a bad path.
StoreResult checkRegular(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) return storeResultFromErrno(errno);
    return S_ISREG(info.st_mode) ? storecode::kOk : storecode::kInvalidPath;
}

StoreResult takeShareLock(int fd, bool exclusive) {
    if (setOfdLock(fd, exclusive ? F_WRLCK : F_RDLCK, kShareLockOffset, 1) == 0)
        return storecode::kOk;
    return isLockConflict(errno) ? storecode::kAccessDenied : storeResultFromErrno(errno);
}

// Without write permission for this process the file is opened for reading only.
bool mayNotWrite(const std::string& path) {
    return ::access(path.c_str(), W_OK) != 0 && errno != ENOENT;
}

class PosixFileSystem final : public StoreFileSystem {
public:
    StoreResult open(const std::string& path, const StoreOpenOptions& options,
                     std::unique_ptr<StoreFile>& file) override {
        bool readOnly = options.readOnly || mayNotWrite(path);
        int flags = O_CLOEXEC | O_NOFOLLOW | (readOnly ? O_RDONLY : O_RDWR);
        if (options.writeThrough && !readOnly) flags |= O_DSYNC;
        FdGuard fd(retryOnEintr([&] { return ::open(path.c_str(), flags); }));
        if (fd.get() < 0) return storeResultFromErrno(errno);
        if (StoreResult r = checkRegular(fd.get())) return r;
        // A write lock needs a descriptor open for writing; a read-only handle can only
        // keep writers out, which is all an exclusive reader needs.
        if (StoreResult r = takeShareLock(fd.get(), options.exclusive && !readOnly)) return r;
        file = std::make_unique<PosixStoreFile>(path, readOnly, fd.release());
        return storecode::kOk;
    }

    StoreResult create(const std::string& path, std::unique_ptr<StoreFile>& file) override {
        // Only a new file: nothing under the name, not even a dangling link, is written
        // through or replaced.
        FdGuard fd(retryOnEintr([&] {
            return ::open(path.c_str(), O_CLOEXEC | O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW, 0666);
        }));
        if (fd.get() < 0) return storeResultFromErrno(errno);
        if (StoreResult r = takeShareLock(fd.get(), true)) return r;
        file = std::make_unique<PosixStoreFile>(path, false, fd.release());
        return storecode::kOk;
    }

    StoreResult remove(const std::string& path) override {
        if (::unlink(path.c_str()) == 0) return storecode::kOk;
        return storeResultFromErrno(errno);
    }

    bool exists(const std::string& path) override {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
    }
};

}  // namespace

StoreFileSystem& posixFileSystem() {
    static PosixFileSystem instance;
    return instance;
}

}  // namespace wispel
