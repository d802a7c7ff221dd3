#pragma once
// Atom feeds, read beside the RSS / RDF walk: a document whose root element is `feed` in
// the Atom 1.0 or Atom 0.3 namespace gives one item per `entry` child of the root, whatever
// prefix the feed gives them.
// - title: the entry's `title`;
// - link: the `href` of its first `link` whose `rel` is "alternate" or absent, resolved
//   like every item link;
// - description: its `summary`, else its `content`;
// - key: its `id`, trimmed;
// - date: Atom 1.0's `published`, else `updated`; Atom 0.3's `issued`, else `created`,
//   else `modified`: the first of them that reads as a date;
// - author: the `name` inside its `author`, trimmed.
// Texts follow the rules of text constructs (AtomText.h).

#include <string_view>

#include "feeds/FeedNamespaces.h"
#include "feeds/FieldText.h"
#include "feeds/ItemModel.h"

namespace wispel {

class TdomDocument;

// True when `document` is an Atom feed of either version.
bool IsAtomFeed(const TdomDocument* document);

// Appends one item per entry of the Atom feed `document` to `items`. Relative links resolve
// against `feedURL` (empty: no address known). Texts come from `fields`.
void ReadAtomEntries(const TdomDocument* document, const TFeedNamespaces& namespaces,
                     std::string_view feedURL, TFieldTextReader& fields,
                     TRSSListedItemCollection& items);

}  // namespace wispel
