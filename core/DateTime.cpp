#include "core/DateTime.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace wispel {

namespace {

// Days since 1970-01-01 of a civil date (Howard Hinnant's algorithm).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2));
}

const std::int64_t kEpochOffset = daysFromCivil(1899, 12, 30);

}  // namespace

std::int64_t dayCount(int year, int month, int day) {
    return daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
           kEpochOffset;
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

TDateTime encodeDateTime(int year, int month, int day, int hour, int minute, int second,
                         int millisecond) {
    double ms = ((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond;
    return static_cast<double>(dayCount(year, month, day)) + ms / kMillisecondsPerDay;
}

TDateTimeParts decodeDateTime(TDateTime value) {
    double whole = std::floor(value);
    auto ms = static_cast<std::int64_t>(std::llround((value - whole) * kMillisecondsPerDay));
    auto days = static_cast<std::int64_t>(whole);
    if (ms >= 86400000) {
        ms -= 86400000;
        ++days;
    }
    TDateTimeParts parts{};
    civilFromDays(days + kEpochOffset, parts.year, parts.month, parts.day);
    parts.hour = static_cast<int>(ms / 3600000);
    parts.minute = static_cast<int>(ms / 60000 % 60);
    parts.second = static_cast<int>(ms / 1000 % 60);
    parts.millisecond = static_cast<int>(ms % 1000);
    return parts;
}

TDateTime Now() {
    using namespace std::chrono;
    auto now = system_clock::now();
    auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count();
    std::time_t seconds = static_cast<std::time_t>(ms / 1000);
    std::tm local{};
    localtime_r(&seconds, &local);
    return encodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                          local.tm_min, local.tm_sec, static_cast<int>(ms % 1000));
}

}  // namespace wispel
