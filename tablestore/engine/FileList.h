#pragma once
// The process-wide list of open table files. Every file of every table is opened through
// it, so one path has one handle in the process: a second opening of a path only adds a
// user, and the handle is closed when its last user leaves.
//
// Sharing inside the process follows the opening mode: an exclusive opening of a path that
// is already open, or a shared opening of one held exclusively, fails with 11013. (Between
// processes the file system's own sharing lock says the same.)
//
// Each entry guards its handle with a lock of its own: every read, write, lock and unlock
// goes through the entry. Entries are owned by the list; users hold plain pointers from
// open to close.

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "tablestore/files/StoreFile.h"

namespace wispel {

class TAbstractFile {
public:
    TAbstractFile(std::unique_ptr<StoreFile> file, bool exclusive, bool inMemory)
        : file_(std::move(file)), exclusive_(exclusive), inMemory_(inMemory) {}
    TAbstractFile(const TAbstractFile&) = delete;
    TAbstractFile& operator=(const TAbstractFile&) = delete;

    const std::string& path() const noexcept { return file_->path(); }
    bool readOnly() const noexcept { return file_->readOnly(); }
    bool exclusive() const noexcept { return exclusive_; }
    bool inMemory() const noexcept { return inMemory_; }

    // The handle itself, for the format's readers and writers; the caller holds no other
    // call of this entry at the same time (the engine runs one table operation at a time).
    StoreFile& file() noexcept { return *file_; }

    StoreResult readSome(std::uint64_t offset, void* buffer, std::size_t size, std::size_t& got);
    StoreResult read(std::uint64_t offset, void* buffer, std::size_t size);
    StoreResult write(std::uint64_t offset, const void* data, std::size_t size);
    StoreResult size(std::uint64_t& bytes);
    StoreResult truncate(std::uint64_t bytes);
    StoreResult flush();
    StoreResult lock(std::uint64_t offset, std::uint64_t length);
    StoreResult unlock(std::uint64_t offset, std::uint64_t length);

private:
    friend class TFileList;
    std::unique_ptr<StoreFile> file_;
    std::mutex mutex_;
    bool exclusive_;
    bool inMemory_;
    int users_ = 0;
};

class TFileList {
public:
    static TFileList& Instance();

    // Opens `path` on `fs` (or adds a user to its entry); `entry` is valid until close.
    StoreResult open(StoreFileSystem& fs, bool inMemory, const std::string& path,
                     const StoreOpenOptions& options, TAbstractFile*& entry);
    // Creates (or empties) the file; the new entry has this one user and is exclusive.
    StoreResult create(StoreFileSystem& fs, bool inMemory, const std::string& path,
                       TAbstractFile*& entry);
    // One user leaves; the last one closes the handle.
    void close(TAbstractFile* entry);
    // True when the path is open in this process.
    bool isOpen(bool inMemory, const std::string& path);

private:
    using Key = std::pair<bool, std::string>;  // (in memory, path)
    std::mutex mutex_;
    std::map<Key, std::unique_ptr<TAbstractFile>> files_;
};

}  // namespace wispel
