// Blob file bytes: doc/table_format.md, "Blob file".

#include "tablestore/format/BlobFile.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "tablestore/format/ByteOrder.h"

namespace wispel {

namespace {

using namespace storecode;

constexpr std::size_t kChangeCounter = 0;
constexpr std::size_t kVersion = 8;
constexpr std::size_t kFreeChainHead = 9;
constexpr std::size_t kUsedEnd = 13;
constexpr std::size_t kChanged = 17;

constexpr std::uint64_t kMaxBlobFileEnd = 2000000000;

// A block offset inside the used blocks.
bool isUsedBlock(const BlobHeader& header, std::uint32_t blockSize, std::uint64_t offset) {
    return offset >= kBlobHeaderSize && offset + blockSize <= header.usedEnd &&
           (offset - kBlobHeaderSize) % blockSize == 0;
}

std::uint64_t blockOffset(std::uint32_t blockSize, std::int32_t block) {
    return kBlobHeaderSize + (static_cast<std::uint64_t>(block) - 1) * blockSize;
}

std::uint32_t usedBlocks(const BlobHeader& header, std::uint32_t blockSize) {
    return (header.usedEnd - kBlobHeaderSize) / blockSize;
}

// The offsets of a value's blocks, checked, in order.
StoreResult valueChain(StoreFile& file, const BlobHeader& header, std::uint32_t blockSize,
                       const BlobReference& reference, std::vector<std::uint32_t>& chain) {
    chain.clear();
    if (reference.length == 0) return reference.block == 0 ? kOk : kBlobCorrupt;
    const std::uint32_t room = blockSize - kBlobBlockHeaderSize;
    const std::uint64_t needed = (std::uint64_t{reference.length} + room - 1) / room;
    if (reference.block < 1 || needed > usedBlocks(header, blockSize)) return kBlobCorrupt;
    chain.reserve(needed);
    std::uint64_t at = blockOffset(blockSize, reference.block);
    std::uint64_t left = reference.length;
    while (left > 0) {
        if (!isUsedBlock(header, blockSize, at)) return kBlobCorrupt;
        unsigned char head[kBlobBlockHeaderSize];
        if (StoreResult r = file.read(at, head, sizeof head)) return r;
        std::uint32_t held = getLe32(head + 4);
        if (held != (left < room ? left : room)) return kBlobCorrupt;
        chain.push_back(static_cast<std::uint32_t>(at));
        left -= held;
        at = getLe32(head);
        // Every block holds bytes, so even a chain that loops ends after `needed` blocks.
    }
    if (at != 0) return kBlobCorrupt;
    std::vector<std::uint32_t> sorted = chain;
    std::sort(sorted.begin(), sorted.end());
    return std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end() ? kOk : kBlobCorrupt;
}

// Takes a block for a new value: the free chain's head, else a new one at the end.
StoreResult takeBlock(StoreFile& file, BlobHeader& header, std::uint32_t blockSize,
                      std::uint32_t& offset) {
    if (header.freeChainHead != 0) {
        if (!isUsedBlock(header, blockSize, header.freeChainHead)) return kBlobCorrupt;
        unsigned char head[kBlobBlockHeaderSize];
        if (StoreResult r = file.read(header.freeChainHead, head, sizeof head)) return r;
        std::uint32_t next = getLe32(head);
        if (next != 0 && (!isUsedBlock(header, blockSize, next) || next == header.freeChainHead))
            return kBlobCorrupt;
        offset = header.freeChainHead;
        header.freeChainHead = next;
        return kOk;
    }
    if (std::uint64_t{header.usedEnd} + blockSize > kMaxBlobFileEnd) return kTableFull;
    offset = header.usedEnd;
    header.usedEnd += blockSize;
    return kOk;
}

StoreResult writeBlock(StoreFile& file, std::uint32_t blockSize, std::uint32_t offset,
                       std::uint32_t next, std::string_view bytes) {
    std::vector<unsigned char> block(blockSize, 0);
    putLe32(block.data(), next);
    putLe32(block.data() + 4, static_cast<std::uint32_t>(bytes.size()));
    if (!bytes.empty())
        std::memcpy(block.data() + kBlobBlockHeaderSize, bytes.data(), bytes.size());
    return file.write(offset, block.data(), block.size());
}

}  // namespace

BlobHeader readBlobHeader(const unsigned char* p) {
    BlobHeader h;
    h.changeCounter = static_cast<std::int32_t>(getLe32(p + kChangeCounter));
    h.version = p[kVersion];
    h.freeChainHead = getLe32(p + kFreeChainHead);
    h.usedEnd = getLe32(p + kUsedEnd);
    h.changed = p[kChanged] != 0;
    return h;
}

void writeBlobHeader(const BlobHeader& h, unsigned char* p) {
    std::memset(p, 0, kBlobHeaderSize);
    putLe32(p + kChangeCounter, static_cast<std::uint32_t>(h.changeCounter));
    p[kVersion] = h.version;
    putLe32(p + kFreeChainHead, h.freeChainHead);
    putLe32(p + kUsedEnd, h.usedEnd);
    p[kChanged] = h.changed ? 1 : 0;
}

BlobReference readBlobReference(const unsigned char* p) {
    return BlobReference{static_cast<std::int32_t>(getLe32(p)), getLe32(p + 4)};
}

void writeBlobReference(const BlobReference& reference, unsigned char* p) {
    putLe32(p, static_cast<std::uint32_t>(reference.block));
    putLe32(p + 4, reference.length);
}

std::uint32_t blobBlockSize(const DataHeader& header) {
    return header.blobBlockSize == 0 ? kDefaultBlobBlockSize : header.blobBlockSize;
}

StoreResult checkBlobHeader(const BlobHeader& h, std::uint32_t blockSize,
                            std::uint64_t fileLength) {
    if (h.version != kFormatVersion) return kWrongVersion;
    if (blockSize < kMinBlobBlockSize || blockSize > kMaxBlobBlockSize) return kHeaderCorrupt;
    if (h.usedEnd < kBlobHeaderSize || h.usedEnd > fileLength ||
        (h.usedEnd - kBlobHeaderSize) % blockSize != 0)
        return kHeaderCorrupt;
    if (h.freeChainHead != 0 && !isUsedBlock(h, blockSize, h.freeChainHead))
        return kHeaderCorrupt;
    return kOk;
}

StoreResult createBlobFile(StoreFileSystem& files, const std::string& path, BlobHeader& header,
                           std::unique_ptr<StoreFile>& file) {
    std::unique_ptr<StoreFile> created;
    if (StoreResult r = files.create(path, created)) return r;
    BlobHeader fresh;
    if (StoreResult r = saveBlobHeader(*created, fresh, true)) {
        created.reset();
        files.remove(path);
        return r;
    }
    header = fresh;
    file = std::move(created);
    return kOk;
}

StoreResult loadBlobHeader(StoreFile& file, std::uint32_t blockSize, BlobHeader& header) {
    std::uint64_t length = 0;
    if (StoreResult r = file.size(length)) return r;
    if (length < kBlobHeaderSize) return kHeaderCorrupt;
    unsigned char bytes[kBlobHeaderSize];
    if (StoreResult r = file.read(0, bytes, sizeof bytes)) return r;
    BlobHeader read = readBlobHeader(bytes);
    if (StoreResult r = checkBlobHeader(read, blockSize, length)) return r;
    header = read;
    return kOk;
}

StoreResult saveBlobHeader(StoreFile& file, BlobHeader& header, bool changed) {
    header.changeCounter = nextChangeCounter(header.changeCounter);
    header.changed = changed;
    unsigned char bytes[kBlobHeaderSize];
    writeBlobHeader(header, bytes);
    return file.write(0, bytes, sizeof bytes);
}

StoreResult readBlob(StoreFile& file, const BlobHeader& header, std::uint32_t blockSize,
                     const BlobReference& reference, std::string& value) {
    std::vector<std::uint32_t> chain;
    if (StoreResult r = valueChain(file, header, blockSize, reference, chain)) return r;
    std::string read(reference.length, '\0');
    const std::uint32_t room = blockSize - kBlobBlockHeaderSize;
    std::size_t done = 0;
    for (std::uint32_t offset : chain) {
        std::size_t part = std::min<std::size_t>(room, read.size() - done);
        if (StoreResult r = file.read(offset + kBlobBlockHeaderSize, read.data() + done, part))
            return r;
        done += part;
    }
    value = std::move(read);
    return kOk;
}

StoreResult writeBlob(StoreFile& file, BlobHeader& header, std::uint32_t blockSize,
                      std::string_view value, BlobReference& reference) {
    if (value.size() > kMaxBlobFileEnd) return kInvalidBlobLength;
    const std::uint32_t room = blockSize - kBlobBlockHeaderSize;
    std::vector<std::uint32_t> blocks((value.size() + room - 1) / room);
    BlobHeader updated = header;
    for (auto& offset : blocks) {
        if (StoreResult r = takeBlock(file, updated, blockSize, offset)) return r;
    }
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        std::uint32_t next = i + 1 < blocks.size() ? blocks[i + 1] : 0;
        std::string_view part = value.substr(i * room, room);
        if (StoreResult r = writeBlock(file, blockSize, blocks[i], next, part)) return r;
    }
    header = updated;
    reference.length = static_cast<std::uint32_t>(value.size());
    reference.block =
        blocks.empty() ? 0
                       : static_cast<std::int32_t>((blocks[0] - kBlobHeaderSize) / blockSize + 1);
    return kOk;
}

StoreResult freeBlob(StoreFile& file, BlobHeader& header, std::uint32_t blockSize,
                     const BlobReference& reference) {
    std::vector<std::uint32_t> chain;
    if (StoreResult r = valueChain(file, header, blockSize, reference, chain)) return r;
    BlobHeader updated = header;
    for (std::uint32_t offset : chain) {
        if (StoreResult r = writeBlock(file, blockSize, offset, updated.freeChainHead, {}))
            return r;
        updated.freeChainHead = offset;
    }
    header = updated;
    return kOk;
}

}  // namespace wispel
