#include "feeds/LinkResolution.h"

#include <vector>

#include "core/TextConvert.h"
#include "xml/dom/Attr.h"
#include "xml/dom/Element.h"
#include "xml/dom/Node.h"

namespace wispel {

namespace {

// The five parts of a URI reference; a part that is absent differs from an empty one.
struct UriParts {
    std::string_view scheme, authority, path, query, fragment;
    bool hasScheme = false, hasAuthority = false, hasQuery = false, hasFragment = false;
};

bool isAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::size_t schemeLength(std::string_view uri) {
    if (uri.empty() || !isAsciiLetter(uri[0])) return 0;
    for (std::size_t i = 1; i < uri.size(); ++i) {
        const char c = uri[i];
        if (c == ':') return i;
        if (!isAsciiLetter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.') {
            return 0;
        }
    }
    return 0;
}

UriParts splitUri(std::string_view uri) {
    UriParts parts;
    if (const std::size_t length = schemeLength(uri); length != 0) {
        parts.hasScheme = true;
        parts.scheme = uri.substr(0, length);
        uri.remove_prefix(length + 1);
    }
    if (const std::size_t hash = uri.find('#'); hash != std::string_view::npos) {
        parts.hasFragment = true;
        parts.fragment = uri.substr(hash + 1);
        uri = uri.substr(0, hash);
    }
    if (const std::size_t question = uri.find('?'); question != std::string_view::npos) {
        parts.hasQuery = true;
        parts.query = uri.substr(question + 1);
        uri = uri.substr(0, question);
    }
    if (uri.starts_with("//")) {
        parts.hasAuthority = true;
        const std::size_t slash = uri.find('/', 2);
        parts.authority = uri.substr(2, slash == std::string_view::npos ? uri.npos : slash - 2);
        uri = slash == std::string_view::npos ? std::string_view{} : uri.substr(slash);
    }
    parts.path = uri;
    return parts;
}

// Drops the last segment of `out` together with the "/" before it.
void dropLastSegment(std::string& out) {
    const std::size_t slash = out.rfind('/');
    out.erase(slash == std::string::npos ? 0 : slash);
}

// "." and ".." segments worked off in one pass over the path.
std::string removeDotSegments(std::string_view path) {
    std::string out;
    std::size_t i = 0;
    while (i < path.size()) {
        const std::string_view in = path.substr(i);
        if (in.starts_with("../")) {
            i += 3;
        } else if (in.starts_with("./") || in.starts_with("/./")) {
            i += 2;
        } else if (in == "/.") {
            out += '/';
            break;
        } else if (in.starts_with("/../")) {
            i += 3;
            dropLastSegment(out);
        } else if (in == "/..") {
            dropLastSegment(out);
            out += '/';
            break;
        } else if (in == "." || in == "..") {
            break;
        } else {
            const std::size_t end = path.find('/', i + 1);
            const std::size_t stop = end == std::string_view::npos ? path.size() : end;
            out.append(path.substr(i, stop - i));
            i = stop;
        }
    }
    return out;
}

std::string mergePaths(const UriParts& base, std::string_view reference) {
    if (base.hasAuthority && base.path.empty()) return "/" + std::string(reference);
    const std::size_t slash = base.path.rfind('/');
    std::string merged(slash == std::string_view::npos ? std::string_view{}
                                                        : base.path.substr(0, slash + 1));
    merged.append(reference);
    return merged;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

bool hasUriScheme(std::string_view uri) {
    return schemeLength(uri) != 0;
}

std::string resolveUriReference(std::string_view base, std::string_view reference) {
    const UriParts b = splitUri(base);
    const UriParts r = splitUri(reference);
    if (!b.hasScheme || r.hasScheme) return std::string(reference);
    std::string authority, path, query;
    bool hasAuthority = b.hasAuthority, hasQuery = r.hasQuery;
    if (r.hasAuthority) {
        hasAuthority = true;
        authority = r.authority;
        path = removeDotSegments(r.path);
        query = r.query;
    } else {
        authority = b.authority;
        if (r.path.empty()) {
            path = b.path;
            hasQuery = r.hasQuery || b.hasQuery;
            query = r.hasQuery ? r.query : b.query;
        } else {
            path = removeDotSegments(r.path.starts_with('/') ? std::string(r.path)
                                                             : mergePaths(b, r.path));
            query = r.query;
        }
    }
    std::string out(b.scheme);
    out += ':';
    if (hasAuthority) out.append("//").append(authority);
    out += path;
    if (hasQuery) out.append("?").append(query);
    if (r.hasFragment) out.append("#").append(r.fragment);
    return out;
}

std::string linkBase(const TdomNode* element, std::string_view feedURL) {
    static const DOMString kXmlBase = u"xml:base";
    std::vector<const TdomAttr*> bases;
    for (const TdomNode* node = element; node; node = node->parentNode()) {
        if (node->nodeType() != ELEMENT_NODE) continue;
        if (const TdomAttr* base = static_cast<const TdomElement*>(node)->getAttributeNode(kXmlBase)) {
            bases.push_back(base);
        }
    }
    std::string base(feedURL);
    for (auto it = bases.rbegin(); it != bases.rend(); ++it) {
        base = resolveUriReference(base, trimBlanks(toUtf8((*it)->nodeValue())));
    }
    return hasUriScheme(base) ? base : std::string{};
}

std::string resolveItemLink(const TdomNode* element, std::string link, std::string_view feedURL) {
    const std::string_view reference = trimBlanks(link);
    if (reference.empty() || hasUriScheme(reference)) return link;
    const std::string base = linkBase(element, feedURL);
    if (base.empty()) return link;
    return resolveUriReference(base, reference);
}

}  // namespace wispel
