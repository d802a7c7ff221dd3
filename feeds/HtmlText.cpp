#include "feeds/HtmlText.h"

#include <algorithm>
#include <array>

#include "feeds/HtmlEntities.h"
#include "feeds/MarkupScan.h"
#include "xml/chars/XmlChars.h"

namespace wispel {

namespace {

// The elements that start or end a block or a line, sorted: the text on either side of
// their tags belongs to different lines and must not run together.
constexpr std::array<std::u16string_view, 31> kBlockElements = {
    u"address", u"article",    u"aside",   u"blockquote", u"br", u"dd",   u"div", u"dl",
    u"dt",      u"figcaption", u"figure",  u"footer",     u"h1", u"h2",   u"h3",  u"h4",
    u"h5",      u"h6",         u"header",  u"hr",         u"li", u"main", u"nav", u"ol",
    u"p",       u"pre",        u"section", u"table",      u"td", u"th",   u"tr",
};
static_assert(std::is_sorted(kBlockElements.begin(), kBlockElements.end()));

}  // namespace

bool isHtmlBlockName(std::u16string_view name) {
    return std::binary_search(kBlockElements.begin(), kBlockElements.end(), name);
}

void appendBlockSeparator(DOMString& out) {
    if (!out.empty() && !xmlBlank(out.back())) out += u' ';
}

namespace {

// True for a start or end tag ("<p class='x'>", "</li>", "<br/>") of a block element.
bool separatesText(std::u16string_view tag) {
    std::size_t at = tag.size() > 1 && tag[1] == u'/' ? 2 : 1;
    DOMString name;
    for (; at < tag.size() && name.size() < 16; ++at) {
        char16_t unit = tag[at];
        if (unit >= u'A' && unit <= u'Z') unit = static_cast<char16_t>(unit - u'A' + u'a');
        if (!((unit >= u'a' && unit <= u'z') || (unit >= u'0' && unit <= u'9'))) break;
        name += unit;
    }
    return isHtmlBlockName(name);
}

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
        } else if (startsTag(rest)) {
            const std::size_t end = tagEnd(html, i);
            if (separatesText(html.substr(i, end - i))) appendBlockSeparator(out);
            i = end;
        } else if (rest.starts_with(u"<!") || rest.starts_with(u"<?")) {
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
