#include "xml/dom/ElementListCache.h"

namespace wispel {

TdomElementsNodeList* TdomElementListCache::byTagName(const DOMString& name, TdomNode* startNode) {
    auto& slot = byName_[name];
    if (!slot) slot = std::make_unique<TdomElementsNodeList>(name, startNode);
    return slot.get();
}

TdomElementsNodeListNS* TdomElementListCache::byTagNameNS(const DOMString& namespaceURI,
                                                          const DOMString& localName,
                                                          TdomNode* startNode) {
    auto& slot = byNameNS_[{namespaceURI, localName}];
    if (!slot) slot = std::make_unique<TdomElementsNodeListNS>(namespaceURI, localName, startNode);
    return slot.get();
}

}  // namespace wispel
