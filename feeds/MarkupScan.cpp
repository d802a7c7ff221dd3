#include "feeds/MarkupScan.h"

#include "core/Exception.h"
#include "xml/chars/XmlChars.h"

namespace wispel {

std::size_t markupAfter(std::u16string_view text, std::u16string_view terminator,
                        std::size_t from) {
    const std::size_t at = text.find(terminator, from);
    return at == std::u16string_view::npos ? text.size() : at + terminator.size();
}

std::size_t tagEnd(std::u16string_view text, std::size_t from) {
    char16_t quote = 0;
    for (std::size_t i = from + 1; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (quote) {
            if (unit == quote) quote = 0;
        } else if (unit == u'"' || unit == u'\'') {
            quote = unit;
        } else if (unit == u'>') {
            return i + 1;
        }
    }
    return text.size();
}

std::size_t referenceEnd(std::u16string_view text, std::size_t from) {
    std::size_t i = from + 1;
    if (i < text.size() && text[i] == u'#') ++i;
    const std::size_t nameStart = i;
    while (i < text.size() && (isXmlNameChar(text[i]) || text[i] == u'_' || text[i] == u':')) {
        ++i;
    }
    if (i == nameStart || i == text.size() || text[i] != u';') return 0;
    return i + 1;
}

DOMString characterReferenceText(std::u16string_view reference) {
    try {
        return validCharRef(reference);
    } catch (const EConvertError&) {
        return DOMString(reference);
    }
}

bool startsTag(std::u16string_view rest) {
    return rest.size() > 1 && rest[0] == u'<' &&
           (rest[1] == u'/' || isXmlLetter(rest[1]) || rest[1] == u'_' || rest[1] == u':');
}

}  // namespace wispel
