// The kept news: merging feeds into "Items.DAT" keeps every item once with its read flag,
// retention takes only old read items, a new process reads what an earlier one wrote, a
// process killed in a merge leaves a sound table, and two processes merging at once lose
// nothing.

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <random>
#include <set>
#include <signal.h>
#include <sstream>
#include <thread>
#include <typeinfo>

#include "core/MemoryStream.h"
#include "feeds/FeedParser.h"
#include "feeds/ItemsTable.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempFolder.h"

using namespace wispel;
using namespace wispel::test;

namespace {

const std::string kPeer =
    std::string(WISPEL_BINARY_DIR) + "/tests/feeds/itemspeer/wispel_items_peer";
const std::string kTableTool = std::string(WISPEL_BINARY_DIR) + "/bin/wispel-table";
constexpr double kDayMs = 86400000.0;

struct FeedItem {
    std::string title, link, description;
};

class Feed {
public:
    Feed(std::initializer_list<FeedItem> items) {
        for (const FeedItem& given : items) {
            TRSSListedItem* item = items_.Add();
            item->Title = given.title;
            item->Link = given.link;
            item->Description = given.description;
        }
    }
    const TRSSListedItemCollection& items() const { return items_; }

private:
    TRSSListedItemCollection items_{typeid(TRSSListedItem)};
};

// "key=title" per item, with "*" after the read ones, in the table's order.
std::string stored(TItemsTable& items, std::int32_t site = 0) {
    std::string text;
    items.ForEachItem(
        [&](const TStoredItem& item) {
            text += item.Key + "=" + item.Title + (item.Read ? "*" : "") + " ";
        },
        site);
    return text;
}

std::string keyOf(const std::string& link) {
    TRSSListedItemCollection one(typeid(TRSSListedItem));
    one.Add()->Link = link;
    return storedItemKey(*one[0]);
}

}  // namespace

class ItemsTable : public ::testing::Test {
protected:
    TempFolder folder_{"wispel-items"};
    const std::string& dir() const { return folder_.path(); }
};

TEST_F(ItemsTable, TwoUpdatesOfAChangedFeedKeepEveryItemOnceWithItsReadFlag) {
    TItemsTable items(dir());
    const Feed first{{"A", "a", "one"}, {"B", "b", "two"}, {"C", "c", "three"}};
    const TMergeCounts counts = items.Merge(7, first.items(), itemTimeFromUnixMs(1000));
    EXPECT_EQ(counts.Added, 3);
    EXPECT_TRUE(items.SetRead(7, "b", true));
    EXPECT_TRUE(items.SetRead(7, "c", true));
    EXPECT_FALSE(items.SetRead(8, "b", true)) << "another site has no such item";
    TStoredItem one;
    ASSERT_TRUE(items.ReadItem(7, "b", one));
    EXPECT_EQ(one.Title + "|" + one.Link + "|" + one.Description, "B|b|two");
    EXPECT_TRUE(one.Read);
    EXPECT_FALSE(items.ReadItem(8, "b", one)) << "another site has no such item";

    // a left the feed, b's title changed, d is new; c listed twice.
    const Feed second{{"B2", "b", "two"}, {"C", "c", "three"}, {"D", "d", "four"}, {"C", "c", "3"}};
    const TMergeCounts again = items.Merge(7, second.items(), itemTimeFromUnixMs(2000));
    EXPECT_EQ(again.Added, 1);
    EXPECT_EQ(again.Changed, 1);
    EXPECT_EQ(again.Removed, 0);
    // Merging the same feed once more changes nothing.
    const TMergeCounts same = items.Merge(7, second.items(), itemTimeFromUnixMs(3000));
    EXPECT_EQ(same.Added + same.Changed + same.Removed, 0);

    // Newest first: the items without a date of their own by when they were first seen.
    EXPECT_EQ(stored(items), "d=D a=A b=B2* c=C* ");
    EXPECT_TRUE(items.Check().empty());
}

// What a parsed feed gives: the guid as identity, so that a moved link is the same item;
// the item's date, author and full text; a date that cannot be read is no date.
TEST_F(ItemsTable, ParsedItemsAreKeptByTheirIdentityWithDateAuthorAndText) {
    const auto rss = [](const std::string& firstLink, const std::string& firstDate) {
        return "<rss version='2.0' xmlns:content='http://purl.org/rss/1.0/modules/content/'"
               " xmlns:dc='http://purl.org/dc/elements/1.1/'><channel><title>T</title>"
               "<item><title>Old</title><guid isPermaLink='false'>id-1</guid><link>" +
               firstLink + "</link><pubDate>" + firstDate +
               "</pubDate><dc:creator>Ann</dc:creator>"
               "<content:encoded>&lt;p&gt;All of it&lt;/p&gt;</content:encoded></item>"
               "<item><title>New</title><guid>id-2</guid><pubDate>Mon, 7 Dec 2026 10:00 GMT"
               "</pubDate></item>"
               "<item><title>Undated</title><link>http://127.0.0.1/u</link>"
               "<pubDate>Sunday the 7th</pubDate></item></channel></rss>";
    };
    TRSSParser parser;
    TItemsTable items(dir());
    const auto merge = [&](const std::string& text) {
        TMemoryStream stream;
        stream.Write(text.data(), static_cast<std::int64_t>(text.size()));
        stream.Seek(0, TSeekOrigin::soBeginning);
        parser.ParseRSSStream(&stream);
        return items.Merge(1, parser.Items(), itemTimeFromUnixMs(1000));
    };
    EXPECT_EQ(merge(rss("http://127.0.0.1/a", "Sun, 06 Dec 2026 09:30:00 +0100")).Added, 3);
    const TMergeCounts moved = merge(rss("http://127.0.0.1/moved", "not a date"));
    EXPECT_EQ(moved.Added, 0);
    EXPECT_EQ(moved.Changed, 1);

    std::vector<std::string> got;
    items.ForEachItem([&](const TStoredItem& item) {
        got.push_back(item.Key + "|" + item.Title + "|" + item.Link + "|" + item.Author + "|" +
                      item.Content + "|" +
                      (item.Date == 0 ? "-" : std::to_string(unixMsFromItemTime(item.Date))));
    });
    const std::vector<std::string> expected{
        "id-2|New||||1796637600000",
        "id-1|Old|http://127.0.0.1/moved|Ann|<p>All of it</p>|-",
        "http://127.0.0.1/u|Undated|http://127.0.0.1/u|||-",
    };
    EXPECT_EQ(got, expected);
}

// A read asks for as much of each item as it shows; what it leaves out stays empty.
TEST_F(ItemsTable, AReadFillsInOnlyThePartsItAsksFor) {
    TRSSListedItemCollection feed(typeid(TRSSListedItem));
    TRSSListedItem* given = feed.Add();
    given->Title = "Title";
    given->Link = "http://127.0.0.1/l";
    given->Description = "About";
    given->Content = "Whole";
    given->Author = "Ann";
    given->Date = 1796637600;  // 7 December 2026 10:00 UTC
    TItemsTable items(dir());
    items.Merge(3, feed, itemTimeFromUnixMs(1000));
    ASSERT_TRUE(items.SetRead(3, "http://127.0.0.1/l", true));

    const std::pair<TItemParts, std::string> cases[] = {
        {TItemParts::Keys, "3|http://127.0.0.1/l||||||*"},
        {TItemParts::Titles, "3|http://127.0.0.1/l|Title|||||*"},
        {TItemParts::Headlines, "3|http://127.0.0.1/l|Title|http://127.0.0.1/l|Ann|||*"},
        {TItemParts::Whole, "3|http://127.0.0.1/l|Title|http://127.0.0.1/l|Ann|About|Whole|*"},
    };
    for (const auto& [parts, expected] : cases) {
        std::string got;
        items.ForEachItem(
            [&](const TStoredItem& item) {
                got += std::to_string(item.Site) + "|" + item.Key + "|" + item.Title + "|" +
                       item.Link + "|" + item.Author + "|" + item.Description + "|" +
                       item.Content + "|" + (item.Read ? "*" : "");
                EXPECT_EQ(unixMsFromItemTime(item.Date), 1796637600000);
                EXPECT_EQ(unixMsFromItemTime(item.FirstSeen), 1000);
            },
            0, parts);
        EXPECT_EQ(got, expected) << static_cast<int>(parts);
    }
}

TEST_F(ItemsTable, SitesKeepTheirItemsApartAndDeletingASiteDeletesOnlyItsOwn) {
    TItemsTable items(dir());
    items.Merge(1, Feed{{"A", "a", ""}, {"B", "b", ""}}.items());
    items.Merge(2, Feed{{"A elsewhere", "a", ""}}.items());
    EXPECT_EQ(items.MarkAllRead(1), 2);
    EXPECT_EQ(stored(items, 2), "a=A elsewhere ");
    EXPECT_EQ(items.DeleteSite(1), 2);
    EXPECT_EQ(DeleteSiteItems(dir(), 3), 0);
    EXPECT_EQ(stored(items), "a=A elsewhere ");
    EXPECT_EQ(items.MarkAllRead(), 1);
    EXPECT_EQ(stored(items), "a=A elsewhere* ");
}

TEST_F(ItemsTable, RetentionRemovesOnlyReadItemsPastTheirAgeThatLeftTheFeed) {
    TItemsTable items(dir());
    const TItemTime start = itemTimeFromUnixMs(1'700'000'000'000);
    items.Merge(1, Feed{{"old read", "r", ""}, {"old unread", "u", ""}, {"old kept", "k", ""}}
                       .items(),
                start);
    items.SetRead(1, "r", true);
    items.SetRead(1, "k", true);
    items.Merge(1, Feed{{"new read", "n", ""}}.items(), start + 25 * kDayMs);
    items.SetRead(1, "n", true);
    // The sites beside it keep old read items of their own until they are merged.
    for (const std::int32_t other : {0, 2}) {
        items.Merge(other, Feed{{"other", "o", ""}}.items(), start);
        items.SetRead(other, "o", true);
    }

    // 31 days on: r and k are old and read, but k is still in the feed; n is 6 days old.
    const TMergeCounts counts =
        items.Merge(1, Feed{{"old kept", "k", ""}}.items(), start + 31 * kDayMs);
    EXPECT_EQ(counts.Removed, 1);
    EXPECT_EQ(stored(items), "o=other* n=new read* u=old unread k=old kept* o=other* ");
    EXPECT_EQ(items.Merge(2, Feed{}.items(), start + 31 * kDayMs).Removed, 1);
    EXPECT_EQ(items.Merge(0, Feed{}.items(), start + 31 * kDayMs).Removed, 1);
    EXPECT_EQ(stored(items), "n=new read* u=old unread k=old kept* ");

    items.RetentionDays = 0;  // keeps everything
    EXPECT_EQ(items.Merge(1, Feed{}.items(), start + 400 * kDayMs).Removed, 0);
    items.RetentionDays = 5;
    EXPECT_EQ(items.Merge(1, Feed{}.items(), start + 400 * kDayMs).Removed, 2);
    EXPECT_EQ(stored(items), "u=old unread ");
}

TEST_F(ItemsTable, LongAndOddIdentitiesAreKeptApartAndTextsWhole) {
    const std::string longLink = "http://127.0.0.1/" + std::string(400, 'x');
    const std::string otherLong = longLink + "y";
    const std::string longText(100000, 'T');
    // A key the key column gives back shorter than it was given.
    const std::string nulLink("http://127.0.0.1/n\0l", 20);
    TItemsTable items(dir());
    items.Merge(1, Feed{{longText, longLink, longText}, {"other", otherLong, ""},
                        {"hashed", "", "no link"}, {"blank", "http://127.0.0.1/b   ", ""},
                        {"nul", nulLink, ""}}
                       .items());
    std::map<std::string, TStoredItem> byTitle;
    items.ForEachItem([&](const TStoredItem& item) { byTitle[item.Title.substr(0, 6)] = item; });
    ASSERT_EQ(byTitle.size(), 5u);
    EXPECT_EQ(byTitle["TTTTTT"].Link, longLink);
    EXPECT_EQ(byTitle["TTTTTT"].Description, longText);
    EXPECT_LE(byTitle["TTTTTT"].Key.size(), 250u);
    EXPECT_NE(byTitle["TTTTTT"].Key, byTitle["other"].Key);
    EXPECT_EQ(byTitle["blank"].Key, keyOf("http://127.0.0.1/b"));
    // The same feed again finds every one of them.
    const TMergeCounts again = items.Merge(1, Feed{{longText, longLink, longText},
                                                   {"other", otherLong, ""},
                                                   {"hashed", "", "no link"},
                                                   {"nul again", nulLink, ""}}
                                                  .items());
    EXPECT_EQ(again.Added, 0);
    EXPECT_EQ(again.Changed, 1);
}

TEST_F(ItemsTable, ANewProcessReadsTheSameItemsAndFlags) {
    {
        TItemsTable items(dir());
        items.Merge(1, Feed{{"A", "a", ""}, {"B", "b", ""}}.items(), itemTimeFromUnixMs(1));
        items.Merge(2, Feed{{"C", "c", ""}}.items(), itemTimeFromUnixMs(2));
        items.SetRead(1, "a", true);
    }
    const ProgramRun run = runCapturing(kPeer, {"list", dir()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "1\ta\t1\tA\n1\tb\t0\tB\n2\tc\t0\tC\n");
    // And what another process merged is seen by a table that was open all along.
    TItemsTable items(dir());
    EXPECT_EQ(runCapturing(kPeer, {"merge", dir(), "2", "5", "1", "peer"}).status, 0);
    EXPECT_EQ(stored(items, 2), keyOf("http://127.0.0.1/item/5") + "=peer 5 c=C ");
}

namespace {

using Keys = std::set<std::pair<int, std::string>>;

// Reads the peer's reports of finished merges into `merged`.
void collectMerged(ChildProcess& peer, Keys& merged) {
    std::string line;
    while (peer.readLine(line, 10000)) {
        std::istringstream in(line);
        std::string word;
        int site = 0, first = 0, count = 0;
        if (!(in >> word >> site >> first >> count) || word != "merged") continue;
        for (int n = first; n < first + count; ++n)
            merged.insert({site, keyOf("http://127.0.0.1/item/" + std::to_string(n))});
    }
}

// Every stored (site, key); fails the test on a pair stored twice or a table that does not
// check clean.
Keys storedKeys(const std::string& dir) {
    Keys keys;
    TItemsTable items(dir);
    for (const std::string& problem : items.Check()) ADD_FAILURE() << problem;
    items.ForEachItem([&](const TStoredItem& item) {
        EXPECT_TRUE(keys.insert({item.Site, item.Key}).second)
            << "stored twice: " << item.Site << " " << item.Key;
    });
    return keys;
}

void expectSoundTable(const std::string& dir, const std::string& when) {
    std::string problems;
    EXPECT_EQ(runProgram(kTableTool, {"--dir", dir, "Items.DAT", "check"}, problems), 0)
        << when << ":\n" << problems;
}

}  // namespace

TEST_F(ItemsTable, AMergeKilledAtRandomPointsLeavesASoundTableWithoutDuplicates) {
    constexpr int kKills = 100;
    std::mt19937 random(2026);
    Keys merged;
    for (int kill = 0; kill < kKills; ++kill) {
        ChildProcess peer(kPeer, {"merge-loop", dir(), std::to_string(random())});
        std::string line;
        ASSERT_TRUE(peer.readLine(line)) << "peer did not start";
        ASSERT_EQ(line, "ready");
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 40000));
        peer.kill(SIGKILL);
        collectMerged(peer, merged);
        ASSERT_EQ(peer.wait(), 128 + SIGKILL);

        // The tool's check is the table's own; every tenth time it runs as its own process.
        if (kill % 10 == 9) expectSoundTable(dir(), "after kill " + std::to_string(kill));
        const Keys keys = storedKeys(dir());
        for (const auto& key : merged)
            ASSERT_TRUE(keys.count(key)) << "lost " << key.first << " " << key.second;
        if (HasFailure()) return;
    }
}

TEST_F(ItemsTable, TwoProcessesMergingAtOnceLoseNothing) {
    // Both merge the same two sites with overlapping items, many times over.
    std::vector<std::unique_ptr<ChildProcess>> peers;
    for (int p = 0; p < 2; ++p) {
        peers.push_back(std::make_unique<ChildProcess>(
            "/bin/sh", std::vector<std::string>{
                           "-c", "for r in 0 1 2 3 4 5 6 7; do for s in 1 2; do \"$0\" merge \"$1\" "
                                 "$s $((r * 10 + $2)) 30 p$2 || exit 1; done; done",
                           kPeer, dir(), std::to_string(p * 5)}));
    }
    for (auto& peer : peers) EXPECT_EQ(peer->wait(), 0);
    expectSoundTable(dir(), "after both");
    const Keys keys = storedKeys(dir());
    Keys expected;
    for (int site = 1; site <= 2; ++site)
        for (int n = 0; n < 7 * 10 + 5 + 30; ++n)
            expected.insert({site, keyOf("http://127.0.0.1/item/" + std::to_string(n))});
    EXPECT_EQ(keys, expected);
}
