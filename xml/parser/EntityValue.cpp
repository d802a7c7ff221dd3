#include "xml/parser/EntityValue.h"

#include <vector>

#include "core/Exception.h"
#include "xml/chars/XmlChars.h"
#include "xml/errors/ParserErrors.h"

namespace wispel {

namespace {

// The position of the ";" that ends the reference starting at `pos`, or npos.
std::size_t referenceEnd(std::u16string_view text, std::size_t pos) {
    return text.find(u';', pos + 1);
}

bool isDigits(std::u16string_view digits, bool hex) {
    if (digits.empty()) return false;
    for (char16_t unit : digits) {
        const bool decimal = unit >= u'0' && unit <= u'9';
        const bool letter = (unit >= u'a' && unit <= u'f') || (unit >= u'A' && unit <= u'F');
        if (!decimal && !(hex && letter)) return false;
    }
    return true;
}

// "&#digits;" or "&#xhex;" from "&" to ";" inclusive.
bool isCharacterReference(std::u16string_view reference) {
    if (reference.size() < 4 || reference[1] != u'#') return false;
    const std::u16string_view body = reference.substr(2, reference.size() - 3);
    if (!body.empty() && body[0] == u'x') return isDigits(body.substr(1), true);
    return isDigits(body, false);
}

bool checkUnits(std::u16string_view value) {
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char16_t unit = value[i];
        if (!validXmlChar(unit)) return false;
        if (isHighSurrogate(unit)) {
            if (i + 1 >= value.size() || !isLowSurrogate(value[i + 1])) return false;
            ++i;
        } else if (isLowSurrogate(unit)) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool validEntityValue(std::u16string_view value) {
    const bool hasDouble = value.find(u'"') != std::u16string_view::npos;
    const bool hasSingle = value.find(u'\'') != std::u16string_view::npos;
    if ((hasDouble && hasSingle) || !checkUnits(value)) return false;
    for (std::size_t pos = 0; pos < value.size(); ++pos) {
        if (value[pos] != u'&' && value[pos] != u'%') continue;
        const std::size_t end = referenceEnd(value, pos);
        if (end == std::u16string_view::npos) return false;
        const std::u16string_view reference = value.substr(pos, end - pos + 1);
        const std::u16string_view name = reference.substr(1, reference.size() - 2);
        const bool valid =
            validName(name) || (value[pos] == u'&' && isCharacterReference(reference));
        if (!valid) return false;
        pos = end;
    }
    return true;
}

DOMString resolveEntityValue(std::u16string_view value, const TParameterTextLookup* lookup,
                             const char* message) {
    auto fail = [message] { throw EParserInvalidEntityDeclaration_Err(message); };
    if (!checkUnits(value)) fail();
    DOMString text;
    text.reserve(value.size());
    for (std::size_t pos = 0; pos < value.size(); ++pos) {
        const char16_t unit = value[pos];
        const bool parameter = unit == u'%' && lookup != nullptr;
        if (unit != u'&' && !parameter) {
            text += unit;
            continue;
        }
        const std::size_t end = referenceEnd(value, pos);
        if (end == std::u16string_view::npos) fail();
        const std::u16string_view reference = value.substr(pos, end - pos + 1);
        const DOMString name(reference.substr(1, reference.size() - 2));
        if (unit == u'&' && isCharacterReference(reference)) {
            try {
                text += validCharRef(reference);
            } catch (const EConvertError&) {
                fail();
            }
        } else if (!validName(name)) {
            fail();
        } else if (const DOMString* replacement = parameter ? (*lookup)(name) : nullptr) {
            text += *replacement;
        } else {
            text.append(reference);
        }
        if (text.size() > kMaxEntityTextUnits) fail();
        pos = end;
    }
    return text;
}

std::vector<DOMString> entityReferenceNames(std::u16string_view text) {
    std::vector<DOMString> names;
    for (std::size_t pos = text.find(u'&'); pos != std::u16string_view::npos;
         pos = text.find(u'&', pos + 1)) {
        const std::size_t end = referenceEnd(text, pos);
        if (end == std::u16string_view::npos) break;
        if (text[pos + 1] != u'#') names.emplace_back(text.substr(pos + 1, end - pos - 1));
        pos = end;
    }
    return names;
}

}  // namespace wispel
