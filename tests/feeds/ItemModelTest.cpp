#include <gtest/gtest.h>

#include "core/Exception.h"
#include "feeds/FeedFilter.h"
#include "feeds/ItemModel.h"
#include "tests/support/ExpectError.h"

using namespace wispel;

TEST(ClassifyElement, MatchesTheFourNamesInAnyLetterCaseOnly) {
    const struct {
        const char* name;
        ElementKind kind;
    } cases[] = {
        {"title", ElementKind::Title},
        {"TITLE", ElementKind::Title},
        {"Title", ElementKind::Title},
        {"link", ElementKind::Link},
        {"LiNk", ElementKind::Link},
        {"description", ElementKind::Description},
        {"DESCRIPTION", ElementKind::Description},
        {"item", ElementKind::Item},
        {"Item", ElementKind::Item},
        {"titles", ElementKind::None},
        {" title", ElementKind::None},
        {"title ", ElementKind::None},
        {"dc:title", ElementKind::None},
        {"", ElementKind::None},
        {"#text", ElementKind::None},
        {"image", ElementKind::None},
        // letters whose upper case is an ASCII letter are still other names
        {"de\xC5\xBF"
         "cription",
         ElementKind::None},
        {"l\xC4\xB1nk", ElementKind::None},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ClassifyElement(c.name), c.kind) << c.name;
        EXPECT_EQ(classifyNodeName(fromUtf8(c.name)), c.kind) << c.name;  // the DOM-name form
    }
}

TEST(SetItemField, StoresTheSelectedFieldAndOverwrites) {
    TRSSListedItem item;
    SetItemField(item, ElementKind::Title, "t1");
    SetItemField(item, ElementKind::Link, "l");
    SetItemField(item, ElementKind::Description, "d");
    SetItemField(item, ElementKind::Title, "t2");
    SetItemField(item, ElementKind::None, "x");
    SetItemField(item, ElementKind::Item, "y");
    EXPECT_EQ(item.Title, "t2");
    EXPECT_EQ(item.Link, "l");
    EXPECT_EQ(item.Description, "d");
}

TEST(TRSSListedItemCollection, AcceptsOnlyItsItemClassAndIsReusable) {
    EXPECT_ERROR(TRSSListedItemCollection wrong(typeid(TCollectionItem)), Exception,
                 "TRSSListedItemCollection only accepts TRSSListedItem collection Items.");
    TRSSListedItemCollection items(typeid(TRSSListedItem));
    items.Add()->Title = "a";
    items.Add()->Title = "b";
    items.Clear();
    EXPECT_EQ(items.Count(), 0);
    items.Add()->Title = "c";
    ASSERT_EQ(items.Count(), 1);
    EXPECT_EQ(items[0]->Title, "c");
    EXPECT_THROW(items.Items(1), EListError);
}
