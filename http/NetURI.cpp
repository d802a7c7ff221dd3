#include "http/NetURI.h"

#include <algorithm>

namespace wispel {

namespace {

// Every 8-bit string is UTF-8 here, so no byte of a multi-byte character is ever a
// backslash and every backslash can be replaced.
std::string slashed(std::string text) {
    std::replace(text.begin(), text.end(), '\\', '/');
    return text;
}

// Cuts `text` after its last "/": that part is the path, the rest the document.
void splitPath(const std::string& text, std::string& path, std::string& document) {
    std::size_t slash = text.rfind('/');
    if (slash == std::string::npos) {
        document = text;
    } else {
        path = text.substr(0, slash + 1);
        document = text.substr(slash + 1);
    }
}

// "h:81" -> h and 81; an IPv6 literal keeps its colons and loses its brackets:
// "[::1]:81" -> ::1 and 81. An unclosed bracket leaves the whole part as the host.
void splitHostAndPort(const std::string& hostPart, std::string& host, std::string& port) {
    std::size_t colon = hostPart.find(':');
    if (hostPart.starts_with('[')) {
        std::size_t close = hostPart.find(']');
        if (close == std::string::npos) {
            host = hostPart;
            port.clear();
            return;
        }
        host = hostPart.substr(1, close - 1);
        colon = hostPart.find(':', close);
    } else {
        host = hostPart.substr(0, colon);
    }
    port = colon == std::string::npos ? std::string() : hostPart.substr(colon + 1);
}

}  // namespace

TNetURI::TNetURI(const std::string& uri) {
    if (!uri.empty()) SetURI(uri);
}

void TNetURI::SetURI(const std::string& uri) {
    uri_ = slashed(uri);
    ParseURI(uri_, Protocol, Host, Path, Document, Port, Bookmark);
}

void TNetURI::ParseURI(std::string uri, std::string& protocol, std::string& host, std::string& path,
                       std::string& document, std::string& port, std::string& bookmark) {
    host.clear();
    protocol.clear();
    path.clear();
    document.clear();
    uri = slashed(std::move(uri));
    std::size_t separator = uri.find("://");
    if (separator != std::string::npos) {
        protocol = uri.substr(0, separator);
        uri.erase(0, separator + 3);
        // A query may follow the host at once ("http://h?feed=rss"): it is no part of it.
        std::size_t slash = uri.find_first_of("/?");
        std::string hostPart = uri.substr(0, slash);
        uri.erase(0, slash == std::string::npos ? uri.size() : slash + (uri[slash] == '/'));
        // User information ("user:password@") is not part of the host and is never sent.
        std::size_t at = hostPart.rfind('@');
        if (at != std::string::npos) hostPart.erase(0, at + 1);
        splitHostAndPort(hostPart, host, port);
    }
    // The bookmark goes first: a "/" inside it must not move the split between path and
    // document, or part of the bookmark would be sent to the server.
    std::size_t hash = uri.find('#');
    bookmark = hash == std::string::npos ? std::string() : uri.substr(hash + 1);
    if (hash != std::string::npos) uri.resize(hash);
    splitPath(uri, path, document);
    if (path.empty() || path.front() != '/') path = "/" + path;
}

}  // namespace wispel
