#include "feeds/HtmlText.h"

#include "feeds/HtmlEntities.h"
#include "feeds/MarkupScan.h"

namespace wispel {

namespace {

// Appends the text of a reference ("&...;"), or the reference itself.
void appendReferenceText(std::u16string_view reference, DOMString& out) {
    const std::u16string_view name = reference.substr(1, reference.size() - 2);
    if (name.starts_with(u"#")) {
        out += characterReferenceText(reference);
        return;
    }
    const std::u16string_view text = htmlEntityText(name);
    out += text.empty() ? reference : text;
}

}  // namespace

void appendHtmlText(std::u16string_view html, DOMString& out) {
    std::size_t i = 0;
    while (i < html.size()) {
        const std::size_t special = html.find_first_of(u"<&", i);
        if (special == std::u16string_view::npos) {
            out += html.substr(i);
            break;
        }
        out += html.substr(i, special - i);
        i = special;
        const std::u16string_view rest = html.substr(i);
        if (rest.starts_with(u"<!--")) {
            i = markupAfter(html, u"-->", i + 4);
        } else if (startsTag(rest) || rest.starts_with(u"<!") || rest.starts_with(u"<?")) {
            i = tagEnd(html, i);
        } else if (const std::size_t end = referenceEnd(html, i); end != 0) {
            appendReferenceText(html.substr(i, end - i), out);
            i = end;
        } else {
            out += html[i++];
        }
    }
}

}  // namespace wispel
