#pragma once
// Dates of HTTP header lines ("Sun, 06 Nov 1994 08:49:37 GMT", "06-Nov-94 08:49:37 +0100").

#include <string>

#include "core/DateTime.h"

namespace wispel {

// The date in local time; 0 when the text does not convert. A leading weekday is skipped;
// a day or year that is not a number reads as 1 or 1900, two-digit years below 80 are 20xx;
// a trailing "+hhmm" or "-hhmm" is the zone, anything else is UTC.
TDateTime gmtToLocalDateTime(const std::string& text);

}  // namespace wispel
