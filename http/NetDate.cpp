#include "http/NetDate.h"

#include <cmath>
#include <ctime>
#include <string_view>

#include "core/TextCase.h"
#include "core/TextTrim.h"

namespace wispel {

namespace {

constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr const char* kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

// A cursor over the date text.
class DateReader {
public:
    explicit DateReader(std::string_view text) : text_(text) {}

    void skip(std::string_view separators) {
        while (pos_ < text_.size() && separators.find(text_[pos_]) != std::string_view::npos) {
            ++pos_;
        }
    }
    // The text up to the next of `separators`.
    std::string_view token(std::string_view separators) {
        std::size_t start = pos_;
        while (pos_ < text_.size() && separators.find(text_[pos_]) == std::string_view::npos) {
            ++pos_;
        }
        return text_.substr(start, pos_ - start);
    }
    std::string_view rest() const { return text_.substr(pos_); }
    bool atTime() const { return rest().find(':') != std::string_view::npos; }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

int number(std::string_view text, int fallback) {
    if (text.empty() || text.size() > 6) return fallback;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return fallback;
        value = value * 10 + (c - '0');
    }
    return value;
}

int monthNumber(std::string_view name) {
    for (int i = 0; i < 12; ++i) {
        if (sameText(name, kMonths[i])) return i + 1;
    }
    return 0;
}

bool startsWithWeekday(std::string_view text) {
    for (const char* day : kWeekdays) {
        if (text.size() >= 3 && sameText(text.substr(0, 3), day)) return true;
    }
    return false;
}

// "+hhmm" or "-hhmm" in minutes; 0 for anything else.
int zoneMinutes(std::string_view zone) {
    if (zone.size() != 5 || (zone[0] != '+' && zone[0] != '-')) return 0;
    int hours = number(zone.substr(1, 2), -1), minutes = number(zone.substr(3, 2), -1);
    if (hours < 0 || minutes < 0) return 0;
    return (zone[0] == '-' ? -1 : 1) * (hours * 60 + minutes);
}

bool validDate(int year, int month, int day, int hour, int minute, int second) {
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    int days = month == 2 && !leap ? 28 : kDays[month - 1];
    return year >= 1 && year <= 9999 && day >= 1 && day <= days && hour < 24 && minute < 60 &&
           second < 60;
}

double localOffsetDays(TDateTime utc) {
    auto seconds = static_cast<std::time_t>(std::llround((utc - 25569.0) * 86400.0));
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr) return 0;
    return static_cast<double>(local.tm_gmtoff) / 86400.0;
}

}  // namespace

TDateTime gmtToLocalDateTime(const std::string& text) {
    std::string_view trimmed = trimText(text);
    DateReader reader(trimmed);
    if (startsWithWeekday(trimmed)) {
        reader.token(" ");
        reader.skip(" ");
    }
    int day = number(reader.token(" -"), 1);
    reader.skip(" -");
    int month = monthNumber(reader.token(" -"));
    reader.skip(" -");
    int year = number(reader.token(" "), 1900);
    if (year < 80) {
        year += 2000;
    } else if (year < 100) {
        year += 1900;
    }
    reader.skip(" ");
    int hour = 0, minute = 0, second = 0;
    if (reader.atTime()) {
        hour = number(reader.token(":"), 0);
        reader.skip(":");
        minute = number(reader.token(":"), 0);
        reader.skip(":");
        second = number(reader.token(" "), 0);
    }
    std::string_view zone = trimText(reader.rest());
    if (month == 0 || !validDate(year, month, day, hour, minute, second)) return 0;
    TDateTime utc = encodeDateTime(year, month, day, hour, minute, second);
    if (zone.size() > 4) utc -= zoneMinutes(zone) / kMinutesPerDay;
    return utc + localOffsetDays(utc);
}

}  // namespace wispel
