#pragma once
// The references between the general entities of a content model, kept while entities are
// added one by one. It answers, for the entity just added, whether it closes a circle and
// whether it leads to an unusable entity, each in time proportional to the references it
// has to look at: "leads to an unusable entity" is kept per entity and pushed to earlier
// entities that referred to the new one, and a search for a circle is only needed when the
// new name was referred to before it was declared.

#include <unordered_map>
#include <vector>

#include "core/TextConvert.h"

namespace wispel {

class TEntityGraph {
public:
    // Adds an entity with the names its replacement text refers to. Returns false, and
    // leaves the graph unchanged, when the entity would close a circle.
    bool add(const DOMString& name, std::vector<DOMString> references, bool unusable);
    // True when the entity is unusable or refers, directly or through others, to one.
    bool leadsToUnusable(const DOMString& name) const;
    void clear();

private:
    struct TNode {
        std::vector<DOMString> references;
        bool tainted = false;  // unusable, or leads to an unusable entity
        unsigned visited = 0;  // generation of the last circle search that saw it
    };
    bool reaches(const DOMString& from, const DOMString& target);
    void taintReferrers(const DOMString& name);

    std::unordered_map<DOMString, TNode> nodes_;
    // For every name ever referred to: the entities that refer to it.
    std::unordered_map<DOMString, std::vector<DOMString>> referrers_;
    unsigned generation_ = 0;
};

}  // namespace wispel
