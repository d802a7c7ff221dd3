#include "xml/dom/EntityReference.h"

#include "xml/dom/CharacterData.h"
#include "xml/dom/ContentTextParser.h"
#include "xml/dom/Document.h"
#include "xml/dom/QualifiedName.h"
#include "xml/dom/cm/CMObject.h"

namespace wispel {

namespace {
TdomContentTextParser registeredParser = nullptr;
}

void setContentTextParser(TdomContentTextParser parser) {
    registeredParser = parser;
}
TdomContentTextParser contentTextParser() {
    return registeredParser;
}

DOMString predefinedEntityText(const DOMString& name) {
    if (name == u"lt") return u"<";
    if (name == u"gt") return u">";
    if (name == u"amp") return u"&";
    if (name == u"apos") return u"'";
    if (name == u"quot") return u"\"";
    return DOMString();
}

TdomEntityReference::TdomEntityReference(TdomDocument* ownerDocument, const DOMString& name)
    : TdomParentNode(ownerDocument, name, ENTITY_REFERENCE_NODE) {
    checkXmlName(name);
}

TdomNode* TdomEntityReference::cloneNode(bool deep) {
    TdomNode* copy = TdomNode::cloneNode(deep);
    copy->makeChildrenReadonly();
    return copy;
}

TdomCMEntity* TdomEntityReference::entityDeclaration() const {
    TdomDocument* document = owner();
    TdomCMObject* cm = document != nullptr ? document->contentModel() : nullptr;
    return cm != nullptr ? cm->entities.find(*nodeName_) : nullptr;
}

bool TdomEntityReference::isPredefinedEntity() const {
    return !predefinedEntityText(*nodeName_).empty();
}

bool TdomEntityReference::expand() {
    clear();
    if (TdomCMEntity* declaration = entityDeclaration()) {
        TdomContentTextParser parse = contentTextParser();
        return parse != nullptr && parse(declaration->replacementText, this);
    }
    DOMString text = predefinedEntityText(*nodeName_);
    if (text.empty()) return false;
    appendChild(owner()->createTextNode(text));
    return true;
}

}  // namespace wispel
