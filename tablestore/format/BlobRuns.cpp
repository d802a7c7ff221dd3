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

// Appends the value of `extent`, whose blocks start at `blocks`, to `values`.
void appendValue(const unsigned char* blocks, std::uint32_t blockSize, const Extent& extent,
                 std::vector<unsigned char>& values, std::vector<BlobInRun>& found) {
    const std::uint32_t room = blockSize - kBlobBlockHeaderSize;
    found.push_back({extent.reference, values.size()});
    for (std::uint32_t left = extent.reference.length; left > 0; blocks += blockSize) {
        const std::uint32_t held = std::min(left, room);
        values.insert(values.end(), blocks + kBlobBlockHeaderSize, blocks + kBlobBlockHeaderSize + held);
        left -= held;
    }
}

// The values of `extents` (sorted) from the file's view of its first `viewed` bytes.
void copyFromView(const unsigned char* view, std::uint64_t viewed, std::uint32_t blockSize,
                  const std::vector<Extent>& extents, std::vector<unsigned char>& values,
                  std::vector<BlobInRun>& found) {
    for (std::size_t i = 0; i < extents.size(); ++i) {
        const Extent& extent = extents[i];
        if (i > 0 && extent.reference == extents[i - 1].reference) continue;
        if (extent.end > viewed || !adjacentChain(view, 0, blockSize, extent)) continue;
        appendValue(view + extent.begin, blockSize, extent, values, found);
    }
}

}  // namespace

StoreResult readBlobRuns(StoreFile& file, const BlobHeader& header, std::uint32_t blockSize,
                         std::vector<BlobReference> references, std::vector<unsigned char>& spans,
                         std::vector<unsigned char>& values, std::vector<BlobInRun>& found) {
    values.clear();
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
    // A view is used only as far as the file reaches now: its pages past the end must not be
    // touched.
    std::uint64_t length = 0;
    if (StoreResult r = file.size(length)) return r;
    const std::uint64_t viewed = std::min<std::uint64_t>(length, header.usedEnd);
    if (const unsigned char* view = file.view(viewed)) {
        copyFromView(view, viewed, blockSize, extents, values, found);
        return storecode::kOk;
    }
    for (std::size_t first = 0; first < extents.size();) {
        std::uint64_t end = extents[first].end;
        std::size_t last = first + 1;
        while (last < extents.size() && extents[last].begin <= end + kGapBytes &&
               std::max(end, extents[last].end) - extents[first].begin <= kSpanBytes)
            end = std::max(end, extents[last++].end);
        const std::uint64_t begin = extents[first].begin;
        if (spans.size() < end - begin) spans.resize(end - begin);
        if (StoreResult r = file.read(begin, spans.data(), end - begin)) return r;
        for (std::size_t i = first; i < last; ++i) {
            if (i > first && extents[i].reference == extents[i - 1].reference) continue;
            if (adjacentChain(spans.data(), begin, blockSize, extents[i]))
                appendValue(spans.data() + (extents[i].begin - begin), blockSize, extents[i],
                            values, found);
        }
        first = last;
    }
    return storecode::kOk;
}

}  // namespace wispel
