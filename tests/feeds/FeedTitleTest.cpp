#include <gtest/gtest.h>

#include <string>

#include "core/MemoryStream.h"
#include "feeds/FeedParser.h"
#include "feeds/FeedTitle.h"

using namespace wispel;

TEST(FeedTitle, IsTheTitleOfTheChannelOrOfTheAtomFeed) {
    const struct {
        const char* feed;
        const char* title;
    } cases[] = {
        {"<rss version='2.0'><channel><title> The  Courier\n</title><item><title>x</title>"
         "</item></channel></rss>",
         "The  Courier"},
        {"<rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#' "
         "xmlns='http://purl.org/rss/1.0/'><channel><title>Gazette &amp; Post</title></channel>"
         "<item><title>x</title></item></rdf:RDF>",
         "Gazette & Post"},
        {"<feed xmlns='http://www.w3.org/2005/Atom'><entry><title>entry</title></entry>"
         "<title type='html'>&lt;b&gt;Bold&lt;/b&gt; news</title></feed>",
         "Bold news"},
        {"<rss><channel><item><title>only items</title></item></channel></rss>", ""},
        {"<rss><channel><description>no title</description></channel><title>outside</title></rss>",
         ""},
    };
    for (const auto& c : cases) {
        TRSSParser parser;
        TMemoryStream stream;
        const std::string feed = c.feed;
        stream.WriteBuffer(feed.data(), static_cast<std::int64_t>(feed.size()));
        parser.ParseRSSStream(&stream);
        ASSERT_NE(parser.Document(), nullptr) << c.feed;
        EXPECT_EQ(FeedTitle(parser.Document()), c.title) << c.feed;
    }
    EXPECT_EQ(FeedTitle(nullptr), "");
}
