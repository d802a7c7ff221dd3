#include "xml/dom/NodeArray.h"

#include "xml/dom/Node.h"

namespace wispel {

TdomNode* TdomNodeArray::at(int index) const noexcept {
    if (index < 0 || index >= count()) return nullptr;
    return slots_[head_ + static_cast<std::size_t>(index)];
}

namespace {
TdomArrayLink* linkOf(const TdomNode* node) noexcept {
    return const_cast<TdomNode*>(node)->arrayLink();
}
}  // namespace

int TdomNodeArray::indexOf(const TdomNode* node) const noexcept {
    if (node == nullptr) return -1;
    if (const TdomArrayLink* link = linkOf(node)) {
        if (link->memberships == 0) return -1;
        if (link->slot >= head_ && link->slot < slots_.size() && slots_[link->slot] == node)
            return static_cast<int>(link->slot - head_);
        // Only a node held by several arrays, or one that left another array, needs a scan.
        if (link->memberships == 1 && link->slot != TdomArrayLink::kUnknownSlot) return -1;
    }
    for (std::size_t i = head_; i < slots_.size(); ++i) {
        if (slots_[i] == node) return static_cast<int>(i - head_);
    }
    return -1;
}

void TdomNodeArray::place(std::size_t slot, TdomNode* node) noexcept {
    slots_[slot] = node;
    if (TdomArrayLink* link = linkOf(node)) link->slot = static_cast<std::uint32_t>(slot);
}

void TdomNodeArray::append(TdomNode* node) {
    insert(count(), node);
}

// Moves the members into fresh storage with room before the first one, as much as there are
// members, so that a run of insertions at the front costs constant time each. It also gives
// back the free run that removals at the front leave behind.
void TdomNodeArray::openFrontGap() {
    std::size_t n = slots_.size() - head_;
    std::size_t gap = n < 8 ? 8 : n;
    Slots grown(gap + n, nullptr);
    for (std::size_t i = 0; i < n; ++i) grown[gap + i] = slots_[head_ + i];
    slots_.swap(grown);
    const std::size_t oldHead = head_;
    head_ = gap;
    // A member whose recorded slot belongs to another array keeps it.
    for (std::size_t i = 0; i < n; ++i) {
        TdomArrayLink* link = linkOf(slots_[head_ + i]);
        if (link != nullptr && link->slot == oldHead + i)
            link->slot = static_cast<std::uint32_t>(head_ + i);
    }
}

void TdomNodeArray::insert(int index, TdomNode* node) {
    std::size_t n = slots_.size() - head_;
    std::size_t at = static_cast<std::size_t>(index);
    if (at < n - at) {
        if (head_ == 0) openFrontGap();
        --head_;
        for (std::size_t i = 0; i < at; ++i) place(head_ + i, slots_[head_ + i + 1]);
    } else {
        // The heap's smallest block holds three slots as well as one: an element's first
        // child gets room for two more at no cost.
        if (slots_.capacity() == 0) slots_.reserve(3);
        slots_.push_back(nullptr);
        for (std::size_t i = n; i > at; --i) place(head_ + i, slots_[head_ + i - 1]);
    }
    place(head_ + at, node);
    if (TdomArrayLink* link = linkOf(node)) ++link->memberships;
}

void TdomNodeArray::removeAt(int index) {
    std::size_t n = slots_.size() - head_;
    std::size_t at = static_cast<std::size_t>(index);
    TdomNode* node = slots_[head_ + at];
    if (at < n - 1 - at) {
        for (std::size_t i = at; i > 0; --i) place(head_ + i, slots_[head_ + i - 1]);
        slots_[head_] = nullptr;
        ++head_;
        // Removing at the front while adding at the back must not grow the storage forever.
        if (head_ > 2 * (n - 1) + 16) openFrontGap();
    } else {
        for (std::size_t i = at; i + 1 < n; ++i) place(head_ + i, slots_[head_ + i + 1]);
        slots_.pop_back();
    }
    if (TdomArrayLink* link = linkOf(node)) {
        link->slot = TdomArrayLink::kUnknownSlot;
        --link->memberships;
    }
    if (empty()) clear();
}

void TdomNodeArray::clear() {
    for (std::size_t i = head_; i < slots_.size(); ++i) {
        if (TdomArrayLink* link = linkOf(slots_[i])) {
            link->slot = TdomArrayLink::kUnknownSlot;
            --link->memberships;
        }
    }
    slots_.clear();
    slots_.shrink_to_fit();
    head_ = 0;
}

}  // namespace wispel
