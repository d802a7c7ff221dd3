#pragma once
// What an item's title shows. Feeds often write a title as HTML (escaped, or in a CDATA
// section), and some give none at all; a person still needs a line to read and to click.

#include <cstddef>
#include <string>
#include <string_view>

#include "feeds/ItemModel.h"

namespace wispel {

// The longest start of a description that stands in for a missing title, in UTF-16 units.
inline constexpr std::size_t kTitleFromDescriptionUnits = 80;

// True when `text` holds HTML markup: a tag or a comment. A "<" of anything else (as in
// "1 < 2") is text, and so is a reference without a tag around it: a reference the feed's
// own DTD declares, and could not expand, stays as written.
bool holdsMarkup(std::u16string_view text);

// A title as the feed wrote it: text holding markup is reduced to its text (references
// included) and trimmed, as for Atom's "html" titles; any other text stays as it is.
std::string titleText(std::u16string_view title);

// An item whose title is empty or blank gets one: the start of its description's text (its
// blanks folded into single spaces, cut at a word with "…"), else its link, else
// "(untitled)".
void completeItemTitle(TRSSListedItem& item);

}  // namespace wispel
