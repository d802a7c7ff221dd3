#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <string>
#include <vector>

#include "core/DateTime.h"
#include "core/Exception.h"
#include "http/NetDate.h"
#include "http/NetException.h"
#include "http/NetHeaderInfo.h"

using namespace wispel;

namespace {

// The local time of a UTC date, as the client reports header dates.
TDateTime localOf(int year, int month, int day, int hour, int minute, int second) {
    TDateTime utc = encodeDateTime(year, month, day, hour, minute, second);
    auto seconds = static_cast<std::time_t>(std::llround((utc - 25569.0) * 86400.0));
    std::tm local{};
    localtime_r(&seconds, &local);
    return utc + local.tm_gmtoff / 86400.0;
}

}  // namespace

TEST(NetHeaderInfo, ParsesReplyFieldsAndKeepsTheRest) {
    TNetHeaderInfo info;
    TNetHeaderList raw({
        "Server: test",
        "content-type: text/xml;",
        "  charset=utf-8",
        "X-One: 1",
        "Content-Length: 42",
        "Location: /next",
        "Connection: close",
        "Content-Range: bytes 10-99/1000",
        "Transfer-Encoding: chunked",
        "X-Two: 2",
        "Date: Sun, 06 Nov 1994 08:49:37 GMT",
    });
    info.ParseResponseHeaders(raw);
    EXPECT_EQ(info.Server, "test");
    EXPECT_EQ(info.ContentType, "text/xml; charset=utf-8");
    EXPECT_EQ(info.ContentLength, 42);
    EXPECT_EQ(info.Location, "/next");
    EXPECT_EQ(info.Connection, "close");
    EXPECT_EQ(info.ContentRangeStart, 10u);
    EXPECT_EQ(info.ContentRangeEnd, 99u);
    EXPECT_DOUBLE_EQ(info.Date, localOf(1994, 11, 6, 8, 49, 37));
    EXPECT_EQ(info.LastModified, 0);
    EXPECT_EQ(info.ExtraHeaders().Lines(),
              (std::vector<std::string>{"X-One: 1", "Transfer-Encoding: chunked", "X-Two: 2"}));
    EXPECT_EQ(raw.Lines(), info.ExtraHeaders().Lines());

    // A second reply without those headers leaves nothing of the first.
    TNetHeaderList second({"Content-Length: twelve"});
    info.ParseResponseHeaders(second);
    EXPECT_EQ(info.Server, "");
    EXPECT_EQ(info.ContentLength, 0);  // not a number reads as 0
    EXPECT_EQ(info.ExtraHeaders().Count(), 0);
}

TEST(NetHeaderInfo, BadNumbersInReplyHeaders) {
    TNetHeaderInfo info;
    TNetHeaderList huge = TNetHeaderList({"Content-Length: 99999999999999999999999"});
    EXPECT_THROW(info.ParseResponseHeaders(huge), ENetBodyTooLarge);
    // A range that does not read, or whose numbers leave the field's range, is ignored.
    for (const char* line : {"Content-Range: bytes x-9/10", "Content-Range: bytes 5",
                             "Content-Range: bytes 1-4294967296/9", "Content-Range: bytes -1-2/3",
                             "Content-Range: bytes */10"}) {
        SCOPED_TRACE(line);
        TNetHeaderList range = TNetHeaderList({line});
        info.ContentRangeStart = info.ContentRangeEnd = 7;
        info.ParseResponseHeaders(range);
        EXPECT_EQ(info.ContentRangeStart, 0u);
        EXPECT_EQ(info.ContentRangeEnd, 0u);
    }
    TNetHeaderList top = TNetHeaderList({"Content-Range: bytes 0-4294967295/*"});
    info.ParseResponseHeaders(top);
    EXPECT_EQ(info.ContentRangeEnd, 4294967295u);
}

TEST(NetHeaderInfo, ComposesRequestLinesInOrder) {
    TNetHeaderInfo info;
    TNetHeaderList lines;
    info.ComposeRequestHeaders(lines);
    EXPECT_EQ(lines.Lines(),
              (std::vector<std::string>{"Accept: text/html, */*",
                                        "User-Agent: Mozilla/3.0 (compatible; Wispel)"}));
    info.Referer = "http://r/";
    info.ContentLength = 5;
    info.ContentRangeStart = 100;
    info.Username = "user";
    info.ProxyServer = "proxy";
    info.ProxyUsername = "pu";
    info.ProxyPassword = "pp";
    info.ExtraHeaders().Add("X-Extra: 1");
    info.ComposeRequestHeaders(lines);
    EXPECT_EQ(lines.Lines(),
              (std::vector<std::string>{"Accept: text/html, */*", "Referer: http://r/",
                                        "User-Agent: Mozilla/3.0 (compatible; Wispel)",
                                        "Content-Length: 5", "Range: bytes=100-",
                                        "Authorization: Basic dXNlcjo=",
                                        "Proxy-Authorization: Basic cHU6cHA=", "X-Extra: 1"}));
    info.ContentRangeEnd = 200;
    info.ComposeRequestHeaders(lines);
    EXPECT_EQ(lines.Strings(4), "Range: bytes=100-200");
}

TEST(NetDate, ReadsHeaderDates) {
    struct Case {
        const char* text;
        TDateTime expected;
    };
    const Case cases[] = {
        {"Sun, 06 Nov 1994 08:49:37 GMT", localOf(1994, 11, 6, 8, 49, 37)},
        {"  Sunday, 06-Nov-94 08:49:37 GMT ", localOf(1994, 11, 6, 8, 49, 37)},
        {"6 Nov 2024 10:00:00 +0200", localOf(2024, 11, 6, 8, 0, 0)},
        {"06 Nov 05 23:30:00 -0130", localOf(2005, 11, 7, 1, 0, 0)},
        {"06 Jan 2001", localOf(2001, 1, 6, 0, 0, 0)},
        {"xx Feb 2001 1:2:3", localOf(2001, 2, 1, 1, 2, 3)},
        {"06 Nov 2024 10:00:00 +02x0", localOf(2024, 11, 6, 10, 0, 0)},
        {"", 0},
        {"06 Foo 2001", 0},
        {"31 Feb 2001", 0},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(gmtToLocalDateTime(c.text), c.expected, 1e-9) << c.text;
    }
}
