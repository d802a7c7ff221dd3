#include "xml/dom/NodeList.h"

#include <cstdlib>

#include "xml/dom/Document.h"
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

TdomChildNodeList& TdomChildNodeList::none() {
    static TdomChildNodeList empty(nullptr);
    return empty;
}

void TdomChildNodeList::refresh() const {
    const TdomDocument* document = parent_ != nullptr ? parent_->ownerDocument() : nullptr;
    const std::uint64_t version = document != nullptr ? document->treeVersion() : 0;
    if (version == version_) return;
    version_ = version;
    length_ = -1;
    cursorIndex_ = -1;
    cursor_ = nullptr;
}

int TdomChildNodeList::length() const {
    if (parent_ == nullptr) return 0;
    refresh();
    if (length_ < 0) {
        length_ = 0;
        for (TdomNode* n = parent_->firstChild(); n != nullptr; n = n->nextSibling()) ++length_;
    }
    return length_;
}

int TdomChildNodeList::indexOf(const TdomNode* node) const {
    if (parent_ == nullptr || node == nullptr || node->parent() != parent_) return -1;
    int index = 0;
    for (TdomNode* n = parent_->firstChild(); n != node; n = n->nextSibling()) ++index;
    return index;
}

// From the remembered position, the first or the last child, whichever is nearest.
TdomNode* TdomChildNodeList::item(int index) const {
    if (parent_ == nullptr || index < 0 || index >= length()) return nullptr;
    int at = 0;
    TdomNode* node = parent_->firstChild();
    if (index >= length_ / 2) {
        at = length_ - 1;
        node = parent_->lastChild();
    }
    if (cursor_ != nullptr && std::abs(index - cursorIndex_) < std::abs(index - at)) {
        at = cursorIndex_;
        node = cursor_;
    }
    for (; at < index; ++at) node = node->nextSibling();
    for (; at > index; --at) node = node->previousSibling();
    cursorIndex_ = index;
    cursor_ = node;
    return node;
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
