#include "feeds/FeedNamespaces.h"

#include <utility>
#include <vector>

#include "xml/dom/Attr.h"
#include "xml/dom/Document.h"
#include "xml/dom/Element.h"

namespace wispel {

namespace {

struct KnownNamespace {
    std::u16string_view uri;
    FeedNamespace ns;
};
constexpr KnownNamespace kKnownNamespaces[] = {
    {u"http://www.w3.org/2005/Atom", FeedNamespace::Atom},
    {u"http://purl.org/atom/ns#", FeedNamespace::Atom03},
    {u"http://purl.org/rss/1.0/", FeedNamespace::Rss10},
    {u"http://purl.org/dc/elements/1.1/", FeedNamespace::DublinCore},
    {u"http://purl.org/rss/1.0/modules/content/", FeedNamespace::Content},
    {u"http://search.yahoo.com/mrss/", FeedNamespace::Media},
};

constexpr std::u16string_view kXmlns = u"xmlns";

// The prefix an attribute declares ("" for the default namespace), or false when it is no
// declaration.
bool declaredPrefix(const DOMString& attributeName, std::u16string_view& prefix) {
    const std::u16string_view name = attributeName;
    if (name == kXmlns) {
        prefix = {};
        return true;
    }
    if (name.size() > kXmlns.size() + 1 && name.starts_with(kXmlns) &&
        name[kXmlns.size()] == u':') {
        prefix = name.substr(kXmlns.size() + 1);
        return true;
    }
    return false;
}

std::u16string_view prefixOf(const TdomNode* node) {
    const std::u16string_view name = node->nodeName();
    const std::size_t colon = name.find(u':');
    return colon == std::u16string_view::npos ? std::u16string_view{} : name.substr(0, colon);
}

const TdomNodeArray& attributesOf(const TdomNode* element) {
    return static_cast<const TdomElement*>(element)->attributeArray();
}

// The declarations in scope during the pass: per prefix a stack of namespaces, and the
// order they were made in, so that leaving an element undoes its own.
class ScopeStack {
public:
    void enter(const TdomNode* element) {
        const TdomNodeArray& attributes = attributesOf(element);
        for (int i = 0; i < attributes.count(); ++i) {
            const TdomNode* attribute = attributes.at(i);
            std::u16string_view prefix;
            if (!declaredPrefix(attribute->nodeName(), prefix)) continue;
            bindings_[prefix].push_back(feedNamespaceOf(attribute->nodeValue()));
            made_.emplace_back(element, prefix);
        }
    }
    void leave(const TdomNode* element) {
        while (!made_.empty() && made_.back().first == element) {
            bindings_[made_.back().second].pop_back();
            made_.pop_back();
        }
    }
    FeedNamespace of(const TdomNode* element) const {
        if (bindings_.empty()) return FeedNamespace::None;
        const auto found = bindings_.find(prefixOf(element));
        return found == bindings_.end() || found->second.empty() ? FeedNamespace::None
                                                                 : found->second.back();
    }

private:
    std::unordered_map<std::u16string_view, std::vector<FeedNamespace>> bindings_;
    std::vector<std::pair<const TdomNode*, std::u16string_view>> made_;
};

const TdomNode* nextElementSibling(const TdomNode* node) {
    for (node = node->nextSibling(); node; node = node->nextSibling()) {
        if (node->nodeType() == ELEMENT_NODE) return node;
    }
    return nullptr;
}

const TdomNode* firstElementChild(const TdomNode* node) {
    const TdomNode* child = node->firstChild();
    return child && child->nodeType() != ELEMENT_NODE ? nextElementSibling(child) : child;
}

}  // namespace

FeedNamespace feedNamespaceOf(std::u16string_view uri) {
    for (const KnownNamespace& known : kKnownNamespaces) {
        if (uri == known.uri) return known.ns;
    }
    return FeedNamespace::None;
}

std::u16string_view localNameOf(const TdomNode* node) {
    const std::u16string_view name = node->nodeName();
    const std::size_t colon = name.find(u':');
    return colon == std::u16string_view::npos ? name : name.substr(colon + 1);
}

FeedNamespace rootNamespace(const TdomDocument* document) {
    const TdomElement* root = document ? document->documentElement() : nullptr;
    if (!root) return FeedNamespace::None;
    ScopeStack scope;
    scope.enter(root);
    return scope.of(root);
}

TFeedNamespaces::TFeedNamespaces(const TdomDocument* document) {
    const TdomNode* root = document ? document->documentElement() : nullptr;
    ScopeStack scope;
    // Document order over the elements, without recursion.
    for (const TdomNode* node = root; node != nullptr;) {
        scope.enter(node);
        if (const FeedNamespace ns = scope.of(node); ns != FeedNamespace::None) known_[node] = ns;
        if (const TdomNode* child = firstElementChild(node)) {
            node = child;
            continue;
        }
        for (;;) {
            scope.leave(node);
            if (node == root) return;
            if (const TdomNode* sibling = nextElementSibling(node)) {
                node = sibling;
                break;
            }
            node = node->parentNode();
        }
    }
}

FeedNamespace TFeedNamespaces::of(const TdomNode* element) const {
    const auto found = known_.find(element);
    return found == known_.end() ? FeedNamespace::None : found->second;
}

bool TFeedNamespaces::is(const TdomNode* node, FeedNamespace ns,
                         std::u16string_view localName) const {
    return node->nodeType() == ELEMENT_NODE && localNameOf(node) == localName && of(node) == ns;
}

}  // namespace wispel
