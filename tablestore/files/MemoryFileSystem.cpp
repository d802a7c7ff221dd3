// The in-memory directory: files kept in process memory under their exact names, with the
// same sharing and byte-range lock rules as files on disk. A handle keeps its file's bytes
// alive, so removing a file that is still open only takes its name away.

#include <algorithm>
#include <map>
#include <mutex>
#include <new>
#include <vector>

#include "tablestore/files/StoreFile.h"

namespace wispel {

namespace {

// No table file grows past 2^31 bytes; a longer in-memory file is refused rather than
// allocated.
constexpr std::uint64_t kMaxMemoryFileSize = 0x80000000;

struct LockedRange {
    std::uint64_t offset;
    std::uint64_t length;
    const void* owner;  // the handle that holds it
};

struct MemoryFileData {
    std::mutex mutex;  // guards everything below
    std::vector<unsigned char> bytes;
    std::vector<LockedRange> locks;
    int sharedUsers = 0;
    bool exclusiveUser = false;
};

bool overlaps(const LockedRange& range, std::uint64_t offset, std::uint64_t length) {
    return range.offset < offset + length && offset < range.offset + range.length;
}

class MemoryStoreFile final : public StoreFile {
public:
    MemoryStoreFile(std::string path, bool readOnly, bool exclusive,
                    std::shared_ptr<MemoryFileData> data)
        : StoreFile(std::move(path), readOnly), exclusive_(exclusive), data_(std::move(data)) {}

    ~MemoryStoreFile() override {
        std::lock_guard guard(data_->mutex);
        if (exclusive_) data_->exclusiveUser = false;
        else --data_->sharedUsers;
        std::erase_if(data_->locks, [this](const LockedRange& r) { return r.owner == this; });
    }

    StoreResult readSome(std::uint64_t offset, void* buffer, std::size_t size,
                         std::size_t& got) override {
        std::lock_guard guard(data_->mutex);
        const auto& bytes = data_->bytes;
        got = offset >= bytes.size() ? 0 : std::min<std::uint64_t>(size, bytes.size() - offset);
        if (got > 0) std::copy_n(bytes.begin() + offset, got, static_cast<unsigned char*>(buffer));
        return storecode::kOk;
    }

    StoreResult write(std::uint64_t offset, const void* data, std::size_t size) override {
        if (readOnly()) return storecode::kAccessDenied;
        if (offset > kMaxMemoryFileSize || size > kMaxMemoryFileSize - offset)
            return storecode::kInvalidMemoryLength;
        std::lock_guard guard(data_->mutex);
        auto& bytes = data_->bytes;
        if (StoreResult r = growTo(offset + size)) return r;
        std::copy_n(static_cast<const unsigned char*>(data), size, bytes.begin() + offset);
        return storecode::kOk;
    }

    StoreResult size(std::uint64_t& bytes) override {
        std::lock_guard guard(data_->mutex);
        bytes = data_->bytes.size();
        return storecode::kOk;
    }

    StoreResult truncate(std::uint64_t bytes) override {
        if (readOnly()) return storecode::kAccessDenied;
        if (bytes > kMaxMemoryFileSize) return storecode::kInvalidMemoryLength;
        std::lock_guard guard(data_->mutex);
        if (bytes < data_->bytes.size()) {
            data_->bytes.resize(bytes);
            return storecode::kOk;
        }
        return growTo(bytes);
    }

    StoreResult flush() override { return storecode::kOk; }

    StoreResult lock(std::uint64_t offset, std::uint64_t length) override {
        if (length == 0 || offset + length < offset) return storecode::kLockFailure;
        std::lock_guard guard(data_->mutex);
        for (const auto& range : data_->locks) {
            if (range.owner != this && overlaps(range, offset, length))
                return storecode::kTableLocked;
        }
        data_->locks.push_back({offset, length, this});
        return storecode::kOk;
    }

    StoreResult unlock(std::uint64_t offset, std::uint64_t length) override {
        if (length == 0 || offset + length < offset) return storecode::kCannotUnlock;
        std::lock_guard guard(data_->mutex);
        // The engine releases exactly the ranges it took, so a held range inside the one
        // released goes as a whole.
        std::erase_if(data_->locks, [&](const LockedRange& r) {
            return r.owner == this && r.offset >= offset && r.offset + r.length <= offset + length;
        });
        return storecode::kOk;
    }

private:
    // Zero-extends the file; the caller holds the mutex.
    StoreResult growTo(std::uint64_t end) {
        if (end <= data_->bytes.size()) return storecode::kOk;
        try {
            data_->bytes.resize(end);
        } catch (const std::bad_alloc&) {
            return storecode::kOutOfMemory;
        }
        return storecode::kOk;
    }

    bool exclusive_;
    std::shared_ptr<MemoryFileData> data_;
};

// Registers a new user of `data` when its sharing allows it; the caller holds its mutex.
bool admitUser(MemoryFileData& data, bool exclusive) {
    if (data.exclusiveUser || (exclusive && data.sharedUsers > 0)) return false;
    if (exclusive) data.exclusiveUser = true;
    else ++data.sharedUsers;
    return true;
}

class MemoryFileSystem final : public StoreFileSystem {
public:
    StoreResult open(const std::string& path, const StoreOpenOptions& options,
                     std::unique_ptr<StoreFile>& file) override {
        std::lock_guard guard(mutex_);
        auto it = files_.find(path);
        if (it == files_.end()) return storecode::kInvalidPath;
        {
            std::lock_guard fileGuard(it->second->mutex);
            if (!admitUser(*it->second, options.exclusive)) return storecode::kAccessDenied;
        }
        file = std::make_unique<MemoryStoreFile>(path, options.readOnly, options.exclusive,
                                                 it->second);
        return storecode::kOk;
    }

    StoreResult create(const std::string& path, std::unique_ptr<StoreFile>& file) override {
        std::lock_guard guard(mutex_);
        auto& slot = files_[path];
        if (!slot) slot = std::make_shared<MemoryFileData>();
        std::lock_guard fileGuard(slot->mutex);
        if (!admitUser(*slot, true)) return storecode::kAccessDenied;
        slot->bytes.clear();
        file = std::make_unique<MemoryStoreFile>(path, false, true, slot);
        return storecode::kOk;
    }

    StoreResult remove(const std::string& path) override {
        std::lock_guard guard(mutex_);
        return files_.erase(path) > 0 ? storecode::kOk : storecode::kInvalidPath;
    }

    bool exists(const std::string& path) override {
        std::lock_guard guard(mutex_);
        return files_.count(path) > 0;
    }

private:
    std::mutex mutex_;  // guards the directory; each file's data has a mutex of its own
    std::map<std::string, std::shared_ptr<MemoryFileData>> files_;
};

}  // namespace

StoreFileSystem& memoryFileSystem() {
    static MemoryFileSystem instance;
    return instance;
}

}  // namespace wispel
