#pragma once
// Time stamps are day counts: days since 30 December 1899 00:00, local time, with the time
// of day as the fraction (1899-12-30 is 0, 1900-01-01 is 2, noon adds 0.5).

#include <cstdint>

namespace wispel {

using TDateTime = double;

constexpr double kMinutesPerDay = 1440.0;
constexpr double kMillisecondsPerDay = 86400000.0;

// Whole days from 1899-12-30 to the given date of the proleptic Gregorian calendar.
std::int64_t dayCount(int year, int month, int day);
// The days of a month of the proleptic Gregorian calendar; 0 for a month outside 1 to 12.
int daysInMonth(int year, int month);
TDateTime encodeDateTime(int year, int month, int day, int hour = 0, int minute = 0,
                         int second = 0, int millisecond = 0);

struct TDateTimeParts {
    int year, month, day, hour, minute, second, millisecond;
};
TDateTimeParts decodeDateTime(TDateTime value);

// The local date and time, to the millisecond.
TDateTime Now();

}  // namespace wispel
