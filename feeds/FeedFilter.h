#pragma once
// The node filter of the feed walk: it shows the item elements, the title, link and
// description elements directly inside them, and whatever lies directly inside such field
// elements; image blocks are hidden with their whole content.

#include "core/TextConvert.h"
#include "feeds/ItemModel.h"
#include "xml/dom/traversal/NodeFilter.h"

namespace wispel {

class TRSSFilter : public TdomNodeFilter {
public:
    TdomFilterResult acceptNode(TdomNode* node) override;
};

// ClassifyElement of a DOM name, without converting it to 8-bit text.
ElementKind classifyNodeName(const DOMString& name);

}  // namespace wispel
