#include <gtest/gtest.h>

#include "core/Collection.h"
#include "core/Component.h"
#include "core/DateTime.h"
#include "core/Event.h"
#include "core/Exception.h"
#include "core/Format.h"
#include "tests/support/ExpectError.h"

using namespace wispel;

namespace {

WISPEL_DECLARE_EXCEPTION(ESampleError, EConvertError);

struct Entry : TCollectionItem {
    int value = 0;
};

}  // namespace

TEST(Exception, ReportsItsOwnClassName) {
    try {
        throw ESampleError("bad");
    } catch (const Exception& e) {
        EXPECT_STREQ(e.className(), "ESampleError");
        EXPECT_EQ(e.message(), "bad");
        EXPECT_FALSE(isSilentAbort(e));
    }
    EXPECT_TRUE(isSilentAbort(EAbort("")));
}

TEST(Format, FillsPlaceholders) {
    EXPECT_EQ(formatMessage("List index out of bounds (%d)", {-1}),
              "List index out of bounds (-1)");
    EXPECT_EQ(formatMessage("%S is not a valid XmlCharRef value.", {std::u16string(u"&#0;")}),
              "&#0; is not a valid XmlCharRef value.");
    EXPECT_EQ(formatMessage("%s: %d%% of %x", {"a", 50, 255}), "a: 50% of FF");
    EXPECT_EQ(formatMessage("%s and %s", {"one"}), "one and %s");
}

TEST(Collection, OwnsEntriesInOrder) {
    TOwnedCollection<Entry> list;
    list.Add()->value = 1;
    list.Add()->value = 2;
    list.Add()->value = 3;
    ASSERT_EQ(list.Count(), 3);
    delete list[1];  // freeing an entry removes it
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list[1]->value, 3);
    EXPECT_EQ(list[1]->Index(), 1);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    list.Add();
    EXPECT_EQ(list.Count(), 1);
}

TEST(Collection, TakesTheEntriesOfAnotherInOrder) {
    TOwnedCollection<Entry> from, to;
    to.Add()->value = 1;
    Entry* two = from.Add();
    two->value = 2;
    from.Add()->value = 3;
    to.TakeItems(from);
    EXPECT_EQ(from.Count(), 0);
    ASSERT_EQ(to.Count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(to[i]->value, i + 1);
        EXPECT_EQ(to[i]->Index(), i);
    }
    EXPECT_EQ(two->Collection(), &to);
    delete two;  // an entry taken over leaves its new collection when freed
    ASSERT_EQ(to.Count(), 2);
    EXPECT_EQ(to[1]->value, 3);
    EXPECT_EQ(from.Count(), 0);
}

TEST(Collection, IndexOutOfRangeRaisesListError) {
    TOwnedCollection<Entry> list;
    list.Add();
    for (int bad : {-1, 1, 7}) {
        EXPECT_ERROR(list.Items(bad), EListError,
                     "List index out of bounds (" + std::to_string(bad) + ")");
    }
}

namespace {

struct Watcher : TComponent {
    using TComponent::TComponent;
    TComponent* target = nullptr;
    void watch(TComponent* t) {
        target = t;
        FreeNotification(t);
    }
    void Notification(TComponent* c, TOperation op) override {
        if (op == TOperation::opRemove && c == target) target = nullptr;
    }
};

struct Counted : TComponent {
    Counted(TComponent* owner, int& alive) : TComponent(owner), alive_(alive) { ++alive_; }
    ~Counted() override { --alive_; }
    int& alive_;
};

}  // namespace

TEST(Component, OwnerFreesWhatItOwns) {
    int alive = 0;
    {
        TComponent owner;
        auto* a = new Counted(&owner, alive);
        new Counted(a, alive);
        auto* c = new Counted(&owner, alive);
        EXPECT_EQ(alive, 3);
        EXPECT_EQ(owner.ComponentCount(), 2);
        delete c;  // freeing an owned component directly detaches it
        EXPECT_EQ(owner.ComponentCount(), 1);
        EXPECT_THROW(owner.Components(1), EListError);
    }
    EXPECT_EQ(alive, 0);
}

TEST(Component, FreeNotificationClearsReference) {
    Watcher watcher;
    auto* target = new TComponent;
    watcher.watch(target);
    delete target;
    EXPECT_EQ(watcher.target, nullptr);

    // A watcher that goes first leaves nothing dangling in its target.
    auto* early = new Watcher;
    TComponent survivor;
    early->watch(&survivor);
    delete early;
}

TEST(Event, UnsetUntilBound) {
    struct Sink {
        int total = 0;
        void add(int n) { total += n; }
    } sink;
    TEvent<int> event;
    EXPECT_FALSE(event.assigned());
    event = bindEvent(&sink, &Sink::add);
    ASSERT_TRUE(event.assigned());
    event(5);
    EXPECT_EQ(sink.total, 5);
}

TEST(DateTime, DayCountOfKnownDates) {
    struct Case {
        int y, m, d;
        long long days;
    } cases[] = {{1899, 12, 30, 0}, {1899, 12, 31, 1},   {1900, 1, 1, 2},
                 {1900, 3, 1, 61},  {2000, 1, 1, 36526}, {1899, 12, 29, -1}};
    for (const auto& c : cases) EXPECT_EQ(dayCount(c.y, c.m, c.d), c.days) << c.y;
    EXPECT_DOUBLE_EQ(encodeDateTime(1899, 12, 30, 12), 0.5);
    auto parts = decodeDateTime(encodeDateTime(2026, 12, 10, 23, 59, 59, 999));
    EXPECT_EQ(parts.year, 2026);
    EXPECT_EQ(parts.day, 10);
    EXPECT_EQ(parts.hour, 23);
    EXPECT_EQ(parts.millisecond, 999);
    TDateTime now = Now();
    EXPECT_GT(now, encodeDateTime(2020, 1, 1));
}

TEST(Event, CopyOfUnsetEventStaysUnset) {
    TEvent<int> unset;
    TEvent<int> copy = unset;
    EXPECT_FALSE(copy.assigned());
}
