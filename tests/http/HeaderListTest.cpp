#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "http/NetHeaderList.h"

using namespace wispel;

TEST(NetHeaderList, LooksUpNamesAndUnfoldsContinuationLines) {
    struct Case {
        std::vector<std::string> lines;
        const char* name;
        const char* value;
    };
    const Case cases[] = {
        {{"X-Tag: first", "x-tag: second"}, "X-TAG", "first"},
        {{"X-Tag: first", "  second", "\tthird", "Other: o"}, "x-tag", "first second third"},
        {{"X-Tag: first", "", "  second"}, "x-tag", "first"},
        {{"X-Tag:", "  only"}, "X-Tag", "only"},
        {{"X-Tag: ends with blank ", " next"}, "X-Tag", "ends with blank next"},
        {{"X-Tag:   padded  "}, "X-Tag", "padded  "},
        {{"no colon here"}, "", ""},
        {{"A: 1"}, "B", ""},
    };
    for (const auto& c : cases) {
        TNetHeaderList list = TNetHeaderList(c.lines);
        SCOPED_TRACE(c.lines.front());
        EXPECT_EQ(list.value(c.name), c.value);
    }
    TNetHeaderList mixed = TNetHeaderList({"Content-Type: a", "no colon"});
    EXPECT_EQ(mixed.nameOfLine(0), "CONTENT-TYPE");
    EXPECT_EQ(mixed.nameOfLine(1), "");
    EXPECT_EQ(mixed.indexOfName(""), -1);
    mixed.caseSensitiveNames = true;
    EXPECT_EQ(mixed.nameOfLine(0), "Content-Type");
    TNetHeaderList folded = TNetHeaderList({"A: 1", " 2"});
    EXPECT_EQ(folded.value("A"), "1 2");
    folded.unfoldOnRead = false;
    EXPECT_EQ(folded.value("A"), "1");
}

TEST(NetHeaderList, SetValueReplacesAppendsAndDeletes) {
    TNetHeaderList list = TNetHeaderList({"A: 1", " more", "B: 2"});
    list.setValue("a", "new");
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"a: new", "B: 2"}));
    list.setValue("C", "3");
    EXPECT_EQ(list.Strings(2), "C: 3");
    list.Insert(1, " continuation of a");
    list.setValue("A", "");
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"B: 2", "C: 3"}));
    list.setValue("A", "");
    EXPECT_EQ(list.Count(), 2);

    list.foldOnWrite = false;
    list.Add(" tail");
    list.setValue("C", "x");
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"B: 2", "C: x", " tail"}));
}

TEST(NetHeaderList, FoldsLongValuesAtBlanksOutsideQuotes) {
    std::string words;
    for (int i = 0; i < 30; ++i) words += (i ? " word" : "word") + std::to_string(i);
    TNetHeaderList list;
    list.setValue("X-Long", words);
    ASSERT_GT(list.Count(), 1);
    for (int i = 0; i < list.Count(); ++i) {
        EXPECT_LE(list.Strings(i).size(), 78u) << list.Strings(i);
        if (i > 0) {
            EXPECT_EQ(list.Strings(i).substr(0, 1), " ");
        }
        EXPECT_NE(list.Strings(i).back(), ' ');
    }
    EXPECT_EQ(list.value("X-Long"), words);

    std::string quoted = "a=\"" + std::string(70, 'q') + " inside quotes\" b";
    auto pieces = TNetHeaderList::foldLine("X: " + quoted, 78);
    ASSERT_GT(pieces.size(), 1u);
    for (const auto& piece : pieces) {
        if (piece.find("inside") != std::string::npos) {
            EXPECT_NE(piece.find("\"" + std::string(70, 'q') + " inside quotes\""),
                      std::string::npos);
        }
    }
    EXPECT_EQ(TNetHeaderList::foldLine("short line", 78), std::vector<std::string>{"short line"});
}
