#include "tablestore/index/LeafCompression.h"

#include <algorithm>
#include <cstring>

#include "tablestore/format/ByteOrder.h"

namespace wispel {

using namespace indexlayout;

namespace {

// Counts of at most this size fit the one-byte counts of compression 3.
constexpr std::size_t kByteCountLimit = 255;

std::size_t commonPrefix(const std::uint8_t* a, const std::uint8_t* b, std::size_t length) {
    std::size_t n = 0;
    while (n < length && a[n] == b[n]) ++n;
    return n;
}

std::size_t trailingZeros(const std::uint8_t* bytes, std::size_t length) {
    std::size_t n = 0;
    while (n < length && bytes[length - 1 - n] == 0) ++n;
    return n;
}

// How one entry is cut: key bytes [Lead, Lead + Middle) are stored, then, when IdTail, the
// last four key bytes (the record ID); the Trailing zero bytes before them are left out.
struct EntryCut {
    std::size_t Lead = 0;
    std::size_t Trailing = 0;
    std::size_t Middle = 0;
    bool IdTail = false;
    std::size_t headerBytes = 2;
};

EntryCut cutEntry(const TPageFormat& format, const std::uint8_t* previous,
                  const std::uint8_t* key) {
    const std::size_t length = format.KeyLength;
    EntryCut cut;
    switch (format.Compression) {
    case kCompressLeading:
        cut.Lead = previous ? commonPrefix(previous, key, length) : 0;
        break;
    case kCompressTrailing:
        cut.IdTail = !format.Unique;
        break;
    default:  // kCompressBoth
        cut.Lead = previous ? std::min(commonPrefix(previous, key, length), kByteCountLimit) : 0;
        cut.IdTail = !format.Unique && length - cut.Lead >= 5;
        break;
    }
    if (format.Compression != kCompressLeading) {
        const std::size_t region = length - cut.Lead - (cut.IdTail ? kRecordIdKeyBytes : 0);
        cut.Trailing = trailingZeros(key + cut.Lead, region);
        if (format.Compression == kCompressBoth) {
            cut.Trailing = std::min(cut.Trailing, kByteCountLimit);
        }
        cut.Middle = region - cut.Trailing;
    } else {
        cut.Middle = length - cut.Lead;
    }
    return cut;
}

std::size_t cutSize(const EntryCut& cut) {
    return 2 + cut.Middle + (cut.IdTail ? kRecordIdKeyBytes : 0) + 4;
}

}  // namespace

std::size_t leafEntrySize(const TPageFormat& format, const std::uint8_t* previous,
                          const std::uint8_t* key) {
    return cutSize(cutEntry(format, previous, key));
}

std::uint32_t leafEntriesSize(const TPageFormat& format, const TIndexPage& page,
                              std::size_t begin, std::size_t end) {
    std::size_t size = 0;
    for (std::size_t i = begin; i < end; ++i) {
        size += leafEntrySize(format, i == begin ? nullptr : page.key(i - 1), page.key(i));
    }
    return static_cast<std::uint32_t>(size);
}

std::size_t encodeLeafEntry(const TPageFormat& format, const std::uint8_t* previous,
                            const std::uint8_t* key, std::uint32_t recordNumber,
                            std::uint8_t* out) {
    const EntryCut cut = cutEntry(format, previous, key);
    std::uint8_t* p = out;
    switch (format.Compression) {
    case kCompressLeading:
        putLe16(p, static_cast<std::uint16_t>(cut.Lead));
        break;
    case kCompressTrailing:
        putLe16(p, static_cast<std::uint16_t>(cut.Trailing));
        break;
    default:
        p[0] = static_cast<std::uint8_t>(cut.Lead);
        p[1] = static_cast<std::uint8_t>(cut.Trailing);
        break;
    }
    p += 2;
    std::memcpy(p, key + cut.Lead, cut.Middle);
    p += cut.Middle;
    if (cut.IdTail) {
        std::memcpy(p, key + format.KeyLength - kRecordIdKeyBytes, kRecordIdKeyBytes);
        p += kRecordIdKeyBytes;
    }
    putLe32(p, recordNumber);
    return cutSize(cut);
}

bool decodeLeafEntries(const TPageFormat& format, const std::uint8_t* in, std::size_t size,
                       std::size_t count, TIndexPage& page) {
    const std::size_t length = format.KeyLength;
    page.Keys.assign(count * length, 0);
    page.Refs.assign(count, 0);
    const std::uint8_t* p = in;
    const std::uint8_t* const end = in + size;
    for (std::size_t i = 0; i < count; ++i) {
        if (end - p < 2) return false;
        std::uint8_t* key = page.key(i);
        EntryCut cut;
        if (format.Compression == kCompressBoth) {
            cut.Lead = i == 0 ? 0 : p[0];
            cut.Trailing = p[1];
        } else if (format.Compression == kCompressLeading) {
            cut.Lead = getLe16(p);
            if (i == 0 && cut.Lead != 0) return false;
        } else {
            cut.Trailing = getLe16(p);
        }
        p += 2;
        if (cut.Lead > length) return false;
        if (format.Compression == kCompressTrailing) {
            cut.IdTail = !format.Unique;
        } else if (format.Compression == kCompressBoth) {
            cut.IdTail = !format.Unique && length - cut.Lead >= 5;
        }
        const std::size_t region = length - cut.Lead - (cut.IdTail ? kRecordIdKeyBytes : 0);
        if (cut.Trailing > region) return false;
        cut.Middle = region - cut.Trailing;
        if (static_cast<std::size_t>(end - p) < cut.Middle + (cut.IdTail ? 4u : 0u) + 4u) {
            return false;
        }
        if (cut.Lead > 0) std::memcpy(key, page.key(i - 1), cut.Lead);
        std::memcpy(key + cut.Lead, p, cut.Middle);
        p += cut.Middle;
        if (cut.IdTail) {
            std::memcpy(key + length - kRecordIdKeyBytes, p, kRecordIdKeyBytes);
            p += kRecordIdKeyBytes;
        }
        page.Refs[i] = getLe32(p);
        p += 4;
    }
    return p == end;
}

}  // namespace wispel
