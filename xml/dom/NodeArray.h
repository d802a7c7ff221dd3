#pragma once
// An ordered array of node references (attributes, declarations, documents) that knows
// every member's position in constant time. Each node of the kinds arrays hold records the
// slot it holds in the array that placed it last (other kinds are found by a scan); the
// array keeps a free run of slots at its front as well as its back, so adding or removing at
// either end costs constant time, and a change in the middle moves only the shorter side.
//
// The array does not own the nodes it refers to. A node may sit in more than one array at
// a time only in unusual cases (one entity in the maps of two document types); those
// lookups fall back to a scan.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace wispel {

class TdomNode;

class TdomNodeArray {
public:
    TdomNodeArray() = default;
    // Touches no member: a document destroys its nodes in no particular order.
    ~TdomNodeArray() = default;
    TdomNodeArray(const TdomNodeArray&) = delete;
    TdomNodeArray& operator=(const TdomNodeArray&) = delete;

    int count() const noexcept { return static_cast<int>(slots_.size() - head_); }
    bool empty() const noexcept { return slots_.size() == head_; }
    // The node at `index`, or null outside 0 to count - 1.
    TdomNode* at(int index) const noexcept;
    TdomNode* first() const noexcept { return empty() ? nullptr : slots_[head_]; }
    TdomNode* last() const noexcept { return empty() ? nullptr : slots_.back(); }
    // The node's index, -1 when it is not a member.
    int indexOf(const TdomNode* node) const noexcept;

    void append(TdomNode* node);
    // 0 <= index <= count.
    void insert(int index, TdomNode* node);
    // 0 <= index < count.
    void removeAt(int index);
    void clear();

private:
    void place(std::size_t slot, TdomNode* node) noexcept;
    void openFrontGap();

    using Slots = std::vector<TdomNode*>;

    Slots slots_;  // members live in slots_[head_ .. size)
    std::size_t head_ = 0;
};

// What a node keeps about the arrays it belongs to; written only by TdomNodeArray. The slot
// is the one the node was last placed in, by whichever array; it becomes unknown when the
// node leaves an array. So while one array holds the node and the slot is known, the slot
// is that array's; otherwise an array checks the slot and then scans.
struct TdomArrayLink {
    static constexpr std::uint32_t kUnknownSlot = 0xFFFFFFFF;
    std::uint32_t slot = kUnknownSlot;  // 32 bits keep the link, and so each node, small
    std::int32_t memberships = 0;       // arrays that hold the node
};

}  // namespace wispel
