#include "feeds/ItemTitle.h"

#include "core/TextConvert.h"
#include "core/TextTrim.h"
#include "feeds/HtmlText.h"
#include "feeds/MarkupScan.h"  // startsTag
#include "xml/chars/XmlChars.h"

namespace wispel {

namespace {

// `text` as HTML's text when it holds markup, as it is otherwise.
DOMString plainText(std::u16string_view text) {
    if (!holdsMarkup(text)) return DOMString(text);
    DOMString plain;
    appendHtmlText(text, plain);
    return plain;
}

// Runs of blanks (line breaks too) become one space; none stays at either end.
DOMString foldBlanks(std::u16string_view text) {
    DOMString folded;
    for (char16_t unit : trimXmlBlanks(text)) {
        if (!xmlBlank(unit)) {
            folded += unit;
        } else if (folded.back() != u' ') {
            folded += u' ';
        }
    }
    return folded;
}

// The first `units` of `text`, cut after a word where one ends in the second half, and never
// between the two halves of a surrogate pair.
DOMString startOf(DOMString text, std::size_t units) {
    if (text.size() <= units) return text;
    std::size_t cut = units;
    if (const std::size_t space = text.rfind(u' ', units); space != DOMString::npos &&
                                                          space > units / 2) {
        cut = space;
    } else if (text[cut - 1] >= 0xD800 && text[cut - 1] <= 0xDBFF) {
        --cut;
    }
    text.resize(cut);
    return text + u"\u2026";
}

}  // namespace

bool holdsMarkup(std::u16string_view text) {
    for (std::size_t at = text.find(u'<'); at != std::u16string_view::npos;
         at = text.find(u'<', at + 1)) {
        const std::u16string_view rest = text.substr(at);
        if (startsTag(rest) || rest.starts_with(u"<!--")) return true;
    }
    return false;
}

std::string titleText(std::u16string_view title) {
    if (!holdsMarkup(title)) return toUtf8(title);
    return toUtf8(trimXmlBlanks(plainText(title)));
}

void completeItemTitle(TRSSListedItem& item) {
    if (!trimXmlBlanks(item.Title).empty()) return;
    const DOMString description = foldBlanks(plainText(fromUtf8(item.Description)));
    if (!description.empty()) {
        item.Title = toUtf8(startOf(description, kTitleFromDescriptionUnits));
    } else if (!trimXmlBlanks(item.Link).empty()) {
        item.Title = trimXmlBlanks(item.Link);
    } else {
        item.Title = "(untitled)";
    }
}

}  // namespace wispel
