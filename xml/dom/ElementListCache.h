#pragma once
// The element lists an element or a document has handed out, one per query, kept until
// their owner goes so that the same query returns the same list object.

#include <map>
#include <memory>
#include <utility>

#include "xml/dom/NodeList.h"

namespace wispel {

class TdomElementListCache {
public:
    TdomElementsNodeList* byTagName(const DOMString& name, TdomNode* startNode);
    TdomElementsNodeListNS* byTagNameNS(const DOMString& namespaceURI, const DOMString& localName,
                                        TdomNode* startNode);
    void clearTagNameLists() { byName_.clear(); }
    void clearTagNameNSLists() { byNameNS_.clear(); }

private:
    std::map<DOMString, std::unique_ptr<TdomElementsNodeList>> byName_;
    std::map<std::pair<DOMString, DOMString>, std::unique_ptr<TdomElementsNodeListNS>> byNameNS_;
};

}  // namespace wispel
