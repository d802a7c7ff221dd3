#include "feeds/FeedFilter.h"

#include "xml/dom/Node.h"

namespace wispel {

namespace {

bool isFieldKind(ElementKind kind) {
    return kind == ElementKind::Title || kind == ElementKind::Link ||
           kind == ElementKind::Description;
}

// The four names are ASCII and ClassifyElement matches only names of their byte length, so
// a name with any other character is None, and for ASCII names folding A-Z is the whole
// locale's folding. This runs for every node the walk looks at, without converting names.
bool isFieldName(std::u16string_view name, std::string_view lowerName) {
    if (name.size() != lowerName.size()) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        char16_t unit = name[i];
        if (unit >= u'A' && unit <= u'Z') unit = static_cast<char16_t>(unit + (u'a' - u'A'));
        if (unit != static_cast<char16_t>(lowerName[i])) return false;
    }
    return true;
}

}  // namespace

std::u16string_view rssNodeName(const TdomNode* node, const TFeedNamespaces* namespaces) {
    const std::u16string_view name = node->nodeName();
    // Only a prefixed element can need the lookup: an unprefixed one counts as written.
    if (!namespaces || name.find(u':') == std::u16string_view::npos ||
        namespaces->of(node) != FeedNamespace::Rss10) {
        return name;
    }
    return localNameOf(node);
}

ElementKind classifyNodeName(std::u16string_view name) {
    for (const TElementName& known : kElementNames) {
        if (isFieldName(name, known.name)) return known.kind;
    }
    return ElementKind::None;
}

TdomFilterResult TRSSFilter::acceptNode(TdomNode* node) {
    const std::u16string_view name = rssNodeName(node, namespaces_);
    if (name == u"image") return FILTER_REJECT;
    if (name == u"item") return FILTER_ACCEPT;
    const TdomNode* parent = node->parentNode();
    if (!parent) return FILTER_SKIP;
    const std::u16string_view parentName = rssNodeName(parent, namespaces_);
    if (parentName == u"item" && (name == u"title" || name == u"link" || name == u"description")) {
        return FILTER_ACCEPT;
    }
    return isFieldKind(classifyNodeName(parentName)) ? FILTER_ACCEPT : FILTER_SKIP;
}

}  // namespace wispel
