// Marking the blocks of the blob file: doc/table_format.md, "Blob file".

#include "tablestore/format/BlobChains.h"

#include "core/Format.h"
#include "tablestore/format/ByteOrder.h"

namespace wispel {

namespace {

using namespace storecode;

constexpr std::uint8_t kUnseen = 0, kInValue = 1, kFree = 2;

struct BlockMap {
    BlockMap(const BlobHeader& header, std::uint32_t blockSize)
        : blockSize(blockSize),
          state((header.usedEnd - kBlobHeaderSize) / blockSize, kUnseen) {}
    // The index of the block at `offset`, or -1 when that is no used block.
    std::int64_t at(std::uint64_t offset) const {
        if (offset < kBlobHeaderSize || (offset - kBlobHeaderSize) % blockSize != 0) return -1;
        const std::uint64_t index = (offset - kBlobHeaderSize) / blockSize;
        return index < state.size() ? static_cast<std::int64_t>(index) : -1;
    }
    std::uint32_t blockSize;
    std::vector<std::uint8_t> state;
};

// Follows one value's chain, marking its blocks; a sentence for the first fault, if any.
StoreResult markValue(StoreFile& file, BlockMap& map, const BlobUse& use, std::string& fault) {
    const BlobReference& ref = use.reference;
    if (ref.length == 0) {
        if (ref.block != 0) fault = "an empty value names a block";
        return kOk;
    }
    const std::uint32_t room = map.blockSize - kBlobBlockHeaderSize;
    std::uint64_t offset = ref.block >= 1 ? blobBlockOffset(map.blockSize, ref.block) : 0;
    std::uint64_t left = ref.length;
    while (left > 0) {
        const std::int64_t index = map.at(offset);
        if (index < 0) {
            fault = formatMessage("its chain leaves the used blocks at offset %d", {int(offset)});
            return kOk;
        }
        if (map.state[index] != kUnseen) {
            fault = formatMessage("its block at offset %d belongs to another value too", {int(offset)});
            return kOk;
        }
        unsigned char head[kBlobBlockHeaderSize];
        if (StoreResult r = file.read(offset, head, sizeof head)) return r;
        const std::uint32_t held = blobBlockHeld(head);
        if (held != (left < room ? left : room)) {
            fault = formatMessage("its block at offset %d holds %d bytes", {int(offset), int(held)});
            return kOk;
        }
        map.state[index] = kInValue;
        left -= held;
        offset = blobBlockNext(head);
    }
    if (offset != 0) fault = "its last block links on";
    return kOk;
}

StoreResult markValues(StoreFile& file, BlockMap& map, const std::vector<BlobUse>& live,
                       std::vector<std::string>* problems) {
    for (const BlobUse& use : live) {
        std::string fault;
        if (StoreResult r = markValue(file, map, use, fault)) return r;
        if (!fault.empty() && problems != nullptr)
            problems->push_back(formatMessage("blob value of record %d: %s", {int(use.record), fault}));
    }
    return kOk;
}

}  // namespace

StoreResult rebuildFreeBlocks(StoreFile& file, BlobHeader& header, std::uint32_t blockSize,
                              const std::vector<BlobUse>& live) {
    // Blocks written past the end the header names belong to an operation that never
    // finished; only what a value still holds raises the end.
    BlobHeader wide = header;
    std::uint64_t length = 0;
    if (StoreResult r = file.size(length)) return r;
    if (length > wide.usedEnd)
        wide.usedEnd = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(length - (length - kBlobHeaderSize) % blockSize, 2000000000));
    BlockMap map(wide, blockSize);
    if (StoreResult r = markValues(file, map, live, nullptr)) return r;
    std::uint64_t end = map.state.size();
    while (end > 0 && map.state[end - 1] != kInValue) --end;
    end = std::max<std::uint64_t>(end, (header.usedEnd - kBlobHeaderSize) / blockSize);
    std::uint32_t head = 0;
    for (std::uint64_t i = end; i-- > 0;) {
        if (map.state[i] == kInValue) continue;
        const auto offset = static_cast<std::uint32_t>(kBlobHeaderSize + i * blockSize);
        if (StoreResult r = writeBlobBlockHead(file, offset, head, 0)) return r;
        head = offset;
    }
    header.freeChainHead = head;
    header.usedEnd = static_cast<std::uint32_t>(kBlobHeaderSize + end * blockSize);
    return kOk;
}

StoreResult checkBlobChains(StoreFile& file, const BlobHeader& header, std::uint32_t blockSize,
                            const std::vector<BlobUse>& live, std::vector<std::string>& problems) {
    BlockMap map(header, blockSize);
    if (StoreResult r = markValues(file, map, live, &problems)) return r;
    std::uint64_t offset = header.freeChainHead;
    while (offset != 0) {
        const std::int64_t index = map.at(offset);
        if (index < 0 || map.state[index] != kUnseen) {
            problems.push_back(formatMessage(
                index < 0 ? "free-block chain leaves the used blocks at offset %d"
                          : "free-block chain meets a block in use or met before at offset %d",
                {int(offset)}));
            break;
        }
        unsigned char head[kBlobBlockHeaderSize];
        if (StoreResult r = file.read(offset, head, sizeof head)) return r;
        if (blobBlockHeld(head) != 0)
            problems.push_back(formatMessage("free block at offset %d holds bytes", {int(offset)}));
        map.state[index] = kFree;
        offset = blobBlockNext(head);
    }
    std::uint64_t lost = 0;
    for (std::uint8_t state : map.state) lost += state == kUnseen;
    if (lost != 0)
        problems.push_back(formatMessage("%d blob blocks are in no value and not free", {int(lost)}));
    return kOk;
}

}  // namespace wispel
