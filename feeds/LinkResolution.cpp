#include "feeds/LinkResolution.h"

#include <vector>

#include "core/TextConvert.h"
#include "xml/dom/Attr.h"
#include "xml/dom/Element.h"
#include "xml/dom/Node.h"

namespace wispel {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

std::string linkBase(const TdomNode* element, std::string_view feedURL) {
    static const DOMString kXmlBase = u"xml:base";
    std::vector<const TdomAttr*> bases;
    for (const TdomNode* node = element; node; node = node->parentNode()) {
        if (node->nodeType() != ELEMENT_NODE) continue;
        if (const TdomAttr* base = static_cast<const TdomElement*>(node)->getAttributeNode(kXmlBase)) {
            bases.push_back(base);
        }
    }
    std::string base(feedURL);
    for (auto it = bases.rbegin(); it != bases.rend(); ++it) {
        base = resolveUriReference(base, trimBlanks(toUtf8((*it)->nodeValue())));
    }
    return hasUriScheme(base) ? base : std::string{};
}

std::string resolveItemLink(const TdomNode* element, std::string link, std::string_view feedURL) {
    const std::string_view reference = trimBlanks(link);
    if (reference.empty() || hasUriScheme(reference)) return link;
    const std::string base = linkBase(element, feedURL);
    if (base.empty()) return link;
    return resolveUriReference(base, reference);
}

}  // namespace wispel
