#pragma once
// The text of an Atom text construct (title, summary) or content element, trimmed of the
// blanks around it, by the rules of either Atom version.
//
// Atom 1.0, by `type`: absent or "text" is text; "html" is escaped HTML, reduced to its
// text; "xhtml" and XML media types ("application/xhtml+xml", "...+xml", ".../xml") are
// markup of their own, whose text is read with a space where a block starts or ends;
// "text/html" is escaped HTML and any other "text/..." text; any other media type is Base64,
// whose bytes are the text when they are UTF-8 text and give nothing otherwise (a picture
// has no text to show).
//
// Atom 0.3, by `type` (default "text/plain") and `mode` (default "xml"): "escaped" is the
// text as written, "base64" the text its Base64 gives, "xml" markup of its own; HTML and
// XHTML types make the text HTML, reduced to its text.

#include <string>

#include "feeds/FieldText.h"

namespace wispel {

class TdomElement;

class TAtomTexts {
public:
    // `atom03`: the document is an Atom 0.3 feed.
    TAtomTexts(TFieldTextReader& fields, bool atom03) : fields_(fields), atom03_(atom03) {}

    std::string text(const TdomElement* element);

private:
    std::string atom10Text(const TdomElement* element, const DOMString& type);
    std::string atom03Text(const TdomElement* element, const DOMString& type);
    std::string plain(const TdomElement* element);
    std::string markup(const TdomElement* element);
    std::string html(std::u16string_view text);
    // The text of Base64 content; `isHtml` when the bytes are HTML.
    std::string decoded(const TdomElement* element, bool isHtml, bool mustBeText);

    TFieldTextReader& fields_;
    bool atom03_;
    DOMString html_;  // the last HTML construct's text, kept for its capacity
};

}  // namespace wispel
