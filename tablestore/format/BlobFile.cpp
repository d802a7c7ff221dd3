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
    std::uint64_t at = blobBlockOffset(blockSize, reference.block);
    std::uint64_t left = reference.length;
    while (left > 0) {
        if (!isUsedBlock(header, blockSize, at)) return kBlobCorrupt;
        unsigned char head[kBlobBlockHeaderSize];
        if (StoreResult r = file.read(at, head, sizeof head)) return r;
        std::uint32_t held = blobBlockHeld(head);
        if (held != (left < room ? left : room)) return kBlobCorrupt;
        chain.push_back(static_cast<std::uint32_t>(at));
        left -= held;
        at = blobBlockNext(head);
        // Every block holds bytes, so even a chain that loops ends after `needed` blocks.
    }
    if (at != 0) return kBlobCorrupt;
    std::vector<std::uint32_t> sorted = chain;
    std::sort(sorted.begin(), sorted.end());
    return std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end() ? kOk : kBlobCorrupt;
}

// The link the caller wrote into free block `block` itself, when it keeps it.
bool knownLink(const TFreeLinks* links, std::uint32_t block, std::uint32_t& next) {
    if (links == nullptr) return false;
    const auto found = links->find(block);
    if (found == links->end()) return false;
    next = found->second;
    return true;
}

// Takes a block for a new value: the free chain's head, else a new one at the end.
StoreResult takeBlock(StoreFile& file, BlobHeader& header, std::uint32_t blockSize,
                      std::uint32_t& offset, std::vector<std::uint32_t>* taken,
                      const TFreeLinks* freeLinks) {
    if (header.freeChainHead != 0) {
        if (!isUsedBlock(header, blockSize, header.freeChainHead)) return kBlobCorrupt;
        std::uint32_t next = 0;
        if (!knownLink(freeLinks, header.freeChainHead, next)) {
            unsigned char head[kBlobBlockHeaderSize];
            if (StoreResult r = file.read(header.freeChainHead, head, sizeof head)) return r;
            next = blobBlockNext(head);
            if (blobBlockHeld(head) != 0) return kBlobCorrupt;  // a block of a value, not a free one
        }
        if (next != 0 && (!isUsedBlock(header, blockSize, next) || next == header.freeChainHead))
            return kBlobCorrupt;
        offset = header.freeChainHead;
        header.freeChainHead = next;
        if (taken != nullptr) taken->push_back(offset);
        return kOk;
    }
    if (std::uint64_t{header.usedEnd} + blockSize > kMaxBlobFileEnd) return kTableFull;
    offset = header.usedEnd;
    header.usedEnd += blockSize;
    return kOk;
}


}  // namespace

std::uint64_t blobBlockOffset(std::uint32_t blockSize, std::int32_t block) {
    return kBlobHeaderSize + (static_cast<std::uint64_t>(block) - 1) * blockSize;
}

std::int32_t blobBlockNumber(std::uint32_t blockSize, std::uint64_t offset) {
    return static_cast<std::int32_t>((offset - kBlobHeaderSize) / blockSize + 1);
}

StoreResult writeBlobBlockHead(StoreFile& file, std::uint32_t offset, std::uint32_t next,
                               std::uint32_t held) {
    unsigned char head[kBlobBlockHeaderSize];
    putLe32(head, next);
    putLe32(head + 4, held);
    return file.write(offset, head, sizeof head);
}

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
    value.clear();
    if (reference.length == 0) return reference.block == 0 ? kOk : kBlobCorrupt;
    const std::uint32_t room = blockSize - kBlobBlockHeaderSize;
    const std::uint64_t needed = (std::uint64_t{reference.length} + room - 1) / room;
    if (reference.block < 1 || needed > usedBlocks(header, blockSize)) return kBlobCorrupt;
    std::string read(reference.length, '\0');
    std::vector<std::uint32_t> seen;
    seen.reserve(needed);
    std::vector<unsigned char> buffer;
    std::uint64_t at = blobBlockOffset(blockSize, reference.block);
    std::uint64_t done = 0;
    // Blocks written together usually lie side by side: a run of them comes in one read,
    // and a link elsewhere starts the next run. Every block holds bytes, so even a chain
    // that loops ends after `needed` blocks.
    while (done < reference.length) {
        if (!isUsedBlock(header, blockSize, at)) return kBlobCorrupt;
        const std::uint64_t blocksLeft = (reference.length - done + room - 1) / room;
        const std::uint64_t run = std::min<std::uint64_t>(
            {blocksLeft, (header.usedEnd - at) / blockSize,
             std::max<std::uint64_t>(1, (1u << 20) / blockSize)});
        buffer.resize(run * blockSize);
        if (StoreResult r = file.read(at, buffer.data(), buffer.size()))
            return r == kReadError ? kEndOfBlob : r;
        for (std::uint64_t i = 0; i < run; ++i) {
            const unsigned char* block = buffer.data() + i * blockSize;
            const std::uint64_t left = reference.length - done;
            const std::uint32_t held = blobBlockHeld(block);
            if (held != std::min<std::uint64_t>(left, room)) return kBlobCorrupt;
            std::memcpy(read.data() + done, block + kBlobBlockHeaderSize, held);
            done += held;
            seen.push_back(static_cast<std::uint32_t>(at));
            const std::uint32_t next = blobBlockNext(block);
            if (done == reference.length) {
                if (next != 0) return kBlobCorrupt;
                break;
            }
            const bool adjacent = next == at + blockSize;
            at = next;
            if (!adjacent) break;
        }
    }
    std::sort(seen.begin(), seen.end());
    if (std::adjacent_find(seen.begin(), seen.end()) != seen.end()) return kBlobCorrupt;
    value = std::move(read);
    return kOk;
}

StoreResult writeBlob(StoreFile& file, BlobHeader& header, std::uint32_t blockSize,
                      std::string_view value, BlobReference& reference,
                      std::vector<std::uint32_t>* taken) {
    std::vector<BlobReference> references;
    StoreResult r = writeBlobs(file, header, blockSize, {&value, 1}, references, taken);
    if (r == kOk) reference = references[0];
    return r;
}

StoreResult writeBlobs(StoreFile& file, BlobHeader& header, std::uint32_t blockSize,
                       std::span<const std::string_view> values,
                       std::vector<BlobReference>& references, std::vector<std::uint32_t>* taken,
                       const TFreeLinks* freeLinks) {
    const std::uint32_t room = blockSize - kBlobBlockHeaderSize;
    std::size_t count = 0;
    for (std::string_view value : values) {
        if (value.size() > kMaxBlobFileEnd) return kInvalidBlobLength;
        count += (value.size() + room - 1) / room;
    }
    std::vector<std::uint32_t> blocks(count);
    BlobHeader updated = header;
    for (auto& offset : blocks) {
        if (StoreResult r = takeBlock(file, updated, blockSize, offset, taken, freeLinks))
            return r;
    }
    // A free chain that runs in a circle would hand out one block twice.
    std::vector<std::uint32_t> sorted = blocks;
    std::sort(sorted.begin(), sorted.end());
    if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) return kBlobCorrupt;
    // From here the blocks are the values', even when a write below fails.
    header = updated;
    // What each block holds: its part of a value and the link to the value's next block.
    std::vector<std::pair<std::string_view, std::uint32_t>> parts(count);
    references.assign(values.size(), BlobReference{});
    for (std::size_t v = 0, at = 0; v < values.size(); ++v) {
        const std::size_t used = (values[v].size() + room - 1) / room;
        for (std::size_t i = 0; i < used; ++i)
            parts[at + i] = {values[v].substr(i * room, room), i + 1 < used ? blocks[at + i + 1] : 0};
        if (used != 0)
            references[v] = {blobBlockNumber(blockSize, blocks[at]),
                             static_cast<std::uint32_t>(values[v].size())};
        at += used;
    }
    // Blocks side by side (new ones at the end, usually, of one value or of the next) go out
    // in one write.
    std::vector<unsigned char> run;
    for (std::size_t first = 0; first < blocks.size();) {
        std::size_t last = first;
        while (last + 1 < blocks.size() && blocks[last + 1] == blocks[last] + blockSize &&
               last - first < 2047)
            ++last;
        run.assign((last - first + 1) * std::size_t{blockSize}, 0);
        for (std::size_t i = first; i <= last; ++i) {
            unsigned char* block = run.data() + (i - first) * blockSize;
            const auto& [part, next] = parts[i];
            putLe32(block, next);
            putLe32(block + 4, static_cast<std::uint32_t>(part.size()));
            if (!part.empty()) std::memcpy(block + kBlobBlockHeaderSize, part.data(), part.size());
        }
        if (StoreResult r = file.write(blocks[first], run.data(), run.size())) return r;
        first = last + 1;
    }
    return kOk;
}

StoreResult freeBlob(StoreFile& file, BlobHeader& header, std::uint32_t blockSize,
                     const BlobReference& reference, std::vector<std::uint32_t>* chainOut,
                     bool checked) {
    std::vector<std::uint32_t> chain;
    const std::uint64_t first = blobBlockOffset(blockSize, reference.block);
    if (checked && reference.length != 0 && reference.block >= 1 &&
        reference.length <= blockSize - kBlobBlockHeaderSize &&
        isUsedBlock(header, blockSize, first)) {
        chain.push_back(static_cast<std::uint32_t>(first));
    } else if (StoreResult r = valueChain(file, header, blockSize, reference, chain)) {
        return r;
    }
    if (chainOut != nullptr) *chainOut = chain;
    BlobHeader updated = header;
    for (std::uint32_t offset : chain) {
        if (StoreResult r = writeBlobBlockHead(file, offset, updated.freeChainHead, 0)) return r;
        updated.freeChainHead = offset;
    }
    header = updated;
    return kOk;
}

}  // namespace wispel
