#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/MemoryStream.h"
#include "feeds/TextReader.h"

using namespace wispel;

namespace {

// Items as "title|link|description" lines, for compact expectations.
std::vector<std::string> readRecords(std::string_view text) {
    TRSSListedItemCollection items(typeid(TRSSListedItem));
    items.Add()->Title = "left over from an earlier parse";
    ReadRSSTextRecords(text, items);
    std::vector<std::string> out;
    for (int i = 0; i < items.Count(); ++i) {
        out.push_back(items[i]->Title + "|" + items[i]->Link + "|" + items[i]->Description);
    }
    return out;
}

using Items = std::vector<std::string>;
using namespace std::string_literals;

}  // namespace

TEST(ReadRSSTextRecords, CutsRecordsOfThreeLines) {
    const struct {
        const char* name;
        std::string text;
        Items expected;
    } cases[] = {
        {"empty", "", {}},
        {"one record", "T\nhttp://l\nD\n", {"T|http://l|D"}},
        {"no final line feed", "T\nD\nhttp://l", {"T|http://l|D"}},
        {"six lines in a row",
         "A\nhttp://a\nDa\nB\nDb\nhttp://b\n",
         {"A|http://a|Da", "B|http://b|Db"}},
        {"separators",
         "A\nhttp://a\nDa\n&&\nB\nhttp://b\nDb\n\n\nC\nhttp://c\nDc",
         {"A|http://a|Da", "B|http://b|Db", "C|http://c|Dc"}},
        {"short record dropped", "T\nhttp://l\n&&\nA\nhttp://a\nDa\n", {"A|http://a|Da"}},
        {"carriage returns only", "T\rhttp://l\rD\r", {}},
        {"https is not a link", "T\nhttps://l\nD\n", {"T||D"}},
        {"link search stops at a zero byte", "T\nx\0http://l\nD\n"s, {"T||D"}},
        {"separator test stops at a zero byte", "T\nhttp://l\n&&\0x\nD\n"s, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(readRecords(c.text), c.expected) << c.name;
}

TEST(ReadRSSTextRecords, CarriageReturnLineEndsStayInTheLines) {
    // "&&\r" and "\r" are record lines here, not separators.
    EXPECT_EQ(readRecords("A\r\nhttp://a\r\nDa\r\n&&\r\nB\r\n\r\n"),
              (Items{"A\r|http://a\r|Da\r", "&&\r||\r"}));
}

TEST(ReadRSSTextRecords, EveryRecordStartsWithEmptyFields) {
    // Two links: the later one wins and the description stays empty; no link: the link
    // stays empty. Neither borrows from the record before.
    EXPECT_EQ(readRecords("A\nhttp://a\nDa\nB\nhttp://b1\nhttp://b2\nC\nDc1\nDc2\n"),
              (Items{"A|http://a|Da", "B|http://b2|", "C||Dc2"}));
    // A dropped partial record leaves nothing behind either.
    EXPECT_EQ(readRecords("A\nhttp://a\n\nB\nDb\nDb2\n"), (Items{"B||Db2"}));
}

TEST(ReadRSSTextStream, ReadsTheWholeStreamFromItsFirstByte) {
    TMemoryStream stream;
    const std::string text = "T\nhttp://l\nD";
    stream.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
    stream.SetPosition(4);
    TRSSListedItemCollection items(typeid(TRSSListedItem));
    ReadRSSTextStream(stream, items);
    ASSERT_EQ(items.Count(), 1);
    EXPECT_EQ(items[0]->Title, "T");
    EXPECT_EQ(stream.Position(), stream.Size());
}
