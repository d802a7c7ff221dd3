#pragma once
// Dates as feeds write them, read into one UTC instant: RFC 822 as it is met in the wild
// ("Mon, 07 Dec 2026 08:00:00 GMT", "7 dec 26 8:00 +0100", "Mon,07 Dec 2026 08:00 EST") and
// RFC 3339 / ISO 8601 ("2026-12-07T08:00:00Z", "2026-12-07T09:00:00.250+01:00",
// "2026-12-07"). A text that cannot be read as one definite moment gives no date: a day,
// month, hour, minute, second or zone out of its range (30 February among them), an unknown
// zone name or month, a stray word, is refused rather than guessed.
//
// Rules where the texts leave room:
// - No zone at all: the time is UTC (so a date-only text is midnight UTC).
// - Two-digit years: 00 to 49 are 2000 to 2049, 50 to 99 are 1950 to 1999.
// - The military one-letter zones other than Z have had their signs written both ways, so
//   they are read as UTC; Z, UT, GMT and UTC are UTC; EST/EDT, CST/CDT, MST/MDT, PST/PDT
//   are -5/-4, -6/-5, -7/-6 and -8/-7 hours.
// - A weekday, if given, is not checked against the date (feeds get it wrong more often
//   than the date); a comment in parentheses after the zone is passed over.
// - Fractions of a second are dropped: the instant is the whole second they fall in.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace wispel {

// Whole seconds since 1970-01-01 00:00:00 UTC; before 1970 negative. Stored as a 64-bit
// integer wherever a date is kept.
using TUtcSeconds = std::int64_t;

// RFC 822 and its later forms.
std::optional<TUtcSeconds> parseRfc822Date(std::string_view text);
// RFC 3339 and the extended ISO 8601 forms of a date with an optional time.
std::optional<TUtcSeconds> parseIso8601Date(std::string_view text);
// Either form: a text that starts with a four-digit year and "-" is read as ISO 8601.
std::optional<TUtcSeconds> parseInternetDate(std::string_view text);

// The instant as RFC 3339 in UTC: "2026-12-07T08:00:00Z".
std::string formatIso8601(TUtcSeconds instant);

}  // namespace wispel
