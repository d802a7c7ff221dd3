#include "http/UriReference.h"

namespace wispel {

namespace {

bool isAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// scheme = letter *( letter / digit / "+" / "-" / "." ), ended by ":".
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

std::string mergePaths(const TUriReference& base, std::string_view reference) {
    if (base.hasAuthority && base.path.empty()) return "/" + std::string(reference);
    const std::size_t slash = base.path.rfind('/');
    std::string merged(slash == std::string_view::npos ? std::string_view{}
                                                        : base.path.substr(0, slash + 1));
    merged.append(reference);
    return merged;
}

}  // namespace

TUriReference splitUriReference(std::string_view uri) {
    TUriReference parts;
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

std::string_view uriScheme(std::string_view uri) {
    return uri.substr(0, schemeLength(uri));
}

bool hasUriScheme(std::string_view uri) {
    return schemeLength(uri) != 0;
}

std::string resolveUriReference(std::string_view base, std::string_view reference) {
    const TUriReference b = splitUriReference(base);
    const TUriReference r = splitUriReference(reference);
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

}  // namespace wispel
