#include "xml/dom/NamedNodeMap.h"

#include "xml/dom/Attr.h"
#include "xml/errors/DomException.h"
#include "xml/dom/Element.h"
#include "xml/dom/Node.h"

namespace wispel {

TdomNamedNodeMap::TdomNamedNodeMap(TdomDocument* ownerDocument, TdomNode* ownerNode,
                                   TdomNodeArray* array, TdomTypeSet allowedTypes)
    : TdomNodeList(array),
      entries_(array),
      ownerDocument_(ownerDocument),
      ownerNode_(ownerNode),
      allowedTypes_(allowedTypes) {}

TdomNamedNodeMap::~TdomNamedNodeMap() = default;

namespace {
// Smaller maps are scanned.
constexpr int kIndexedMapSize = 16;
}  // namespace

const TdomNamedNodeMap::TNameIndex& TdomNamedNodeMap::nameIndex() const {
    if (!nameIndex_) {
        nameIndex_ = std::make_unique<TNameIndex>();
        for (int i = 0; i < entries_->count(); ++i) {
            TdomNode* node = entries_->at(i);
            (*nameIndex_)[node->nodeName()].push_back(node);
        }
    }
    return *nameIndex_;
}

void TdomNamedNodeMap::forgetName(TdomNode* node) {
    if (!nameIndex_) return;
    auto it = nameIndex_->find(node->nodeName());
    if (it == nameIndex_->end()) return;
    std::erase(it->second, node);
    if (it->second.empty()) nameIndex_->erase(it);
}

TdomNode* TdomNamedNodeMap::ownerNode() const {
    return ownerNode_;
}
bool TdomNamedNodeMap::namespaceAware() const {
    return namespaceAware_;
}

void TdomNamedNodeMap::namespaceAware(bool value) {
    if (!entries_->empty()) throw ENo_Modification_Allowed_Err();
    namespaceAware_ = value;
}

void TdomNamedNodeMap::readonlyMap(bool value) {
    readonlyMap_ = value;
}

int TdomNamedNodeMap::indexOfName(const DOMString& name) const {
    if (namespaceAware_) throw ENamespace_Err();
    if (!nameIndex_ && entries_->count() < kIndexedMapSize) {
        for (int i = 0; i < entries_->count(); ++i) {
            const TdomNode* node = entries_->at(i);
            if (node->nodeName() == name && typeInSet(allowedTypes_, node->nodeType())) return i;
        }
        return -1;
    }
    const TNameIndex& index = nameIndex();
    auto it = index.find(name);
    if (it == index.end()) return -1;
    for (const TdomNode* node : it->second) {
        if (typeInSet(allowedTypes_, node->nodeType())) return entries_->indexOf(node);
    }
    return -1;
}

int TdomNamedNodeMap::indexOfNameNS(const DOMString& namespaceURI,
                                    const DOMString& localName) const {
    if (!namespaceAware_) throw ENamespace_Err();
    for (int i = 0; i < entries_->count(); ++i) {
        const TdomNode* node = entries_->at(i);
        if (node->namespaceURI() == namespaceURI && node->localName() == localName &&
            typeInSet(allowedTypes_, node->nodeType()))
            return i;
    }
    return -1;
}

TdomNode* TdomNamedNodeMap::getNamedItem(const DOMString& name) const {
    return entries_->at(indexOfName(name));
}

TdomNode* TdomNamedNodeMap::getNamedItemNS(const DOMString& namespaceURI,
                                           const DOMString& localName) const {
    return entries_->at(indexOfNameNS(namespaceURI, localName));
}

void TdomNamedNodeMap::checkSettable(TdomNode* node) const {
    if (node == nullptr) throw ENot_Supported_Err();
    if (node->ownerDocument() != ownerDocument_) throw EWrong_Document_Err();
    if (!typeInSet(allowedTypes_, node->nodeType())) throw EHierarchy_Request_Err();
    if (node->parentNode_ != nullptr) throw EInuse_Node_Err();
    if (node->nodeType() == ATTRIBUTE_NODE) {
        TdomElement* owner = static_cast<TdomAttr*>(node)->ownerElement();
        if (owner != nullptr && owner != ownerNode_) throw EInuse_Attribute_Err();
    }
}

void TdomNamedNodeMap::addEntry(TdomNode* node) {
    entries_->append(node);
    if (nameIndex_) (*nameIndex_)[node->nodeName()].push_back(node);
    node->parentNode_ = nullptr;
    if (node->nodeType() == ATTRIBUTE_NODE && ownerNode_ != nullptr &&
        ownerNode_->nodeType() == ELEMENT_NODE)
        static_cast<TdomAttr*>(node)->ownerElement_ = static_cast<TdomElement*>(ownerNode_);
}

TdomNode* TdomNamedNodeMap::removeEntryAt(int index) {
    TdomNode* node = entries_->at(index);
    entries_->removeAt(index);
    forgetName(node);
    if (node->nodeType() == ATTRIBUTE_NODE) static_cast<TdomAttr*>(node)->ownerElement_ = nullptr;
    return node;
}

TdomNode* TdomNamedNodeMap::setNamedItem(TdomNode* node) {
    if (readonlyMap_) throw ENo_Modification_Allowed_Err();
    if (namespaceAware_) throw ENamespace_Err();
    checkSettable(node);
    TdomNode* replaced = nullptr;
    if (indexOfName(node->nodeName()) >= 0) replaced = removeNamedItem(node->nodeName());
    addEntry(node);
    return replaced;
}

TdomNode* TdomNamedNodeMap::setNamedItemNS(TdomNode* node) {
    if (readonlyMap_) throw ENo_Modification_Allowed_Err();
    if (!namespaceAware_) throw ENamespace_Err();
    checkSettable(node);
    TdomNode* replaced = nullptr;
    if (indexOfNameNS(node->namespaceURI(), node->localName()) >= 0)
        replaced = removeNamedItemNS(node->namespaceURI(), node->localName());
    addEntry(node);
    return replaced;
}

TdomNode* TdomNamedNodeMap::removeNamedItem(const DOMString& name) {
    if (readonlyMap_) throw ENo_Modification_Allowed_Err();
    int index = indexOfName(name);
    if (index < 0) throw ENot_Found_Err();
    return removeEntryAt(index);
}

TdomNode* TdomNamedNodeMap::removeNamedItemNS(const DOMString& namespaceURI,
                                              const DOMString& localName) {
    if (readonlyMap_) throw ENo_Modification_Allowed_Err();
    int index = indexOfNameNS(namespaceURI, localName);
    if (index < 0) throw ENot_Found_Err();
    return removeEntryAt(index);
}

TdomNode* TdomNamedNodeMap::removeItem(TdomNode* node) {
    if (readonlyMap_) throw ENo_Modification_Allowed_Err();
    int index = entries_->indexOf(node);
    if (index < 0) throw ENot_Found_Err();
    entries_->removeAt(index);
    forgetName(node);
    node->parentNode_ = nullptr;
    return node;
}

}  // namespace wispel
