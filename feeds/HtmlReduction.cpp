#include "feeds/HtmlReduction.h"

#include <algorithm>
#include <vector>

#include "core/TextConvert.h"
#include "feeds/HtmlEntities.h"
#include "feeds/HtmlText.h"
#include "feeds/MarkupScan.h"  // characterReferenceText

namespace wispel {

namespace {

// Longer names are no element or reference this reduction knows.
constexpr std::size_t kMaxName = 16;
constexpr std::size_t kMaxReferenceName = 40;

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }
char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameAscii(std::string_view a, std::string_view lowerB) {
    if (a.size() != lowerB.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lowerB[i]) return false;
    }
    return true;
}

constexpr std::string_view kKeptElements[] = {
    "a",  "b",  "blockquote", "br",    "code", "em",    "h1", "h2",  "h3",
    "h4", "h5", "h6",         "i",     "li",   "ol",    "p",  "pre", "strong",
    "table", "tbody", "td",   "tfoot", "th",   "thead", "tr", "u",   "ul",
};

constexpr std::string_view kDroppedElements[] = {
    "embed", "head", "iframe", "math", "object", "script", "style", "svg", "template", "title",
};

bool isKept(std::string_view name) {
    return std::find(std::begin(kKeptElements), std::end(kKeptElements), name) !=
           std::end(kKeptElements);
}

bool isDropped(std::string_view name) {
    return std::find(std::begin(kDroppedElements), std::end(kDroppedElements), name) !=
           std::end(kDroppedElements);
}

bool isBlock(std::string_view name) {
    const DOMString units(name.begin(), name.end());
    return isHtmlBlockName(units) || name == "section" || name == "article";
}

// An element that another of its kind, opened inside the same container, closes first.
bool closesItsKind(std::string_view name) {
    return name == "p" || name == "li" || name == "tr" || name == "td" || name == "th" ||
           name == "a";
}

bool isContainerOf(std::string_view container, std::string_view name) {
    if (name == "li") return container == "ul" || container == "ol";
    if (name == "tr") return container == "table" || container == "tbody" ||
                             container == "thead" || container == "tfoot";
    if (name == "td" || name == "th") return container == "tr" || container == "table";
    return container == "blockquote" || container == "td" || container == "th" ||
           container == "li";
}

struct Tag {
    std::string name;  // lower case; empty for no tag this reduction knows
    bool closing = false;
    bool selfClosing = false;
    std::string href;  // the raw value of an href attribute
    std::string alt;   // the raw value of an alt attribute
    bool hasAlt = false;
};

void appendEscaped(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default:
                // Control characters have no place in a view's text; tabs and line ends stay.
                if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n' || c == '\r') {
                    out += c;
                }
        }
    }
}

// The end of a reference at `at` ("&"), and its characters; 0 when none is there.
std::size_t readReference(std::string_view text, std::size_t at, std::string& characters) {
    std::size_t i = at + 1;
    const bool numeric = i < text.size() && text[i] == '#';
    if (numeric) ++i;
    const std::size_t start = i;
    while (i < text.size() && i - start <= kMaxReferenceName &&
           (isAsciiLetter(text[i]) || isAsciiDigit(text[i]))) {
        ++i;
    }
    if (i == start || i >= text.size() || text[i] != ';') return 0;
    const std::string_view name = text.substr(at + 1, i - at - 1);
    const DOMString units(name.begin(), name.end());
    if (numeric) {
        DOMString reference = u"&" + units + u";";
        const DOMString character = characterReferenceText(reference);
        if (character == reference) return 0;
        characters = toUtf8(character);
    } else {
        const std::u16string_view character = htmlEntityText(units);
        if (character.empty()) return 0;
        characters = toUtf8(character);
    }
    return i + 1;
}

// `text` with its references decoded, escaped.
void appendDecoded(std::string& out, std::string_view text) {
    std::string characters;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t amp = text.find('&', i);
        appendEscaped(out, text.substr(i, amp == std::string_view::npos ? text.npos : amp - i));
        if (amp == std::string_view::npos) return;
        if (const std::size_t end = readReference(text, amp, characters); end != 0) {
            appendEscaped(out, characters);
            i = end;
        } else {
            out += "&amp;";
            i = amp + 1;
        }
    }
}

// The position after the ">" that ends the tag at `at`, or the end of the text.
std::size_t tagEndAt(std::string_view text, std::size_t at) {
    char quote = 0;
    for (std::size_t i = at + 1; i < text.size(); ++i) {
        if (quote) {
            if (text[i] == quote) quote = 0;
        } else if (text[i] == '"' || text[i] == '\'') {
            // A quote opens a value only after "=": elsewhere it is a stray character.
            std::size_t before = i;
            while (before > at && isSpace(text[before - 1])) --before;
            if (text[before - 1] == '=') quote = text[i];
        } else if (text[i] == '>') {
            return i + 1;
        }
    }
    return text.size();
}

// The end of the tag at `at` ("<" and a letter or "/"), with what it says.
std::size_t readTag(std::string_view text, std::size_t at, Tag& tag) {
    const std::size_t end = tagEndAt(text, at);
    tag = Tag{};
    // A tag the text ends in before its ">" is no tag: it and what it holds are dropped.
    if (text[end - 1] != '>') return end;
    std::string_view inner = text.substr(at + 1, end - at - 2);
    if (inner.starts_with('/')) {
        tag.closing = true;
        inner.remove_prefix(1);
    }
    if (inner.ends_with('/')) {
        tag.selfClosing = true;
        inner.remove_suffix(1);
    }
    std::size_t i = 0;
    while (i < inner.size() && (isAsciiLetter(inner[i]) || isAsciiDigit(inner[i]))) ++i;
    if (i == 0 || i > kMaxName) return end;
    for (std::size_t k = 0; k < i; ++k) tag.name += lower(inner[k]);
    // Attributes: name, then "=" and a value quoted or not, or nothing.
    while (i < inner.size()) {
        while (i < inner.size() && (isSpace(inner[i]) || inner[i] == '/')) ++i;
        const std::size_t nameStart = i;
        while (i < inner.size() && !isSpace(inner[i]) && inner[i] != '=' && inner[i] != '/') ++i;
        const std::string_view name = inner.substr(nameStart, i - nameStart);
        while (i < inner.size() && isSpace(inner[i])) ++i;
        std::string_view value;
        if (i < inner.size() && inner[i] == '=') {
            ++i;
            while (i < inner.size() && isSpace(inner[i])) ++i;
            if (i < inner.size() && (inner[i] == '"' || inner[i] == '\'')) {
                const char quote = inner[i++];
                const std::size_t close = inner.find(quote, i);
                const std::size_t stop = close == std::string_view::npos ? inner.size() : close;
                value = inner.substr(i, stop - i);
                i = stop == inner.size() ? stop : stop + 1;
            } else {
                const std::size_t start = i;
                while (i < inner.size() && !isSpace(inner[i])) ++i;
                value = inner.substr(start, i - start);
            }
        }
        if (name.empty()) {
            if (i == nameStart) ++i;  // a stray "=": step over it
            continue;
        }
        if (sameAscii(name, "href") && tag.href.empty()) tag.href = value;
        if (sameAscii(name, "alt") && !tag.hasAlt) {
            tag.alt = value;
            tag.hasAlt = true;
        }
    }
    return end;
}

// An absolute http, https or mailto address, as the href attribute's text; empty otherwise.
std::string safeHref(std::string_view value) {
    // References first: "&#106;avascript:" is a javascript address too.
    std::string decoded, characters;
    std::size_t i = 0;
    while (i < value.size()) {
        if (value[i] == '&') {
            if (const std::size_t end = readReference(value, i, characters); end != 0) {
                decoded += characters;
                i = end;
                continue;
            }
        }
        decoded += value[i++];
    }
    std::string_view href = decoded;
    while (!href.empty() && static_cast<unsigned char>(href.front()) <= 0x20) href.remove_prefix(1);
    while (!href.empty() && static_cast<unsigned char>(href.back()) <= 0x20) href.remove_suffix(1);
    for (char c : href) {
        if (static_cast<unsigned char>(c) < 0x20 || c == ' ') return {};
    }
    const std::size_t colon = href.find(':');
    if (colon == std::string_view::npos) return {};
    const std::string_view scheme = href.substr(0, colon);
    if (!sameAscii(scheme, "http") && !sameAscii(scheme, "https") && !sameAscii(scheme, "mailto")) {
        return {};
    }
    if (!sameAscii(scheme, "mailto") && !href.substr(colon + 1).starts_with("//")) return {};
    return std::string(href);
}

// The output being built, with the elements open in it.
class RichText {
public:
    explicit RichText(std::size_t sizeHint) { out_.reserve(sizeHint + sizeHint / 8); }

    void text(std::string_view raw) {
        if (raw.empty()) return;
        appendDecoded(out_, raw);
        lineStart_ = false;
    }
    void plainText(std::string_view raw) {
        std::size_t i = 0;
        for (;;) {
            const std::size_t line = raw.find('\n', i);
            text(raw.substr(i, line == std::string_view::npos ? raw.npos : line - i));
            if (line == std::string_view::npos) return;
            out_ += "<br/>\n";
            i = line + 1;
        }
    }
    void lineBreak() {
        if (lineStart_) return;
        out_ += "<br/>";
        lineStart_ = true;
    }
    void open(const Tag& tag) {
        if (tag.name == "br") {
            out_ += "<br/>";
            lineStart_ = true;
            return;
        }
        std::string href;
        if (tag.name == "a") {
            href = safeHref(tag.href);
            if (href.empty()) return;  // reduced to its text
        }
        if (closesItsKind(tag.name)) closeSameKind(tag.name);
        if (tag.selfClosing) return;  // an empty element adds nothing
        if (open_.size() >= kMaxHtmlNesting) return;
        out_ += '<';
        out_ += tag.name;
        if (!href.empty()) {
            out_ += " href=\"";
            appendEscaped(out_, href);
            out_ += '"';
        }
        out_ += '>';
        open_.push_back(tag.name);
        lineStart_ = tag.name != "a" && tag.name != "b" && tag.name != "i" && tag.name != "em" &&
                     tag.name != "strong" && tag.name != "code" && tag.name != "u";
    }
    void close(std::string_view name) {
        const auto found = std::find(open_.rbegin(), open_.rend(), name);
        if (found == open_.rend()) return;
        const std::size_t keep = static_cast<std::size_t>(open_.rend() - found) - 1;
        closeDownTo(keep);
    }
    std::string finish() {
        closeDownTo(0);
        return std::move(out_);
    }

private:
    // Closes an open element of `name`'s kind that lies above its nearest container.
    void closeSameKind(std::string_view name) {
        for (std::size_t i = open_.size(); i-- > 0;) {
            const std::string& open = open_[i];
            const bool sameKind =
                open == name || ((name == "td" || name == "th") && (open == "td" || open == "th"));
            if (sameKind) {
                closeDownTo(i);
                return;
            }
            if (isContainerOf(open, name)) return;
        }
    }
    void closeDownTo(std::size_t count) {
        while (open_.size() > count) {
            out_ += "</";
            out_ += open_.back();
            out_ += '>';
            open_.pop_back();
        }
    }

    std::string out_;
    std::vector<std::string> open_;
    bool lineStart_ = true;
};

// The position after the end tag of a dropped element opened before `from`, or the end.
std::size_t afterDropped(std::string_view text, std::size_t from, std::string_view name) {
    for (std::size_t at = text.find("</", from); at != std::string_view::npos;
         at = text.find("</", at + 2)) {
        const std::string_view rest = text.substr(at + 2);
        if (rest.size() >= name.size() && sameAscii(rest.substr(0, name.size()), name) &&
            (rest.size() == name.size() || !isAsciiLetter(rest[name.size()]))) {
            const std::size_t close = text.find('>', at);
            return close == std::string_view::npos ? text.size() : close + 1;
        }
    }
    return text.size();
}

bool startsTagAt(std::string_view text, std::size_t at) {
    return at + 1 < text.size() &&
           (isAsciiLetter(text[at + 1]) || (text[at + 1] == '/' && at + 2 < text.size() &&
                                            isAsciiLetter(text[at + 2])));
}

bool holdsHtml(std::string_view text) {
    for (std::size_t at = text.find('<'); at != std::string_view::npos;
         at = text.find('<', at + 1)) {
        if (startsTagAt(text, at) || text.substr(at).starts_with("<!--")) return true;
    }
    return false;
}

std::size_t after(std::string_view text, std::string_view terminator, std::size_t from) {
    const std::size_t at = text.find(terminator, from);
    return at == std::string_view::npos ? text.size() : at + terminator.size();
}

void reduceMarkup(std::string_view html, RichText& out) {
    Tag tag;
    std::size_t i = 0;
    while (i < html.size()) {
        const std::size_t lt = html.find('<', i);
        out.text(html.substr(i, lt == std::string_view::npos ? html.npos : lt - i));
        if (lt == std::string_view::npos) return;
        const std::string_view rest = html.substr(lt);
        if (rest.starts_with("<!--")) {
            i = after(html, "-->", lt + 4);
        } else if (rest.starts_with("<![CDATA[")) {
            const std::size_t end = html.find("]]>", lt + 9);
            out.text(html.substr(lt + 9, end == std::string_view::npos ? html.npos : end - lt - 9));
            i = end == std::string_view::npos ? html.size() : end + 3;
        } else if (rest.starts_with("<!") || rest.starts_with("<?")) {
            i = after(html, ">", lt + 2);
        } else if (!startsTagAt(html, lt)) {
            out.text("<");
            i = lt + 1;
        } else {
            i = readTag(html, lt, tag);
            if (tag.name.empty()) continue;
            if (isDropped(tag.name)) {
                if (!tag.closing && !tag.selfClosing) i = afterDropped(html, i, tag.name);
            } else if (tag.name == "img") {
                if (tag.hasAlt) out.text(tag.alt);
            } else if (isKept(tag.name)) {
                if (tag.closing) {
                    out.close(tag.name);
                } else {
                    out.open(tag);
                }
            } else if (isBlock(tag.name)) {
                out.lineBreak();
            }
        }
    }
}

}  // namespace

std::string reduceHtml(std::string_view description) {
    RichText out(description.size());
    if (holdsHtml(description)) {
        reduceMarkup(description, out);
    } else {
        out.plainText(description);
    }
    return out.finish();
}

}  // namespace wispel
