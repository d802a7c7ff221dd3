#include "core/MemoryStream.h"

#include <algorithm>
#include <cstring>

#include "core/Exception.h"
#include "core/FileStream.h"

namespace wispel {

std::int64_t TMemoryStream::Read(void* buffer, std::int64_t count) {
    if (count <= 0 || position_ >= size_) return 0;
    std::int64_t n = std::min(count, size_ - position_);
    std::memcpy(buffer, bytes_.data() + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

std::int64_t TMemoryStream::Write(const void* buffer, std::int64_t count) {
    if (count <= 0) return 0;
    std::int64_t end = position_ + count;
    if (end > size_) {
        reserveFor(end);
        // A gap left by seeking past the end reads as zero bytes.
        if (position_ > size_)
            std::memset(bytes_.data() + size_, 0, static_cast<size_t>(position_ - size_));
        size_ = end;
    }
    std::memcpy(bytes_.data() + position_, buffer, static_cast<size_t>(count));
    position_ = end;
    return count;
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
        std::memset(bytes_.data() + size_, 0, static_cast<size_t>(newSize - size_));
    }
    size_ = newSize;
    position_ = std::min(position_, size_);
}

void TMemoryStream::Clear() {
    bytes_.clear();
    bytes_.shrink_to_fit();
    size_ = 0;
    position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& source) {
    source.SetPosition(0);
    std::int64_t n = source.Size();
    SetSize(n);
    source.ReadBuffer(bytes_.data(), n);
    position_ = 0;
}

void TMemoryStream::SaveToStream(TStream& target) { target.WriteBuffer(bytes_.data(), size_); }

void TMemoryStream::LoadFromFile(const std::string& path) {
    TFileStream file(path, TFileMode::fmOpenRead);
    LoadFromStream(file);
}

void TMemoryStream::SaveToFile(const std::string& path) {
    TFileStream file(path, TFileMode::fmCreate);
    SaveToStream(file);
}

void TMemoryStream::reserveFor(std::int64_t size) {
    auto needed = static_cast<size_t>(size);
    if (needed <= bytes_.size()) return;
    bytes_.resize(std::max(needed, bytes_.size() + bytes_.size() / 2));
}

}  // namespace wispel
