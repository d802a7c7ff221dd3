#pragma once
// An ordered array of node references that knows every member's position in constant time.
// Each node records the slot it holds in the array that placed it last; the array keeps a
// free run of slots at its front as well as its back, so adding or removing at either end
// costs constant time, and a change in the middle moves only the shorter side.
//
// The array does not own the nodes it refers to. A node may sit in more than one array at
// a time only in unusual cases (one entity in the maps of two document types); those
// lookups fall back to a scan.

#include <cstddef>
#include <cstdint>
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
    // The slots the array holds, members and free ones; it stays proportional to count().
    std::size_t reservedSlots() const noexcept { return slots_.capacity(); }

private:
    void place(std::size_t slot, TdomNode* node) noexcept;
    void openFrontGap();

    std::vector<TdomNode*> slots_;  // members live in slots_[head_ .. size)
    std::size_t head_ = 0;
};

// What a node keeps about the arrays it belongs to; written only by TdomNodeArray.
struct TdomArrayLink {
    const TdomNodeArray* array = nullptr;  // the array whose slot is recorded, or null
    std::uint32_t slot = 0;                // 32 bits keep the link, and so each node, small
    std::int32_t memberships = 0;          // arrays that hold the node
};

}  // namespace wispel
