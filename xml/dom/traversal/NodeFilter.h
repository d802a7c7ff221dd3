#pragma once
// Node filters and the three answers they give. The values are 0, 1 and 2.

#include <cstdint>

namespace wispel {

class TdomNode;

using TdomFilterResult = std::uint8_t;
constexpr TdomFilterResult FILTER_ACCEPT = 0;  // the node is visible
constexpr TdomFilterResult FILTER_REJECT = 1;  // the node and its subtree are invisible
constexpr TdomFilterResult FILTER_SKIP = 2;    // the node is invisible, its children are not

// A walker or iterator refers to its filter without owning it; whoever made the filter
// frees it, after the walkers that use it.
class TdomNodeFilter {
public:
    TdomNodeFilter() = default;
    virtual ~TdomNodeFilter() = default;
    TdomNodeFilter(const TdomNodeFilter&) = delete;
    TdomNodeFilter& operator=(const TdomNodeFilter&) = delete;

    virtual TdomFilterResult acceptNode(TdomNode* node) = 0;
};

}  // namespace wispel
