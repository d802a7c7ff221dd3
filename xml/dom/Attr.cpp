#include "xml/dom/Attr.h"

#include "xml/dom/AttrValueExpansion.h"
#include "xml/dom/CharacterData.h"
#include "xml/dom/Document.h"
#include "xml/dom/Element.h"
#include "xml/dom/QualifiedName.h"
#include "xml/dom/cm/CMObject.h"
#include "xml/errors/DomException.h"

namespace wispel {

TdomAttr::TdomAttr(TdomDocument* ownerDocument, const DOMString& name, bool specified)
    : TdomParentNode(ownerDocument, name, ATTRIBUTE_NODE), specified_(specified) {
    checkXmlName(name);
}

TdomAttr::TdomAttr(TdomDocument* ownerDocument, const DOMString& namespaceURI,
                   const DOMString& qualifiedName, bool specified)
    : TdomParentNode(ownerDocument, qualifiedName, ATTRIBUTE_NODE), specified_(specified) {
    initQualifiedName(ownerDocument, namespaceURI, qualifiedName, true);
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

// What an entity reference inside an attribute value stands for: the predefined ones their
// fixed texts, a declared entity its replacement text with the references in it expanded
// (bounded, see TAttrValueExpansion).
void appendReferenceValue(const TdomDocument* document, const DOMString& name,
                          TAttrValueExpansion& expansion, DOMString& out) {
    const char16_t* fixed = name == u"lt"     ? u"&#60;"
                            : name == u"gt"   ? u">"
                            : name == u"amp"  ? u"&#38;"
                            : name == u"apos" ? u"'"
                            : name == u"quot" ? u"\""
                                              : nullptr;
    if (fixed != nullptr) {
        out += fixed;
        return;
    }
    TdomCMObject* cm = document != nullptr ? document->contentModel() : nullptr;
    TdomCMEntity* entity = cm != nullptr ? cm->entities.find(name) : nullptr;
    if (entity == nullptr) throw EInvalid_Entity_Reference_Err();
    expansion.appendEntity(name, entity->replacementText, out);
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
    TdomDocument* document = owner();
    TdomCMObject* cm = document != nullptr ? document->contentModel() : nullptr;
    TAttrValueExpansion expansion(cm);
    for (const TdomNode* child = firstChild(); child != nullptr; child = child->nextSibling()) {
        if (child->nodeType() == TEXT_NODE) {
            result += static_cast<const TdomText*>(child)->data();
        } else if (child->nodeType() == ENTITY_REFERENCE_NODE) {
            appendReferenceValue(document, child->nodeName(), expansion, result);
        }
    }
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
    appendChild(owner()->createTextNode(value));
}

DOMString TdomAttr::valueMarkup() const {
    DOMString markup;
    for (const TdomNode* child = firstChild(); child != nullptr; child = child->nextSibling()) {
        if (child->nodeType() == TEXT_NODE) {
            markup += escapeMarkupChars(static_cast<const TdomText*>(child)->data());
        } else if (child->nodeType() == ENTITY_REFERENCE_NODE) {
            markup += u"&" + child->nodeName() + u";";
        }
    }
    return markup;
}

}  // namespace wispel
