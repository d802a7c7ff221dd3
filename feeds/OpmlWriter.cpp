#include "feeds/OpmlWriter.h"

#include <ctime>

#include "core/TextConvert.h"
#include "xml/chars/XmlChars.h"

namespace wispel {

namespace {

// `text` as the content of an attribute in double quotes or of an element.
void appendEscaped(std::string& out, std::string_view text) {
    const DOMString units = fromUtf8(text);  // bytes that are not UTF-8 become U+FFFD
    DOMString escaped;
    escaped.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t unit = units[i];
        switch (unit) {
            case u'&': escaped += u"&amp;"; continue;
            case u'<': escaped += u"&lt;"; continue;
            case u'>': escaped += u"&gt;"; continue;
            case u'"': escaped += u"&quot;"; continue;
            case u'\t': escaped += u"&#9;"; continue;
            case u'\n': escaped += u"&#10;"; continue;
            case u'\r': escaped += u"&#13;"; continue;
            default: break;
        }
        const bool pair = isHighSurrogate(unit) && i + 1 < units.size() &&
                          isLowSurrogate(units[i + 1]);
        if (pair) {
            escaped += unit;
            escaped += units[++i];
        } else if (validXmlChar(unit) && !isHighSurrogate(unit) && !isLowSurrogate(unit)) {
            escaped += unit;
        } else {
            escaped += u'\uFFFD';
        }
    }
    appendToUtf8(out, escaped);
}

}  // namespace

std::string formatRfc822(TUtcSeconds instant) {
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::time_t time = static_cast<std::time_t>(instant);
    std::tm parts{};
    if (!::gmtime_r(&time, &parts)) return {};
    char text[40];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", kDays[parts.tm_wday],
                  parts.tm_mday, kMonths[parts.tm_mon], parts.tm_year + 1900, parts.tm_hour,
                  parts.tm_min, parts.tm_sec);
    return text;
}

std::string writeOpml(const std::vector<TOpmlFeed>& feeds, std::string_view title,
                      TUtcSeconds created) {
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<opml version=\"2.0\">\n"
        "  <head>\n"
        "    <title>";
    appendEscaped(out, title);
    out += "</title>\n    <dateCreated>" + formatRfc822(created) + "</dateCreated>\n  </head>\n  <body>\n";
    for (const TOpmlFeed& feed : feeds) {
        out += "    <outline type=\"rss\" text=\"";
        appendEscaped(out, feed.Name);
        out += "\" title=\"";
        appendEscaped(out, feed.Name);
        out += "\" xmlUrl=\"";
        appendEscaped(out, feed.URL);
        out += "\"/>\n";
    }
    out += "  </body>\n</opml>\n";
    return out;
}

}  // namespace wispel
