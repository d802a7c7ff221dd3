#include "feeds/RSSFilter.h"

#include "xml/dom/Node.h"

namespace wispel {

namespace {

constexpr std::size_t kLongestFieldName = 11;  // "description"

bool isFieldKind(ElementKind kind) {
    return kind == ElementKind::Title || kind == ElementKind::Link ||
           kind == ElementKind::Description;
}

}  // namespace

ElementKind ClassifyNodeName(const DOMString& name) {
    // A UTF-8 form is never shorter than its UTF-16 form: longer names need no conversion.
    if (name.size() > kLongestFieldName) return ElementKind::None;
    return ClassifyElement(toUtf8(name));
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
