#pragma once
// The tree of pages of one index (doc/table_format.md, "Index pages"): leaf pages hold every
// key in key order with its record number, branch pages one entry per child with the
// child's first key and the number of leaf entries below it, and the pages of every level
// are chained through their previous and next links.
//
// Inserts split full pages; deletes merge a page that fell below a quarter of its room with
// a neighbour under the same parent when both fit in one page, and otherwise move entries
// over from that neighbour, so that every page but the root stays at least a quarter full.
// Emptied pages go to the index's free chain; a root with a single child hands the root over
// to it.
//
// Every link and count read from a page is checked before it is followed: a descent deeper
// than any sound tree can be, a page of the wrong kind or index, or keys out of order along
// a level give 8965. No recursion: the path from the root is kept in a vector.
//
// A tree works on the pages of *store and the slot of *header (both must outlive it). After
// a failure the caller discards the pending changes (TIndexFile does).

#include <cstdint>
#include <vector>

#include "tablestore/errors/StoreResult.h"
#include "tablestore/index/IndexPageStore.h"

namespace wispel {

// A place among the leaf entries: the leaf page and the entry's number on it.
struct TIndexPosition {
    std::uint32_t Page = 0;
    std::uint32_t Index = 0;
};

class TIndexTree {
public:
    TIndexTree(TIndexPageStore& store, TIndexHeader& header, int slot);

    // 9729 when the key is there already (nothing is changed then).
    StoreResult insert(const std::uint8_t* key, std::uint32_t recordNumber);
    // 8965 when the key is not there.
    StoreResult remove(const std::uint8_t* key);
    // Whether the key is there, and its record number when it is.
    StoreResult find(const std::uint8_t* key, bool& found, std::uint32_t& recordNumber);

    // Positions: 8706 when there is no entry at or after the place asked for (8705 before,
    // for prior and last); the position is then left as it was.
    StoreResult first(TIndexPosition& position);
    StoreResult last(TIndexPosition& position);
    // The first entry whose key is not below `key`.
    StoreResult seek(const std::uint8_t* key, TIndexPosition& position);
    StoreResult next(TIndexPosition& position);
    StoreResult prior(TIndexPosition& position);
    // The entry's key (the slot's key length) and record number.
    StoreResult entry(const TIndexPosition& position, std::uint8_t* key,
                      std::uint32_t& recordNumber);

    // Entries in the index, and entries whose key is below `key`.
    StoreResult keyCount(std::uint32_t& count);
    StoreResult keysBefore(const std::uint8_t* key, std::uint32_t& count);

    // A sound tree is never deeper than this: every branch page but the root has two
    // entries or more, and the file holds fewer than 2^19 pages.
    static constexpr std::size_t kMaxDepth = 32;

private:
    enum class Target { Key, First, Last };
    struct Step {
        TIndexPage* Page;
        std::size_t Index;  // the child taken; in the leaf, the entry
    };

    StoreResult descend(Target target, const std::uint8_t* key);
    StoreResult loadLeaf(std::uint32_t offset, TIndexPage*& page);

    void insertLeafEntry(TIndexPage& leaf, std::size_t pos, const std::uint8_t* key,
                         std::uint32_t recordNumber);
    void removeLeafEntry(TIndexPage& leaf, std::size_t pos);
    void recountBytes(TIndexPage& page);
    void propagateFirstKey(std::size_t level);
    StoreResult split(std::size_t level);
    std::size_t splitPoint(const TIndexPage& page);
    std::size_t balancePoint(const TIndexPage& page);
    StoreResult rebalance(std::size_t level);
    bool mergeFits(const TIndexPage& left, const TIndexPage& right);
    StoreResult unlinkRight(TIndexPage& left, TIndexPage& right);
    StoreResult shrinkRoot();

    TIndexPageStore& store_;
    TIndexSlot& slot_;
    int slotNumber_;
    TPageFormat format_;
    std::vector<Step> path_;
};

}  // namespace wispel
