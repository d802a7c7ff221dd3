#include "xml/dom/Element.h"

#include "xml/dom/Attr.h"
#include "xml/dom/Document.h"
#include "xml/errors/DomException.h"
#include "xml/dom/QualifiedName.h"

namespace wispel {

TdomElement::TdomElement(TdomDocument* ownerDocument, const DOMString& tagName)
    : TdomNode(ownerDocument, tagName, ELEMENT_NODE) {
    checkXmlName(tagName);
}

TdomElement::TdomElement(TdomDocument* ownerDocument, const DOMString& namespaceURI,
                         const DOMString& qualifiedName)
    : TdomNode(ownerDocument, qualifiedName, ELEMENT_NODE) {
    initQualifiedName(namespaceURI, qualifiedName, false);
}

TdomNamedNodeMap* TdomElement::map() const {
    if (!attributeMap_) {
        attributeMap_ = std::make_unique<TdomNamedNodeMap>(
            ownerDocument_, const_cast<TdomElement*>(this),
            const_cast<TdomNodeArray*>(&attributeArray_), typeSet({ATTRIBUTE_NODE}));
        attributeMap_->readonlyMap(readonly_);
    }
    return attributeMap_.get();
}

TdomElementListCache& TdomElement::lists() {
    if (!lists_) lists_ = std::make_unique<TdomElementListCache>();
    return *lists_;
}

TdomNamedNodeMap* TdomElement::attributes() const {
    return map();
}

void TdomElement::setReadonly(bool value) {
    TdomNode::setReadonly(value);
    if (attributeMap_) attributeMap_->readonlyMap(value);
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
    TdomAttr* attr = ownerDocument_->createAttribute(name);
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
    if (attr->ownerDocument() != ownerDocument_) throw EWrong_Document_Err();
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
        existing->ns_->prefix = parts.prefix;
        map()->entryRenamed();
        return nullptr;
    }
    TdomAttr* attr = ownerDocument_->createAttributeNS(namespaceURI, qualifiedName);
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
