#include "xml/dom/Attr.h"

#include "xml/dom/CharacterData.h"
#include "xml/dom/Document.h"
#include "xml/errors/DomException.h"
#include "xml/dom/Element.h"
#include "xml/dom/QualifiedName.h"
#include "xml/dom/cm/CMObject.h"

namespace wispel {

TdomAttr::TdomAttr(TdomDocument* ownerDocument, const DOMString& name, bool specified)
    : TdomNode(ownerDocument, name, ATTRIBUTE_NODE), specified_(specified) {
    checkXmlName(name);
}

TdomAttr::TdomAttr(TdomDocument* ownerDocument, const DOMString& namespaceURI,
                   const DOMString& qualifiedName, bool specified)
    : TdomNode(ownerDocument, qualifiedName, ATTRIBUTE_NODE),
      specified_(specified) {
    initQualifiedName(namespaceURI, qualifiedName, true);
}

DOMString TdomAttr::nodeValue() const {
    return value();
}
void TdomAttr::nodeValue(const DOMString& value) {
    this->value(value);
}
const DOMString& TdomAttr::name() const {
    return *nodeName_;
}
bool TdomAttr::specified() const {
    return specified_;
}
TdomElement* TdomAttr::ownerElement() const {
    return ownerElement_;
}

namespace {

// What an entity reference inside an attribute value stands for.
DOMString referenceValue(const TdomDocument* document, const DOMString& name) {
    if (name == u"lt") return u"&#60;";
    if (name == u"gt") return u">";
    if (name == u"amp") return u"&#38;";
    if (name == u"apos") return u"'";
    if (name == u"quot") return u"\"";
    TdomCMObject* cm = document != nullptr ? document->contentModel() : nullptr;
    TdomCMEntity* entity = cm != nullptr ? cm->entities.find(name) : nullptr;
    if (entity == nullptr) throw EInvalid_Entity_Reference_Err();
    return entity->replacementText;
}

// Collapses runs of spaces into one and drops leading and trailing ones.
DOMString collapseSpaces(const DOMString& text) {
    DOMString out;
    bool pendingSpace = false;
    for (char16_t unit : text) {
        if (unit == u' ') {
            pendingSpace = !out.empty();
            continue;
        }
        if (pendingSpace) out += u' ';
        pendingSpace = false;
        out += unit;
    }
    return out;
}

}  // namespace

DOMString TdomAttr::value() const {
    DOMString result;
    const TdomNodeArray& kids = children();
    for (int i = 0; i < kids.count(); ++i) {
        const TdomNode* child = kids.at(i);
        if (child->nodeType() == TEXT_NODE) {
            result += static_cast<const TdomText*>(child)->data();
        } else if (child->nodeType() == ENTITY_REFERENCE_NODE) {
            result += referenceValue(ownerDocument_, child->nodeName());
        }
    }
    TdomCMObject* cm = ownerDocument_ != nullptr ? ownerDocument_->contentModel() : nullptr;
    if (ownerElement_ != nullptr && cm != nullptr) {
        const TdomCMAttributeDefinition* def =
            cm->findAttributeDefinition(ownerElement_->nodeName(), *nodeName_);
        if (def != nullptr && def->attributeType != u"CDATA") return collapseSpaces(result);
    }
    return result;
}

void TdomAttr::value(const DOMString& value) {
    checkModifiable();
    freeChildren();
    appendChild(ownerDocument_->createTextNode(value));
}

DOMString TdomAttr::valueMarkup() const {
    DOMString markup;
    const TdomNodeArray& kids = children();
    for (int i = 0; i < kids.count(); ++i) {
        const TdomNode* child = kids.at(i);
        if (child->nodeType() == TEXT_NODE) {
            markup += escapeMarkupChars(static_cast<const TdomText*>(child)->data());
        } else if (child->nodeType() == ENTITY_REFERENCE_NODE) {
            markup += u"&" + child->nodeName() + u";";
        }
    }
    return markup;
}

}  // namespace wispel
