#include "core/MemoryStream.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "core/Exception.h"
#include "core/FileStream.h"

namespace wispel {

namespace {

constexpr std::uintptr_t kLargePage = 2 * 1024 * 1024;

// A large stream is filled once and in order: pages of 2 MiB (where the system offers them
// on request) cost one fault where small ones cost 512.
void askForLargePages(void* storage, std::int64_t size) {
    auto start = (reinterpret_cast<std::uintptr_t>(storage) + kLargePage - 1) & ~(kLargePage - 1);
    auto end = (reinterpret_cast<std::uintptr_t>(storage) + static_cast<std::uintptr_t>(size)) &
               ~(kLargePage - 1);
    if (end > start) ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
}

}  // namespace

std::int64_t TMemoryStream::Read(void* buffer, std::int64_t count) {
    if (count <= 0 || position_ >= size_) return 0;
    std::int64_t n = std::min(count, size_ - position_);
    std::memcpy(buffer, bytes_.get() + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

std::int64_t TMemoryStream::Write(const void* buffer, std::int64_t count) {
    if (count <= 0) return 0;
    std::memcpy(PrepareWrite(count), buffer, static_cast<size_t>(count));
    CommitWrite(count);
    return count;
}

char* TMemoryStream::PrepareWrite(std::int64_t count) {
    reserveFor(position_ + std::max<std::int64_t>(count, 0));
    fillGap();
    return bytes_.get() + position_;
}

void TMemoryStream::CommitWrite(std::int64_t count) {
    if (count <= 0) return;
    if (count > capacity_ - position_) throw EStreamError("Invalid stream size");
    position_ += count;
    size_ = std::max(size_, position_);
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    std::int64_t base = origin == TSeekOrigin::soBeginning ? 0
                        : origin == TSeekOrigin::soCurrent ? position_
                                                           : size_;
    std::int64_t target = base + offset;
    if (target < 0) throw EStreamError("Invalid stream position");
    position_ = target;
    return position_;
}

void TMemoryStream::SetSize(std::int64_t newSize) {
    if (newSize < 0) throw EStreamError("Invalid stream size");
    if (newSize > size_) {
        reserveFor(newSize);
        std::memset(bytes_.get() + size_, 0, static_cast<size_t>(newSize - size_));
    }
    size_ = newSize;
    position_ = std::min(position_, size_);
}

void TMemoryStream::SetCapacity(std::int64_t capacity) {
    capacity = std::max(capacity, size_);
    if (capacity == capacity_) return;
    if (capacity == 0) {
        bytes_.reset();
    } else {
        void* grown = std::realloc(bytes_.get(), static_cast<size_t>(capacity));
        if (grown == nullptr) throw std::bad_alloc();
        static_cast<void>(bytes_.release());  // realloc has taken it over
        bytes_.reset(static_cast<char*>(grown));
        askForLargePages(grown, capacity);
    }
    capacity_ = capacity;
}

void TMemoryStream::reserveFor(std::int64_t size) {
    if (size > capacity_) SetCapacity(std::max(size, 2 * capacity_));
}

void TMemoryStream::fillGap() {
    if (position_ <= size_) return;
    std::memset(bytes_.get() + size_, 0, static_cast<size_t>(position_ - size_));
}

void TMemoryStream::Clear() {
    bytes_.reset();
    capacity_ = 0;
    size_ = 0;
    position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& source) {
    source.SetPosition(0);
    std::int64_t n = source.Size();
    Clear();
    source.ReadBuffer(PrepareWrite(n), n);
    CommitWrite(n);
    position_ = 0;
}

void TMemoryStream::SaveToStream(TStream& target) {
    target.WriteBuffer(bytes_.get(), size_);
}

void TMemoryStream::LoadFromFile(const std::string& path) {
    TFileStream file(path, TFileMode::fmOpenRead);
    LoadFromStream(file);
}

void TMemoryStream::SaveToFile(const std::string& path) {
    TFileStream file(path, TFileMode::fmCreate);
    SaveToStream(file);
}

}  // namespace wispel
