#include "tablestore/engine/FileList.h"

namespace wispel {

StoreResult TAbstractFile::readSome(std::uint64_t offset, void* buffer, std::size_t size,
                                    std::size_t& got) {
    std::lock_guard guard(mutex_);
    return file_->readSome(offset, buffer, size, got);
}

StoreResult TAbstractFile::read(std::uint64_t offset, void* buffer, std::size_t size) {
    std::lock_guard guard(mutex_);
    return file_->read(offset, buffer, size);
}

StoreResult TAbstractFile::write(std::uint64_t offset, const void* data, std::size_t size) {
    std::lock_guard guard(mutex_);
    return file_->write(offset, data, size);
}

StoreResult TAbstractFile::size(std::uint64_t& bytes) {
    std::lock_guard guard(mutex_);
    return file_->size(bytes);
}

StoreResult TAbstractFile::truncate(std::uint64_t bytes) {
    std::lock_guard guard(mutex_);
    return file_->truncate(bytes);
}

StoreResult TAbstractFile::flush() {
    std::lock_guard guard(mutex_);
    return file_->flush();
}

StoreResult TAbstractFile::lock(std::uint64_t offset, std::uint64_t length) {
    std::lock_guard guard(mutex_);
    return file_->lock(offset, length);
}

StoreResult TAbstractFile::unlock(std::uint64_t offset, std::uint64_t length) {
    std::lock_guard guard(mutex_);
    return file_->unlock(offset, length);
}

TFileList& TFileList::Instance() {
    // Never freed: a table closed by a static object's destructor at exit still finds it.
    static TFileList* list = new TFileList;
    return *list;
}

StoreResult TFileList::open(StoreFileSystem& fs, bool inMemory, const std::string& path,
                            const StoreOpenOptions& options, TAbstractFile*& entry) {
    std::lock_guard guard(mutex_);
    auto found = files_.find({inMemory, path});
    if (found != files_.end()) {
        if (options.exclusive || found->second->exclusive_) return storecode::kAccessDenied;
        entry = found->second.get();
        ++entry->users_;
        return storecode::kOk;
    }
    std::unique_ptr<StoreFile> file;
    if (StoreResult r = fs.open(path, options, file)) return r;
    auto made = std::make_unique<TAbstractFile>(std::move(file), options.exclusive, inMemory);
    entry = made.get();
    entry->users_ = 1;
    files_.emplace(Key{inMemory, path}, std::move(made));
    return storecode::kOk;
}

StoreResult TFileList::create(StoreFileSystem& fs, bool inMemory, const std::string& path,
                              TAbstractFile*& entry) {
    std::lock_guard guard(mutex_);
    if (files_.count({inMemory, path}) != 0) return storecode::kAccessDenied;
    std::unique_ptr<StoreFile> file;
    if (StoreResult r = fs.create(path, file)) return r;
    auto made = std::make_unique<TAbstractFile>(std::move(file), true, inMemory);
    entry = made.get();
    entry->users_ = 1;
    files_.emplace(Key{inMemory, path}, std::move(made));
    return storecode::kOk;
}

void TFileList::close(TAbstractFile* entry) {
    if (entry == nullptr) return;
    std::lock_guard guard(mutex_);
    if (--entry->users_ > 0) return;
    files_.erase({entry->inMemory_, entry->path()});
}

bool TFileList::isOpen(bool inMemory, const std::string& path) {
    std::lock_guard guard(mutex_);
    return files_.count({inMemory, path}) != 0;
}

}  // namespace wispel
