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
bool isFieldName(const DOMString& name, std::string_view lowerName) {
    if (name.size() != lowerName.size()) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        char16_t unit = name[i];
        if (unit >= u'A' && unit <= u'Z') unit = static_cast<char16_t>(unit + (u'a' - u'A'));
        if (unit != static_cast<char16_t>(lowerName[i])) return false;
    }
    return true;
}

}  // namespace

ElementKind ClassifyNodeName(const DOMString& name) {
    if (isFieldName(name, "title")) return ElementKind::Title;
    if (isFieldName(name, "link")) return ElementKind::Link;
    if (isFieldName(name, "description")) return ElementKind::Description;
    if (isFieldName(name, "item")) return ElementKind::Item;
    return ElementKind::None;
}

TdomFilterResult TRSSFilter::acceptNode(TdomNode* node) {
    const DOMString& name = node->nodeName();
    if (name == u"image") return FILTER_REJECT;
    if (name == u"item") return FILTER_ACCEPT;
    const TdomNode* parent = node->parentNode();
    if (!parent) return FILTER_SKIP;
    const DOMString& parentName = parent->nodeName();
    if (parentName == u"item" && (name == u"title" || name == u"link" || name == u"description")) {
        return FILTER_ACCEPT;
    }
    return isFieldKind(ClassifyNodeName(parentName)) ? FILTER_ACCEPT : FILTER_SKIP;
}

}  // namespace wispel
