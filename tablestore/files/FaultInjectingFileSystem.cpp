#include "tablestore/files/FaultInjectingFileSystem.h"

#include <cerrno>
#include <mutex>

#include "tablestore/files/SystemErrors.h"

namespace wispel {

namespace {

struct Trigger {
    int count = 0;   // calls so far
    int failAt = 0;  // the call that fails; 0 for none
    StoreFault fault = StoreFault::IoError;
    bool sticky = false;

    void arm(int nth, StoreFault how, bool keep) {
        failAt = nth > 0 ? count + nth : 0;
        fault = how;
        sticky = keep;
    }

    // Counts one call; true when it is to fail.
    bool hit() {
        ++count;
        return failAt > 0 && (count == failAt || (sticky && count > failAt));
    }
};

}  // namespace

struct FaultInjectingFileSystem::Plan {
    std::mutex mutex;
    Trigger reads;
    Trigger writes;

    // Whether this read (or write) fails, and how.
    bool next(Trigger& trigger, StoreFault& fault) {
        std::lock_guard guard(mutex);
        fault = trigger.fault;
        return trigger.hit();
    }
};

namespace {

class FaultInjectingFile final : public StoreFile {
public:
    FaultInjectingFile(std::unique_ptr<StoreFile> inner,
                       std::shared_ptr<FaultInjectingFileSystem::Plan> plan)
        : StoreFile(inner->path(), inner->readOnly()),
          inner_(std::move(inner)),
          plan_(std::move(plan)) {}

    StoreResult readSome(std::uint64_t offset, void* buffer, std::size_t size,
                         std::size_t& got) override {
        StoreFault fault;
        if (!plan_->next(plan_->reads, fault)) return inner_->readSome(offset, buffer, size, got);
        got = 0;
        if (fault == StoreFault::ShortTransfer) {
            // A short read looks like the end of the file to the caller.
            return inner_->readSome(offset, buffer, size / 2, got);
        }
        return readResultFromErrno(fault == StoreFault::NoSpace ? ENOSPC : EIO);
    }

    StoreResult write(std::uint64_t offset, const void* data, std::size_t size) override {
        StoreFault fault;
        if (!plan_->next(plan_->writes, fault)) return inner_->write(offset, data, size);
        if (fault == StoreFault::ShortTransfer) {
            inner_->write(offset, data, size / 2);
            return storecode::kWriteError;
        }
        return writeResultFromErrno(fault == StoreFault::NoSpace ? ENOSPC : EIO);
    }

    StoreResult size(std::uint64_t& bytes) override { return inner_->size(bytes); }
    StoreResult truncate(std::uint64_t bytes) override { return inner_->truncate(bytes); }
    StoreResult flush() override { return inner_->flush(); }
    StoreResult lock(std::uint64_t offset, std::uint64_t length) override {
        return inner_->lock(offset, length);
    }
    StoreResult unlock(std::uint64_t offset, std::uint64_t length) override {
        return inner_->unlock(offset, length);
    }

private:
    std::unique_ptr<StoreFile> inner_;
    std::shared_ptr<FaultInjectingFileSystem::Plan> plan_;
};

}  // namespace

FaultInjectingFileSystem::FaultInjectingFileSystem(StoreFileSystem& inner)
    : inner_(inner), plan_(std::make_shared<Plan>()) {}

FaultInjectingFileSystem::~FaultInjectingFileSystem() = default;

void FaultInjectingFileSystem::failRead(int nth, StoreFault fault, bool sticky) {
    std::lock_guard guard(plan_->mutex);
    plan_->reads.arm(nth, fault, sticky);
}

void FaultInjectingFileSystem::failWrite(int nth, StoreFault fault, bool sticky) {
    std::lock_guard guard(plan_->mutex);
    plan_->writes.arm(nth, fault, sticky);
}

int FaultInjectingFileSystem::readCount() const {
    std::lock_guard guard(plan_->mutex);
    return plan_->reads.count;
}

int FaultInjectingFileSystem::writeCount() const {
    std::lock_guard guard(plan_->mutex);
    return plan_->writes.count;
}

StoreResult FaultInjectingFileSystem::open(const std::string& path,
                                           const StoreOpenOptions& options,
                                           std::unique_ptr<StoreFile>& file) {
    std::unique_ptr<StoreFile> inner;
    if (StoreResult r = inner_.open(path, options, inner)) return r;
    file = std::make_unique<FaultInjectingFile>(std::move(inner), plan_);
    return storecode::kOk;
}

StoreResult FaultInjectingFileSystem::create(const std::string& path,
                                             std::unique_ptr<StoreFile>& file) {
    std::unique_ptr<StoreFile> inner;
    if (StoreResult r = inner_.create(path, inner)) return r;
    file = std::make_unique<FaultInjectingFile>(std::move(inner), plan_);
    return storecode::kOk;
}

StoreResult FaultInjectingFileSystem::remove(const std::string& path) {
    return inner_.remove(path);
}

bool FaultInjectingFileSystem::exists(const std::string& path) { return inner_.exists(path); }

}  // namespace wispel
