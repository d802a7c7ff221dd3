#include "core/InternetDate.h"

#include <array>
#include <cstdio>

#include "core/DateTime.h"

namespace wispel {

namespace {

// Longer texts are no date of either form; the bound keeps the token list small.
constexpr std::size_t kMaxDateText = 128;
constexpr int kMaxTokens = 8;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

// The value of a run of exactly `minDigits` to `maxDigits` digits, or -1.
int digits(std::string_view text, std::size_t minDigits, std::size_t maxDigits) {
    if (text.size() < minDigits || text.size() > maxDigits) return -1;
    int value = 0;
    for (char c : text) {
        if (!isDigit(c)) return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

struct Moment {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    int zoneMinutes = 0;  // east of UTC
};

std::optional<TUtcSeconds> instantOf(const Moment& m) {
    if (m.year < 1 || m.year > 9999 || m.day < 1 || m.day > daysInMonth(m.year, m.month) ||
        m.hour < 0 || m.hour > 23 || m.minute < 0 || m.minute > 59 || m.second < 0 ||
        m.second > 59) {
        return std::nullopt;
    }
    const std::int64_t days = dayCount(m.year, m.month, m.day) - dayCount(1970, 1, 1);
    return days * 86400 + m.hour * 3600 + m.minute * 60 + m.second - m.zoneMinutes * 60;
}

// "+hhmm", "-hhmm", "+hh:mm" or "+hh" as minutes east of UTC, or nothing.
std::optional<int> numericZone(std::string_view zone) {
    if (zone.size() < 3 || (zone[0] != '+' && zone[0] != '-')) return std::nullopt;
    const int sign = zone[0] == '-' ? -1 : 1;
    std::string_view rest = zone.substr(1);
    int hours = -1, minutes = 0;
    if (rest.size() == 2) {
        hours = digits(rest, 2, 2);
    } else if (rest.size() == 4) {
        hours = digits(rest.substr(0, 2), 2, 2);
        minutes = digits(rest.substr(2), 2, 2);
    } else if (rest.size() == 5 && rest[2] == ':') {
        hours = digits(rest.substr(0, 2), 2, 2);
        minutes = digits(rest.substr(3), 2, 2);
    }
    if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59) return std::nullopt;
    return sign * (hours * 60 + minutes);
}

struct NamedZone {
    std::string_view name;
    int minutes;
};
constexpr NamedZone kNamedZones[] = {
    {"ut", 0},         {"utc", 0},        {"gmt", 0},        {"z", 0},
    {"est", -5 * 60},  {"edt", -4 * 60},  {"cst", -6 * 60},  {"cdt", -5 * 60},
    {"mst", -7 * 60},  {"mdt", -6 * 60},  {"pst", -8 * 60},  {"pdt", -7 * 60},
};

// A zone of RFC 822 (lower case), or nothing.
std::optional<int> rfc822Zone(std::string_view zone) {
    if (const std::optional<int> numeric = numericZone(zone)) return numeric;
    for (const NamedZone& named : kNamedZones) {
        if (zone == named.name) return named.minutes;
    }
    // The military letters, J excepted: their sign was never agreed on, so they say UTC.
    if (zone.size() == 1 && zone[0] >= 'a' && zone[0] <= 'z' && zone[0] != 'j') return 0;
    return std::nullopt;
}

constexpr std::array<std::string_view, 12> kMonths = {"jan", "feb", "mar", "apr", "may", "jun",
                                                      "jul", "aug", "sep", "oct", "nov", "dec"};
constexpr std::string_view kFullMonths[] = {"january", "february", "march",     "april",
                                            "may",     "june",     "july",      "august",
                                            "september", "october", "november", "december"};

int monthNumber(std::string_view name) {
    if (name.ends_with('.')) name.remove_suffix(1);
    for (std::size_t i = 0; i < kMonths.size(); ++i) {
        if (name == kMonths[i] || name == kFullMonths[i] || (i == 8 && name == "sept")) {
            return static_cast<int>(i) + 1;
        }
    }
    return 0;
}

constexpr std::string_view kWeekdays[] = {
    "mon", "monday",   "tue", "tues", "tuesday",  "wed", "wednesday", "thu",    "thur",
    "thurs", "thursday", "fri", "friday", "sat", "saturday", "sun", "sunday",
};

bool isWeekday(std::string_view name) {
    if (name.ends_with('.')) name.remove_suffix(1);
    for (std::string_view day : kWeekdays) {
        if (name == day) return true;
    }
    return false;
}

// The text in lower case without a trailing comment, cut into words at blanks and commas.
class Words {
public:
    bool split(std::string_view text) {
        text = trimBlanks(text);
        if (text.ends_with(')')) {
            const std::size_t open = text.rfind('(');
            if (open == std::string_view::npos) return false;
            text = trimBlanks(text.substr(0, open));
        }
        if (text.empty() || text.size() > kMaxDateText) return false;
        for (std::size_t i = 0; i < text.size(); ++i) lowered_[i] = lower(text[i]);
        const std::string_view all(lowered_.data(), text.size());
        std::size_t at = 0;
        while (at < all.size()) {
            if (isBlank(all[at]) || all[at] == ',') {
                ++at;
                continue;
            }
            std::size_t end = at;
            while (end < all.size() && !isBlank(all[end]) && all[end] != ',') ++end;
            if (count_ == kMaxTokens) return false;
            words_[count_++] = all.substr(at, end - at);
            at = end;
        }
        return true;
    }
    bool more() const { return next_ < count_; }
    std::string_view peek() const { return words_[next_]; }
    std::string_view take() { return words_[next_++]; }
    // Splits the next word "7-dec-2026" into three words in its place.
    bool splitDashedDate() {
        const std::string_view word = peek();
        const std::size_t first = word.find('-');
        if (first == std::string_view::npos || first == 0) return true;
        const std::size_t second = word.find('-', first + 1);
        if (second == std::string_view::npos || count_ + 2 > kMaxTokens) return false;
        for (int i = count_ - 1; i > next_; --i) words_[i + 2] = words_[i];
        words_[next_] = word.substr(0, first);
        words_[next_ + 1] = word.substr(first + 1, second - first - 1);
        words_[next_ + 2] = word.substr(second + 1);
        count_ += 2;
        return true;
    }

private:
    std::array<char, kMaxDateText> lowered_{};
    std::array<std::string_view, kMaxTokens> words_{};
    int count_ = 0;
    int next_ = 0;
};

// "hh:mm" or "hh:mm:ss", one- or two-digit hour.
bool readClock(std::string_view word, Moment& m) {
    const std::size_t colon = word.find(':');
    m.hour = digits(word.substr(0, colon), 1, 2);
    std::string_view rest = word.substr(colon + 1);
    const std::size_t second = rest.find(':');
    m.minute = digits(rest.substr(0, second), 2, 2);
    m.second = second == std::string_view::npos ? 0 : digits(rest.substr(second + 1), 2, 2);
    return m.hour >= 0 && m.minute >= 0 && m.second >= 0;
}

int fullYear(std::string_view word) {
    if (word.size() == 2) {
        const int year = digits(word, 2, 2);
        return year < 0 ? -1 : year + (year < 50 ? 2000 : 1900);
    }
    return digits(word, 4, 4);
}

}  // namespace

std::optional<TUtcSeconds> parseRfc822Date(std::string_view text) {
    Words words;
    if (!words.split(text) || !words.more()) return std::nullopt;
    if (isWeekday(words.peek())) words.take();
    if (!words.more() || !words.splitDashedDate()) return std::nullopt;
    Moment m;
    if (!words.more()) return std::nullopt;
    m.day = digits(words.take(), 1, 2);
    if (!words.more()) return std::nullopt;
    m.month = monthNumber(words.take());
    if (!words.more()) return std::nullopt;
    m.year = fullYear(words.take());
    if (m.day < 0 || m.month == 0 || m.year < 0) return std::nullopt;
    if (words.more() && words.peek().find(':') != std::string_view::npos) {
        if (!readClock(words.take(), m)) return std::nullopt;
    }
    if (words.more()) {
        const std::optional<int> zone = rfc822Zone(words.take());
        if (!zone) return std::nullopt;
        m.zoneMinutes = *zone;
    }
    if (words.more()) return std::nullopt;
    return instantOf(m);
}

namespace {

// A cursor over an ISO 8601 text.
class IsoReader {
public:
    explicit IsoReader(std::string_view text) : text_(text) {}
    bool atEnd() const { return at_ == text_.size(); }
    bool take(char c) {
        if (atEnd() || lower(text_[at_]) != c) return false;
        ++at_;
        return true;
    }
    int number(std::size_t count) {
        if (text_.size() - at_ < count) return -1;
        const int value = digits(text_.substr(at_, count), count, count);
        if (value >= 0) at_ += count;
        return value;
    }
    void skipDigits() {
        while (!atEnd() && isDigit(text_[at_])) ++at_;
    }
    std::string_view rest() const { return text_.substr(at_); }

private:
    std::string_view text_;
    std::size_t at_ = 0;
};

bool readIsoTime(IsoReader& r, Moment& m) {
    m.hour = r.number(2);
    if (m.hour < 0 || !r.take(':')) return false;
    m.minute = r.number(2);
    if (m.minute < 0) return false;
    if (r.take(':')) {
        m.second = r.number(2);
        if (m.second < 0) return false;
        if (r.take('.') || r.take(',')) {
            if (r.number(1) < 0) return false;
            r.skipDigits();
        }
    }
    if (r.atEnd() || r.take('z')) return r.atEnd();
    const std::optional<int> zone = numericZone(r.rest());
    if (!zone) return false;
    m.zoneMinutes = *zone;
    return true;
}

}  // namespace

std::optional<TUtcSeconds> parseIso8601Date(std::string_view text) {
    text = trimBlanks(text);
    if (text.size() > kMaxDateText) return std::nullopt;
    IsoReader r(text);
    Moment m;
    m.year = r.number(4);
    if (m.year < 0 || !r.take('-')) return std::nullopt;
    m.month = r.number(2);
    if (m.month < 0 || !r.take('-')) return std::nullopt;
    m.day = r.number(2);
    if (m.day < 0) return std::nullopt;
    if (!r.atEnd()) {
        if (!r.take('t') && !r.take(' ')) return std::nullopt;
        if (!readIsoTime(r, m)) return std::nullopt;
    }
    return instantOf(m);
}

std::optional<TUtcSeconds> parseInternetDate(std::string_view text) {
    const std::string_view trimmed = trimBlanks(text);
    if (trimmed.size() > 4 && digits(trimmed.substr(0, 4), 4, 4) >= 0 && trimmed[4] == '-') {
        return parseIso8601Date(trimmed);
    }
    return parseRfc822Date(trimmed);
}

std::string formatIso8601(TUtcSeconds instant) {
    std::int64_t days = instant / 86400;
    std::int64_t seconds = instant % 86400;
    if (seconds < 0) {
        seconds += 86400;
        --days;
    }
    const TDateTimeParts date =
        decodeDateTime(static_cast<TDateTime>(days + dayCount(1970, 1, 1)));
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", date.year, date.month,
                  date.day, static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                  static_cast<int>(seconds % 60));
    return text;
}

}  // namespace wispel
