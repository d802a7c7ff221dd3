#include "feeds/EntityExpander.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "core/Exception.h"
#include "xml/chars/XmlChars.h"
#include "xml/dom/EntityReference.h"

namespace wispel {

namespace {

constexpr std::u16string_view kCDataStart = u"<![CDATA[";

// The position just after `terminator` at or after `from`, or the text's end.
std::size_t after(std::u16string_view text, std::u16string_view terminator, std::size_t from) {
    const std::size_t at = text.find(terminator, from);
    return at == std::u16string_view::npos ? text.size() : at + terminator.size();
}

// The end of a tag starting at `from` ("<"), quoted attribute values passed over.
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

// The position after the ";" of a reference starting at `from` ("&"), or 0 when no name or
// character number runs up to a ";" there.
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

}  // namespace

TEntityExpander::TEntityExpander(Lookup lookup, std::size_t budget)
    : lookup_(std::move(lookup)),
      remaining_(budget),
      readingLeft_(budget > SIZE_MAX / kReadPerProduced ? SIZE_MAX : budget * kReadPerProduced) {}

void TEntityExpander::appendReference(std::u16string_view name, DOMString& out) {
    const DOMString predefined = predefinedEntityText(DOMString(name));
    if (!predefined.empty()) {
        out += predefined;
        return;
    }
    const DOMString* text = remaining_ > 0 && lookup_ ? lookup_(name) : nullptr;
    if (!text) {
        out.append(u"&").append(name).append(u";");
        return;
    }
    expand(*text, out, 1);
}

bool TEntityExpander::charge(std::size_t units) {
    if (units > remaining_) {
        remaining_ = 0;
        return false;
    }
    remaining_ -= units;
    return true;
}

// Once the reading bound is reached nothing more is expanded at all.
bool TEntityExpander::chargeReading(std::size_t units) {
    if (units > readingLeft_) {
        readingLeft_ = remaining_ = 0;
        return false;
    }
    readingLeft_ -= units;
    return true;
}

void TEntityExpander::appendCharged(std::u16string_view text, DOMString& out) {
    const std::size_t room = std::min(text.size(), remaining_);
    out.append(text.substr(0, room));
    remaining_ -= room;
}

// Reads `text` as content. Replacement texts were checked when the DTD was read, but an
// unusable one may still hold stray markup characters; they are then taken as text.
void TEntityExpander::expand(std::u16string_view text, DOMString& out, int depth) {
    // The one unit more makes even an empty text cost something.
    if (!chargeReading(text.size() + 1)) return;
    std::size_t i = 0;
    while (i < text.size() && remaining_ > 0) {
        const std::size_t special = text.find_first_of(u"<&", i);
        if (special != i) {
            appendCharged(
                text.substr(i, special == std::u16string_view::npos ? text.npos : special - i),
                out);
            if (special == std::u16string_view::npos) return;
            i = special;
            continue;
        }
        const std::u16string_view rest = text.substr(i);
        if (rest.starts_with(kCDataStart)) {
            const std::size_t start = i + kCDataStart.size();
            const std::size_t end = text.find(u"]]>", start);
            appendCharged(text.substr(start, end == text.npos ? text.npos : end - start), out);
            i = end == text.npos ? text.size() : end + 3;
        } else if (rest.starts_with(u"<!--")) {
            i = after(text, u"-->", i + 4);
        } else if (rest.starts_with(u"<?")) {
            i = after(text, u"?>", i + 2);
        } else if (rest.starts_with(u"<") && rest.size() > 1 &&
                   (rest[1] == u'/' || isXmlLetter(rest[1]) || rest[1] == u'_' ||
                    rest[1] == u':')) {
            i = tagEnd(text, i);
        } else if (std::size_t end = referenceEnd(text, i); end != 0) {
            expandReference(text.substr(i + 1, end - i - 2), out, depth);
            i = end;
        } else {
            appendCharged(rest.substr(0, 1), out);
            ++i;
        }
    }
}

void TEntityExpander::expandReference(std::u16string_view name, DOMString& out, int depth) {
    if (name.starts_with(u"#")) {
        DOMString reference = u"&";
        reference.append(name).append(u";");
        try {
            appendCharged(validCharRef(reference), out);
        } catch (const EConvertError&) {
            appendCharged(reference, out);
        }
        return;
    }
    const DOMString predefined = predefinedEntityText(DOMString(name));
    if (!predefined.empty()) {
        if (charge(predefined.size())) out += predefined;
        return;
    }
    const DOMString* text = depth < kMaxDepth && lookup_ ? lookup_(name) : nullptr;
    if (text) {
        expand(*text, out, depth + 1);
    } else {
        DOMString reference = u"&";
        reference.append(name).append(u";");
        appendCharged(reference, out);
    }
}

}  // namespace wispel
