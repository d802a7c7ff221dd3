#include "xml/dom/CharacterData.h"

#include "xml/chars/XmlChars.h"
#include "xml/dom/Document.h"
#include "xml/dom/cm/CMObject.h"
#include "xml/errors/DomException.h"

namespace wispel {

TdomCharacterData::TdomCharacterData(TdomDocument* ownerDocument, const DOMString& name,
                                     TdomNodeType type)
    : TdomNode(ownerDocument, name, type) {}

std::u16string_view TdomCharacterData::data() const {
    return {text_, length_};
}

// A shorter or equal text overwrites the old one: nobody else refers to a node's storage.
void TdomCharacterData::setData(std::u16string_view value) {
    if (value.size() <= length_ && text_ != nullptr) {
        std::copy(value.begin(), value.end(), const_cast<char16_t*>(text_));
    } else {
        text_ = owner()->texts().store(value);
    }
    length_ = static_cast<std::uint32_t>(value.size());
}

void TdomCharacterData::nodeValue(const DOMString& value) {
    checkModifiable();
    setData(value);
}

void TdomCharacterData::data(const DOMString& value) {
    checkModifiable();
    setData(value);
}

int TdomCharacterData::length() const {
    return static_cast<int>(length_);
}

DOMString TdomCharacterData::substringData(int offset, int count) const {
    if (offset < 0 || offset > length() || count < 0) throw EIndex_Size_Err();
    return DOMString(data().substr(static_cast<size_t>(offset), static_cast<size_t>(count)));
}

// Appending to the text stored last (what a parser does with a run of text and character
// references) extends it where it is.
void TdomCharacterData::appendData(const DOMString& arg) {
    checkModifiable();
    text_ = owner()->texts().append(data(), arg);
    length_ += static_cast<std::uint32_t>(arg.size());
}

void TdomCharacterData::insertData(int offset, const DOMString& arg) {
    checkModifiable();
    replaceData(offset, 0, arg);
}

void TdomCharacterData::deleteData(int offset, int count) {
    checkModifiable();
    replaceData(offset, count, DOMString());
}

void TdomCharacterData::replaceData(int offset, int count, const DOMString& arg) {
    checkModifiable();
    if (offset < 0 || offset > length() || count < 0) throw EIndex_Size_Err();
    int removed = std::min(count, length() - offset);
    DOMString changed(data());
    changed.replace(static_cast<size_t>(offset), static_cast<size_t>(removed), arg);
    setData(changed);
}

namespace {
// Made once: a text node is made for nearly every piece of character data of a document.
const DOMString& textNodeName() {
    static const DOMString name(u"#text");
    return name;
}
}  // namespace

TdomText::TdomText(TdomDocument* ownerDocument)
    : TdomCharacterData(ownerDocument, textNodeName(), TEXT_NODE) {}

TdomText::TdomText(TdomDocument* ownerDocument, const DOMString& name, TdomNodeType type)
    : TdomCharacterData(ownerDocument, name, type) {}

bool TdomText::validateNode(TdomCustomErrorHandler*) {
    return true;
}

DOMString escapeMarkupChars(std::u16string_view text) {
    DOMString out;
    out.reserve(text.size());
    for (char16_t unit : text) {
        switch (unit) {
            case u'"':
                out += u"&#34;";
                break;
            case u'&':
                out += u"&#38;";
                break;
            case u'\'':
                out += u"&#39;";
                break;
            case u'<':
                out += u"&#60;";
                break;
            case u'>':
                out += u"&#62;";
                break;
            default:
                out += unit;
        }
    }
    return out;
}

DOMString TdomText::escapedData() const {
    return escapeMarkupChars(data());
}

bool TdomText::isWhitespaceInElementContent() const {
    if (length_ != 0 && !allBlank(data())) return false;
    TdomDocument* document = owner();
    TdomCMObject* cm = document != nullptr ? document->contentModel() : nullptr;
    if (cm == nullptr) return false;
    const TdomNode* element = parentNode_;
    while (element != nullptr && element->nodeType() == ENTITY_REFERENCE_NODE)
        element = element->parentNode();
    if (element == nullptr || element->nodeType() != ELEMENT_NODE) return false;
    const TdomCMElementType* type = cm->elementTypes.find(element->nodeName());
    return type != nullptr && type->contentType == TdomCMContentType::ctElements;
}

TdomText* TdomText::splitText(int offset) {
    checkModifiable();
    if (offset < 0 || offset > length()) throw EIndex_Size_Err();
    // The tail must find a place before any data leaves this node, or it would be lost.
    if (parentNode_ != nullptr && parentNode_->isReadonly()) throw ENo_Modification_Allowed_Err();
    TdomText* tail = owner()->createTextNode(DOMString(data().substr(static_cast<size_t>(offset))));
    length_ = static_cast<std::uint32_t>(offset);
    if (parentNode_ != nullptr) {
        TdomNode* next = nextSibling();
        if (next != nullptr) {
            parentNode_->insertBefore(tail, next);
        } else {
            parentNode_->appendChild(tail);
        }
    }
    return tail;
}

TdomComment::TdomComment(TdomDocument* ownerDocument)
    : TdomCharacterData(ownerDocument, u"#comment", COMMENT_NODE) {}

bool TdomComment::validateNode(TdomCustomErrorHandler*) {
    return true;
}

TdomCDATASection::TdomCDATASection(TdomDocument* ownerDocument)
    : TdomText(ownerDocument, u"#cdata-section", CDATA_SECTION_NODE) {}

}  // namespace wispel
