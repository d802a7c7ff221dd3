#include "feeds/AtomText.h"

#include <optional>

#include "core/TextTrim.h"
#include "feeds/HtmlText.h"
#include "http/Base64.h"
#include "xml/dom/Element.h"

namespace wispel {

namespace {

bool isXmlMediaType(std::u16string_view type) {
    return type.ends_with(u"+xml") || type.ends_with(u"/xml");
}

bool isHtmlMediaType(std::u16string_view type) {
    return type == u"text/html" || type == u"application/xhtml+xml";
}

// Bytes that are UTF-8 text: nothing invalid, no control characters but line ends and tabs.
bool isUtf8Text(const std::string& bytes) {
    for (unsigned char c : bytes) {
        if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F) return false;
    }
    return toUtf8(fromUtf8(bytes)) == bytes;
}

// Media types and modes are ASCII, and compared without regard to case.
DOMString attributeInLowerCase(const TdomElement* element, const DOMString& name) {
    DOMString value(trimXmlBlanks(element->getAttribute(name)));
    for (char16_t& unit : value) {
        if (unit >= u'A' && unit <= u'Z') unit = static_cast<char16_t>(unit - u'A' + u'a');
    }
    return value;
}

}  // namespace

std::string TAtomTexts::text(const TdomElement* element) {
    const DOMString type = attributeInLowerCase(element, u"type");
    return atom03_ ? atom03Text(element, type) : atom10Text(element, type);
}

std::string TAtomTexts::atom10Text(const TdomElement* element, const DOMString& type) {
    if (type.empty() || type == u"text") return plain(element);
    if (type == u"html" || type == u"text/html") return html(fields_.units(element));
    if (type == u"xhtml" || isXmlMediaType(type)) return markup(element);
    if (type.starts_with(u"text/")) return plain(element);
    return decoded(element, false, true);
}

std::string TAtomTexts::atom03Text(const TdomElement* element, const DOMString& type) {
    const DOMString mode = attributeInLowerCase(element, u"mode");
    const bool isHtml = isHtmlMediaType(type);
    const bool isText = type.empty() || type.starts_with(u"text/") || isHtml;
    if (mode == u"base64") return decoded(element, isHtml, !isText);
    if (mode == u"escaped") return isHtml ? html(fields_.units(element)) : plain(element);
    return isHtml || isXmlMediaType(type) ? markup(element) : plain(element);
}

std::string TAtomTexts::plain(const TdomElement* element) {
    return toUtf8(trimXmlBlanks(fields_.units(element)));
}

std::string TAtomTexts::markup(const TdomElement* element) {
    return toUtf8(trimXmlBlanks(fields_.blockUnits(element)));
}

std::string TAtomTexts::html(std::u16string_view text) {
    html_.clear();
    appendHtmlText(text, html_);
    return toUtf8(trimXmlBlanks(html_));
}

std::string TAtomTexts::decoded(const TdomElement* element, bool isHtml, bool mustBeText) {
    const std::optional<std::string> bytes = base64Decode(fields_.text(element));
    if (!bytes || (mustBeText && !isUtf8Text(*bytes))) return {};
    if (isHtml) return html(fromUtf8(*bytes));
    return toUtf8(trimXmlBlanks(fromUtf8(*bytes)));
}

}  // namespace wispel
