#include "tablestore/format/BlobRuns.h"

#include <algorithm>
#include <cstring>

#include "tablestore/format/ByteOrder.h"

namespace wispel {

namespace {

// Two values this close are read together: reading the bytes between them costs less than
// another system call.
constexpr std::uint64_t kGapBytes = 8192;
constexpr std::uint64_t kSpanBytes = 1u << 20;

// The file bytes a value fills when its blocks lie side by side.
struct Extent {
    std::uint64_t begin = 0, end = 0;
    BlobReference reference;
};

bool extentOf(const BlobHeader& header, std::uint32_t blockSize, const BlobReference& reference,
              Extent& extent) {
    if (reference.block < 1 || reference.length == 0) return false;
    const std::uint32_t room = blockSize - kBlobBlockHeaderSize;
    const std::uint64_t blocks = (std::uint64_t{reference.length} + room - 1) / room;
    extent.begin = blobBlockOffset(blockSize, reference.block);
    extent.end = extent.begin + blocks * blockSize;
    extent.reference = reference;
    return extent.end <= header.usedEnd && extent.end - extent.begin <= kSpanBytes;
}

// The value of `extent` from the bytes of the span that starts at file offset `spanBegin`,
// when each block holds its share and links to the next one beside it.
bool decodeAdjacent(const unsigned char* span, std::uint64_t spanBegin, std::uint32_t blockSize,
                    const Extent& extent, std::string& value) {
    const std::uint32_t room = blockSize - kBlobBlockHeaderSize;
    const std::uint32_t length = extent.reference.length;
    value.resize(length);
    std::uint32_t done = 0;
    for (std::uint64_t at = extent.begin; at < extent.end; at += blockSize) {
        const unsigned char* block = span + (at - spanBegin);
        const std::uint32_t held = blobBlockHeld(block);
        if (held != std::min(length - done, room)) return false;
        std::memcpy(value.data() + done, block + kBlobBlockHeaderSize, held);
        done += held;
        const std::uint32_t next = blobBlockNext(block);
        if (done == length) return next == 0;
        if (next != at + blockSize) return false;
    }
    return false;
}

}  // namespace

StoreResult readBlobRuns(StoreFile& file, const BlobHeader& header, std::uint32_t blockSize,
                         std::vector<BlobReference> references, std::vector<unsigned char>& buffer,
                         const std::function<void(const BlobReference&, std::string&)>& take) {
    std::vector<Extent> extents;
    extents.reserve(references.size());
    for (const BlobReference& reference : references) {
        Extent extent;
        if (extentOf(header, blockSize, reference, extent)) extents.push_back(extent);
    }
    std::sort(extents.begin(), extents.end(), [](const Extent& a, const Extent& b) {
        return a.begin != b.begin ? a.begin < b.begin : a.end < b.end;
    });
    std::string value;
    for (std::size_t first = 0; first < extents.size();) {
        std::uint64_t end = extents[first].end;
        std::size_t last = first + 1;
        while (last < extents.size() && extents[last].begin <= end + kGapBytes &&
               std::max(end, extents[last].end) - extents[first].begin <= kSpanBytes)
            end = std::max(end, extents[last++].end);
        const std::uint64_t begin = extents[first].begin;
        if (buffer.size() < end - begin) buffer.resize(end - begin);
        if (StoreResult r = file.read(begin, buffer.data(), end - begin)) return r;
        for (std::size_t i = first; i < last; ++i) {
            if (i > first && extents[i].reference == extents[i - 1].reference) continue;
            if (decodeAdjacent(buffer.data(), begin, blockSize, extents[i], value))
                take(extents[i].reference, value);
        }
        first = last;
    }
    return storecode::kOk;
}

}  // namespace wispel
