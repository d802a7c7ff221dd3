#pragma once
// The fields of an RSS or RDF item beyond the title, link and description the item walk
// reads, taken from the item's child elements:
// - key: the RSS `guid`, trimmed;
// - date: `pubDate`, else Dublin Core's `date`, the first of them that reads as a date;
// - author: `author`, else Dublin Core's `creator`, trimmed;
// - full text: the content module's `encoded`, as written;
// and stand-ins where the walk found nothing: a `guid` that is a permalink (`isPermaLink`
// absent or "true") and an absolute http or https address is the link of an item without
// one; Dublin Core's `title`, else Media RSS's `title`, is the title of an item without one.
// RSS's own names count without a prefix, as the walk's do; the others by their namespace.

#include <string_view>

#include "feeds/FeedNamespaces.h"
#include "feeds/FieldText.h"
#include "feeds/ItemModel.h"

namespace wispel {

void readRssItemFields(const TdomNode* itemElement, const TFeedNamespaces& namespaces,
                       TFieldTextReader& fields, TRSSListedItem& item);

}  // namespace wispel
