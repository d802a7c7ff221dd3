#include "xml/dom/NodeList.h"

#include "xml/dom/Node.h"
#include "xml/dom/TreeOrder.h"

namespace wispel {

int TdomNodeList::length() const {
    return array_->count();
}

int TdomNodeList::indexOf(const TdomNode* node) const {
    return array_->indexOf(node);
}

TdomNode* TdomNodeList::item(int index) const {
    return array_->at(index);
}

TdomElementsNodeList::TdomElementsNodeList(const DOMString& queryName, TdomNode* startNode)
    : TdomNodeList(nullptr), queryName_(queryName), startNode_(startNode) {}

template <class Visit>
void TdomElementsNodeList::forEachMatch(Visit visit) const {
    for (TdomNode* node = startNode_->firstChild(); node != nullptr;
         node = nextInSubtree(startNode_, node)) {
        if (node->nodeType() == ELEMENT_NODE && matches(node) && !visit(node)) return;
    }
}

bool TdomElementsNodeList::matches(const TdomNode* element) const {
    return queryName_ == u"*" || element->nodeName() == queryName_;
}

int TdomElementsNodeList::length() const {
    int count = 0;
    forEachMatch([&count](TdomNode*) {
        ++count;
        return true;
    });
    return count;
}

int TdomElementsNodeList::indexOf(const TdomNode* node) const {
    if (node == nullptr || node->nodeType() != ELEMENT_NODE || !matches(node)) return -1;
    int index = 0;
    int found = -1;
    forEachMatch([&](TdomNode* match) {
        if (match == node) found = index;
        ++index;
        return found < 0;
    });
    return found;
}

TdomNode* TdomElementsNodeList::item(int index) const {
    if (index < 0) return nullptr;
    TdomNode* found = nullptr;
    int i = 0;
    forEachMatch([&](TdomNode* match) {
        if (i++ == index) found = match;
        return found == nullptr;
    });
    return found;
}

TdomElementsNodeListNS::TdomElementsNodeListNS(const DOMString& queryNamespaceURI,
                                               const DOMString& queryLocalName, TdomNode* startNode)
    : TdomElementsNodeList(queryLocalName, startNode),
      queryNamespaceURI_(queryNamespaceURI),
      queryLocalName_(queryLocalName) {}

bool TdomElementsNodeListNS::matches(const TdomNode* element) const {
    return (queryNamespaceURI_ == u"*" || element->namespaceURI() == queryNamespaceURI_) &&
           (queryLocalName_ == u"*" || element->localName() == queryLocalName_);
}

}  // namespace wispel
