// The rules a site's values pass before they are stored: each value either passes or is
// refused with the sentence the user reads.

#include <gtest/gtest.h>

#include "feeds/SiteValues.h"

using namespace wispel;

namespace {

struct Case {
    const char* column;
    std::string value;
    const char* problem;  // null: the value may be stored
};

const Case kCases[] = {
    {"Name", "Example", nullptr},
    {"Name", "Ünïcöde", nullptr},  // 10 bytes of UTF-8
    {"Name", "", "The site needs a name."},
    {"Name", "A long name", "Name does not fit: the column holds 10 bytes, the value has 11."},
    {"Name", "a\nb", "The name holds a control character (\\n) at byte 2: remove it."},
    {"Name", "\ttab", "The name holds a control character (\\t) at byte 1: remove it."},
    {"Name", "x\x1b[2J", "The name holds a control character (\\x1B) at byte 2: remove it."},
    {"Name", "x\xc2\x85", "The name holds a control character (\\u0085) at byte 2: remove it."},
    {"Name", "bad\xff", "The name holds a byte that is not UTF-8 (\\xFF) at byte 4: remove it."},
    {"Name", "a\\b", nullptr},

    {"URL", "http://example.com/feed.xml", nullptr},
    {"URL", "HTTPS://example.com", nullptr},
    {"URL", "http://127.0.0.1:8765/feed.xml?x=1#top", nullptr},
    {"URL", "http://user:pw@example.com:80/", nullptr},
    {"URL", "http://[::1]:8080/feed", nullptr},
    {"URL", "http://example.com/caf%C3%A9/é", nullptr},
    {"URL", "", "The site needs an address: the URL of its feed, starting with http:// or https://."},
    {"URL", "http://h/" + std::string(271, 'a'),
     "URL does not fit: the column holds 250 bytes, the value has 280."},
    {"URL", "http://h/feed HTTP/1.1\r\nHost: forged",
     "The address holds a blank at byte 14: remove it, or write it as %20."},
    {"URL", "http://h/feed\r\nHost: forged",
     "The address holds a control character (\\r) at byte 14: remove it."},
    {"URL", "http://h/\x7f", "The address holds a control character (\\x7F) at byte 10: remove it."},
    {"URL", "http://h/\xe2\x82", "The address holds a byte that is not UTF-8 (\\xE2) at byte 10: remove it."},
    {"URL", "127.0.0.1:8765/feed.xml",
     "The address '127.0.0.1:8765/feed.xml' does not start with http:// or https://: write it as "
     "'http://127.0.0.1:8765/feed.xml' (or with https://)."},
    {"URL", "localhost:8080/feed",
     "The address 'localhost:8080/feed' does not start with http:// or https://: write it as "
     "'http://localhost:8080/feed' (or with https://)."},
    {"URL", "example.com/feed",
     "The address 'example.com/feed' does not start with http:// or https://: write it as "
     "'http://example.com/feed' (or with https://)."},
    {"URL", "file:///etc/shadow",
     "The address 'file:///etc/shadow' is a 'file' address: only http:// and https:// addresses "
     "can be fetched."},
    {"URL", "ftp://example.com/feed",
     "The address 'ftp://example.com/feed' is a 'ftp' address: only http:// and https:// "
     "addresses can be fetched."},
    {"URL", "mailto:someone@example.com",
     "The address 'mailto:someone@example.com' is a 'mailto' address: only http:// and https:// "
     "addresses can be fetched."},
    {"URL", "http:/example.com",
     "The address 'http:/example.com' lacks the // after http: write it as http://host/path."},
    {"URL", "http:///feed.xml",
     "The address 'http:///feed.xml' names no server: write the host after the //, as in "
     "http://example.com/feed.xml."},
    {"URL", "https://user@:443/",
     "The address 'https://user@:443/' names no server: write the host after the //, as in "
     "http://example.com/feed.xml."},
    {"URL", "http://h:0/", "The address 'http://h:0/' has a port that is not a number from 1 to 65535."},
    {"URL", "http://h:65536/", "The address 'http://h:65536/' has a port that is not a number from 1 to 65535."},
    {"URL", "http://h:/", "The address 'http://h:/' has a port that is not a number from 1 to 65535."},
    {"URL", "http://[::1/", "The address 'http://[::1/' opens a '[' for an IPv6 host and never closes it."},
    {"URL", "http://[::1]x/",
     "The address 'http://[::1]x/' has text after its IPv6 host: put a ':' and the port there."},

    {"Update", "", nullptr},
    {"Update", "0", nullptr},
    {"Update", "60", nullptr},
    {"Update", "10080", nullptr},
    {"Update", "10081",
     "Update must be a number of minutes from 0 to 10080 (a week), or empty for every update; "
     "10081 is not."},
    {"Update", "-1",
     "Update must be a number of minutes from 0 to 10080 (a week), or empty for every update; "
     "-1 is not."},
    {"Update", "2147483647",
     "Update must be a number of minutes from 0 to 10080 (a week), or empty for every update; "
     "2147483647 is not."},
    {"Update", "99999999999999999999",
     "Update must be a number of minutes from 0 to 10080 (a week), or empty for every update; "
     "'99999999999999999999' is not."},
    {"Update", "1.5",
     "Update must be a number of minutes from 0 to 10080 (a week), or empty for every update; "
     "'1.5' is not."},
    {"update", " 5",
     "Update must be a number of minutes from 0 to 10080 (a week), or empty for every update; "
     "' 5' is not."},

    {"Active", "anything", nullptr},  // the table itself reads Booleans
};

TEST(SiteValues, EachValueIsStoredOrRefusedWithWhatToChange) {
    for (const Case& c : kCases) {
        const std::optional<std::string> problem = siteValueProblem(c.column, c.value);
        if (c.problem == nullptr)
            EXPECT_FALSE(problem) << c.column << "=" << c.value << ": " << problem.value_or("");
        else
            EXPECT_EQ(problem.value_or("(passes)"), c.problem) << c.column << "=" << c.value;
    }
}

TEST(SiteValues, UpdateAsANumberFollowsTheSameRule) {
    EXPECT_FALSE(siteUpdateProblem(std::int64_t{0}));
    EXPECT_FALSE(siteUpdateProblem(std::int64_t{10080}));
    EXPECT_EQ(siteUpdateProblem(std::int64_t{-1}), siteUpdateProblem(std::string_view("-1")));
    EXPECT_EQ(siteUpdateProblem(std::int64_t{10081}), siteUpdateProblem(std::string_view("10081")));
}

TEST(SiteValues, AnAddressWithoutSchemeIsOfferedWithHttp) {
    EXPECT_EQ(suggestedSiteAddress("127.0.0.1:8765/feed.xml"), "http://127.0.0.1:8765/feed.xml");
    EXPECT_EQ(suggestedSiteAddress("example.com"), "http://example.com");
    EXPECT_EQ(suggestedSiteAddress("http://example.com"), "");  // nothing to offer
    EXPECT_EQ(suggestedSiteAddress("ftp://example.com"), "");
    EXPECT_EQ(suggestedSiteAddress("a b"), "");  // would not pass with http:// either
    EXPECT_EQ(suggestedSiteAddress(""), "");
}

}  // namespace
