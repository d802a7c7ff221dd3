// Deletes: pages that fell below a quarter of their room merge with or borrow from a
// neighbour under the same parent, and a root left with one child gives way to it.

#include <algorithm>
#include <cstring>

#include "tablestore/index/IndexTree.h"
#include "tablestore/index/LeafCompression.h"
#include "tablestore/index/PageCodec.h"
#include "tablestore/index/TryResult.h"

namespace wispel {

using namespace indexlayout;

bool TIndexTree::mergeFits(const TIndexPage& left, const TIndexPage& right) {
    if (left.count() == 0 || right.count() == 0) return true;
    if (!left.isLeaf() || !format_.compressed()) {
        const std::size_t room =
            left.isLeaf() ? leafCapacity(format_.KeyLength) : branchCapacity(format_.KeyLength);
        return left.count() + right.count() <= room;
    }
    // The right page's first entry then follows the left page's last key.
    const std::size_t joined = left.UsedBytes + right.UsedBytes -
                               leafEntrySize(format_, nullptr, right.key(0)) +
                               leafEntrySize(format_, left.key(left.count() - 1), right.key(0));
    return joined <= kEntrySpace;
}

// Where to cut the entries of two neighbours, gathered on one page, into two halves: in the
// middle, or for a compressed leaf where the larger half is smallest.
std::size_t TIndexTree::balancePoint(const TIndexPage& page) {
    const std::size_t n = page.count();
    if (!page.isLeaf() || !format_.compressed()) return n - n / 2;
    std::vector<std::size_t> before(n + 1, 0);  // bytes of entries [0, i) in a row
    for (std::size_t i = 0; i < n; ++i) {
        before[i + 1] = before[i] + leafEntrySize(format_, i ? page.key(i - 1) : nullptr,
                                                  page.key(i));
    }
    std::size_t best = n - n / 2;
    std::size_t bestSize = SIZE_MAX;
    for (std::size_t k = 1; k < n; ++k) {
        const std::size_t right =
            leafEntrySize(format_, nullptr, page.key(k)) + before[n] - before[k + 1];
        const std::size_t larger = std::max(before[k], right);
        if (larger < bestSize) best = k, bestSize = larger;
    }
    return best;
}

// Takes `right` out of its level: `left` links to what followed it.
StoreResult TIndexTree::unlinkRight(TIndexPage& left, TIndexPage& right) {
    left.Next = right.Next;
    if (right.Next != 0) {
        TIndexPage* after = nullptr;
        WISPEL_TRY(store_.load(slotNumber_, right.Next, after));
        if (after->Kind != right.Kind || after->Prev != right.Offset) {
            return storecode::kIndexCorrupt;
        }
        after->Prev = left.Offset;
        store_.markDirty(*after);
    }
    return storecode::kOk;
}

StoreResult TIndexTree::rebalance(std::size_t level) {
    for (; level > 0; --level) {
        TIndexPage& page = *path_[level].Page;
        if (!pageUnderfull(page, format_)) return storecode::kOk;
        Step& up = path_[level - 1];
        TIndexPage& parent = *up.Page;
        if (parent.count() < 2) return storecode::kOk;  // a root with one child: shrinkRoot
        // The page and its right neighbour, or its left one when it is the last child.
        const bool pageIsLeft = up.Index + 1 < parent.count();
        const std::size_t leftIndex = pageIsLeft ? up.Index : up.Index - 1;
        TIndexPage* other = nullptr;
        WISPEL_TRY(store_.load(slotNumber_, parent.Refs[pageIsLeft ? up.Index + 1 : leftIndex],
                               other));
        TIndexPage& left = pageIsLeft ? page : *other;
        TIndexPage& right = pageIsLeft ? *other : page;
        if (other->count() == 0 || left.Kind != right.Kind || left.Next != right.Offset ||
            right.Prev != left.Offset) {
            return storecode::kIndexCorrupt;
        }
        const bool leftWasEmpty = left.count() == 0;
        const bool merge = mergeFits(left, right);
        right.moveHeadTo(left, right.count());
        if (!merge) left.moveTailTo(right, balancePoint(left));
        recountBytes(left);
        recountBytes(right);
        store_.markDirty(left);
        store_.markDirty(right);
        parent.Counts[leftIndex] = left.total();
        store_.markDirty(parent);
        if (!merge) {
            if (!pageFits(left, format_) || !pageFits(right, format_)) {
                return storecode::kIndexCorrupt;
            }
            parent.Counts[leftIndex + 1] = right.total();
            std::memcpy(parent.key(leftIndex + 1), right.key(0), format_.KeyLength);
            return storecode::kOk;
        }
        WISPEL_TRY(unlinkRight(left, right));
        parent.removeEntry(leftIndex + 1);
        store_.release(right);
        // An emptied first child took over its right neighbour's entries, and first key.
        if (leftWasEmpty) {
            path_[level].Page = &left;
            propagateFirstKey(level);
        }
    }
    return storecode::kOk;
}

StoreResult TIndexTree::shrinkRoot() {
    for (std::size_t depth = 0; depth < kMaxDepth; ++depth) {
        TIndexPage* root = nullptr;
        WISPEL_TRY(store_.load(slotNumber_, slot_.Root, root));
        if (root->isLeaf()) {
            if (root->count() == 0) {
                store_.release(*root);
                slot_.Root = 0;
            }
            return storecode::kOk;
        }
        if (root->count() != 1) return storecode::kOk;
        TIndexPage* child = nullptr;
        WISPEL_TRY(store_.load(slotNumber_, root->Refs[0], child));
        if (child->isRoot()) return storecode::kIndexCorrupt;
        child->Kind = child->isLeaf() ? kLeafRoot : kBranchRoot;
        child->Prev = 0;
        child->Next = 0;
        store_.markDirty(*child);
        slot_.Root = child->Offset;
        store_.release(*root);
    }
    return storecode::kIndexCorrupt;
}

}  // namespace wispel
