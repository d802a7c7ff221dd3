#pragma once
// The one thin interface through which the table store touches its files. Every call
// returns an engine result code (0 for success, StoreResult.h); nothing throws. Offsets are
// byte offsets from the start of the file.
//
// Byte-range locks are exclusive, taken without waiting on exactly the range given, and
// belong to the handle (the open file description): two handles conflict even inside one
// process, and closing another handle of the same file drops nothing. Retrying a refused
// lock is the caller's business.
//
// One handle is used by one thread at a time; the engine guards each shared handle itself.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "tablestore/errors/StoreResult.h"

namespace wispel {

class StoreFile {
public:
    virtual ~StoreFile() = default;
    StoreFile(const StoreFile&) = delete;
    StoreFile& operator=(const StoreFile&) = delete;

    // The name the file was opened by (the full path of a disk file).
    const std::string& path() const noexcept { return path_; }
    // True when the handle may only read: asked for, or the process may not write the file.
    bool readOnly() const noexcept { return readOnly_; }

    // Reads up to `size` bytes at `offset`; `got` falls short of `size` only where the file
    // ends. Failures: 9217, or the code of the system error.
    virtual StoreResult readSome(std::uint64_t offset, void* buffer, std::size_t size,
                                 std::size_t& got) = 0;
    // Reads exactly `size` bytes; 9217 when the file ends first.
    StoreResult read(std::uint64_t offset, void* buffer, std::size_t size);
    // Writes all `size` bytes at `offset`, growing the file as needed; 9218 when not all of
    // them could be written (the file may then hold part of them).
    virtual StoreResult write(std::uint64_t offset, const void* data, std::size_t size) = 0;
    virtual StoreResult size(std::uint64_t& bytes) = 0;
    // Cuts (or zero-extends) the file to `bytes`.
    virtual StoreResult truncate(std::uint64_t bytes) = 0;
    // Hands written data to the disk (fdatasync).
    virtual StoreResult flush() = 0;
    // 10241 when another handle holds a lock overlapping the range.
    virtual StoreResult lock(std::uint64_t offset, std::uint64_t length) = 0;
    // 10242 when the system refuses; releasing a range that is not held is no error.
    virtual StoreResult unlock(std::uint64_t offset, std::uint64_t length) = 0;

protected:
    StoreFile(std::string path, bool readOnly) : path_(std::move(path)), readOnly_(readOnly) {}

private:
    std::string path_;
    bool readOnly_;
};

// The byte every handle locks to announce how it shares the file: shared handles hold a read
// lock on it, an exclusive handle a write lock. It lies just past every lock offset the engine
// uses (all below 2^31), so it never meets a record or table lock.
constexpr std::uint64_t kShareLockOffset = 0x80000000;

struct StoreOpenOptions {
    bool exclusive = false;     // no other handle, in any process, may have the file open
    bool readOnly = false;      // open for reading only
    bool writeThrough = false;  // each write reaches the disk before it returns
};

// A place that holds files: the disk, or the process's in-memory directory.
//
// Sharing: a handle opened shared excludes exclusive handles of the same file and an
// exclusive one excludes all others (11013), between processes as well as inside one.
class StoreFileSystem {
public:
    virtual ~StoreFileSystem() = default;

    // Opens an existing file: 11010 when it is missing, 11013 when its name is a symbolic
    // link. A file this process may not write is opened for reading only (the handle reports
    // readOnly()).
    virtual StoreResult open(const std::string& path, const StoreOpenOptions& options,
                             std::unique_ptr<StoreFile>& file) = 0;
    // Creates a new file for reading and writing, not shared. On disk anything already under
    // the name, a symbolic link included, is refused with 13060; the in-memory directory,
    // which has no links, empties an existing file instead (11013 while another handle has
    // it open).
    virtual StoreResult create(const std::string& path, std::unique_ptr<StoreFile>& file) = 0;
    // 11010 when the file is missing, else the system's refusal.
    virtual StoreResult remove(const std::string& path) = 0;
    virtual bool exists(const std::string& path) = 0;
};

// The disk, through POSIX calls.
StoreFileSystem& posixFileSystem();
// The process-wide in-memory directory (the "MEMORY" database): files keyed by their
// exact name, living until removed or until the process ends.
StoreFileSystem& memoryFileSystem();

}  // namespace wispel
