// The three leaf compressions on the worked example of doc/table_format.md: a non-unique
// index on a text of 10, keys "Anna" (record ID 1), "Anne" (7) and "Bob" (2), stored in
// records 1, 7 and 2; and round trips of random pages through every compression.

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <set>

#include "tablestore/index/LeafCompression.h"
#include "tablestore/index/PageCodec.h"

using namespace wispel;
using namespace wispel::indexlayout;

namespace {

using Bytes = std::vector<std::uint8_t>;

// Keys of one length in byte order. Spelled out: the vector's own ordering trips a false
// alarm of the compiler's bounds check at full optimisation.
struct SameLengthKeyOrder {
    bool operator()(const Bytes& a, const Bytes& b) const {
        return std::memcmp(a.data(), b.data(), a.size()) < 0;
    }
};

Bytes exampleKey(const char* name, std::uint8_t id) {
    Bytes key(16, 0);
    key[0] = 1;
    for (int i = 0; name[i] != 0; ++i) key[1 + i] = static_cast<std::uint8_t>(name[i]);
    key[12] = 0x80;
    key[15] = id;
    return key;
}

TIndexPage examplePage() {
    TIndexPage page;
    page.Kind = kLeafRoot;
    page.KeyLength = 16;
    const struct {
        const char* name;
        std::uint8_t id;
        std::uint32_t record;
    } rows[] = {{"Anna", 1, 1}, {"Anne", 7, 7}, {"Bob", 2, 2}};
    for (const auto& row : rows) {
        const Bytes key = exampleKey(row.name, row.id);
        page.insertEntry(page.count(), key.data(), row.record, 0);
    }
    return page;
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

TEST(LeafCompression, WorkedExampleBytes) {
    const Bytes anna = exampleKey("Anna", 1);
    const Bytes anne = exampleKey("Anne", 7);
    const Bytes bob = exampleKey("Bob", 2);
    const Bytes id1 = {0x80, 0, 0, 1}, id7 = {0x80, 0, 0, 7}, id2 = {0x80, 0, 0, 2};
    const Bytes rec1 = {1, 0, 0, 0}, rec7 = {7, 0, 0, 0}, rec2 = {2, 0, 0, 0};
    const struct {
        std::uint8_t compression;
        Bytes entries;
    } cases[] = {
        {kCompressNone, concat({anna, rec1, anne, rec7, bob, rec2})},
        {kCompressLeading,
         concat({{0, 0}, anna, rec1,
                 {4, 0}, Bytes(anne.begin() + 4, anne.end()), rec7,
                 {1, 0}, Bytes(bob.begin() + 1, bob.end()), rec2})},
        {kCompressTrailing,
         concat({{7, 0}, {1, 'A', 'n', 'n', 'a'}, id1, rec1,
                 {7, 0}, {1, 'A', 'n', 'n', 'e'}, id7, rec7,
                 {8, 0}, {1, 'B', 'o', 'b'}, id2, rec2})},
        {kCompressBoth,
         concat({{0, 7}, {1, 'A', 'n', 'n', 'a'}, id1, rec1,
                 {4, 7}, {'e'}, id7, rec7,
                 {1, 8}, {'B', 'o', 'b'}, id2, rec2})},
    };
    for (const auto& c : cases) {
        const TPageFormat format{16, c.compression, false};
        const TIndexPage page = examplePage();
        std::uint8_t image[kPageSize];
        encodePage(page, format, image);
        EXPECT_EQ(Bytes(image + 13, image + 13 + c.entries.size()), c.entries) << int(c.compression);
        EXPECT_EQ(image[13 + c.entries.size()], 0);
        const std::size_t used = c.compression == kCompressNone ? 0 : c.entries.size();
        EXPECT_EQ(image[11] | image[12] << 8, static_cast<int>(used));
        if (used != 0) {
            EXPECT_EQ(leafEntriesSize(format, page, 0, 3), used);
        }
        TIndexPage back;
        ASSERT_EQ(decodePage(image, format, kPageSize * 2, back), storecode::kOk);
        EXPECT_EQ(back.Keys, page.Keys);
        EXPECT_EQ(back.Refs, page.Refs);
    }
}

// Compression 3 counts in single bytes: a shared prefix or a zero tail beyond 255 bytes is
// only partly left out.
TEST(LeafCompression, LongKeysRoundTripInEveryCompression) {
    std::mt19937 rng(7);
    for (std::uint16_t length : {1, 4, 5, 6, 300, 524}) {
        for (std::uint8_t compression = 0; compression <= kCompressBoth; ++compression) {
            for (bool unique : {true, false}) {
                if (!unique && length < 5) continue;
                const TPageFormat format{length, compression, unique};
                // Mostly zeros with a few bytes set: long shared runs and zero tails.
                std::set<Bytes, SameLengthKeyOrder> keys;
                for (int attempt = 0; attempt < 4000; ++attempt) {
                    Bytes key(length, 0);
                    for (int j = 0; j < 3; ++j) key[rng() % length] = static_cast<std::uint8_t>(rng() % 3);
                    keys.insert(key);
                }
                TIndexPage page;
                page.Kind = kLeafRoot;
                page.KeyLength = length;
                std::size_t used = 0;
                for (const Bytes& key : keys) {
                    used += leafEntrySize(format, page.count() ? page.key(page.count() - 1) : nullptr,
                                          key.data());
                    if (compression == 0 ? page.count() + 1 > leafCapacity(length) : used > kEntrySpace) {
                        break;
                    }
                    page.insertEntry(page.count(), key.data(), static_cast<std::uint32_t>(used), 0);
                }
                std::uint8_t image[kPageSize];
                encodePage(page, format, image);
                TIndexPage back;
                ASSERT_EQ(decodePage(image, format, kPageSize * 2, back), storecode::kOk)
                    << length << " " << int(compression) << " " << unique;
                EXPECT_EQ(back.Keys, page.Keys);
                EXPECT_EQ(back.Refs, page.Refs);
            }
        }
    }
}

}  // namespace
