#include "tablestore/index/IndexTree.h"

#include <cstring>

#include "tablestore/index/LeafCompression.h"
#include "tablestore/index/PageCodec.h"
#include "tablestore/index/TryResult.h"

namespace wispel {

using namespace indexlayout;

TIndexTree::TIndexTree(TIndexPageStore& store, TIndexHeader& header, int slot)
    : store_(store), slot_(header.Slots[slot]), slotNumber_(slot), format_(store.format(slot)) {
    path_.reserve(kMaxDepth);
}

// Walks from the root to a leaf, keeping the path. Each page must be of the kind its depth
// asks for: a root kind at the top, kinds below the root under it.
StoreResult TIndexTree::descend(Target target, const std::uint8_t* key) {
    path_.clear();
    store_.trim();
    std::uint32_t offset = slot_.Root;
    for (std::size_t depth = 0; depth < kMaxDepth; ++depth) {
        TIndexPage* page = nullptr;
        WISPEL_TRY(store_.load(slotNumber_, offset, page));
        if (page->isRoot() != (depth == 0)) return storecode::kIndexCorrupt;
        std::size_t index = 0;
        if (target == Target::Key) {
            index = page->isLeaf() ? lowerBound(*page, key) : childFor(*page, key);
        } else if (target == Target::Last) {
            index = page->count() - 1;
        }
        path_.push_back(Step{page, index});
        if (page->isLeaf()) return storecode::kOk;
        offset = page->Refs[index];
    }
    return storecode::kIndexCorrupt;
}

void TIndexTree::recountBytes(TIndexPage& page) {
    if (page.isLeaf() && format_.compressed()) {
        page.UsedBytes = leafEntriesSize(format_, page, 0, page.count());
    }
}

void TIndexTree::insertLeafEntry(TIndexPage& leaf, std::size_t pos, const std::uint8_t* key,
                                 std::uint32_t recordNumber) {
    if (format_.compressed()) {
        // Only the new entry and the one after it change size.
        const std::uint8_t* before = pos > 0 ? leaf.key(pos - 1) : nullptr;
        std::size_t used = leaf.UsedBytes + leafEntrySize(format_, before, key);
        if (pos < leaf.count()) {
            used += leafEntrySize(format_, key, leaf.key(pos));
            used -= leafEntrySize(format_, before, leaf.key(pos));
        }
        leaf.UsedBytes = static_cast<std::uint32_t>(used);
    }
    leaf.insertEntry(pos, key, recordNumber, 0);
    store_.markDirty(leaf);
}

void TIndexTree::removeLeafEntry(TIndexPage& leaf, std::size_t pos) {
    if (format_.compressed()) {
        const std::uint8_t* before = pos > 0 ? leaf.key(pos - 1) : nullptr;
        std::size_t used = leaf.UsedBytes - leafEntrySize(format_, before, leaf.key(pos));
        if (pos + 1 < leaf.count()) {
            used -= leafEntrySize(format_, leaf.key(pos), leaf.key(pos + 1));
            used += leafEntrySize(format_, before, leaf.key(pos + 1));
        }
        leaf.UsedBytes = static_cast<std::uint32_t>(used);
    }
    leaf.removeEntry(pos);
    store_.markDirty(leaf);
}

// The first key of the page at `level` changed: its entry in the parent follows, and so on
// upwards while the page is the first child.
void TIndexTree::propagateFirstKey(std::size_t level) {
    for (; level > 0; --level) {
        const TIndexPage& child = *path_[level].Page;
        Step& up = path_[level - 1];
        std::memcpy(up.Page->key(up.Index), child.key(0), format_.KeyLength);
        store_.markDirty(*up.Page);
        if (up.Index != 0) return;
    }
}

StoreResult TIndexTree::insert(const std::uint8_t* key, std::uint32_t recordNumber) {
    if (slot_.Root == 0) {
        TIndexPage* root = nullptr;
        WISPEL_TRY(store_.allocate(slotNumber_, kLeafRoot, root));
        insertLeafEntry(*root, 0, key, recordNumber);
        slot_.Root = root->Offset;
        return storecode::kOk;
    }
    WISPEL_TRY(descend(Target::Key, key));
    TIndexPage& leaf = *path_.back().Page;
    const std::size_t pos = path_.back().Index;
    if (pos < leaf.count() && compareKeys(leaf.key(pos), key, format_.KeyLength) == 0) {
        return storecode::kDuplicateKey;
    }
    insertLeafEntry(leaf, pos, key, recordNumber);
    for (std::size_t level = 0; level + 1 < path_.size(); ++level) {
        ++path_[level].Page->Counts[path_[level].Index];
        store_.markDirty(*path_[level].Page);
    }
    if (pos == 0) propagateFirstKey(path_.size() - 1);
    for (std::size_t level = path_.size() - 1; !pageFits(*path_[level].Page, format_);) {
        WISPEL_TRY(split(level));
        if (level == 0) break;
        --level;
    }
    return storecode::kOk;
}

// How many entries stay on a page that splits: all but the last n div 2, and for a
// compressed leaf then one at a time the other way until both halves fit.
std::size_t TIndexTree::splitPoint(const TIndexPage& page) {
    const std::size_t n = page.count();
    std::size_t keep = n - n / 2;
    if (!page.isLeaf() || !format_.compressed()) return keep;
    while (keep > 1 && leafEntriesSize(format_, page, 0, keep) > kEntrySpace) --keep;
    while (keep + 1 < n && leafEntriesSize(format_, page, keep, n) > kEntrySpace) ++keep;
    return keep;
}

StoreResult TIndexTree::split(std::size_t level) {
    TIndexPage& page = *path_[level].Page;
    const std::uint8_t kind = page.isLeaf() ? kLeafBelowRoot : kBranchBelowRoot;
    const bool wasRoot = page.isRoot();
    TIndexPage* right = nullptr;
    WISPEL_TRY(store_.allocate(slotNumber_, kind, right));
    page.moveTailTo(*right, splitPoint(page));
    recountBytes(page);
    recountBytes(*right);
    if (!pageFits(page, format_) || !pageFits(*right, format_)) return storecode::kIndexCorrupt;
    right->Prev = page.Offset;
    right->Next = page.Next;
    if (page.Next != 0) {
        TIndexPage* after = nullptr;
        WISPEL_TRY(store_.load(slotNumber_, page.Next, after));
        if (after->Kind != kind || after->Prev != page.Offset) return storecode::kIndexCorrupt;
        after->Prev = right->Offset;
        store_.markDirty(*after);
    }
    page.Next = right->Offset;
    page.Kind = kind;
    store_.markDirty(page);
    if (wasRoot) {
        TIndexPage* root = nullptr;
        WISPEL_TRY(store_.allocate(slotNumber_, kBranchRoot, root));
        root->insertEntry(0, page.key(0), page.Offset, page.total());
        root->insertEntry(1, right->key(0), right->Offset, right->total());
        slot_.Root = root->Offset;
        return storecode::kOk;
    }
    Step& up = path_[level - 1];
    up.Page->Counts[up.Index] = page.total();
    up.Page->insertEntry(up.Index + 1, right->key(0), right->Offset, right->total());
    store_.markDirty(*up.Page);
    return storecode::kOk;
}

StoreResult TIndexTree::remove(const std::uint8_t* key) {
    if (slot_.Root == 0) return storecode::kIndexCorrupt;
    WISPEL_TRY(descend(Target::Key, key));
    TIndexPage& leaf = *path_.back().Page;
    const std::size_t pos = path_.back().Index;
    if (pos >= leaf.count() || compareKeys(leaf.key(pos), key, format_.KeyLength) != 0) {
        return storecode::kIndexCorrupt;
    }
    for (std::size_t level = 0; level + 1 < path_.size(); ++level) {
        std::uint32_t& count = path_[level].Page->Counts[path_[level].Index];
        if (count == 0) return storecode::kIndexCorrupt;
        --count;
        store_.markDirty(*path_[level].Page);
    }
    removeLeafEntry(leaf, pos);
    if (leaf.count() == 0 && path_.size() == 1) {
        store_.release(leaf);
        slot_.Root = 0;
        return storecode::kOk;
    }
    if (pos == 0 && leaf.count() > 0) propagateFirstKey(path_.size() - 1);
    WISPEL_TRY(rebalance(path_.size() - 1));
    return shrinkRoot();
}

StoreResult TIndexTree::find(const std::uint8_t* key, bool& found, std::uint32_t& recordNumber) {
    found = false;
    if (slot_.Root == 0) return storecode::kOk;
    WISPEL_TRY(descend(Target::Key, key));
    const TIndexPage& leaf = *path_.back().Page;
    const std::size_t pos = path_.back().Index;
    if (pos < leaf.count() && compareKeys(leaf.key(pos), key, format_.KeyLength) == 0) {
        found = true;
        recordNumber = leaf.Refs[pos];
    }
    return storecode::kOk;
}

}  // namespace wispel
