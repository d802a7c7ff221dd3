#include "http/NetHeaderInfo.h"

#include <charconv>
#include <cstdint>

#include "core/Exception.h"
#include "http/Base64.h"
#include "http/NetDate.h"
#include "http/NetException.h"

namespace wispel {

namespace {

enum class NumberResult { ok, notNumber, overflow };

NumberResult readInteger(std::string_view text, std::int64_t& value) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty() || text.front() == '+') return NumberResult::notNumber;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) return NumberResult::overflow;
    if (error != std::errc() || end != text.data() + text.size()) return NumberResult::notNumber;
    return NumberResult::ok;
}

// Takes header `name` out of `list`, with its continuation lines, and returns its value.
std::string takeHeader(TNetHeaderList& list, const std::string& name) {
    int index = list.indexOfName(name);
    if (index < 0) return {};
    std::string value = list.valueOfLine(index);
    int end = index + 1;
    while (end < list.Count() && !list.Strings(end).empty() &&
           (list.Strings(end)[0] == ' ' || list.Strings(end)[0] == '\t')) {
        ++end;
    }
    while (end-- > index) list.Delete(index);
    return value;
}

// A Content-Range number: decimal, within the field's range, or nothing.
bool rangeNumber(const std::string& text, std::uint32_t& number) {
    std::int64_t value = 0;
    if (readInteger(text, value) != NumberResult::ok) return false;
    if (value < 0 || value > static_cast<std::int64_t>(UINT32_MAX)) return false;
    number = static_cast<std::uint32_t>(value);
    return true;
}

void addLine(TNetHeaderList& list, const char* name, const std::string& value) {
    if (!value.empty()) list.Add(name + value);
}

}  // namespace

std::int64_t netStrToInt(std::string_view text) {
    std::int64_t value = 0;
    if (readInteger(text, value) != NumberResult::ok) {
        throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
    }
    return value;
}

TNetHeaderInfo::TNetHeaderInfo(TComponent* owner)
    : owner_(owner), extraHeaders_(std::make_unique<TNetHeaderList>()) {
    ResetDefaults();
}

void TNetHeaderInfo::ResetDefaults() {
    Accept = kDefaultAccept;
    AcceptCharSet.clear();
    AcceptEncoding.clear();
    AcceptLanguage.clear();
    Connection.clear();
    ContentEncoding.clear();
    ContentLanguage.clear();
    ContentLength = 0;
    ContentRangeEnd = 0;
    ContentRangeStart = 0;
    ContentType.clear();
    ContentVersion.clear();
    Date = Expires = LastModified = 0;
    From.clear();
    IfModifiedSince.clear();
    IfNoneMatch.clear();
    LastModifiedText.clear();
    Location.clear();
    Password.clear();
    ProxyAuthenticate.clear();
    ProxyPassword.clear();
    ProxyPort = 0;
    ProxyServer.clear();
    ProxyUsername.clear();
    Referer.clear();
    Server.clear();
    UserAgent = kDefaultUserAgent;
    Username.clear();
    WWWAuthenticate.clear();
    extraHeaders_->Clear();
}

void TNetHeaderInfo::ComposeRequestHeaders(TNetHeaderList& list) const {
    list.Clear();
    addLine(list, "Accept: ", Accept);
    addLine(list, "Accept-Charset: ", AcceptCharSet);
    addLine(list, "Accept-Encoding: ", AcceptEncoding);
    addLine(list, "Accept-Language: ", AcceptLanguage);
    addLine(list, "From: ", From);
    addLine(list, "Referer: ", Referer);
    addLine(list, "User-Agent: ", UserAgent);
    addLine(list, "Connection: ", Connection);
    addLine(list, "Content-Version: ", ContentVersion);
    addLine(list, "Content-Encoding: ", ContentEncoding);
    addLine(list, "Content-Language: ", ContentLanguage);
    addLine(list, "Content-Type: ", ContentType);
    if (ContentLength != 0) list.Add("Content-Length: " + std::to_string(ContentLength));
    if (ContentRangeStart != 0 || ContentRangeEnd != 0) {
        std::string end = ContentRangeEnd != 0 ? std::to_string(ContentRangeEnd) : "";
        list.Add("Range: bytes=" + std::to_string(ContentRangeStart) + "-" + end);
    }
    addLine(list, "If-Modified-Since: ", IfModifiedSince);
    addLine(list, "If-None-Match: ", IfNoneMatch);
    if (!Username.empty()) {
        list.Add("Authorization: Basic " + base64Encode(Username + ":" + Password));
    }
    if (!ProxyServer.empty() && !ProxyUsername.empty()) {
        list.Add("Proxy-Authorization: Basic " + base64Encode(ProxyUsername + ":" + ProxyPassword));
    }
    list.AddStrings(*extraHeaders_);
}

void TNetHeaderInfo::ParseResponseHeaders(TNetHeaderList& list) {
    extraHeaders_->Clear();
    Location = takeHeader(list, "Location");
    Server = takeHeader(list, "Server");
    Connection = takeHeader(list, "Connection");
    ContentVersion = takeHeader(list, "Content-Version");
    WWWAuthenticate = takeHeader(list, "WWW-Authenticate");
    ContentEncoding = takeHeader(list, "Content-Encoding");
    ContentLanguage = takeHeader(list, "Content-Language");
    ContentType = takeHeader(list, "Content-Type");
    std::string length = takeHeader(list, "Content-Length");
    auto lengthResult = readInteger(length, ContentLength);
    if (lengthResult == NumberResult::overflow) {
        throw ENetBodyTooLarge("Content-Length too large: " + length + ".");
    }
    if (lengthResult != NumberResult::ok) ContentLength = 0;
    parseContentRange(takeHeader(list, "Content-Range"));
    Date = gmtToLocalDateTime(takeHeader(list, "Date"));
    LastModifiedText = takeHeader(list, "Last-Modified");
    LastModified = gmtToLocalDateTime(LastModifiedText);
    Expires = gmtToLocalDateTime(takeHeader(list, "Expires"));
    ProxyAuthenticate = takeHeader(list, "Proxy-Authenticate");
    extraHeaders_->AddStrings(list);
}

// "bytes 0-499/1234": the start after the first space up to "-", the end up to "/". A range
// that does not read that way is ignored: it describes the body, it does not frame it, and
// a good reply is not failed for it.
void TNetHeaderInfo::parseContentRange(const std::string& value) {
    ContentRangeStart = ContentRangeEnd = 0;
    if (value.empty()) return;
    std::string range =
        value.substr(value.find(' ') == std::string::npos ? 0 : value.find(' ') + 1);
    std::size_t dash = range.find('-');
    if (dash == std::string::npos) return;
    std::string end = range.substr(dash + 1);
    std::uint32_t start = 0;
    std::uint32_t last = 0;
    if (!rangeNumber(range.substr(0, dash), start) || !rangeNumber(end.substr(0, end.find('/')), last))
        return;
    ContentRangeStart = start;
    ContentRangeEnd = last;
}

}  // namespace wispel
