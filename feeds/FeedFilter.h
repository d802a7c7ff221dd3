#pragma once
// The node filter of the feed walk: it shows the item elements, the title, link and
// description elements directly inside them, and whatever lies directly inside such field
// elements; image blocks are hidden with their whole content. Elements of the RSS 1.0
// namespace count by their local name whatever their prefix ("rss:item" is an item); every
// other name counts as written, prefix included.

#include "core/TextConvert.h"
#include "feeds/FeedNamespaces.h"
#include "feeds/ItemModel.h"
#include "xml/dom/traversal/NodeFilter.h"

namespace wispel {

class TRSSFilter : public TdomNodeFilter {
public:
    // Without namespaces (null) every name counts as written.
    explicit TRSSFilter(const TFeedNamespaces* namespaces = nullptr) : namespaces_(namespaces) {}
    TdomFilterResult acceptNode(TdomNode* node) override;

private:
    const TFeedNamespaces* namespaces_;  // not owned; may be null
};

// The name of `node` as the walk compares it: without its prefix for an element of the RSS
// 1.0 namespace, as written otherwise.
std::u16string_view rssNodeName(const TdomNode* node, const TFeedNamespaces* namespaces);

// ClassifyElement of a DOM name, without converting it to 8-bit text.
ElementKind classifyNodeName(std::u16string_view name);

}  // namespace wispel
