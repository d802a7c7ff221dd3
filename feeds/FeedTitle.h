#pragma once
// The title a feed gives itself, as the window shows it beside the name the user chose: the
// `title` of the channel (RSS 0.9x and 2.0, RDF) or of the Atom `feed` element.

#include <string>

namespace wispel {

class TdomDocument;

// The feed's own title as UTF-8 text without the blanks around it (an Atom "html" title
// reduced to its text); empty when the document has none, and for a null document.
std::string FeedTitle(const TdomDocument* document);

}  // namespace wispel
