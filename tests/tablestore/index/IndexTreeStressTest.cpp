// Trees of 100 000 keys in every leaf compression, unique and not, built by random inserts
// and deletes and checked by the invariant checker every few thousand steps; then every key
// is deleted again, which must leave one free chain holding every page.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "IndexTestSupport.h"
#include "tablestore/index/IndexChecker.h"
#include "tablestore/index/KeyForm.h"

using namespace wispel;
using namespace wispel::indextest;

namespace {

struct StressCase {
    std::uint8_t Compression;
    bool Unique;
};

std::string caseName(const testing::TestParamInfo<StressCase>& info) {
    return "Compression" + std::to_string(info.param.Compression) +
           (info.param.Unique ? "Unique" : "NotUnique");
}

constexpr int kSlot = 1;
constexpr std::size_t kTargetKeys = 100000;
constexpr int kCheckEvery = 25000;

class IndexTreeStress : public testing::TestWithParam<StressCase> {
protected:
    void SetUp() override {
        const TIndexDefinition definition{"ByName", {2, 3}, GetParam().Unique,
                                          GetParam().Compression};
        fixture_ = std::make_unique<IndexFixture>("stress.IDX", &definition);
        ASSERT_TRUE(layoutOk());
    }

    bool layoutOk() {
        return makeKeyLayout(fixture_->index->header().Slots[kSlot], fixture_->columns,
                             kRecordSize, layout_) == storecode::kOk;
    }

    // A row whose Name shares long prefixes with others and ends in zeros, so that both
    // kinds of compression have work to do.
    struct Row {
        std::uint32_t Name;
        std::int32_t Update;
        std::int32_t Id;
        // What identifies the key: in a unique index the columns alone.
        std::uint64_t code(bool unique) const {
            return unique ? std::uint64_t{Name} * 8 + static_cast<std::uint64_t>(Update + 3)
                          : static_cast<std::uint64_t>(Id);
        }
    };

    Row randomRow(std::int32_t id) {
        return Row{static_cast<std::uint32_t>(rng_() % 400000),
                   static_cast<std::int32_t>(rng_() % 7) - 3, id};
    }

    std::string keyOf(const Row& row) {
        const RecordImage image = record(row.Id, "site" + std::to_string(row.Name), row.Update);
        std::string key(layout_.KeyLength, '\0');
        buildKey(layout_, image.data(), reinterpret_cast<std::uint8_t*>(key.data()));
        return key;
    }

    static const std::uint8_t* bytes(const std::string& key) {
        return reinterpret_cast<const std::uint8_t*>(key.data());
    }

    void expectSound(const char* when) {
        const TIndexCheckReport report = checkIndexFile(*fixture_->index);
        ASSERT_TRUE(report.ok()) << when << ":\n" << report.text();
        // Every page but the root stays a quarter full: the index never holds more than
        // about four times the pages its keys need (an entry takes at most key length + 8
        // bytes), whatever was deleted.
        const std::size_t entryBytes = layout_.KeyLength + 8;
        EXPECT_LE(report.PagesInTrees, 5 * live_.size() * entryBytes / indexlayout::kEntrySpace + 3)
            << when;
        std::uint32_t count = 0;
        ASSERT_EQ(fixture_->index->tree(kSlot).keyCount(count), storecode::kOk);
        ASSERT_EQ(count, live_.size()) << when;
    }

    void insertOne(std::int32_t id) {
        const Row row = randomRow(id);
        const std::string key = keyOf(row);
        const StoreResult result =
            fixture_->index->insertKey(kSlot, bytes(key), static_cast<std::uint32_t>(id));
        const std::uint64_t code = row.code(GetParam().Unique);
        if (model_.count(code) != 0) {
            ASSERT_EQ(result, storecode::kDuplicateKey);
            return;
        }
        ASSERT_EQ(result, storecode::kOk);
        model_.emplace(code, static_cast<std::uint32_t>(live_.size()));
        live_.push_back(row);
    }

    void deleteAt(std::size_t at) {
        const Row row = live_[at];
        ASSERT_EQ(fixture_->index->deleteKey(kSlot, bytes(keyOf(row))), storecode::kOk);
        const bool unique = GetParam().Unique;
        model_.erase(row.code(unique));
        if (at + 1 != live_.size()) {
            live_[at] = live_.back();
            model_[live_[at].code(unique)] = static_cast<std::uint32_t>(at);
        }
        live_.pop_back();
    }

    std::unique_ptr<IndexFixture> fixture_;
    TKeyLayout layout_;
    std::mt19937 rng_{20261210};
    std::unordered_map<std::uint64_t, std::uint32_t> model_;  // Row::code -> place in live_
    std::vector<Row> live_;
};

TEST_P(IndexTreeStress, RandomInsertsAndDeletesKeepEveryInvariant) {
    std::int32_t id = 0;
    for (int step = 1; live_.size() < kTargetKeys; ++step) {
        if (live_.empty() || rng_() % 5 != 0) {
            ASSERT_NO_FATAL_FAILURE(insertOne(++id));
        } else {
            ASSERT_NO_FATAL_FAILURE(deleteAt(rng_() % live_.size()));
        }
        if (step % 5000 == 0) {
            ASSERT_EQ(fixture_->index->writePending(), storecode::kOk);
        }
        if (step % kCheckEvery == 0) {
            ASSERT_NO_FATAL_FAILURE(expectSound("building"));
        }
    }
    ASSERT_EQ(fixture_->index->writePending(), storecode::kOk);
    ASSERT_NO_FATAL_FAILURE(expectSound("built"));

    // What the file holds, read back in key order, is the model in key order.
    ASSERT_EQ(fixture_->reopen(), storecode::kOk);
    std::vector<std::string> sorted;
    for (const Row& row : live_) sorted.push_back(keyOf(row));
    std::sort(sorted.begin(), sorted.end());
    TIndexTree& tree = fixture_->index->tree(kSlot);
    TIndexPosition at;
    ASSERT_EQ(tree.first(at), storecode::kOk);
    std::string key(layout_.KeyLength, '\0');
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        std::uint32_t recordNumber = 0;
        ASSERT_EQ(tree.entry(at, reinterpret_cast<std::uint8_t*>(key.data()), recordNumber),
                  storecode::kOk);
        ASSERT_EQ(key, sorted[i]) << i;
        ASSERT_EQ(tree.next(at), i + 1 < sorted.size() ? storecode::kOk : storecode::kEndOfFile);
    }

    for (int step = 1; !live_.empty(); ++step) {
        ASSERT_NO_FATAL_FAILURE(deleteAt(rng_() % live_.size()));
        if (step % kCheckEvery == 0) {
            ASSERT_NO_FATAL_FAILURE(expectSound("emptying"));
        }
    }
    ASSERT_EQ(fixture_->index->writePending(), storecode::kOk);
    ASSERT_EQ(fixture_->reopen(), storecode::kOk);
    const TIndexHeader& header = fixture_->index->header();
    EXPECT_EQ(header.Slots[kSlot].Root, 0u);
    const TIndexCheckReport report = checkIndexFile(*fixture_->index);
    EXPECT_TRUE(report.ok()) << report.text();
    EXPECT_EQ(report.PagesInTrees, 0u);
    EXPECT_EQ(report.PagesFree, header.EndOfFile / indexlayout::kPageSize - 1);
}

INSTANTIATE_TEST_SUITE_P(EveryCompression, IndexTreeStress,
                         testing::Values(StressCase{0, true}, StressCase{0, false},
                                         StressCase{1, true}, StressCase{1, false},
                                         StressCase{2, true}, StressCase{2, false},
                                         StressCase{3, true}, StressCase{3, false}),
                         caseName);

}  // namespace
