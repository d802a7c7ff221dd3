#include "tablestore/format/BlobRuns.h"

#include <algorithm>

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

// Whether the blocks of `extent`, in the span that starts at file offset `spanBegin`, each
// hold their share of the value and link to the next one beside them.
bool adjacentChain(const unsigned char* span, std::uint64_t spanBegin, std::uint32_t blockSize,
                   const Extent& extent) {
    const std::uint32_t room = blockSize - kBlobBlockHeaderSize;
    const std::uint32_t length = extent.reference.length;
    std::uint32_t done = 0;
    for (std::uint64_t at = extent.begin; at < extent.end; at += blockSize) {
        const unsigned char* block = span + (at - spanBegin);
        const std::uint32_t held = blobBlockHeld(block);
        if (held != std::min(length - done, room)) return false;
        done += held;
        const std::uint32_t next = blobBlockNext(block);
        if (done == length) return next == 0;
        if (next != at + blockSize) return false;
    }
    return false;
}

}  // namespace

StoreResult readBlobRuns(StoreFile& file, const BlobHeader& header, std::uint32_t blockSize,
                         std::vector<BlobReference> references, std::vector<unsigned char>& bytes,
                         std::vector<BlobInRun>& found) {
    std::size_t used = 0;
    found.clear();
    std::vector<Extent> extents;
    extents.reserve(references.size());
    for (const BlobReference& reference : references) {
        Extent extent;
        if (extentOf(header, blockSize, reference, extent)) extents.push_back(extent);
    }
    std::sort(extents.begin(), extents.end(), [](const Extent& a, const Extent& b) {
        return a.begin != b.begin ? a.begin < b.begin : a.end < b.end;
    });
    for (std::size_t first = 0; first < extents.size();) {
        std::uint64_t end = extents[first].end;
        std::size_t last = first + 1;
        while (last < extents.size() && extents[last].begin <= end + kGapBytes &&
               std::max(end, extents[last].end) - extents[first].begin <= kSpanBytes)
            end = std::max(end, extents[last++].end);
        const std::uint64_t begin = extents[first].begin;
        if (bytes.size() < used + (end - begin)) bytes.resize(used + (end - begin));
        if (StoreResult r = file.read(begin, bytes.data() + used, end - begin)) return r;
        for (std::size_t i = first; i < last; ++i) {
            if (i > first && extents[i].reference == extents[i - 1].reference) continue;
            if (adjacentChain(bytes.data() + used, begin, blockSize, extents[i]))
                found.push_back({extents[i].reference, used + (extents[i].begin - begin)});
        }
        used += end - begin;
        first = last;
    }
    return storecode::kOk;
}

void copyBlobInRun(const unsigned char* bytes, std::uint32_t blockSize, const BlobInRun& value,
                   std::string& text) {
    const std::uint32_t room = blockSize - kBlobBlockHeaderSize;
    const char* block = reinterpret_cast<const char*>(bytes + value.offset);
    std::uint32_t left = value.reference.length;
    text.clear();
    text.reserve(left);
    for (; left > room; left -= room, block += blockSize) text.append(block + kBlobBlockHeaderSize, room);
    text.append(block + kBlobBlockHeaderSize, left);
}

}  // namespace wispel
