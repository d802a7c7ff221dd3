#pragma once
// The references between the general entities of a content model, kept while entities are
// added one by one in declaration order.
//
// "Leads to an unusable entity" is kept per entity and pushed to earlier entities that
// referred to a name before it was declared; every entity is marked at most once, so all
// of it is linear in the references. Circles are found afterwards, for all entities at
// once: the first entity whose addition closed a circle is found by halving the range of
// entities and checking each candidate prefix in linear time.

#include <cstddef>
#include <unordered_map>
#include <vector>

#include "core/TextConvert.h"

namespace wispel {

class TEntityGraph {
public:
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    // Adds an entity (the `count()`-th) with the names its replacement text refers to.
    void add(const DOMString& name, std::vector<DOMString> references, bool unusable);
    // True when the entity is unusable or refers, directly or through others, to one.
    bool leadsToUnusable(const DOMString& name) const;
    std::size_t count() const noexcept { return order_.size(); }
    // The index of the first entity whose addition closed a circle, or npos.
    std::size_t firstCircle() const;

private:
    struct TNode {
        std::vector<DOMString> references;
        std::size_t index = 0;  // position in declaration order
        bool tainted = false;   // unusable, or leads to an unusable entity
    };
    void taintReferrers(const DOMString& name);
    // Whether the entities with an index up to `last` contain a circle.
    bool hasCircle(std::size_t last) const;

    std::unordered_map<DOMString, TNode> nodes_;
    std::vector<const TNode*> order_;
    // For every name ever referred to: the entities that refer to it.
    std::unordered_map<DOMString, std::vector<DOMString>> referrers_;
};

}  // namespace wispel
