#include <gtest/gtest.h>

#include "FormatTestSupport.h"
#include "tablestore/format/DataFile.h"
#include "tablestore/format/DataFileChecks.h"
#include "tablestore/format/RecordSlots.h"

using namespace wispel;
using namespace wispel::formattest;

namespace {

struct CorruptCase {
    const char* file;
    StoreResult expected;
};

// Each damaged file of tests/data/tablestore/corrupt (written by make_fixtures.py) and the
// code opening it gives.
const CorruptCase kHeaderCases[] = {
    {"version-3", storecode::kWrongVersion},
    {"language-unknown", storecode::kLanguageDriver},
    {"enciphered", storecode::kPasswordRequired},
    {"shorter-than-header", storecode::kHeaderCorrupt},
    {"no-columns", storecode::kHeaderCorrupt},
    {"descriptors-past-end", storecode::kHeaderCorrupt},
    {"blob-count-above-columns", storecode::kHeaderCorrupt},
    {"record-size-wrong", storecode::kHeaderCorrupt},
    {"length-not-whole-records", storecode::kHeaderCorrupt},
    {"next-number-wrong", storecode::kHeaderCorrupt},
    {"free-head-past-end", storecode::kHeaderCorrupt},
    {"field-number-wrong", storecode::kHeaderCorrupt},
    {"name-empty", storecode::kHeaderCorrupt},
    {"name-starts-with-digit", storecode::kHeaderCorrupt},
    {"name-length-past-room", storecode::kHeaderCorrupt},
    {"names-repeated", storecode::kHeaderCorrupt},
    {"type-zero", storecode::kHeaderCorrupt},
    {"text-size-zero", storecode::kHeaderCorrupt},
    {"text-size-251", storecode::kHeaderCorrupt},
    {"integer-with-size", storecode::kHeaderCorrupt},
    {"width-wrong", storecode::kHeaderCorrupt},
    {"decimals-not-bcd", storecode::kHeaderCorrupt},
    {"offset-gap", storecode::kHeaderCorrupt},
    {"autoinc-not-at-5", storecode::kHeaderCorrupt},
    {"minimum-not-a-number", storecode::kHeaderCorrupt},
    {"computed-column", storecode::kHeaderCorrupt},
};

// Files whose header passes: the free-record chain is what is damaged.
const CorruptCase kChainCases[] = {
    {"chain-loops", storecode::kRecordsCorrupt},
    {"chain-member-active", storecode::kRecordsCorrupt},
    {"chain-link-past-end", storecode::kRecordsCorrupt},
};

StoreResult openFixture(const std::string& name, DataHeader& header,
                        std::unique_ptr<StoreFile>& file) {
    EXPECT_EQ(posixFileSystem().open(fixturePath(name), {.readOnly = true}, file),
              storecode::kOk);
    std::vector<ColumnDescriptor> columns;
    return loadDataFile(*file, header, columns);
}

}  // namespace

TEST(CorruptDataFiles, EachHeaderCheckGivesItsCode) {
    std::unique_ptr<StoreFile> file;
    DataHeader header;
    ASSERT_EQ(openFixture("small-table.DAT", header, file), storecode::kOk);
    std::uint32_t chainLength = 0;
    EXPECT_EQ(checkFreeChain(*file, header, chainLength), storecode::kOk);
    EXPECT_EQ(chainLength, 1u);
    for (const auto& c : kHeaderCases) {
        EXPECT_EQ(openFixture(std::string("corrupt/") + c.file + ".DAT", header, file),
                  c.expected)
            << c.file;
    }
}

TEST(CorruptDataFiles, BrokenFreeChainsAreFoundWithoutLooping) {
    for (const auto& c : kChainCases) {
        std::unique_ptr<StoreFile> file;
        DataHeader header;
        ASSERT_EQ(openFixture(std::string("corrupt/") + c.file + ".DAT", header, file),
                  storecode::kOk)
            << c.file;
        std::uint32_t chainLength = 0;
        EXPECT_EQ(checkFreeChain(*file, header, chainLength), c.expected) << c.file;
    }
}

TEST(DataFileChecks, ValueTextsAndLanguageIds) {
    EXPECT_TRUE(validValueText(enginetype::kInteger, "-12"));
    EXPECT_TRUE(validValueText(enginetype::kFloat, "1.5e3"));
    EXPECT_FALSE(validValueText(enginetype::kInteger, "12x"));
    EXPECT_TRUE(validValueText(enginetype::kBoolean, "true"));
    EXPECT_FALSE(validValueText(enginetype::kBoolean, "yes"));
    EXPECT_TRUE(validValueText(enginetype::kText, "anything"));
    EXPECT_TRUE(knownLanguageId(0));
    EXPECT_TRUE(knownLanguageId(0x0409));  // US English
    EXPECT_TRUE(knownLanguageId(0x0407));  // German
    EXPECT_FALSE(knownLanguageId(0x0009));  // a primary language without a sublanguage
    EXPECT_FALSE(knownLanguageId(0xFFFF));
}
