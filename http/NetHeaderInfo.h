#pragma once
// The header fields of one request or reply. A request's fields compose its header lines;
// a reply's header lines are parsed into them, and lines without a field of their own are
// kept in ExtraHeaders.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/DateTime.h"
#include "http/NetHeaderList.h"

namespace wispel {

class TComponent;

class TNetHeaderInfo {
public:
    // `owner` is the client the fields belong to; not owned.
    explicit TNetHeaderInfo(TComponent* owner = nullptr);
    TNetHeaderInfo(const TNetHeaderInfo&) = delete;
    TNetHeaderInfo& operator=(const TNetHeaderInfo&) = delete;

    // Accept "text/html, */*", the client's User-Agent, everything else empty or 0.
    void ResetDefaults();
    // Clears `list` and adds a line for every field that is set, then ExtraHeaders.
    void ComposeRequestHeaders(TNetHeaderList& list) const;
    // Takes the fields out of `list`; the lines left are appended to ExtraHeaders. A
    // Content-Length too large for its type raises ENetBodyTooLarge.
    void ParseResponseHeaders(TNetHeaderList& list);
    // True when the request carries a validator, so that 304 is an answer it asked for.
    bool Conditional() const noexcept { return !IfModifiedSince.empty() || !IfNoneMatch.empty(); }

    TComponent* Owner() const noexcept { return owner_; }
    TNetHeaderList& ExtraHeaders() noexcept { return *extraHeaders_; }
    const TNetHeaderList& ExtraHeaders() const noexcept { return *extraHeaders_; }

    std::string Accept;
    std::string AcceptCharSet;
    std::string AcceptEncoding;
    std::string AcceptLanguage;
    std::string Connection;
    std::string ContentEncoding;
    std::string ContentLanguage;
    std::int64_t ContentLength = 0;
    std::uint32_t ContentRangeEnd = 0;
    std::uint32_t ContentRangeStart = 0;
    std::string ContentType;
    std::string ContentVersion;
    TDateTime Date = 0;
    TDateTime Expires = 0;
    std::string From;
    // A request's validators of a copy the caller holds, sent as If-Modified-Since and
    // If-None-Match when not empty: the Last-Modified and ETag values of an earlier reply.
    std::string IfModifiedSince;
    std::string IfNoneMatch;
    TDateTime LastModified = 0;
    std::string LastModifiedText;  // a reply's Last-Modified as the server wrote it
    std::string Location;
    std::string Password;
    std::string ProxyAuthenticate;
    std::string ProxyPassword;
    int ProxyPort = 0;
    std::string ProxyServer;
    std::string ProxyUsername;
    std::string Referer;
    std::string Server;
    std::string UserAgent;
    std::string Username;
    std::string WWWAuthenticate;

private:
    void parseContentRange(const std::string& value);

    TComponent* owner_;
    std::unique_ptr<TNetHeaderList> extraHeaders_;
};

constexpr const char* kDefaultAccept = "text/html, */*";
constexpr const char* kDefaultUserAgent = "Mozilla/3.0 (compatible; Wispel)";

// The integer value of a whole text (optional sign, decimal digits); EConvertError
// "'<text>' is not a valid integer value" otherwise or when it does not fit.
std::int64_t netStrToInt(std::string_view text);

}  // namespace wispel
