#include <gtest/gtest.h>

#include "core/InternetDate.h"

using namespace wispel;

namespace {

// What a text reads as, in RFC 3339 UTC, or "none".
std::string readAs(std::string_view text) {
    const std::optional<TUtcSeconds> date = parseInternetDate(text);
    return date ? formatIso8601(*date) : "none";
}

}  // namespace

TEST(InternetDate, ReadsRfc822AsFeedsWriteIt) {
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"Mon, 07 Dec 2026 08:00:00 GMT", "2026-12-07T08:00:00Z"},
        {"Mon, 07 Dec 2026 08:00:00 +0000", "2026-12-07T08:00:00Z"},
        // four- and two-digit years, the century split at 50
        {"07 Dec 26 08:00:00 GMT", "2026-12-07T08:00:00Z"},
        {"07 Dec 49 08:00:00 GMT", "2049-12-07T08:00:00Z"},
        {"07 Dec 98 08:00:00 GMT", "1998-12-07T08:00:00Z"},
        // no seconds, no weekday, one-digit day and hour
        {"Mon, 07 Dec 2026 08:00 GMT", "2026-12-07T08:00:00Z"},
        {"7 Dec 2026 8:05:09 GMT", "2026-12-07T08:05:09Z"},
        // numeric zones, with and without a colon, either side
        {"Mon, 07 Dec 2026 09:30:00 +0130", "2026-12-07T08:00:00Z"},
        {"Mon, 07 Dec 2026 03:00:00 -0500", "2026-12-07T08:00:00Z"},
        {"Mon, 07 Dec 2026 09:00:00 +01:00", "2026-12-07T08:00:00Z"},
        {"Sun, 06 Dec 2026 23:00:00 -0900", "2026-12-07T08:00:00Z"},
        // named zones
        {"Mon, 07 Dec 2026 08:00:00 UT", "2026-12-07T08:00:00Z"},
        {"Mon, 07 Dec 2026 08:00:00 UTC", "2026-12-07T08:00:00Z"},
        {"Mon, 07 Dec 2026 03:00:00 EST", "2026-12-07T08:00:00Z"},
        {"Mon, 07 Dec 2026 04:00:00 EDT", "2026-12-07T08:00:00Z"},
        {"Mon, 07 Dec 2026 02:00:00 CST", "2026-12-07T08:00:00Z"},
        {"Mon, 07 Dec 2026 01:00:00 MST", "2026-12-07T08:00:00Z"},
        {"Mon, 07 Dec 2026 00:00:00 PST", "2026-12-07T08:00:00Z"},
        {"Mon, 07 Dec 2026 01:00:00 PDT", "2026-12-07T08:00:00Z"},
        // military letters: Z is UTC, the others too since their sign was never agreed on
        {"Mon, 07 Dec 2026 08:00:00 Z", "2026-12-07T08:00:00Z"},
        {"Mon, 07 Dec 2026 08:00:00 A", "2026-12-07T08:00:00Z"},
        {"Mon, 07 Dec 2026 08:00:00 Y", "2026-12-07T08:00:00Z"},
        // extra blanks, lower case, no blank after the comma, a comment, full names
        {"  Mon,  07   Dec 2026\t08:00:00   GMT  ", "2026-12-07T08:00:00Z"},
        {"mon, 07 dec 2026 08:00:00 gmt", "2026-12-07T08:00:00Z"},
        {"Mon,07 Dec 2026 08:00:00 GMT", "2026-12-07T08:00:00Z"},
        {"Mon, 07 Dec 2026 08:00:00 +0000 (UTC)", "2026-12-07T08:00:00Z"},
        {"Monday, 07 December 2026 08:00:00 GMT", "2026-12-07T08:00:00Z"},
        {"Thu, 7 Sept 2026 08:00:00 GMT", "2026-09-07T08:00:00Z"},
        // dashes, no zone, no time: UTC, midnight
        {"07-Dec-2026 08:00:00 GMT", "2026-12-07T08:00:00Z"},
        {"Mon, 07 Dec 2026 08:00:00", "2026-12-07T08:00:00Z"},
        {"07 Dec 2026", "2026-12-07T00:00:00Z"},
        // a wrong weekday is not held against the date; leap days where they exist
        {"Fri, 07 Dec 2026 08:00:00 GMT", "2026-12-07T08:00:00Z"},
        {"Tue, 29 Feb 2028 12:00:00 GMT", "2028-02-29T12:00:00Z"},
        {"Thu, 01 Jan 1970 00:00:00 GMT", "1970-01-01T00:00:00Z"},
        {"Wed, 31 Dec 1969 23:59:59 GMT", "1969-12-31T23:59:59Z"},
    };
    for (const auto& c : cases) EXPECT_EQ(readAs(c.text), c.expected) << c.text;
}

TEST(InternetDate, ReadsRfc3339AndIso8601) {
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"2026-12-07T08:00:00Z", "2026-12-07T08:00:00Z"},
        {"2026-12-07t08:00:00z", "2026-12-07T08:00:00Z"},
        {"2026-12-07T09:00:00+01:00", "2026-12-07T08:00:00Z"},
        {"2026-12-07T03:00:00-05:00", "2026-12-07T08:00:00Z"},
        {"2026-12-07T09:00:00+0100", "2026-12-07T08:00:00Z"},
        {"2026-12-07T09:00:00+01", "2026-12-07T08:00:00Z"},
        // fractions are dropped, with a point or a comma
        {"2026-12-07T08:00:00.999Z", "2026-12-07T08:00:00Z"},
        {"2026-12-07T08:00:00,5+00:00", "2026-12-07T08:00:00Z"},
        {"2026-12-07T08:00:00.123456789-00:00", "2026-12-07T08:00:00Z"},
        // no zone (UTC), no seconds, a blank for the T, a date alone
        {"2026-12-07T08:00:00", "2026-12-07T08:00:00Z"},
        {"2026-12-07T08:00Z", "2026-12-07T08:00:00Z"},
        {"2026-12-07 08:00:00Z", "2026-12-07T08:00:00Z"},
        {"2026-12-07", "2026-12-07T00:00:00Z"},
        {" 2026-12-07T08:00:00Z\n", "2026-12-07T08:00:00Z"},
        // a zone that crosses the day, the month and the year
        {"2027-01-01T00:30:00+01:00", "2026-12-31T23:30:00Z"},
    };
    for (const auto& c : cases) EXPECT_EQ(readAs(c.text), c.expected) << c.text;
}

TEST(InternetDate, WhatCannotBeReadIsNoDate) {
    const char* texts[] = {
        "", "   ", "yesterday", "Mon, 07 Dec 2026 08:00:00 GMT trailing",
        // out of range day, month, hour, minute, second, zone
        "Mon, 32 Dec 2026 08:00:00 GMT", "Mon, 00 Dec 2026 08:00:00 GMT",
        "Mon, 30 Feb 2026 08:00:00 GMT", "Mon, 29 Feb 2026 08:00:00 GMT",
        "Mon, 29 Feb 2100 08:00:00 GMT", "Mon, 07 Dec 2026 24:00:00 GMT",
        "Mon, 07 Dec 2026 08:60:00 GMT", "Mon, 07 Dec 2026 08:00:60 GMT",
        "Mon, 07 Dec 2026 08:00:00 +2400", "Mon, 07 Dec 2026 08:00:00 +0160",
        "2026-13-07T08:00:00Z", "2026-00-07T08:00:00Z", "2026-02-30T08:00:00Z",
        "2026-12-32", "2026-12-07T25:00:00Z", "2026-12-07T08:61:00Z", "2026-12-07T08:00:61Z",
        "2026-12-07T08:00:00+25:00",
        // unknown month, zone or shape
        "Mon, 07 Dek 2026 08:00:00 GMT", "Mon, 07 Dec 2026 08:00:00 CET",
        "Mon, 07 Dec 2026 08:00:00 J", "Mon, 07 Dec 202 08:00:00 GMT",
        "Mon, 07 Dec 20266 08:00:00 GMT", "Mon, Dec 07 2026 08:00:00 GMT",
        "Mon, 07 Dec 2026 8 GMT", "Mon, 07 Dec 2026 08:0:00 GMT", "Mon, 07 Dec",
        "2026-12-07T08:00:00Zjunk", "2026-12-07T08", "2026-12", "2026-1-07", "26-12-07",
        "2026-12-07T08:00:00.Z", "2026-12-07X08:00:00Z",
        "Mon, 07 Dec 2026 08:00:00 (unclosed", "Mon, 07 Dec 2026 08:00:00 GMT)",
        // longer than any date, though every word is right
        "Mon, 07 Dec 2026 08:00:00 GMT,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,"
        ",,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,",
    };
    for (const char* text : texts) EXPECT_EQ(readAs(text), "none") << '"' << text << '"';
}
