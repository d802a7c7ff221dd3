// Damaged index files kept in tests/data/tablestore/index (written by make_fixtures.py from
// the documented layout): the header checks on open, and damaged pages met while the index
// is read or changed, each with its code and never a crash or a hang.

#include <gtest/gtest.h>

#include "IndexTestSupport.h"
#include "tablestore/index/IndexChecker.h"
#include "tablestore/index/KeyForm.h"

using namespace wispel;
using namespace wispel::indextest;

namespace {

std::string fixturePath(const std::string& name) {
    return std::string(WISPEL_TEST_DATA) + "/tablestore/index/" + name;
}

struct Opened {
    std::unique_ptr<StoreFile> file;
    std::unique_ptr<TIndexFile> index;
    StoreResult result = storecode::kOk;
};

Opened openFixture(const std::string& name) {
    Opened opened;
    StoreOpenOptions options;
    options.readOnly = true;
    opened.result = posixFileSystem().open(fixturePath(name), options, opened.file);
    if (opened.result != storecode::kOk) return opened;
    opened.index = std::make_unique<TIndexFile>(*opened.file);
    opened.result = opened.index->open(tableColumns(), kRecordSize);
    return opened;
}

TEST(IndexFixtures, HeaderChecksOnOpen) {
    const struct {
        const char* name;
        StoreResult code;
    } cases[] = {
        {"bad-version.IDX", storecode::kWrongVersion},
        {"short-header.IDX", storecode::kHeaderCorrupt},
        {"end-beyond-file.IDX", storecode::kHeaderCorrupt},
        {"end-not-a-page.IDX", storecode::kHeaderCorrupt},
        {"root-beyond-end.IDX", storecode::kHeaderCorrupt},
        {"root-not-a-page.IDX", storecode::kHeaderCorrupt},
        {"too-many-secondaries.IDX", storecode::kHeaderCorrupt},
        {"system-key-length.IDX", storecode::kHeaderCorrupt},
        {"primary-without-keys.IDX", storecode::kHeaderCorrupt},
        {"secondary-key-length.IDX", storecode::kHeaderCorrupt},
        {"secondary-unknown-field.IDX", storecode::kHeaderCorrupt},
        {"secondary-blank-name.IDX", storecode::kHeaderCorrupt},
        {"secondary-name-twice.IDX", storecode::kHeaderCorrupt},
        {"slot-name-too-long.IDX", storecode::kHeaderCorrupt},
    };
    for (const auto& c : cases) EXPECT_EQ(openFixture(c.name).result, c.code) << c.name;
}

// Walks the system index from its first entry, and inserts keys until something fails.
StoreResult useSystemIndex(TIndexFile& index) {
    const int slot = indexlayout::kSystemSlot;
    TIndexTree& tree = index.tree(slot);
    TIndexPosition at;
    StoreResult result = tree.first(at);
    for (int steps = 0; result == storecode::kOk && steps < 100; ++steps) result = tree.next(at);
    if (result != storecode::kEndOfFile) return result;
    for (std::int32_t id = 100; id < 2000; ++id) {
        std::uint8_t key[5];
        buildSystemKey(0, id, key);
        result = index.insertKey(slot, key, static_cast<std::uint32_t>(id));
        if (result != storecode::kOk) return result;
    }
    return storecode::kOk;
}

TEST(IndexFixtures, DamagedPagesGiveIndexCorruptWhenUsed) {
    for (const char* name : {"page-unknown-kind.IDX", "page-empty-root.IDX",
                             "page-count-beyond-room.IDX", "branch-points-at-itself.IDX",
                             "leaf-links-loop.IDX", "leaf-keys-unordered-loop.IDX",
                             "free-chain-loop.IDX",
                             "compressed-leaf-overrun.IDX"}) {
        Opened opened = openFixture(name);
        ASSERT_EQ(opened.result, storecode::kOk) << name;
        EXPECT_EQ(useSystemIndex(*opened.index), storecode::kIndexCorrupt) << name;
        const TIndexCheckReport report = checkIndexFile(*opened.index);
        EXPECT_FALSE(report.ok()) << name;
    }
}

TEST(IndexFixtures, ASoundTwoLevelIndexChecksCleanAndWalks) {
    Opened opened = openFixture("two-level.IDX");
    ASSERT_EQ(opened.result, storecode::kOk);
    const TIndexCheckReport report = checkIndexFile(*opened.index);
    EXPECT_TRUE(report.ok()) << report.text();
    EXPECT_EQ(report.PagesInTrees, 3u);
    EXPECT_EQ(useSystemIndex(*opened.index), storecode::kOk);
    opened.index->setActiveRecords(4 + 1900);
    EXPECT_TRUE(checkIndexFile(*opened.index).ok()) << checkIndexFile(*opened.index).text();
}

TEST(IndexFixtures, CheckerNamesWhatIsWrong) {
    Opened loop = openFixture("leaf-links-loop.IDX");
    ASSERT_EQ(loop.result, storecode::kOk);
    const std::string text = checkIndexFile(*loop.index).text();
    EXPECT_NE(text.find("system index: page 8192 links back to 12288 instead of 0"),
              std::string::npos) << text;
    EXPECT_NE(text.find("system index: page 12288 links on to 8192 instead of 0"),
              std::string::npos) << text;

    Opened unordered = openFixture("leaf-keys-unordered-loop.IDX");
    ASSERT_EQ(unordered.result, storecode::kOk);
    const std::string unorderedText = checkIndexFile(*unordered.index).text();
    EXPECT_NE(unorderedText.find("system index: page 12288 has keys out of order at entry 1"),
              std::string::npos) << unorderedText;

    Opened chain = openFixture("free-chain-loop.IDX");
    ASSERT_EQ(chain.result, storecode::kOk);
    const std::string chainText = checkIndexFile(*chain.index).text();
    EXPECT_NE(chainText.find("system index: page 8192 is used twice"), std::string::npos)
        << chainText;
}

}  // namespace
