#include "xml/reader/DeclarationText.h"

#include "xml/chars/XmlChars.h"

namespace wispel {

void skipBlank(std::u16string_view text, std::size_t& pos) {
    while (pos < text.size() && xmlBlank(text[pos])) ++pos;
}

bool readLiteral(std::u16string_view text, std::size_t& pos, DOMString& value) {
    if (pos >= text.size() || (text[pos] != u'"' && text[pos] != u'\'')) return false;
    const std::size_t close = text.find(text[pos], pos + 1);
    if (close == std::u16string_view::npos) return false;
    if (close + 1 < text.size() && !xmlBlank(text[close + 1])) return false;
    value.assign(text.substr(pos + 1, close - pos - 1));
    pos = close + 1;
    return true;
}

bool validPubidLiteral(std::u16string_view value) {
    for (char16_t unit : value) {
        if (!validPubidChar(unit)) return false;
    }
    return true;
}

namespace {

bool readKeyword(std::u16string_view text, std::size_t& pos, std::u16string_view keyword) {
    if (text.substr(pos, keyword.size()) != keyword) return false;
    const std::size_t after = pos + keyword.size();
    if (after >= text.size() || !xmlBlank(text[after])) return false;
    pos = after;
    skipBlank(text, pos);
    return true;
}

}  // namespace

bool readExternalId(std::u16string_view text, std::size_t& pos, TExternalId& id,
                    bool systemOptional) {
    std::size_t at = pos;
    if (readKeyword(text, at, u"SYSTEM")) {
        if (!readLiteral(text, at, id.systemId)) return false;
        pos = at;
        return true;
    }
    if (!readKeyword(text, at, u"PUBLIC")) return false;
    if (!readLiteral(text, at, id.publicId) || !validPubidLiteral(id.publicId)) return false;
    std::size_t afterPublic = at;
    skipBlank(text, at);
    if (systemOptional && (at >= text.size() || (text[at] != u'"' && text[at] != u'\''))) {
        pos = afterPublic;
        return true;
    }
    if (!readLiteral(text, at, id.systemId)) return false;
    pos = at;
    return true;
}

}  // namespace wispel
