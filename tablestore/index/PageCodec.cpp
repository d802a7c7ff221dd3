#include "tablestore/index/PageCodec.h"

#include <cstring>

#include "tablestore/format/ByteOrder.h"
#include "tablestore/index/IndexHeader.h"
#include "tablestore/index/LeafCompression.h"

namespace wispel {

using namespace indexlayout;

namespace {

// The smallest compressed leaf entry: a 2-byte count and the record number.
constexpr std::size_t kSmallestEntry = 6;

bool compressedLeaf(const TIndexPage& page, const TPageFormat& format) {
    return page.isLeaf() && format.compressed();
}

std::size_t capacity(const TIndexPage& page, const TPageFormat& format) {
    return page.isLeaf() ? leafCapacity(format.KeyLength) : branchCapacity(format.KeyLength);
}

// Fixed-size entries: key, then the record number or the child offset and its count.
void decodeFixedEntries(const std::uint8_t* in, std::size_t count, TIndexPage& page) {
    const std::size_t length = page.KeyLength;
    const std::size_t entrySize = length + (page.isLeaf() ? 4 : 8);
    page.Keys.resize(count * length);
    page.Refs.resize(count);
    if (!page.isLeaf()) page.Counts.resize(count);
    for (std::size_t i = 0; i < count; ++i, in += entrySize) {
        std::memcpy(page.key(i), in, length);
        page.Refs[i] = getLe32(in + length);
        if (!page.isLeaf()) page.Counts[i] = getLe32(in + length + 4);
    }
}

// Keys strictly ascending: a walk along a level relies on it to know that it never comes
// back to a page it left.
bool keysAscend(const TIndexPage& page) {
    for (std::size_t i = 1; i < page.count(); ++i) {
        if (compareKeys(page.key(i - 1), page.key(i), page.KeyLength) >= 0) return false;
    }
    return true;
}

}  // namespace

StoreResult decodePage(const std::uint8_t* image, const TPageFormat& format,
                       std::uint32_t endOfFile, TIndexPage& page, bool checkOrder) {
    page.Kind = image[kPageKind];
    page.KeyLength = format.KeyLength;
    page.Prev = getLe32(image + kPagePrev);
    page.Next = getLe32(image + kPageNext);
    page.Free = false;
    page.Keys.clear();
    page.Refs.clear();
    page.Counts.clear();
    page.UsedBytes = 0;
    const std::size_t count = getLe16(image + kPageCount);
    if (page.Kind > kLeafRoot || count == 0 || format.KeyLength == 0 ||
        !validPageOffset(page.Prev, endOfFile) || !validPageOffset(page.Next, endOfFile)) {
        return storecode::kIndexCorrupt;
    }
    const std::uint8_t* entries = image + kPageHeaderSize;
    if (compressedLeaf(page, format)) {
        const std::size_t used = getLe16(image + kPageUsedBytes);
        if (used > kEntrySpace || count * kSmallestEntry > used ||
            !decodeLeafEntries(format, entries, used, count, page)) {
            return storecode::kIndexCorrupt;
        }
        // Counted as this code would write them, which is never more than another writer
        // may have used: the sizes of later inserts and deletes are reckoned the same way.
        page.UsedBytes = leafEntriesSize(format, page, 0, count);
    } else {
        if (count > capacity(page, format)) return storecode::kIndexCorrupt;
        decodeFixedEntries(entries, count, page);
    }
    return !checkOrder || keysAscend(page) ? storecode::kOk : storecode::kIndexCorrupt;
}

void encodePage(const TIndexPage& page, const TPageFormat& format, std::uint8_t* image) {
    std::memset(image, 0, kPageSize);
    putLe32(image + kPageNext, page.Next);
    if (page.Free) return;
    image[kPageKind] = page.Kind;
    putLe16(image + kPageCount, static_cast<std::uint16_t>(page.count()));
    putLe32(image + kPagePrev, page.Prev);
    std::uint8_t* out = image + kPageHeaderSize;
    const std::size_t length = page.KeyLength;
    if (compressedLeaf(page, format)) {
        std::size_t used = 0;
        for (std::size_t i = 0; i < page.count(); ++i) {
            used += encodeLeafEntry(format, i == 0 ? nullptr : page.key(i - 1), page.key(i),
                                    page.Refs[i], out + used);
        }
        putLe16(image + kPageUsedBytes, static_cast<std::uint16_t>(used));
        return;
    }
    for (std::size_t i = 0; i < page.count(); ++i) {
        std::memcpy(out, page.key(i), length);
        putLe32(out + length, page.Refs[i]);
        if (page.isLeaf()) {
            out += length + 4;
        } else {
            putLe32(out + length + 4, page.Counts[i]);
            out += length + 8;
        }
    }
}

TFreePageHeader readFreePageHeader(const std::uint8_t* image) {
    return TFreePageHeader{getLe16(image + kPageCount), getLe32(image + kPageNext)};
}

bool pageFits(const TIndexPage& page, const TPageFormat& format) {
    if (compressedLeaf(page, format)) return page.UsedBytes <= kEntrySpace;
    return page.count() <= capacity(page, format);
}

bool pageUnderfull(const TIndexPage& page, const TPageFormat& format) {
    if (compressedLeaf(page, format)) return page.UsedBytes * 4 < kEntrySpace;
    return page.count() * 4 < capacity(page, format);
}

}  // namespace wispel
