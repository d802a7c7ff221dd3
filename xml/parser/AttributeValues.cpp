#include "xml/parser/AttributeValues.h"

#include "core/Exception.h"
#include "xml/chars/XmlChars.h"
#include "xml/dom/Attr.h"
#include "xml/dom/CharacterData.h"
#include "xml/dom/Document.h"
#include "xml/dom/DocumentType.h"
#include "xml/dom/Element.h"
#include "xml/dom/EntityReference.h"
#include "xml/dom/ProcessingInstruction.h"
#include "xml/errors/ParserErrors.h"
#include "xml/parser/StandardDocBuilder.h"

namespace wispel {

namespace {

[[noreturn]] void invalidValue() {
    throw EParserInvalidAttributeValue_Err("Invalid attribute value error.");
}

// Appends a child to the attribute; a refused child goes back to the document.
void appendToAttribute(TdomAttr* attr, TdomNode* child) {
    try {
        attr->appendChild(child);
    } catch (const Exception&) {
        discardNode(child);
        invalidValue();
    }
}

void appendText(TdomAttr* attr, std::u16string_view text) {
    if (!validCharData(text)) invalidValue();
    appendToAttribute(attr, attr->ownerDocument()->createTextNode(DOMString(text)));
}

void appendCharacter(TdomAttr* attr, std::u16string_view name) {
    DOMString reference = u"&";
    reference.append(name);
    reference += u';';
    DOMString character;
    try {
        character = validCharRef(reference);
    } catch (const EConvertError&) {
        throw EParserInvalidCharRef_Err("Invalid character reference error.");
    }
    if (TdomNode* last = attr->lastChild(); last && last->nodeType() == TEXT_NODE) {
        static_cast<TdomText*>(last)->appendData(character);
        return;
    }
    appendToAttribute(attr, attr->ownerDocument()->createTextNode(character));
}

void appendEntityReference(TdomAttr* attr, std::u16string_view name) {
    if (!validName(name)) invalidValue();
    appendToAttribute(attr, attr->ownerDocument()->createEntityReference(DOMString(name)));
}

void splitValue(TdomAttr* attr, const DOMString& value) {
    std::size_t start = 0;
    bool inReference = false;
    for (std::size_t pos = 0; pos < value.size(); ++pos) {
        const char16_t unit = value[pos];
        if (!inReference && unit == u'&') {
            if (pos > start)
                appendText(attr, std::u16string_view(value).substr(start, pos - start));
            inReference = true;
            start = pos + 1;
        } else if (inReference && unit == u';') {
            const std::u16string_view name = std::u16string_view(value).substr(start, pos - start);
            if (!name.empty() && name[0] == u'#') {
                appendCharacter(attr, name);
            } else {
                appendEntityReference(attr, name);
            }
            inReference = false;
            start = pos + 1;
        }
    }
    if (inReference) invalidValue();
    if (start < value.size()) appendText(attr, std::u16string_view(value).substr(start));
}

}  // namespace

void addAttributeValue(TdomElement* element, const DOMString& name, const DOMString& value) {
    if (!validName(name)) {
        throw EParserInvalidAttributeName_Err("Invalid attribute name error.");
    }
    if (value.find(u'&') == DOMString::npos) {
        if (!validCharData(value)) invalidValue();
        try {
            element->setAttribute(name, value);
        } catch (const Exception&) {
            invalidValue();
        }
        return;
    }
    TdomDocument* doc = element->ownerDocument();
    TdomAttr* attr = doc->createAttribute(name);
    try {
        element->setAttributeNode(attr);
    } catch (const Exception&) {
        discardNode(attr);
        invalidValue();
    }
    splitValue(attr, value);
}

}  // namespace wispel
