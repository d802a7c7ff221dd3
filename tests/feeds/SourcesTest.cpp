#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/Exception.h"
#include "feeds/Retriever.h"
#include "feeds/Sources.h"
#include "tests/support/ExpectError.h"

using namespace wispel;

namespace {

WISPEL_DECLARE_EXCEPTION(EFetchFailed, Exception);

// Writes the URL into the stream, or fails for the URL it is told to fail on.
class FakeRetriever : public TRSSRetriever {
public:
    using TRSSRetriever::TRSSRetriever;
    void Retrieve(const std::string& URL, TStream* Stream) override {
        fetched.push_back(URL);
        if (URL == failOn) throw EFetchFailed("cannot fetch " + URL);
        Stream->WriteBuffer(URL.data(), static_cast<std::int64_t>(URL.size()));
    }
    std::vector<std::string> fetched;
    std::string failOn;
};

struct Cycle {
    TRSSSources sources;
    FakeRetriever retriever;
    std::vector<std::string> events;  // "site=stream content"

    explicit Cycle(int count, std::int32_t frequency = 60) {
        sources.SetRetriever(&retriever);
        for (int i = 0; i < count; ++i) {
            TRSSSourceItem* source = sources.RSSSourceList().Add();
            source->URL = "http://127.0.0.1/" + std::to_string(i);
            source->Site = "site" + std::to_string(i);
            source->UpdateFrequency = frequency;
        }
        sources.OnRSSDataRetrieved = [this](TRSSSources* sender, TMemoryStream* stream,
                                            std::string site) {
            EXPECT_EQ(sender, &sources);
            events.push_back(site + "=" + std::string(stream->View()));
        };
    }
    TRSSSourceItem& source(int i) { return *sources.RSSSourceList()[i]; }
    bool due(int i) { return source(i).IsDue(); }
};

}  // namespace

TEST(TRSSSourceItem, DueRules) {
    TRSSSourceItem fresh;
    for (std::int32_t frequency : {0, 60, 10080, 2147483647, -1}) {
        fresh.UpdateFrequency = frequency;
        EXPECT_TRUE(fresh.IsDue()) << "a new source is always due, " << frequency;
    }

    TRSSSourceItem source;
    source.MarkUpdated();
    const TDateTime stamp = source.LastUpdate();
    EXPECT_GT(stamp, 0);
    const TDateTime hour = 60 / kMinutesPerDay, millisecond = 1 / kMillisecondsPerDay;
    const struct {
        std::int32_t frequency;
        TDateTime now;
        bool due;
    } cases[] = {
        {60, stamp + hour, true},
        {60, stamp + hour - millisecond, false},
        {60, stamp + 2 * hour, true},
        {60, stamp, false},
        {0, stamp, true},
        {-5, stamp, true},
        {1, stamp + millisecond, false},
    };
    for (const auto& c : cases) {
        source.UpdateFrequency = c.frequency;
        EXPECT_EQ(source.IsDueAt(c.now), c.due) << c.frequency << " at +" << (c.now - stamp);
    }
}

TEST(TRSSSources, RaisesWithoutRetrieverBeforeLookingAtSources) {
    for (int count : {0, 2}) {
        Cycle cycle(count);
        cycle.sources.SetRetriever(nullptr);
        EXPECT_ERROR(cycle.sources.UpdateSources(), Exception, "No RSS Retriever Assigned");
        EXPECT_TRUE(cycle.events.empty());
        for (int i = 0; i < count; ++i) EXPECT_EQ(cycle.source(i).LastUpdate(), 0);
    }
}

TEST(TRSSSources, ClearsTheRetrieverWhenItIsDestroyed) {
    TRSSSources sources;
    auto retriever = std::make_unique<FakeRetriever>();
    sources.SetRetriever(retriever.get());
    retriever.reset();
    EXPECT_EQ(sources.Retriever(), nullptr);
}

TEST(TRSSSources, ARetrieverDestroyedByTheHandlerEndsTheCycle) {
    TRSSSources sources;
    auto retriever = std::make_unique<FakeRetriever>();
    sources.SetRetriever(retriever.get());
    for (int i = 0; i < 2; ++i) sources.RSSSourceList().Add()->URL = "http://127.0.0.1/";
    sources.OnRSSDataRetrieved = [&](TRSSSources*, TMemoryStream*, std::string) {
        retriever.reset();
    };
    EXPECT_ERROR(sources.UpdateSources(), Exception, "No RSS Retriever Assigned");
    EXPECT_GT(sources.RSSSourceList()[0]->LastUpdate(), 0);
    EXPECT_EQ(sources.RSSSourceList()[1]->LastUpdate(), 0);
}

TEST(TRSSSources, AHandlerThatEmptiesTheListEndsTheCycleSafely) {
    // The entry being handed over is freed by its own handler; the next index is gone.
    Cycle cycle(2);
    cycle.sources.OnRSSDataRetrieved = [&](TRSSSources*, TMemoryStream*, std::string) {
        cycle.sources.RSSSourceList().Clear();
    };
    EXPECT_THROW(cycle.sources.UpdateSources(), EListError);
    EXPECT_EQ(cycle.retriever.fetched.size(), 1u);
}

TEST(TRSSSources, HandsEveryDueSourceToTheEventInOrder) {
    Cycle empty(0);
    empty.sources.UpdateSources();
    EXPECT_TRUE(empty.retriever.fetched.empty());

    Cycle cycle(2);
    cycle.sources.UpdateSources();
    EXPECT_EQ(cycle.events,
              (std::vector<std::string>{"site0=http://127.0.0.1/0", "site1=http://127.0.0.1/1"}));
    EXPECT_FALSE(cycle.due(0));
    EXPECT_FALSE(cycle.due(1));

    // Within the hour nothing is due again, except a source with frequency 0.
    cycle.source(1).UpdateFrequency = 0;
    cycle.events.clear();
    cycle.sources.UpdateSources();
    EXPECT_EQ(cycle.events, (std::vector<std::string>{"site1=http://127.0.0.1/1"}));
}

TEST(TRSSSources, StampsAfterTheEventHandlerReturned) {
    Cycle cycle(1);
    TDateTime seenInHandler = -1, clockInHandler = 0;
    cycle.sources.OnRSSDataRetrieved = [&](TRSSSources*, TMemoryStream*, std::string) {
        seenInHandler = cycle.source(0).LastUpdate();
        clockInHandler = Now();
    };
    cycle.sources.UpdateSources();
    EXPECT_EQ(seenInHandler, 0);
    EXPECT_GE(cycle.source(0).LastUpdate(), clockInHandler);
}

TEST(TRSSSources, WithoutHandlerStillFetchesAndStamps) {
    Cycle cycle(2);
    cycle.sources.OnRSSDataRetrieved.clear();
    cycle.sources.UpdateSources();
    EXPECT_EQ(cycle.retriever.fetched.size(), 2u);
    EXPECT_FALSE(cycle.due(0));
    EXPECT_FALSE(cycle.due(1));
}

TEST(TRSSSources, AFailureEndsTheCycleAndLeavesTheFailingSourceDue) {
    // Failing in the retriever or in the handler, at the first or second of three sources.
    for (bool inHandler : {false, true}) {
        for (int failing : {0, 1}) {
            SCOPED_TRACE(std::string(inHandler ? "handler" : "retriever") + " fails at " +
                         std::to_string(failing));
            Cycle cycle(3);
            const std::string failingURL = cycle.source(failing).URL;
            if (inHandler) {
                cycle.sources.OnRSSDataRetrieved = [&](TRSSSources*, TMemoryStream* stream,
                                                       std::string site) {
                    if (stream->View() == failingURL) throw EFetchFailed("handler");
                    cycle.events.push_back(site);
                };
            } else {
                cycle.retriever.failOn = failingURL;
            }
            EXPECT_THROW(cycle.sources.UpdateSources(), EFetchFailed);
            EXPECT_EQ(cycle.retriever.fetched.size(), static_cast<size_t>(failing + 1));
            EXPECT_EQ(cycle.events.size(), static_cast<size_t>(failing));
            for (int i = 0; i < 3; ++i) EXPECT_EQ(cycle.due(i), i >= failing) << i;

            // The next cycle picks up where this one failed.
            cycle.retriever.failOn.clear();
            cycle.retriever.fetched.clear();
            cycle.sources.OnRSSDataRetrieved.clear();
            cycle.sources.UpdateSources();
            EXPECT_EQ(cycle.retriever.fetched.size(), static_cast<size_t>(3 - failing));
        }
    }
}

TEST(TRSSSources, DesignTimeSourceIsAnHourlyLocalFeed) {
    TRSSSources sources;
    AddDesignTimeSource(sources.RSSSourceList());
    ASSERT_EQ(sources.RSSSourceList().Count(), 1);
    EXPECT_EQ(sources.RSSSourceList()[0]->UpdateFrequency, 60);
    EXPECT_EQ(sources.RSSSourceList().Owner(), &sources);
}

TEST(TRSSSources, ReplacingTheListKeepsTheStampsOfUnchangedSites) {
    Cycle cycle(3);
    cycle.sources.UpdateSources();  // all three stamped, none due for an hour
    TRSSSourceCollection fresh(nullptr);
    const struct {
        const char* site;
        const char* url;
        std::int32_t frequency;
    } rows[] = {
        {"site2", "http://127.0.0.1/2", 60},   // unchanged, now first
        {"site0", "http://127.0.0.1/0", 0},    // unchanged address, interval now 0
        {"site1", "http://127.0.0.1/new", 60},  // a new address: a new source
        {"site9", "http://127.0.0.1/9", 60},   // added
        {"site2", "http://127.0.0.1/2", 60},   // the same site twice: one stamp for one entry
    };
    for (const auto& row : rows) {
        TRSSSourceItem* source = fresh.Add();
        source->Site = row.site;
        source->URL = row.url;
        source->UpdateFrequency = row.frequency;
    }
    ReplaceSourcesKeepingStamps(cycle.sources.RSSSourceList(), fresh);
    ASSERT_EQ(cycle.sources.RSSSourceList().Count(), 5);
    EXPECT_EQ(cycle.source(1).UpdateFrequency, 0);
    const bool due[] = {false, true, true, true, true};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(cycle.due(i), due[i]) << rows[i].site << " " << rows[i].url;
    EXPECT_EQ(cycle.sources.RSSSourceList().Owner(), &cycle.sources);
    EXPECT_EQ(fresh.Count(), 5) << "the fresh list is only read";
}
