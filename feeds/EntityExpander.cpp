#include "feeds/EntityExpander.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "core/Exception.h"
#include "feeds/HtmlEntities.h"
#include "feeds/MarkupScan.h"
#include "xml/chars/XmlChars.h"
#include "xml/dom/EntityReference.h"

namespace wispel {

namespace {

constexpr std::u16string_view kCDataStart = u"<![CDATA[";

}  // namespace

TEntityExpander::TEntityExpander(Lookup lookup, std::size_t budget)
    : TEntityExpander(std::move(lookup), Declared{}, budget) {}

TEntityExpander::TEntityExpander(Lookup lookup, Declared declared, std::size_t budget)
    : lookup_(std::move(lookup)),
      declared_(std::move(declared)),
      remaining_(budget),
      readingLeft_(budget > SIZE_MAX / kReadPerProduced ? SIZE_MAX : budget * kReadPerProduced) {}

std::u16string_view TEntityExpander::htmlText(std::u16string_view name) const {
    if (!declared_) return {};
    const std::u16string_view text = htmlEntityText(name);
    return text.empty() || declared_(name) ? std::u16string_view{} : text;
}

void TEntityExpander::appendReference(std::u16string_view name, DOMString& out) {
    if (const std::u16string_view predefined = predefinedEntityText(name); !predefined.empty()) {
        out += predefined;
        return;
    }
    const DOMString* text = remaining_ > 0 && lookup_ ? lookup_(name) : nullptr;
    if (!text) {
        const std::u16string_view html = htmlText(name);
        if (!html.empty()) {
            appendCharged(html, out);
        } else {
            out.append(u"&").append(name).append(u";");
        }
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
            i = markupAfter(text, u"-->", i + 4);
        } else if (rest.starts_with(u"<?")) {
            i = markupAfter(text, u"?>", i + 2);
        } else if (startsTag(rest)) {
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
        appendCharged(characterReferenceText(reference), out);
        return;
    }
    if (const std::u16string_view predefined = predefinedEntityText(name); !predefined.empty()) {
        if (charge(predefined.size())) out += predefined;
        return;
    }
    const DOMString* text = depth < kMaxDepth && lookup_ ? lookup_(name) : nullptr;
    if (text) {
        expand(*text, out, depth + 1);
    } else if (const std::u16string_view html = htmlText(name); !html.empty()) {
        appendCharged(html, out);
    } else {
        DOMString reference = u"&";
        reference.append(name).append(u";");
        appendCharged(reference, out);
    }
}

}  // namespace wispel
