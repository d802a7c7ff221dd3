#include "tablestore/filter/FilterFunctions.h"

#include <cmath>
#include <limits>

#include "core/TextCase.h"
#include "tablestore/filter/FilterText.h"

namespace wispel {

namespace {

std::string_view textArgument(const TFilterProgram& program, std::uint32_t constant) {
    return program.constants[constant].text;
}

double roundTo(double value, std::int64_t places) {
    const double scale = std::pow(10.0, static_cast<double>(places));
    const double scaled = value * scale;
    if (!std::isfinite(scaled)) return value;
    return std::round(scaled) / scale;
}

std::string_view substring(std::string_view text, std::int64_t from, std::int64_t length) {
    std::size_t at = 0;
    for (std::int64_t skip = from - 1; skip > 0 && at < text.size(); --skip)
        at += codePointLength(text, at);
    text.remove_prefix(at);
    if (length <= 0) return text;
    return firstCodePoints(text, static_cast<std::size_t>(length));
}

std::string_view trim(std::string_view text, std::string_view what, TTrimMode mode) {
    if (mode != TTrimMode::trailing)
        while (!text.empty() && text.substr(0, what.size()) == what) text.remove_prefix(what.size());
    if (mode != TTrimMode::leading)
        while (text.size() >= what.size() && text.substr(text.size() - what.size()) == what)
            text.remove_suffix(what.size());
    return text;
}

std::int64_t position(std::string_view text, std::string_view search) {
    const std::size_t found = text.find(search);
    if (found == std::string_view::npos) return 0;
    return static_cast<std::int64_t>(codePointCount(text.substr(0, found))) + 1;
}

std::int64_t occurrences(std::string_view text, std::string_view search) {
    if (search.empty()) return 0;
    std::int64_t count = 0;
    for (std::size_t at = text.find(search); at != std::string_view::npos;
         at = text.find(search, at + search.size()))
        ++count;
    return count;
}

bool replaceAll(std::string_view text, std::string_view search, std::string_view with,
                std::string& out) {
    out.clear();
    if (search.empty()) {
        out.assign(text);
        return true;
    }
    std::size_t from = 0;
    for (std::size_t at = text.find(search); at != std::string_view::npos;
         at = text.find(search, from)) {
        out.append(text.substr(from, at - from));
        out.append(with);
        from = at + search.size();
        if (out.size() > kMaxComputedText) return false;
    }
    out.append(text.substr(from));
    return out.size() <= kMaxComputedText;
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

// The date part and the milliseconds of the day of a date, time or timestamp.
bool splitMoment(const TFilterValue& value, std::int64_t& day, std::int64_t& ms) {
    switch (value.type) {
        case TValueClass::date:
            day = value.integer;
            ms = 0;
            return true;
        case TValueClass::time:
            day = 1;
            ms = value.integer;
            return true;
        default: {
            if (!std::isfinite(value.number) || std::fabs(value.number) >= 1e17) return false;
            const double whole = std::floor(value.number / kMillisecondsPerDay);
            day = static_cast<std::int64_t>(whole) + 1;
            ms = static_cast<std::int64_t>(value.number - whole * kMillisecondsPerDay);
            return true;
        }
    }
}

bool extract(const TFilterValue& value, TExtractPart part, std::int64_t& out) {
    std::int64_t day, ms;
    if (!splitMoment(value, day, ms)) return false;
    switch (part) {
        case TExtractPart::year:
            out = civilDate(day).year;
            break;
        case TExtractPart::month:
            out = civilDate(day).month;
            break;
        case TExtractPart::day:
            out = civilDate(day).day;
            break;
        case TExtractPart::dayOfWeek:  // 1 Sunday ... 7 Saturday; day 1 was a Monday
            out = (day - 1 - floorDiv(day - 1, 7) * 7 + 1) % 7 + 1;
            break;
        case TExtractPart::hour:
            out = ms / 3600000;
            break;
        case TExtractPart::minute:
            out = ms / 60000 % 60;
            break;
        case TExtractPart::second:
            out = ms / 1000 % 60;
            break;
    }
    return true;
}

void applyTextFunction(const TFilterInstruction& in, const TFilterProgram& program,
                       std::string_view x, TFilterValue& result, std::string& text) {
    switch (in.function) {
        case TExpFunction::upper:
            text = upperCase(x);
            break;
        case TExpFunction::lower:
            text = lowerCase(x);
            break;
        case TExpFunction::substring:
            text.assign(substring(x, in.number1, in.number2));
            break;
        case TExpFunction::trim:
            text.assign(trim(x, textArgument(program, in.constant), in.trimMode));
            break;
        case TExpFunction::pos:
            result.integer = position(x, textArgument(program, in.constant));
            break;
        case TExpFunction::occurs:
            result.integer = occurrences(x, textArgument(program, in.constant));
            break;
        case TExpFunction::replace:
            result.isNull = !replaceAll(x, textArgument(program, in.constant),
                                        textArgument(program, in.constant2), text);
            break;
        default:
            break;
    }
}

void applyCast(const TFilterInstruction& in, const TFilterValue& x, TFilterValue& result,
               std::string& text) {
    if (!castValue(x, in.resultClass, in.valueType, static_cast<std::size_t>(in.number1), result,
                   text))
        result.isNull = true;
}

// IF: the THEN value when the condition is true, else the ELSE value (a NULL condition is
// not true). An integer branch of an IF whose branches mix integer and float is widened.
void chooseBranch(const TFilterInstruction& in, const TFilterValue* args, TFilterValue& result,
                  std::string& text) {
    const bool condition = !args[0].isNull && args[0].integer != 0;
    const TFilterValue& chosen = condition ? args[1] : args[2];
    result.isNull = chosen.isNull;
    if (chosen.isNull) return;
    if (chosen.type == TValueClass::text) text.assign(chosen.text);
    if (chosen.type == TValueClass::integer && in.resultClass == TValueClass::floating) {
        result.number = static_cast<double>(chosen.integer);
        return;
    }
    result.integer = chosen.integer;
    result.number = chosen.number;
}

}  // namespace

void applyFunction(const TFilterInstruction& in, const TFilterProgram& program,
                   const TFilterValue* args, TFilterValue& result, std::string& text,
                   const TCurrentMoment& now) {
    result = TFilterValue{};
    result.type = in.resultClass;
    result.isNull = false;
    switch (in.function) {
        case TExpFunction::currentDate:
            result.integer = now.date;
            return;
        case TExpFunction::currentTime:
            result.integer = now.time;
            return;
        case TExpFunction::currentTimestamp:
            result.number = now.timestamp;
            return;
        case TExpFunction::ifThenElse:
            return chooseBranch(in, args, result, text);
        default:
            break;
    }
    const TFilterValue& x = args[0];
    if (x.isNull) {
        result.isNull = true;
        return;
    }
    switch (in.function) {
        case TExpFunction::abs:
            if (x.type == TValueClass::floating)
                result.number = std::fabs(x.number);
            else if (x.integer == std::numeric_limits<std::int64_t>::min())
                result.isNull = true;
            else
                result.integer = x.integer < 0 ? -x.integer : x.integer;
            return;
        case TExpFunction::round:
            result.number = roundTo(x.number, in.number1);
            return;
        case TExpFunction::extract:
            result.isNull = !extract(x, in.extractPart, result.integer);
            return;
        case TExpFunction::cast:
            return applyCast(in, x, result, text);
        default:
            return applyTextFunction(in, program, x.text, result, text);
    }
}

}  // namespace wispel
