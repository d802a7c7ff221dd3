#pragma once
// Splits a URI into protocol, host, port, path, document and bookmark. The split is purely
// textual: no percent-decoding, no validation; user information before "@" in the host part
// is dropped, and an IPv6 literal ("[::1]") is the host without its brackets.

#include <string>

namespace wispel {

class TNetURI {
public:
    explicit TNetURI(const std::string& uri = "");
    virtual ~TNetURI() = default;

    // Fills the parts of `uri`; `port` is only assigned when the URI names one.
    static void ParseURI(std::string uri, std::string& protocol, std::string& host,
                         std::string& path, std::string& document, std::string& port,
                         std::string& bookmark);

    const std::string& URI() const noexcept { return uri_; }
    // Takes the URI with backslashes as slashes and splits it into the fields below.
    void SetURI(const std::string& uri);

    std::string Document;
    std::string Protocol;
    std::string Port;
    std::string Path;
    std::string Host;
    std::string Bookmark;

private:
    std::string uri_;
};

}  // namespace wispel
