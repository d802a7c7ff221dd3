#include "xml/parser/EntityGraph.h"

namespace wispel {

void TEntityGraph::clear() {
    nodes_.clear();
    referrers_.clear();
}

bool TEntityGraph::leadsToUnusable(const DOMString& name) const {
    auto found = nodes_.find(name);
    return found != nodes_.end() && found->second.tainted;
}

bool TEntityGraph::add(const DOMString& name, std::vector<DOMString> references, bool unusable) {
    for (const DOMString& reference : references) {
        if (reference == name) return false;
    }
    TNode& node = nodes_[name];
    node.references = std::move(references);
    // Only an entity that referred to this name before can lead back to it.
    if (referrers_.count(name) != 0 && reaches(name, name)) {
        nodes_.erase(name);
        return false;
    }
    node.tainted = unusable;
    for (const DOMString& reference : node.references) {
        if (leadsToUnusable(reference)) node.tainted = true;
        referrers_[reference].push_back(name);
    }
    if (node.tainted) taintReferrers(name);
    return true;
}

// Searches the references from `from` (not `from` itself) for `target`, iteratively.
bool TEntityGraph::reaches(const DOMString& from, const DOMString& target) {
    ++generation_;
    std::vector<const TNode*> stack{&nodes_.at(from)};
    while (!stack.empty()) {
        const TNode* node = stack.back();
        stack.pop_back();
        for (const DOMString& reference : node->references) {
            if (reference == target) return true;
            auto next = nodes_.find(reference);
            if (next == nodes_.end() || next->second.visited == generation_) continue;
            next->second.visited = generation_;
            stack.push_back(&next->second);
        }
    }
    return false;
}

// Entities that referred to `name` before it existed now lead to an unusable entity too;
// each entity is tainted at most once, so all propagation together stays linear.
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

}  // namespace wispel
