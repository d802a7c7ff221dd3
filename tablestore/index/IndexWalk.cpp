// Reading an index in key order: positions on leaf entries, stepped along the leaf level's
// links. A step to the next (previous) leaf also checks that its keys follow (precede) the
// ones just left, so that links that loop cannot send a walk round forever.

#include <cstring>

#include "tablestore/index/IndexTree.h"
#include "tablestore/index/TryResult.h"

namespace wispel {

StoreResult TIndexTree::loadLeaf(std::uint32_t offset, TIndexPage*& page) {
    WISPEL_TRY(store_.load(slotNumber_, offset, page));
    return page->isLeaf() ? storecode::kOk : storecode::kIndexCorrupt;
}

StoreResult TIndexTree::first(TIndexPosition& position) {
    if (slot_.Root == 0) return storecode::kEndOfFile;
    WISPEL_TRY(descend(Target::First, nullptr));
    position = TIndexPosition{path_.back().Page->Offset, 0};
    return storecode::kOk;
}

StoreResult TIndexTree::last(TIndexPosition& position) {
    if (slot_.Root == 0) return storecode::kBeginOfFile;
    WISPEL_TRY(descend(Target::Last, nullptr));
    position = TIndexPosition{path_.back().Page->Offset,
                              static_cast<std::uint32_t>(path_.back().Index)};
    return storecode::kOk;
}

StoreResult TIndexTree::seek(const std::uint8_t* key, TIndexPosition& position) {
    if (slot_.Root == 0) return storecode::kEndOfFile;
    WISPEL_TRY(descend(Target::Key, key));
    const TIndexPage& leaf = *path_.back().Page;
    TIndexPosition found{leaf.Offset, static_cast<std::uint32_t>(path_.back().Index)};
    if (found.Index < leaf.count()) {
        position = found;
        return storecode::kOk;
    }
    // Past the last key of this leaf: the first entry of the next one, if any.
    found.Index = static_cast<std::uint32_t>(leaf.count() - 1);
    WISPEL_TRY(next(found));
    position = found;
    return storecode::kOk;
}

StoreResult TIndexTree::next(TIndexPosition& position) {
    store_.trim();  // a walk over a large index keeps the cache bounded
    TIndexPage* page = nullptr;
    WISPEL_TRY(loadLeaf(position.Page, page));
    if (position.Index >= page->count()) return storecode::kIndexCorrupt;
    if (position.Index + 1 < page->count()) {
        ++position.Index;
        return storecode::kOk;
    }
    if (page->Next == 0) return storecode::kEndOfFile;
    TIndexPage* after = nullptr;
    WISPEL_TRY(loadLeaf(page->Next, after));
    if (after->Prev != page->Offset ||
        compareKeys(after->key(0), page->key(page->count() - 1), format_.KeyLength) <= 0) {
        return storecode::kIndexCorrupt;
    }
    position = TIndexPosition{after->Offset, 0};
    return storecode::kOk;
}

StoreResult TIndexTree::prior(TIndexPosition& position) {
    store_.trim();  // a walk over a large index keeps the cache bounded
    TIndexPage* page = nullptr;
    WISPEL_TRY(loadLeaf(position.Page, page));
    if (position.Index >= page->count()) return storecode::kIndexCorrupt;
    if (position.Index > 0) {
        --position.Index;
        return storecode::kOk;
    }
    if (page->Prev == 0) return storecode::kBeginOfFile;
    TIndexPage* before = nullptr;
    WISPEL_TRY(loadLeaf(page->Prev, before));
    const std::size_t lastIndex = before->count() - 1;
    if (before->Next != page->Offset ||
        compareKeys(before->key(lastIndex), page->key(0), format_.KeyLength) >= 0) {
        return storecode::kIndexCorrupt;
    }
    position = TIndexPosition{before->Offset, static_cast<std::uint32_t>(lastIndex)};
    return storecode::kOk;
}

StoreResult TIndexTree::entry(const TIndexPosition& position, std::uint8_t* key,
                              std::uint32_t& recordNumber) {
    store_.trim();
    TIndexPage* page = nullptr;
    WISPEL_TRY(loadLeaf(position.Page, page));
    if (position.Index >= page->count()) return storecode::kIndexCorrupt;
    std::memcpy(key, page->key(position.Index), format_.KeyLength);
    recordNumber = page->Refs[position.Index];
    return storecode::kOk;
}

StoreResult TIndexTree::keyCount(std::uint32_t& count) {
    count = 0;
    if (slot_.Root == 0) return storecode::kOk;
    TIndexPage* root = nullptr;
    WISPEL_TRY(store_.load(slotNumber_, slot_.Root, root));
    count = root->total();
    return storecode::kOk;
}

StoreResult TIndexTree::keysBefore(const std::uint8_t* key, std::uint32_t& count) {
    count = 0;
    if (slot_.Root == 0) return storecode::kOk;
    WISPEL_TRY(descend(Target::Key, key));
    for (const Step& step : path_) {
        if (step.Page->isLeaf()) {
            count += static_cast<std::uint32_t>(step.Index);
        } else {
            // Every key in the children before the chosen one is below `key`.
            for (std::size_t i = 0; i < step.Index; ++i) count += step.Page->Counts[i];
        }
    }
    return storecode::kOk;
}

}  // namespace wispel
