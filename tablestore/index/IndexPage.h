#pragma once
// One index page as the index works on it: the page header's fields and the entries with
// their keys laid out back to back, whatever the page's compression on disk. PageCodec.h
// turns pages into their 4096 bytes and back (doc/table_format.md, "Index pages").

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "tablestore/index/IndexLayout.h"

namespace wispel {

// What the pages of one index share: how long their keys are and how leaves are stored.
struct TPageFormat {
    std::uint16_t KeyLength = 0;
    std::uint8_t Compression = indexlayout::kCompressNone;
    bool Unique = false;

    bool compressed() const { return Compression != indexlayout::kCompressNone; }
};

struct TIndexPage {
    std::uint32_t Offset = 0;  // in the index file
    int Slot = -1;             // the index it belongs to
    std::uint8_t Kind = 0;     // indexlayout::PageKind
    std::uint32_t Prev = 0;    // on the same level; 0 for the first page
    std::uint32_t Next = 0;    // on the same level; in a free page the free chain's next page
    std::uint16_t KeyLength = 0;
    std::vector<std::uint8_t> Keys;     // count * KeyLength bytes, in key order
    std::vector<std::uint32_t> Refs;    // leaf: record numbers; branch: child page offsets
    std::vector<std::uint32_t> Counts;  // branch: leaf entries in each child's subtree
    std::uint32_t UsedBytes = 0;        // compressed leaf: bytes its entries take on disk
    bool Free = false;                  // released to a free chain
    bool Dirty = false;                 // differs from the file

    std::size_t count() const { return Refs.size(); }
    bool isLeaf() const { return Kind >= indexlayout::kLeafBelowRoot; }
    bool isRoot() const {
        return Kind == indexlayout::kBranchRoot || Kind == indexlayout::kLeafRoot;
    }
    const std::uint8_t* key(std::size_t i) const { return Keys.data() + i * KeyLength; }
    std::uint8_t* key(std::size_t i) { return Keys.data() + i * KeyLength; }

    // Leaf entries below this page: its own count for a leaf, the sum of its counts for a
    // branch page.
    std::uint32_t total() const;

    void insertEntry(std::size_t pos, const std::uint8_t* entryKey, std::uint32_t ref,
                     std::uint32_t count);
    void removeEntry(std::size_t pos);
    // Moves entries [from, count()) of this page to the front of `to`.
    void moveTailTo(TIndexPage& to, std::size_t from);
    // Moves entries [0, n) of this page to the end of `to`.
    void moveHeadTo(TIndexPage& to, std::size_t n);
    // Empties the page's entries.
    void clearEntries();
};

// Unsigned byte-string comparison of two keys of `length` bytes.
inline int compareKeys(const std::uint8_t* a, const std::uint8_t* b, std::size_t length) {
    return std::memcmp(a, b, length);
}

// First entry whose key is not below `key`.
std::size_t lowerBound(const TIndexPage& page, const std::uint8_t* key);
// The child of a branch page whose subtree holds `key`: the last entry whose key is not
// above it, or the first entry when `key` lies before all of them.
std::size_t childFor(const TIndexPage& page, const std::uint8_t* key);

}  // namespace wispel
