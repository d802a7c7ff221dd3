// Pages told from feeds, the feeds a page announces however it is written, and the search
// from an address to its feed against a real server.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "feeds/FeedDiscovery.h"
#include "feeds/FeedFinder.h"
#include "http/NetException.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/TempFolder.h"

using namespace wispel;

TEST(FeedDiscovery, TellsWebPagesFromFeeds) {
    const struct {
        std::string body;
        std::string mediaType;
        bool page;
    } cases[] = {
        {"<!DOCTYPE html><html><body>x</body></html>", "", true},
        {"\xEF\xBB\xBF  \r\n<!doctype HTML>\n<p>x", "", true},
        {"<!-- note --><?xml version='1.0'?>\n<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0//EN\">",
         "", true},
        {"<HTML lang=en>", "", true},
        {"<html>", "application/rss+xml", true},
        {"<head><title>t</title></head>", "text/html; charset=utf-8", true},
        {"<rss version='2.0'><channel/></rss>", "", false},
        {"<?xml version='1.0'?><rss><channel/></rss>", "text/html", false},
        {"<rdf:RDF xmlns:rdf='x'/>", "TEXT/HTML", false},
        {"<feed xmlns='http://www.w3.org/2005/Atom'/>", "application/xhtml+xml", false},
        {"<!DOCTYPE rss [<!ENTITY a '<html>'>]><rss/>", "text/html", false},
        {"<!DOCTYPE htmlx><htmlx/>", "", false},
        {"<head><title>t</title></head>", "text/xml", false},
        {"Title\nhttp://l\nDescription\n", "text/html", false},
        {"", "text/html", false},
        {"<!-- never closed", "text/html", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isWebPage(c.body, c.mediaType), c.page) << c.body << " as " << c.mediaType;
    }
}

TEST(FeedDiscovery, FindsTheFeedsAPageAnnounces) {
    const std::string page = "http://site.example/news/index.html";
    const struct {
        std::string label;
        std::string html;
        std::vector<std::string> urls;
    } cases[] = {
        {"relative, in page order",
         "<link rel=alternate type=application/rss+xml href=feed.xml>"
         "<LINK HREF='/atom.xml' TYPE='Application/Atom+XML' REL='Alternate'>"
         "<link type=\"application/rdf+xml; charset=utf-8\" rel=\"feed alternate\" href=\"../rdf\"/>",
         {"http://site.example/news/feed.xml", "http://site.example/atom.xml",
          "http://site.example/rdf"}},
        {"references in values, blanks around them",
         "<link rel=alternate type=application/rss+xml href=\" feed?a=1&amp;b=2&#38;c=3 \">",
         {"http://site.example/news/feed?a=1&b=2&c=3"}},
        {"a base applies to every link, also earlier ones",
         "<link rel=alternate type=application/rss+xml href=a.xml>"
         "<base href='http://cdn.example/x/'><base href='http://ignored.example/'>",
         {"http://cdn.example/x/a.xml"}},
        {"absolute links and repeats",
         "<link rel=alternate type=application/rss+xml href=https://other.example/f>"
         "<link rel=alternate type=application/rss+xml href=https://other.example/f>",
         {"https://other.example/f"}},
        {"not announced as a feed",
         "<link rel=stylesheet type=application/rss+xml href=a>"
         "<link rel=alternate type=text/html href=b><link rel=alternate href=c>"
         "<link rel=alternate type=application/rss+xml>"
         "<a rel=alternate type=application/rss+xml href=d>",
         {}},
        {"comments, scripts, styles, titles and text areas hide markup",
         "<!-- <link rel=alternate type=application/rss+xml href=a> -->"
         "<script>var s = '<link rel=alternate type=application/rss+xml href=b>';</script>"
         "<style>/* <link rel=alternate type=application/rss+xml href=c> */</style>"
         "<TITLE>How to write <link rel=alternate type=application/rss+xml href=t1></Title>"
         "<textarea><link rel=alternate type=application/rss+xml href=t2></textarea>"
         "<link rel=alternate type=application/rss+xml href=d>",
         {"http://site.example/news/d"}},
        {"quotes of the other kind inside a value",
         "<link title='a \"quoted\" > title' rel=alternate type=application/rss+xml href=e>",
         {"http://site.example/news/e"}},
        {"an unclosed tag at the end", "<link rel=alternate type=application/rss+xml href=f", {}},
        {"a relative base, itself resolved against the page",
         "<BASE HREF='../feeds/'><link rel=alternate type=application/atom+xml href=a.xml>",
         {"http://site.example/feeds/a.xml"}},
        {"a base without href does not count; references in it",
         "<base target=_top><base href=\"http://b.example/x?p=1&amp;q=2\">"
         "<link rel=alternate type=application/rss+xml href=\"?feed=rss&amp;n=1\">",
         {"http://b.example/x?feed=rss&n=1"}},
        {"blanks around =, lines between attributes, names of no value",
         "<link\n  async\n  rel = \"alternate\"\n  href = 'f.xml'\n  type\t=\tapplication/rss+xml\n>",
         {"http://site.example/news/f.xml"}},
        {"unquoted values with references, a scheme-relative href",
         "<link rel=alternate type=application/rss+xml href=a?x=1&amp;y=2>"
         "<link rel=alternate type=application/rss+xml href=//cdn.example/f>",
         {"http://site.example/news/a?x=1&y=2", "http://cdn.example/f"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> urls;
        for (const TAnnouncedFeed& feed : announcedFeeds(c.html, page)) urls.push_back(feed.URL);
        EXPECT_EQ(urls, c.urls) << c.label;
    }
    const auto feeds = announcedFeeds(
        "<link rel=alternate type=Application/RSS+XML title='News &amp; more' href=n>", "");
    ASSERT_EQ(feeds.size(), 1u);
    EXPECT_EQ(feeds[0].URL, "n");  // no page address: as written
    EXPECT_EQ(feeds[0].Type, "application/rss+xml");
    EXPECT_EQ(feeds[0].Title, "News & more");
}

TEST(FeedDiscovery, ReadsABoundedStartAndKeepsABoundedList) {
    std::string many;
    for (int i = 0; i < 100; ++i) {
        many += "<link rel=alternate type=application/rss+xml href=f" + std::to_string(i) + ">";
    }
    EXPECT_EQ(announcedFeeds(many, "http://h/").size(), kFeedDiscoveryMaxFeeds);
    const std::string late = std::string(kFeedDiscoveryScanLimit, ' ') +
                             "<link rel=alternate type=application/rss+xml href=late>";
    EXPECT_TRUE(announcedFeeds(late, "http://h/").empty());
    EXPECT_FALSE(isWebPage(std::string(kFeedDiscoveryScanLimit, ' ') + "<html>", ""));
}

namespace {

class FeedSearch : public ::testing::Test {
protected:
    void SetUp() override {
        put("one.html",
            "<!DOCTYPE html><html><head><base href=\"/feeds/\">\n"
            "<link rel=\"alternate\" type=\"application/rss+xml\" title=\"News\" href=\"main.xml\">"
            "</head><body>hello</body></html>");
        put("three.html",
            "<!DOCTYPE html><html><head>"
            "<link rel=alternate type=application/atom+xml href=feeds/atom.xml>"
            "<link rel=alternate type=application/rss+xml href=http://127.0.0.1:9/other.xml>"
            "<link rel=alternate type=application/rdf+xml href=/feeds/main.rdf>"
            "</head></html>");
        put("none.html", "<!DOCTYPE html><html><head><title>no feed</title></head></html>");
        std::filesystem::create_directory(files_.path() + "feeds");
        put("feeds/main.xml", "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel/></rss>");
    }
    void put(const std::string& name, const std::string& bytes) {
        std::ofstream(files_.path() + name, std::ios::binary) << bytes;
    }
    std::vector<std::string> urls(const TFeedSearch& search) {
        std::vector<std::string> found;
        for (const TAnnouncedFeed& feed : search.Feeds) found.push_back(feed.URL);
        return found;
    }

    test::TempFolder files_{"wispel-discovery"};
    test::LocalHttpServer server_{files_.path()};
};

}  // namespace

TEST_F(FeedSearch, FindsTheFeedsOfAPageAndTakesAFeedAsItIs) {
    const TFeedSearch one = findFeeds(server_.url("/one.html"));
    EXPECT_FALSE(one.IsFeed);
    EXPECT_EQ(one.PageURL, server_.url("/one.html"));
    EXPECT_EQ(urls(one), std::vector<std::string>{server_.url("/feeds/main.xml")});
    ASSERT_EQ(one.Feeds.size(), 1u);
    EXPECT_EQ(one.Feeds[0].Title, "News");

    // Relative addresses resolve against where the page came from after a redirect.
    const TFeedSearch three = findFeeds(server_.url("/redirect/1/three.html"));
    EXPECT_EQ(three.PageURL, server_.url("/three.html"));
    EXPECT_EQ(urls(three), (std::vector<std::string>{server_.url("/feeds/atom.xml"),
                                                     "http://127.0.0.1:9/other.xml",
                                                     server_.url("/feeds/main.rdf")}));

    const TFeedSearch none = findFeeds(server_.url("/none.html"));
    EXPECT_FALSE(none.IsFeed);
    EXPECT_TRUE(none.Feeds.empty());

    const TFeedSearch feed = findFeeds(server_.url("/feeds/main.xml"));
    EXPECT_TRUE(feed.IsFeed);
    EXPECT_TRUE(feed.Feeds.empty());

    EXPECT_THROW(findFeeds(server_.url("/status/404")), ENetException);
}
