#include "feeds/LinkResolution.h"

#include <vector>

#include "core/TextConvert.h"
#include "core/TextTrim.h"
#include "feeds/AttributeText.h"
#include "xml/dom/Attr.h"
#include "xml/dom/Element.h"
#include "xml/dom/Node.h"

namespace wispel {

std::string linkBase(const TdomNode* element, std::string_view feedURL) {
    static const DOMString kXmlBase = u"xml:base";
    std::vector<const TdomElement*> bases;
    for (const TdomNode* node = element; node; node = node->parentNode()) {
        if (node->nodeType() != ELEMENT_NODE) continue;
        const auto* withBase = static_cast<const TdomElement*>(node);
        if (withBase->getAttributeNode(kXmlBase)) bases.push_back(withBase);
    }
    std::string base(feedURL);
    for (auto it = bases.rbegin(); it != bases.rend(); ++it) {
        base = resolveUriReference(base, trimXmlBlanks(toUtf8(attributeText(*it, kXmlBase))));
    }
    return hasUriScheme(base) ? base : std::string{};
}

std::string resolveItemLink(const TdomNode* element, std::string link, std::string_view feedURL) {
    const std::string_view reference = trimXmlBlanks(link);
    if (reference.empty() || hasUriScheme(reference)) return link;
    const std::string base = linkBase(element, feedURL);
    if (base.empty()) return link;
    return resolveUriReference(base, reference);
}

}  // namespace wispel
