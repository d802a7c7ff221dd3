// The update against real local servers: sites that answer late, fail in every way, answer
// "not modified" or compressed; the order of the reports, Stop, and the validators table.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "feeds/FeedUpdate.h"
#include "feeds/FeedValidators.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TempFolder.h"

using namespace wispel;

namespace {

// site-<n>.xml: an RSS feed with one item, "News of <n>".
void writeFeeds(const std::string& folder, int count) {
    for (int n = 0; n < count; ++n) {
        std::ofstream(folder + "site-" + std::to_string(n) + ".xml")
            << "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>Site " << n
            << "</title><item><title>News of " << n << "</title><link>http://127.0.0.1/" << n
            << "</link></item></channel></rss>";
    }
}

// Records what the update reports, one line per call.
class RecordingView : public TUpdateView {
public:
    void SiteRetrieved(const TUpdateSite& site, const TRSSListedItemCollection& items) override {
        std::string line = site.Site + ":";
        for (int i = 0; i < items.Count(); ++i) line += " " + items[i]->Title;
        lines.push_back(line);
    }
    void SiteNotModified(const TUpdateSite& site) override {
        lines.push_back(site.Site + ": not modified");
    }
    void SiteFailed(const TUpdateSite& site, const std::string& message) override {
        lines.push_back(site.Site + ": failed");
        messages.push_back(site.URL + " " + message);
    }
    void UpdateFinished(const TUpdateSummary& s) override {
        summary = s;
        ++finished;
    }

    std::vector<std::string> lines;
    std::vector<std::string> messages;
    TUpdateSummary summary;
    int finished = 0;
};

void addSite(TFeedUpdate& update, const std::string& name, const std::string& url,
             int frequency = 0) {
    TRSSSourceItem* source = update.Sources().RSSSourceList().Add();
    source->Site = name;
    source->URL = url;
    source->UpdateFrequency = frequency;
}

// Waits (bounded) until `done` holds; the bound only keeps a broken build from hanging.
template <class Condition>
bool eventually(Condition done) {
    for (int i = 0; i < 1000; ++i) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return done();
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

TEST(TFeedUpdate, EveryGoodSiteArrivesInOrderAndEachFailingSiteFailsAlone) {
    constexpr int kSites = 30;
    test::TempFolder feeds, data;
    writeFeeds(feeds.path(), kSites);
    test::LocalHttpServer server(feeds.path());
    const int refused = test::unusedLoopbackPort();
    RecordingView view;
    TFeedUpdate update(view);
    TFeedValidators validators;
    validators.Load(data.path());
    update.Validators = &validators;

    std::vector<std::string> first, second;
    for (int n = 0; n < kSites; ++n) {
        const std::string name = "S" + std::to_string(n);
        const std::string file = "site-" + std::to_string(n) + ".xml";
        std::string url;
        bool fails = false;
        switch (n % 10) {
            case 0: url = server.url("/delay/" + std::to_string(300 - 10 * n) + "/" + file); break;
            case 1: url = server.url("/" + file); break;
            case 2: url = server.url("/etag/" + file); break;
            case 3: url = server.url("/gzip/" + file); break;
            case 4: url = server.url("/chunked/" + file); break;
            case 5: url = server.url("/delay/50/etag/" + file); break;
            case 6:
                fails = true;
                switch (n / 10) {
                    case 0: url = "http://127.0.0.1:" + std::to_string(refused) + "/" + file; break;
                    case 1: url = server.url("/status/404"); break;
                    default: url = "https://127.0.0.1:" + std::to_string(server.port()) + "/" + file;
                }
                break;
            case 7: url = server.url("/garbage"), fails = true; break;
            default: url = server.url("/close/" + file);
        }
        addSite(update, name, url);
        const std::string news = name + ": News of " + std::to_string(n);
        first.push_back(fails ? name + ": failed" : news);
        // Plain files come with a Last-Modified, /etag/ with both validators.
        const bool validated = n % 10 <= 2 || n % 10 == 5;
        second.push_back(validated ? name + ": not modified" : first.back());
    }

    update.Run();
    EXPECT_EQ(view.lines, first);
    EXPECT_EQ(view.summary.Sites, kSites);
    EXPECT_EQ(view.summary.Failed, 6);
    EXPECT_EQ(view.summary.Items, kSites - 6);
    EXPECT_FALSE(view.summary.Stopped);
    // Each failure comes with its address and what went wrong: refused, no HTTP reply, 404,
    // no HTTP reply, no TLS, no HTTP reply.
    ASSERT_EQ(view.messages.size(), 6u);
    EXPECT_NE(view.messages[0].find("Connection refused"), std::string::npos) << view.messages[0];
    EXPECT_NE(view.messages[2].find("404 Not Found"), std::string::npos) << view.messages[2];
    for (const std::string& message : view.messages) {
        EXPECT_TRUE(message.starts_with("http")) << message;
        EXPECT_GT(message.size(), message.find(' ') + 3) << message;
    }

    // The second time the validators kept go with the requests: the sites that sent them
    // answer "not modified", the others as before.
    validators.Save();
    TFeedValidators reread;
    reread.Load(data.path());
    update.Validators = &reread;
    view.lines.clear();
    update.Run();
    EXPECT_EQ(view.lines, second);
    EXPECT_EQ(view.summary.NotModified, 12);
    EXPECT_EQ(view.summary.Items, kSites - 18);
}

TEST(TFeedUpdate, ASiteStillOutHoldsTheReportsAfterItButNotTheFetching) {
    test::TempFolder feeds;
    writeFeeds(feeds.path(), 4);
    test::LocalHttpServer server(feeds.path());
    std::mutex mutex;
    std::condition_variable changed;
    bool release = false;
    int ready = 0;
    test::ScriptedServer held([&](test::ScriptedPeer& peer) {
        peer.readRequest();
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return release; });
        const std::string body = "<rss><channel><item><title>late</title></item></channel></rss>";
        peer.send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) +
                  "\r\nConnection: close\r\n\r\n" + body);
    });
    RecordingView view;
    TFeedUpdate update(view);
    update.Jobs = 2;
    update.OnResultReady = [&] {
        std::lock_guard<std::mutex> lock(mutex);
        ++ready;
        changed.notify_all();
    };
    addSite(update, "Held", held.url("/feed"));
    for (int n = 1; n < 4; ++n) {
        addSite(update, "S" + std::to_string(n), server.url("/site-" + std::to_string(n) + ".xml"));
    }
    ASSERT_EQ(update.Start(), 4);
    {
        // With one worker held, the other fetches every site after it.
        std::unique_lock<std::mutex> lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(30), [&] { return ready == 3; }));
    }
    EXPECT_TRUE(update.Fetching(0));
    update.Deliver();
    EXPECT_TRUE(view.lines.empty()) << "nothing may pass the site still out";
    {
        std::lock_guard<std::mutex> lock(mutex);
        release = true;
        changed.notify_all();
    }
    {
        std::unique_lock<std::mutex> lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(30), [&] { return ready == 4; }));
    }
    update.Deliver();
    EXPECT_EQ(view.lines, (std::vector<std::string>{"Held: late", "S1: News of 1", "S2: News of 2",
                                                    "S3: News of 3"}));
    EXPECT_FALSE(update.Running());
    held.join();
}

TEST(TFeedUpdate, DueRulesStayAndAFailedSiteStaysDue) {
    test::TempFolder feeds;
    writeFeeds(feeds.path(), 2);
    test::LocalHttpServer server(feeds.path());
    RecordingView view;
    TFeedUpdate update(view);
    addSite(update, "Hourly", server.url("/site-0.xml"), 60);
    addSite(update, "Always", server.url("/site-1.xml"), 0);
    addSite(update, "Broken", server.url("/status/500"), 60);
    update.Run();
    EXPECT_EQ(view.lines, (std::vector<std::string>{"Hourly: News of 0", "Always: News of 1",
                                                    "Broken: failed"}));
    view.lines.clear();
    update.Run();
    EXPECT_EQ(view.lines, (std::vector<std::string>{"Always: News of 1", "Broken: failed"}));
    // A pick narrows the due sites further; with none left the end comes at once.
    view.lines.clear();
    EXPECT_EQ(update.Start([](const TRSSSourceItem& source) { return source.UpdateFrequency > 0; }), 1);
    EXPECT_THROW(update.Start(), std::exception) << "one update at a time";
    update.Stop();
    EXPECT_FALSE(update.Running());
    const int finished = view.finished;
    EXPECT_EQ(update.Start([](const TRSSSourceItem&) { return false; }), 0);
    EXPECT_EQ(view.finished, finished + 1);
    EXPECT_FALSE(update.Running());
}

TEST(TFeedUpdate, StopAndDestructionEndWithinASecondOnSitesThatNeverAnswer) {
    test::TempFolder feeds;
    writeFeeds(feeds.path(), 1);
    test::LocalHttpServer server(feeds.path());
    test::SilentServer silent;
    for (const bool destroy : {false, true}) {
        RecordingView view;
        auto update = std::make_unique<TFeedUpdate>(view);
        update->Jobs = 3;
        addSite(*update, "Quick", server.url("/site-0.xml"));
        for (int n = 0; n < 4; ++n) addSite(*update, "Mute" + std::to_string(n), silent.url("/"));
        update->Start();
        ASSERT_TRUE(eventually([&] { return update->Fetching(1) && update->Fetching(2); }));
        const auto start = std::chrono::steady_clock::now();
        if (destroy) {
            update.reset();
        } else {
            update->Stop();
        }
        EXPECT_LT(secondsSince(start), 1.0) << (destroy ? "destroying" : "stopping");
        if (destroy) {
            EXPECT_EQ(view.finished, 0) << "a destroyed update reports nothing more";
            continue;
        }
        EXPECT_FALSE(update->Running());
        EXPECT_EQ(view.finished, 1);
        EXPECT_TRUE(view.summary.Stopped);
        // Only what was complete is reported; the silent sites neither fail nor count.
        for (const std::string& line : view.lines) EXPECT_EQ(line, "Quick: News of 0");
        EXPECT_TRUE(view.messages.empty());
        EXPECT_TRUE(update->Sources().RSSSourceList()[1]->IsDue());
    }
}

TEST(TFeedValidators, KeptPerAddressInATableOfTheirOwn) {
    test::TempFolder data;
    TFeedValidators validators;
    validators.Store("http://127.0.0.1/not-saved", {"\"x\"", ""});
    validators.Save();  // without a Load nothing is written
    EXPECT_FALSE(std::filesystem::exists(data.path() + kFeedsTableName));

    validators.Load(data.path());
    EXPECT_TRUE(std::filesystem::exists(data.path() + kFeedsTableName));
    EXPECT_TRUE(validators.Find("http://127.0.0.1/not-saved").Empty());
    validators.Store("http://127.0.0.1/a", {"\"a1\"", "Wed, 09 Dec 2026 10:00:00 GMT"});
    validators.Store("http://127.0.0.1/b", {"W/\"b1\"", ""});
    validators.Store("http://127.0.0.1/long", {std::string(251, 'e'), "Thu, 10 Dec 2026 10:00:00 GMT"});
    validators.Save();
    validators.Store("http://127.0.0.1/a", {"\"a2\"", ""});
    validators.Save();

    TFeedValidators reread;
    reread.Load(data.path());
    EXPECT_EQ(reread.Find("http://127.0.0.1/a"), (TFeedValidator{"\"a2\"", ""}));
    EXPECT_EQ(reread.Find("http://127.0.0.1/b"), (TFeedValidator{"W/\"b1\"", ""}));
    // An ETag too long for its field is not kept cut: only the date is.
    EXPECT_EQ(reread.Find("http://127.0.0.1/long"),
              (TFeedValidator{"", "Thu, 10 Dec 2026 10:00:00 GMT"}));
    EXPECT_TRUE(reread.Find("http://127.0.0.1/c").Empty());
}
