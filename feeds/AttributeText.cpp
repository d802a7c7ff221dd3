#include "feeds/AttributeText.h"

#include "xml/dom/Attr.h"
#include "xml/dom/CharacterData.h"
#include "xml/dom/Element.h"

namespace wispel {

namespace {

// The character of a predefined entity, or 0 for any other name.
char16_t predefinedCharacter(std::u16string_view name) {
    if (name == u"amp") return u'&';
    if (name == u"lt") return u'<';
    if (name == u"gt") return u'>';
    if (name == u"apos") return u'\'';
    if (name == u"quot") return u'"';
    return 0;
}

}  // namespace

DOMString attributeText(const TdomElement* element, std::u16string_view name) {
    const TdomAttr* attribute = element->getAttributeNode(DOMString(name));
    if (!attribute) return {};
    DOMString text;
    for (const TdomNode* child = attribute->firstChild(); child; child = child->nextSibling()) {
        if (child->nodeType() == TEXT_NODE) {
            text += static_cast<const TdomText*>(child)->data();
        } else if (child->nodeType() == ENTITY_REFERENCE_NODE) {
            const char16_t character = predefinedCharacter(child->nodeName());
            // A declared entity: its expansion, bounded, is the DOM's to make.
            if (character == 0) return attribute->value();
            text += character;
        }
    }
    return text;
}

}  // namespace wispel
