#include "xml/dom/Element.h"

#include "xml/dom/Attr.h"
#include "xml/dom/Document.h"
#include "xml/dom/QualifiedName.h"
#include "xml/errors/DomException.h"

namespace wispel {

TdomElement::TdomElement(TdomDocument* ownerDocument, const DOMString& tagName)
    : TdomParentNode(ownerDocument, tagName, ELEMENT_NODE) {
    checkXmlName(tagName);
}

TdomElement::TdomElement(TdomDocument* ownerDocument, const DOMString& namespaceURI,
                         const DOMString& qualifiedName)
    : TdomParentNode(ownerDocument, qualifiedName, ELEMENT_NODE) {
    initQualifiedName(ownerDocument, namespaceURI, qualifiedName, false);
}

// Made on first use; from then on the document must run the element's destructor.
TdomElement::TParts& TdomElement::parts() const {
    if (!parts_) {
        TdomDocument* document = owner();
        auto made = std::make_unique<TParts>();
        if (document != nullptr) document->keepForDestruction(const_cast<TdomElement*>(this));
        parts_ = std::move(made);
    }
    return *parts_;
}

const TdomNodeArray& TdomElement::attributeArray() const noexcept {
    static const TdomNodeArray none;
    return parts_ ? parts_->attributeArray : none;
}

TdomNamedNodeMap* TdomElement::map() const {
    TParts& own = parts();
    if (!own.attributeMap) {
        own.attributeMap.emplace(owner(), const_cast<TdomElement*>(this), &own.attributeArray,
                                 typeSet({ATTRIBUTE_NODE}));
        own.attributeMap->readonlyMap(readonly_);
    }
    return &*own.attributeMap;
}

TdomElementListCache& TdomElement::lists() {
    TParts& own = parts();
    if (!own.lists) own.lists = std::make_unique<TdomElementListCache>();
    return *own.lists;
}

TdomNamedNodeMap* TdomElement::attributes() const {
    return map();
}

void TdomElement::setReadonly(bool value) {
    TdomNode::setReadonly(value);
    if (parts_ && parts_->attributeMap) parts_->attributeMap->readonlyMap(value);
}

void TdomElement::normalize() {
    TdomNode::normalize();
}

const DOMString& TdomElement::tagName() const {
    return *nodeName_;
}

void TdomElement::checkPlainMap() const {
    if (map()->namespaceAware()) throw ENamespace_Err();
}

void TdomElement::checkNSMap() const {
    if (!map()->namespaceAware()) throw ENamespace_Err();
}

TdomAttr* TdomElement::getAttributeNode(const DOMString& name) const {
    return static_cast<TdomAttr*>(map()->getNamedItem(name));
}

DOMString TdomElement::getAttribute(const DOMString& name) const {
    TdomAttr* attr = getAttributeNode(name);
    return attr != nullptr ? attr->value() : DOMString();
}

bool TdomElement::hasAttribute(const DOMString& name) const {
    return getAttributeNode(name) != nullptr;
}

TdomAttr* TdomElement::setAttribute(const DOMString& name, const DOMString& value) {
    checkModifiable();
    checkPlainMap();
    if (TdomAttr* existing = getAttributeNode(name)) {
        existing->value(value);
        return nullptr;
    }
    TdomAttr* attr = owner()->createAttribute(name);
    attr->value(value);
    setAttributeNode(attr);
    return attr;
}

TdomAttr* TdomElement::removeAttribute(const DOMString& name) {
    checkModifiable();
    checkPlainMap();
    TdomAttr* attr = getAttributeNode(name);
    if (attr == nullptr) throw ENot_Found_Err();
    return removeAttributeNode(attr);
}

TdomAttr* TdomElement::attachAttribute(TdomAttr* attr, bool byNamespace) {
    checkModifiable();
    if (byNamespace) {
        checkNSMap();
    } else {
        checkPlainMap();
    }
    if (attr == nullptr) throw ENot_Supported_Err();
    if (attr->ownerDocument() != owner()) throw EWrong_Document_Err();
    if (attr->ownerElement() == this) return nullptr;
    TdomAttr* replaced = byNamespace ? getAttributeNodeNS(attr->namespaceURI(), attr->localName())
                                     : getAttributeNode(attr->name());
    if (replaced != nullptr) removeAttributeNode(replaced);
    if (byNamespace) {
        map()->setNamedItemNS(attr);
    } else {
        map()->setNamedItem(attr);
    }
    return replaced;
}

TdomAttr* TdomElement::setAttributeNode(TdomAttr* attr) {
    return attachAttribute(attr, false);
}

TdomAttr* TdomElement::removeAttributeNode(TdomAttr* attr) {
    checkModifiable();
    map()->removeItem(attr);
    attr->ownerElement_ = nullptr;
    return attr;
}

TdomNodeList* TdomElement::getElementsByTagName(const DOMString& name) {
    return lists().byTagName(name, this);
}

TdomAttr* TdomElement::getAttributeNodeNS(const DOMString& namespaceURI,
                                          const DOMString& localName) const {
    return static_cast<TdomAttr*>(map()->getNamedItemNS(namespaceURI, localName));
}

DOMString TdomElement::getAttributeNS(const DOMString& namespaceURI,
                                      const DOMString& localName) const {
    TdomAttr* attr = getAttributeNodeNS(namespaceURI, localName);
    return attr != nullptr ? attr->value() : DOMString();
}

bool TdomElement::hasAttributeNS(const DOMString& namespaceURI, const DOMString& localName) const {
    return getAttributeNodeNS(namespaceURI, localName) != nullptr;
}

TdomAttr* TdomElement::setAttributeNS(const DOMString& namespaceURI, const DOMString& qualifiedName,
                                      const DOMString& value) {
    checkModifiable();
    checkNSMap();
    TdomQualifiedName parts = checkQualifiedName(namespaceURI, qualifiedName, true);
    if (TdomAttr* existing = getAttributeNodeNS(namespaceURI, parts.localName)) {
        // The value first: a read-only attribute refuses it before its name has changed.
        existing->value(value);
        existing->setNodeName(qualifiedName);
        existing->namespaceParts(owner()).prefix = parts.prefix;
        map()->entryRenamed();
        return nullptr;
    }
    TdomAttr* attr = owner()->createAttributeNS(namespaceURI, qualifiedName);
    attr->value(value);
    setAttributeNodeNS(attr);
    return attr;
}

TdomAttr* TdomElement::removeAttributeNS(const DOMString& namespaceURI,
                                         const DOMString& localName) {
    checkModifiable();
    checkNSMap();
    TdomAttr* attr = getAttributeNodeNS(namespaceURI, localName);
    if (attr == nullptr) throw ENot_Found_Err();
    return removeAttributeNode(attr);
}

TdomAttr* TdomElement::setAttributeNodeNS(TdomAttr* attr) {
    return attachAttribute(attr, true);
}

TdomNodeList* TdomElement::getElementsByTagNameNS(const DOMString& namespaceURI,
                                                  const DOMString& localName) {
    return lists().byTagNameNS(namespaceURI, localName, this);
}

}  // namespace wispel
