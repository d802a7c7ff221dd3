#include "feeds/SiteValues.h"

#include <charconv>

#include "core/TerminalText.h"
#include "core/TextCase.h"
#include "feeds/SitesSchema.h"
#include "http/UriReference.h"

namespace wispel {

namespace {

using Problem = std::optional<std::string>;

std::string quoted(std::string_view text) { return "'" + escapeControls(text, '\'') + "'"; }

Problem widthProblem(const char* column, std::string_view value, int width) {
    if (value.size() <= static_cast<std::size_t>(width)) return std::nullopt;
    return std::string(column) + " does not fit: the column holds " + std::to_string(width) +
           " bytes, the value has " + std::to_string(value.size()) + ".";
}

// A control character or a byte outside UTF-8, shown as the tools print it, with its place
// (counted from 1); blanks too when `blanksToo`.
Problem characterProblem(const char* what, std::string_view value, bool blanksToo) {
    const std::size_t at = findControlOrMalformed(value);
    const std::size_t blank = blanksToo ? value.find(' ') : std::string_view::npos;
    if (blank < at) {
        return std::string(what) + " holds a blank at byte " + std::to_string(blank + 1) +
               ": remove it, or write it as %20.";
    }
    if (at == std::string_view::npos) return std::nullopt;
    const auto lead = static_cast<unsigned char>(value[at]);
    const bool c1 = lead == 0xC2 && at + 1 < value.size() &&  // U+0080 to U+009F
                    static_cast<unsigned char>(value[at + 1]) >= 0x80 &&
                    static_cast<unsigned char>(value[at + 1]) < 0xA0;
    const bool control = lead < 0x80 || c1;
    const std::string shown = escapeControls(value.substr(at, c1 ? 2 : 1));
    return std::string(what) +
           (control ? " holds a control character (" : " holds a byte that is not UTF-8 (") +
           shown + ") at byte " + std::to_string(at + 1) + ": remove it.";
}

// The scheme the address starts with, without its colon; empty when it names none. A name
// followed by a colon and a digit is a host and its port ("localhost:8080/feed"), typed
// without the scheme in front.
std::string_view schemeOf(std::string_view url) {
    const std::string_view scheme = uriScheme(url);
    if (scheme.empty()) return scheme;
    const std::string_view rest = url.substr(scheme.size() + 1);
    const bool port = !rest.starts_with("//") && !rest.empty() && rest[0] >= '0' && rest[0] <= '9';
    return port ? std::string_view{} : scheme;
}

bool validPort(std::string_view port) {
    unsigned value = 0;
    auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), value);
    return error == std::errc() && end == port.data() + port.size() && value >= 1 && value <= 65535;
}

// The host and port of an http or https address, after its "//": what remains once the
// user information is dropped must name a host, with a port of 1 to 65535 when it has one.
Problem authorityProblem(std::string_view url, std::string_view authority) {
    const std::size_t at = authority.rfind('@');
    if (at != std::string_view::npos) authority.remove_prefix(at + 1);
    std::string_view host = authority, port;
    if (authority.starts_with('[')) {  // an IPv6 literal
        const std::size_t close = authority.find(']');
        if (close == std::string_view::npos)
            return "The address " + quoted(url) + " opens a '[' for an IPv6 host and never closes it.";
        host = authority.substr(0, close + 1);
        const std::string_view rest = authority.substr(close + 1);
        if (!rest.empty() && !rest.starts_with(':'))
            return "The address " + quoted(url) + " has text after its IPv6 host: put a ':' and the port there.";
        if (!rest.empty()) port = rest.substr(1);
        if (host.size() == 2) host = {};
    } else if (const std::size_t colon = authority.rfind(':'); colon != std::string_view::npos) {
        host = authority.substr(0, colon);
        port = authority.substr(colon + 1);
    }
    if (host.empty())
        return "The address " + quoted(url) +
               " names no server: write the host after the //, as in http://example.com/feed.xml.";
    if (host.size() < authority.size() && !validPort(port))
        return "The address " + quoted(url) + " has a port that is not a number from 1 to 65535.";
    return std::nullopt;
}

Problem schemeProblem(std::string_view url) {
    const std::string_view scheme = schemeOf(url);
    if (scheme.empty()) {
        return "The address " + quoted(url) +
               " does not start with http:// or https://: write it as " +
               quoted("http://" + std::string(url)) + " (or with https://).";
    }
    if (!sameText(scheme, "http") && !sameText(scheme, "https"))
        return "The address " + quoted(url) + " is a " + quoted(scheme) +
               " address: only http:// and https:// addresses can be fetched.";
    if (url.substr(scheme.size() + 1, 2) != "//")
        return "The address " + quoted(url) + " lacks the // after " + std::string(scheme) +
               ": write it as " + std::string(scheme) + "://host/path.";
    return std::nullopt;
}

}  // namespace

std::optional<std::string> siteNameProblem(std::string_view name) {
    if (name.empty()) return "The site needs a name.";
    if (Problem p = widthProblem("Name", name, kSiteNameWidth)) return p;
    return characterProblem("The name", name, false);
}

std::optional<std::string> siteAddressProblem(std::string_view url) {
    if (url.empty()) return "The site needs an address: the URL of its feed, starting with http:// or https://.";
    if (Problem p = widthProblem("URL", url, kSiteURLWidth)) return p;
    if (Problem p = characterProblem("The address", url, true)) return p;
    if (Problem p = schemeProblem(url)) return p;
    return authorityProblem(url, splitUriReference(url).authority);
}

std::optional<std::string> siteUpdateProblem(std::int64_t minutes) {
    if (minutes >= 0 && minutes <= kMaxSiteUpdateMinutes) return std::nullopt;
    return "Update must be a number of minutes from 0 to 10080 (a week), or empty for every "
           "update; " + std::to_string(minutes) + " is not.";
}

std::optional<std::string> siteUpdateProblem(std::string_view minutes) {
    if (minutes.empty()) return std::nullopt;
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(minutes.data(), minutes.data() + minutes.size(), value);
    if (error == std::errc() && end == minutes.data() + minutes.size())
        return siteUpdateProblem(value);
    return "Update must be a number of minutes from 0 to 10080 (a week), or empty for every "
           "update; " + quoted(minutes) + " is not.";
}

std::optional<std::string> siteValueProblem(std::string_view column, std::string_view value) {
    if (sameText(column, "Name")) return siteNameProblem(value);
    if (sameText(column, "URL")) return siteAddressProblem(value);
    if (sameText(column, "Update")) return siteUpdateProblem(value);
    return std::nullopt;
}

std::string suggestedSiteAddress(std::string_view url) {
    if (url.empty() || !schemeOf(url).empty()) return {};
    std::string suggestion = "http://" + std::string(url);
    return siteAddressProblem(suggestion) ? std::string() : suggestion;
}

}  // namespace wispel
