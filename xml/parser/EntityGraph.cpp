#include "xml/parser/EntityGraph.h"

namespace wispel {

bool TEntityGraph::leadsToUnusable(const DOMString& name) const {
    auto found = nodes_.find(name);
    return found != nodes_.end() && found->second.tainted;
}

void TEntityGraph::add(const DOMString& name, std::vector<DOMString> references, bool unusable) {
    TNode& node = nodes_[name];
    node.references = std::move(references);
    node.index = order_.size();
    node.tainted = unusable;
    order_.push_back(&node);
    for (const DOMString& reference : node.references) {
        if (leadsToUnusable(reference)) node.tainted = true;
        referrers_[reference].push_back(name);
    }
    if (node.tainted) taintReferrers(name);
}

// Entities that referred to `name` before it existed now lead to an unusable entity too.
void TEntityGraph::taintReferrers(const DOMString& name) {
    std::vector<DOMString> pending{name};
    while (!pending.empty()) {
        const DOMString current = std::move(pending.back());
        pending.pop_back();
        auto referrers = referrers_.find(current);
        if (referrers == referrers_.end()) continue;
        for (const DOMString& referrer : referrers->second) {
            auto node = nodes_.find(referrer);
            if (node == nodes_.end() || node->second.tainted) continue;
            node->second.tainted = true;
            pending.push_back(referrer);
        }
    }
}

// Removes, over and over, the entities no other remaining entity refers to; what cannot be
// removed lies on a circle or leads into one.
bool TEntityGraph::hasCircle(std::size_t last) const {
    std::unordered_map<const TNode*, std::size_t> incoming;
    auto target = [&](const DOMString& reference) -> const TNode* {
        auto found = nodes_.find(reference);
        return found != nodes_.end() && found->second.index <= last ? &found->second : nullptr;
    };
    for (std::size_t i = 0; i <= last; ++i) {
        incoming.emplace(order_[i], 0);
    }
    for (std::size_t i = 0; i <= last; ++i) {
        for (const DOMString& reference : order_[i]->references) {
            if (const TNode* to = target(reference)) ++incoming[to];
        }
    }
    std::vector<const TNode*> free;
    for (const auto& [node, count] : incoming) {
        if (count == 0) free.push_back(node);
    }
    std::size_t removed = 0;
    while (!free.empty()) {
        const TNode* node = free.back();
        free.pop_back();
        ++removed;
        for (const DOMString& reference : node->references) {
            const TNode* to = target(reference);
            if (to != nullptr && --incoming[to] == 0) free.push_back(to);
        }
    }
    return removed <= last;
}

std::size_t TEntityGraph::firstCircle() const {
    if (order_.empty() || !hasCircle(order_.size() - 1)) return npos;
    std::size_t low = 0;
    std::size_t high = order_.size() - 1;  // the prefix up to `high` has a circle
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (hasCircle(middle)) {
            high = middle;
        } else {
            low = middle + 1;
        }
    }
    return high;
}

}  // namespace wispel
