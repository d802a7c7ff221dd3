#pragma once
// Atom 1.0 feeds, read beside the RSS / RDF walk: a document whose root element is `feed`
// in the Atom namespace gives one item per `entry` child of the root. Title: the entry's
// `title`; link: the `href` of its first `link` whose `rel` is "alternate" or absent,
// resolved like every item link; description: its `summary`, else its `content`. Text
// constructs of type "html" and "xhtml" are reduced to their text; all three are trimmed
// of the white space around them. Namespaces are followed through their declarations, so
// that a prefixed Atom document ("atom:entry") reads the same.

#include <string_view>

#include "feeds/FieldText.h"
#include "feeds/ItemModel.h"

namespace wispel {

class TdomDocument;

// True when `document` is an Atom feed.
bool IsAtomFeed(const TdomDocument* document);

// Appends one item per entry of the Atom feed `document` to `items`. Relative links resolve
// against `feedURL` (empty: no address known). Texts come from `fields`.
void ReadAtomEntries(const TdomDocument* document, std::string_view feedURL,
                     TFieldTextReader& fields, TRSSListedItemCollection& items);

}  // namespace wispel
