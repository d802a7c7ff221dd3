#include "feeds/FeedDiscovery.h"

#include <algorithm>

#include "core/TextCase.h"
#include "core/TextConvert.h"
#include "feeds/HtmlText.h"
#include "http/UriReference.h"

namespace wispel {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool isNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           c == '-' || c == '_' || c == ':' || c == '.';
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && sameText(text.substr(0, prefix.size()), prefix);
}

// The position after `terminator` at or after `from`, or the end.
std::size_t after(std::string_view text, std::string_view terminator, std::size_t from) {
    std::size_t at = text.find(terminator, from);
    return at == std::string_view::npos ? text.size() : at + terminator.size();
}

// The end of a tag starting at `from`, quoted values passed over.
std::size_t tagEnd(std::string_view text, std::size_t from) {
    char quote = 0;
    for (std::size_t i = from + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (quote != 0) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i + 1;
        }
    }
    return text.size();
}

// The name of an element whose start tag is at `from` ("<name"), or empty.
std::string_view tagName(std::string_view text, std::size_t from) {
    std::size_t end = from + 1;
    while (end < text.size() && isNameChar(text[end])) ++end;
    return text.substr(from + 1, end - from - 1);
}

// A document type declaration ends at its ">", after an internal subset in "[...]".
std::size_t doctypeEnd(std::string_view text, std::size_t from) {
    std::size_t close = text.find('>', from);
    std::size_t open = text.find('[', from);
    if (open != std::string_view::npos && open < close) close = text.find('>', after(text, "]", open));
    return close == std::string_view::npos ? text.size() : close + 1;
}

// The first markup that is not a comment, a processing instruction (the XML declaration) or
// blank: its position, or the end when there is none.
std::size_t firstMarkup(std::string_view body) {
    std::size_t i = body.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    const std::size_t limit = std::min(body.size(), kFeedDiscoveryScanLimit);
    while (i < limit) {
        if (isBlank(body[i])) {
            ++i;
        } else if (body.substr(i).starts_with("<!--")) {
            i = after(body, "-->", i + 4);
        } else if (body.substr(i).starts_with("<?")) {
            i = after(body, "?>", i + 2);
        } else {
            return i;
        }
    }
    return body.size();
}

bool isHtmlMediaType(std::string_view mediaType) {
    std::string_view type = mediaType.substr(0, mediaType.find(';'));
    while (!type.empty() && isBlank(type.back())) type.remove_suffix(1);
    while (!type.empty() && isBlank(type.front())) type.remove_prefix(1);
    return sameText(type, "text/html") || sameText(type, "application/xhtml+xml");
}

// rss, feed, RDF, with or without a prefix ("rdf:RDF").
bool isFeedRoot(std::string_view name) {
    std::size_t colon = name.rfind(':');
    std::string_view local = colon == std::string_view::npos ? name : name.substr(colon + 1);
    return sameText(local, "rss") || sameText(local, "feed") || local == "RDF";
}

struct Attribute {
    std::string_view name, value;
};

// The attributes of the tag `tag` ("<link ...>"), values as written.
std::vector<Attribute> attributesOf(std::string_view tag) {
    std::vector<Attribute> attributes;
    std::size_t i = 1;
    while (i < tag.size() && isNameChar(tag[i])) ++i;  // the tag's name
    while (i < tag.size()) {
        while (i < tag.size() && (isBlank(tag[i]) || tag[i] == '/')) ++i;
        std::size_t nameStart = i;
        while (i < tag.size() && !isBlank(tag[i]) && tag[i] != '=' && tag[i] != '>' && tag[i] != '/') {
            ++i;
        }
        if (i == nameStart) break;  // ">" or the end
        Attribute attribute{tag.substr(nameStart, i - nameStart), {}};
        while (i < tag.size() && isBlank(tag[i])) ++i;
        if (i < tag.size() && tag[i] == '=') {
            ++i;
            while (i < tag.size() && isBlank(tag[i])) ++i;
            if (i < tag.size() && (tag[i] == '"' || tag[i] == '\'')) {
                std::size_t close = tag.find(tag[i], i + 1);
                if (close == std::string_view::npos) close = tag.size();
                attribute.value = tag.substr(i + 1, close - i - 1);
                i = close + 1;
            } else {
                std::size_t start = i;
                while (i < tag.size() && !isBlank(tag[i]) && tag[i] != '>') ++i;
                attribute.value = tag.substr(start, i - start);
            }
        }
        attributes.push_back(attribute);
    }
    return attributes;
}

// A value with its character references decoded and the blanks around it gone.
std::string attributeValue(const std::vector<Attribute>& attributes, std::string_view name) {
    for (const Attribute& attribute : attributes) {
        if (!sameText(attribute.name, name)) continue;
        DOMString text;
        appendHtmlText(fromUtf8(attribute.value), text);
        std::string value = toUtf8(text);
        std::size_t first = value.find_first_not_of(" \t\n\r\f");
        if (first == std::string::npos) return {};
        return value.substr(first, value.find_last_not_of(" \t\n\r\f") - first + 1);
    }
    return {};
}

bool hasToken(std::string_view list, std::string_view token) {
    std::size_t i = 0;
    while (i < list.size()) {
        while (i < list.size() && isBlank(list[i])) ++i;
        std::size_t start = i;
        while (i < list.size() && !isBlank(list[i])) ++i;
        if (i > start && sameText(list.substr(start, i - start), token)) return true;
    }
    return false;
}

// The announced media type in lower case when it is a feed's, else empty.
std::string feedType(std::string type) {
    type = lowerCase(type.substr(0, type.find(';')));
    while (!type.empty() && isBlank(type.back())) type.pop_back();
    for (const char* known : {"application/rss+xml", "application/atom+xml", "application/rdf+xml"}) {
        if (type == known) return type;
    }
    return {};
}

// Elements whose text a browser never reads as markup: a tag written in it is text.
bool holdsRawText(std::string_view name) {
    return sameText(name, "script") || sameText(name, "style") || sameText(name, "title") ||
           sameText(name, "textarea");
}

}  // namespace

bool isWebPage(std::string_view body, std::string_view mediaType) {
    const std::size_t at = firstMarkup(body);
    if (at >= body.size() || body[at] != '<') return false;
    const std::string_view rest = body.substr(at);
    if (startsWithIgnoringCase(rest, "<!DOCTYPE")) {
        std::size_t name = rest.find_first_not_of(" \t\r\n", 9);
        if (name != std::string_view::npos && startsWithIgnoringCase(rest.substr(name), "html") &&
            (name + 4 == rest.size() || !isNameChar(rest[name + 4]))) {
            return true;
        }
    }
    // The first element, after a document type declaration of another kind.
    std::size_t element = at;
    if (startsWithIgnoringCase(rest, "<!DOCTYPE")) {
        const std::size_t next = doctypeEnd(body, at);
        element = next + firstMarkup(body.substr(next));
    }
    if (element >= body.size() || body[element] != '<') return false;
    const std::string_view name = tagName(body, element);
    if (name.empty()) return false;
    return sameText(name, "html") || (isHtmlMediaType(mediaType) && !isFeedRoot(name));
}

std::vector<TAnnouncedFeed> announcedFeeds(std::string_view page, std::string_view pageURL) {
    page = page.substr(0, std::min(page.size(), kFeedDiscoveryScanLimit));
    std::string base(pageURL);
    bool baseSeen = false;
    std::vector<std::pair<std::string, TAnnouncedFeed>> links;  // href as written, feed
    std::size_t i = 0;
    while (i < page.size() && links.size() < kFeedDiscoveryMaxFeeds) {
        i = page.find('<', i);
        if (i == std::string_view::npos) break;
        const std::string_view rest = page.substr(i);
        if (rest.starts_with("<!--")) {
            i = after(page, "-->", i + 4);
            continue;
        }
        const std::string_view name = tagName(page, i);
        const std::size_t end = tagEnd(page, i);
        if (page[end - 1] != '>') break;  // a tag the page never closes is no tag
        if (holdsRawText(name)) {
            // Their text is no markup: "</script" alone ends it.
            std::string closing = "</" + lowerCase(name);
            std::size_t close = end;
            while (close < page.size() && !startsWithIgnoringCase(page.substr(close), closing)) {
                close = page.find('<', close + 1);
                if (close == std::string_view::npos) close = page.size();
            }
            i = close;
            continue;
        }
        if (sameText(name, "base") && !baseSeen) {
            std::string href = attributeValue(attributesOf(page.substr(i, end - i)), "href");
            if (!href.empty()) {
                base = resolveUriReference(base, href);
                baseSeen = true;
            }
        } else if (sameText(name, "link")) {
            auto attributes = attributesOf(page.substr(i, end - i));
            std::string type = feedType(attributeValue(attributes, "type"));
            std::string href = attributeValue(attributes, "href");
            if (!type.empty() && !href.empty() &&
                hasToken(attributeValue(attributes, "rel"), "alternate")) {
                links.push_back({href, {{}, type, attributeValue(attributes, "title")}});
            }
        }
        i = std::max(end, i + 1);
    }
    // A <base> applies to the whole page, also to links written before it.
    std::vector<TAnnouncedFeed> feeds;
    for (auto& link : links) {
        TAnnouncedFeed& feed = link.second;
        feed.URL = resolveUriReference(base, link.first);
        bool seen = std::any_of(feeds.begin(), feeds.end(),
                                [&](const TAnnouncedFeed& f) { return f.URL == feed.URL; });
        if (!seen) feeds.push_back(std::move(feed));
    }
    return feeds;
}

}  // namespace wispel
