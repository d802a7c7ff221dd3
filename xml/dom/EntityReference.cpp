#include "xml/dom/EntityReference.h"

#include "xml/dom/CharacterData.h"
#include "xml/dom/ContentTextParser.h"
#include "xml/dom/Document.h"
#include "xml/dom/DomImplementation.h"
#include "xml/dom/QualifiedName.h"
#include "xml/dom/cm/CMObject.h"

namespace wispel {

// Told apart by length and name: the five are most of the references in escaped HTML, so
// each costs a comparison or two and no string.
std::u16string_view predefinedEntityText(std::u16string_view name) {
    switch (name.size()) {
        case 2:
            return name == u"lt" ? u"<" : name == u"gt" ? u">" : std::u16string_view{};
        case 3:
            return name == u"amp" ? u"&" : std::u16string_view{};
        case 4:
            return name == u"quot" ? u"\"" : name == u"apos" ? u"'" : std::u16string_view{};
        default:
            return {};
    }
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
        const TDomImplementation* implementation = owner()->implementation();
        TdomContentTextParser parse =
            implementation != nullptr ? implementation->contentTextParser() : nullptr;
        return parse != nullptr && parse(declaration->replacementText, this);
    }
    const std::u16string_view text = predefinedEntityText(*nodeName_);
    if (text.empty()) return false;
    appendChild(owner()->createTextNode(DOMString(text)));
    return true;
}

}  // namespace wispel
