#include "tablestore/filter/FilterValue.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "core/DateTime.h"
#include "core/NumberText.h"
#include "core/TextCase.h"
#include "core/TextTrim.h"
#include "tablestore/filter/FilterText.h"
#include "tablestore/format/ColumnDescriptor.h"
#include "tablestore/format/RecordValues.h"

namespace wispel {

namespace {

// Reads an unsigned decimal of 1 to `maxDigits` digits at the front of `text`.
bool takeNumber(std::string_view& text, int maxDigits, int& value) {
    std::size_t n = 0;
    value = 0;
    while (n < text.size() && n < static_cast<std::size_t>(maxDigits) && text[n] >= '0' &&
           text[n] <= '9')
        value = value * 10 + (text[n++] - '0');
    text.remove_prefix(n);
    return n > 0;
}

bool takeChar(std::string_view& text, char c) {
    if (text.empty() || text.front() != c) return false;
    text.remove_prefix(1);
    return true;
}

bool validDate(int year, int month, int day) {
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
    if (day > kDays[month - 1]) return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month != 2 || day <= 28 || leap;
}

// YYYY-MM-DD, or M/D/YYYY as the default (US English) short date.
bool takeDate(std::string_view& text, std::int64_t& day) {
    int a = 0, b = 0, c = 0;
    int year, month, dayOfMonth;
    if (!takeNumber(text, 4, a)) return false;
    if (takeChar(text, '-')) {
        if (!takeNumber(text, 2, b) || !takeChar(text, '-') || !takeNumber(text, 2, c))
            return false;
        year = a, month = b, dayOfMonth = c;
    } else if (takeChar(text, '/')) {
        if (!takeNumber(text, 2, b) || !takeChar(text, '/') || !takeNumber(text, 4, c))
            return false;
        year = c, month = a, dayOfMonth = b;
    } else {
        return false;
    }
    if (!validDate(year, month, dayOfMonth)) return false;
    day = dayNumber(year, month, dayOfMonth);
    return true;
}

// HH:MM[:SS[.mmm]]
bool takeTime(std::string_view& text, std::int64_t& ms) {
    int h = 0, m = 0, s = 0, frac = 0;
    if (!takeNumber(text, 2, h) || !takeChar(text, ':') || !takeNumber(text, 2, m)) return false;
    if (takeChar(text, ':')) {
        if (!takeNumber(text, 2, s)) return false;
        if (takeChar(text, '.')) {
            const std::size_t before = text.size();
            if (!takeNumber(text, 3, frac)) return false;
            for (std::size_t digits = before - text.size(); digits < 3; ++digits) frac *= 10;
        }
    }
    if (h > 23 || m > 59 || s > 59) return false;
    ms = ((h * 60 + m) * 60 + s) * 1000 + frac;
    return true;
}

bool parseInteger(std::string_view text, std::int64_t& value) {
    text = trimSpaces(text);
    const std::string_view digits = text.starts_with('+') ? text.substr(1) : text;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec == std::errc() && end == digits.data() + digits.size() && !digits.empty()) return true;
    // A number written with a fraction is rounded, as a float would be.
    double number = 0;
    if (!parseNumber(text, number)) return false;
    number = std::round(number);
    if (number < -9.2e18 || number > 9.2e18) return false;
    value = static_cast<std::int64_t>(number);
    return true;
}

bool parseFloat(std::string_view text, double& value) {
    return parseNumber(trimSpaces(text), value);
}

bool parseBoolean(std::string_view text, std::int64_t& value) {
    text = trimSpaces(text);
    if ((text.size() == 4 && sameText(text, "TRUE")) || text == "1") return value = 1, true;
    if ((text.size() == 5 && sameText(text, "FALSE")) || text == "0") return value = 0, true;
    return false;
}

bool parseTemporal(std::string_view text, TValueClass to, TFilterValue& out) {
    text = trimSpaces(text);
    std::int64_t day = 0, ms = 0;
    switch (to) {
        case TValueClass::date:
            if (!takeDate(text, day) || !text.empty()) return false;
            out.integer = day;
            return true;
        case TValueClass::time:
            if (!takeTime(text, ms) || !text.empty()) return false;
            out.integer = ms;
            return true;
        default:
            if (!takeDate(text, day)) return false;
            if (!text.empty() && (text.front() == ' ' || text.front() == 'T')) {
                text.remove_prefix(1);
                if (!takeTime(text, ms)) return false;
            }
            if (!text.empty()) return false;
            out.number = static_cast<double>((day - 1) * kMillisecondsPerDay + ms);
            return true;
    }
}

bool fromText(std::string_view text, TValueClass to, TFilterValue& out) {
    switch (to) {
        case TValueClass::integer:
            return parseInteger(text, out.integer);
        case TValueClass::floating:
            return parseFloat(text, out.number);
        case TValueClass::boolean:
            return parseBoolean(text, out.integer);
        case TValueClass::date:
        case TValueClass::time:
        case TValueClass::timestamp:
            return parseTemporal(text, to, out);
        default:
            return false;
    }
}

bool floatToInteger(double number, std::int64_t& value) {
    if (!std::isfinite(number)) return false;
    number = std::round(number);
    if (number < -9.2e18 || number > 9.2e18) return false;
    value = static_cast<std::int64_t>(number);
    return true;
}

// Far beyond year 9999 either way, yet small enough that day numbers stay exact integers.
bool inTimestampRange(double ms) { return std::isfinite(ms) && std::fabs(ms) < 1e17; }

void appendTwo(std::string& out, std::int64_t n) {
    out += static_cast<char>('0' + n / 10 % 10);
    out += static_cast<char>('0' + n % 10);
}

void appendDate(std::string& out, std::int64_t day) {
    const TCivilDate d = civilDate(day);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", d.year, d.month, d.day);
    out += buffer;
}

void appendTime(std::string& out, std::int64_t ms) {
    appendTwo(out, ms / 3600000);
    out += ':';
    appendTwo(out, ms / 60000 % 60);
    out += ':';
    appendTwo(out, ms / 1000 % 60);
    if (ms % 1000 != 0) {
        out += '.';
        out += static_cast<char>('0' + ms / 100 % 10);
        appendTwo(out, ms % 100);
    }
}

}  // namespace

std::uint8_t engineTypeOfClass(TValueClass type) {
    switch (type) {
        case TValueClass::text:
            return enginetype::kText;
        case TValueClass::date:
            return enginetype::kDate;
        case TValueClass::boolean:
            return enginetype::kBoolean;
        case TValueClass::integer:
            return enginetype::kInteger;
        case TValueClass::floating:
            return enginetype::kFloat;
        case TValueClass::time:
            return enginetype::kTime;
        case TValueClass::timestamp:
            return enginetype::kTimestamp;
        case TValueClass::bytes:
            return enginetype::kBytes;
        case TValueClass::null:
            break;
    }
    return 0;
}

bool isNumeric(TValueClass type) {
    return type == TValueClass::integer || type == TValueClass::floating;
}

bool isTemporal(TValueClass type) {
    return type == TValueClass::date || type == TValueClass::time ||
           type == TValueClass::timestamp;
}

bool canConvert(TValueClass from, TValueClass to) {
    if (from == to || from == TValueClass::null) return true;
    if (from == TValueClass::bytes || to == TValueClass::bytes || to == TValueClass::null)
        return false;
    if (from == TValueClass::text || to == TValueClass::text) return true;
    const bool fromNumberLike = isNumeric(from) || from == TValueClass::boolean;
    const bool toNumberLike = isNumeric(to) || to == TValueClass::boolean;
    if (fromNumberLike && toNumberLike) return true;
    // A date is the midnight of its timestamp; a timestamp has a date and a time of day.
    return (from == TValueClass::date && to == TValueClass::timestamp) ||
           (from == TValueClass::timestamp && to != TValueClass::boolean && isTemporal(to));
}

bool convertValue(const TFilterValue& in, TValueClass to, TFilterValue& out,
                  std::string& store) {
    TFilterValue result;
    result.type = to;
    result.isNull = in.isNull;
    if (!canConvert(in.type, to)) return false;
    if (in.isNull || in.type == to) {
        if (!in.isNull) result = in;
        out = result;
        return true;
    }
    bool ok = true;
    if (to == TValueClass::text) {
        store.clear();
        appendValueText(in, store);
        result.text = store;
    } else if (in.type == TValueClass::text) {
        ok = fromText(in.text, to, result);
    } else if (to == TValueClass::floating) {
        result.number = static_cast<double>(in.integer);  // integer or Boolean
    } else if (to == TValueClass::boolean) {
        result.integer = in.type == TValueClass::floating ? in.number != 0 : in.integer != 0;
    } else if (to == TValueClass::integer) {
        if (in.type == TValueClass::floating)
            ok = floatToInteger(in.number, result.integer);
        else
            result.integer = in.integer;
    } else if (to == TValueClass::timestamp) {  // from a date
        result.number = static_cast<double>((in.integer - 1) * kMillisecondsPerDay);
    } else {  // a date or time of day from a timestamp
        const double ms = in.number;
        if (!inTimestampRange(ms)) return false;
        const double day = std::floor(ms / static_cast<double>(kMillisecondsPerDay));
        if (to == TValueClass::date)
            result.integer = static_cast<std::int64_t>(day) + 1;
        else
            result.integer = static_cast<std::int64_t>(ms - day * kMillisecondsPerDay);
    }
    if (ok) out = result;
    return ok;
}

bool castValue(const TFilterValue& in, TValueClass to, std::uint8_t engineType,
               std::size_t textLength, TFilterValue& out, std::string& store) {
    TFilterValue converted;
    store.clear();
    if (!convertValue(in, to, converted, store)) return false;
    if (!converted.isNull && to == TValueClass::integer) {
        const std::int64_t v = converted.integer;
        const bool fits = engineType == enginetype::kSmallint ? v >= -32768 && v <= 32767
                          : engineType == enginetype::kWord   ? v >= 0 && v <= 65535
                          : engineType == enginetype::kInteger
                              ? v >= std::numeric_limits<std::int32_t>::min() &&
                                    v <= std::numeric_limits<std::int32_t>::max()
                              : true;
        if (!fits) return false;
    }
    if (!converted.isNull && to == TValueClass::text) {
        // A text cast to text is still where it was; the result always lives in `store`.
        if (in.type == TValueClass::text) store.assign(in.text);
        if (textLength > 0) store.resize(firstCodePoints(store, textLength).size());
        converted.text = store;
    }
    out = converted;
    return true;
}

void appendValueText(const TFilterValue& value, std::string& out) {
    if (value.isNull) return;
    switch (value.type) {
        case TValueClass::text:
            out += value.text;
            break;
        case TValueClass::integer:
            out += std::to_string(value.integer);
            break;
        case TValueClass::floating:
            out += numberText(value.number);
            break;
        case TValueClass::boolean:
            out += value.integer ? "TRUE" : "FALSE";
            break;
        case TValueClass::date:
            appendDate(out, value.integer);
            break;
        case TValueClass::time:
            appendTime(out, value.integer);
            break;
        case TValueClass::timestamp: {
            if (!inTimestampRange(value.number)) break;
            const double day = std::floor(value.number / kMillisecondsPerDay);
            appendDate(out, static_cast<std::int64_t>(day) + 1);
            out += ' ';
            appendTime(out, static_cast<std::int64_t>(value.number - day * kMillisecondsPerDay));
            break;
        }
        case TValueClass::null:
        case TValueClass::bytes:
            break;
    }
}

std::int64_t dayNumber(int year, int month, int day) {
    return dateFromDateTime(encodeDateTime(year, month, day));
}

TCivilDate civilDate(std::int64_t day) {
    const TDateTimeParts parts = decodeDateTime(dateToDateTime(static_cast<std::int32_t>(day)));
    return {parts.year, parts.month, parts.day};
}

TCurrentMoment currentMoment() {
    const TDateTime now = Now();
    return {dateFromDateTime(now), timeFromDateTime(now), timestampFromDateTime(now)};
}

}  // namespace wispel
