#pragma once
// A file system for tests that passes every call to another one and makes a chosen read or
// write fail: the Nth read (or write) after the arming call, counted over every file opened
// through it. With `sticky` set, every later read or write fails the same way too, which is how
// a test stands in for a disk that stops (or a process that dies) in the middle of work.

#include <memory>
#include <string>

#include "tablestore/files/StoreFile.h"

namespace wispel {

enum class StoreFault {
    ShortTransfer,  // half of the bytes are read or written, then the call reports failure
    NoSpace,        // ENOSPC: nothing is transferred
    IoError,        // EIO: nothing is transferred
};

class FaultInjectingFileSystem final : public StoreFileSystem {
public:
    // `inner` must outlive this object and every file opened through it.
    explicit FaultInjectingFileSystem(StoreFileSystem& inner);
    ~FaultInjectingFileSystem() override;

    // nth = 1 fails the very next call; 0 disarms.
    void failRead(int nth, StoreFault fault, bool sticky = false);
    void failWrite(int nth, StoreFault fault, bool sticky = false);

    int readCount() const;
    int writeCount() const;

    StoreResult open(const std::string& path, const StoreOpenOptions& options,
                     std::unique_ptr<StoreFile>& file) override;
    StoreResult create(const std::string& path, std::unique_ptr<StoreFile>& file) override;
    StoreResult remove(const std::string& path) override;
    bool exists(const std::string& path) override;

    struct Plan;

private:
    StoreFileSystem& inner_;
    std::shared_ptr<Plan> plan_;  // shared with the files, which may outlive this object
};

}  // namespace wispel
