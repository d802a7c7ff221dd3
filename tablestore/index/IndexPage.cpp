#include "tablestore/index/IndexPage.h"

#include <numeric>

namespace wispel {

std::uint32_t TIndexPage::total() const {
    if (isLeaf()) return static_cast<std::uint32_t>(count());
    return std::accumulate(Counts.begin(), Counts.end(), std::uint32_t{0});
}

void TIndexPage::insertEntry(std::size_t pos, const std::uint8_t* entryKey, std::uint32_t ref,
                             std::uint32_t count) {
    Keys.insert(Keys.begin() + static_cast<std::ptrdiff_t>(pos * KeyLength), entryKey,
                entryKey + KeyLength);
    Refs.insert(Refs.begin() + static_cast<std::ptrdiff_t>(pos), ref);
    if (!isLeaf()) Counts.insert(Counts.begin() + static_cast<std::ptrdiff_t>(pos), count);
}

void TIndexPage::removeEntry(std::size_t pos) {
    const auto keyAt = Keys.begin() + static_cast<std::ptrdiff_t>(pos * KeyLength);
    Keys.erase(keyAt, keyAt + KeyLength);
    Refs.erase(Refs.begin() + static_cast<std::ptrdiff_t>(pos));
    if (!isLeaf()) Counts.erase(Counts.begin() + static_cast<std::ptrdiff_t>(pos));
}

void TIndexPage::moveTailTo(TIndexPage& to, std::size_t from) {
    const auto keyFrom = Keys.begin() + static_cast<std::ptrdiff_t>(from * KeyLength);
    to.Keys.insert(to.Keys.begin(), keyFrom, Keys.end());
    Keys.erase(keyFrom, Keys.end());
    const auto refFrom = Refs.begin() + static_cast<std::ptrdiff_t>(from);
    to.Refs.insert(to.Refs.begin(), refFrom, Refs.end());
    Refs.erase(refFrom, Refs.end());
    if (!isLeaf()) {
        const auto countFrom = Counts.begin() + static_cast<std::ptrdiff_t>(from);
        to.Counts.insert(to.Counts.begin(), countFrom, Counts.end());
        Counts.erase(countFrom, Counts.end());
    }
}

void TIndexPage::moveHeadTo(TIndexPage& to, std::size_t n) {
    const auto keyEnd = Keys.begin() + static_cast<std::ptrdiff_t>(n * KeyLength);
    to.Keys.insert(to.Keys.end(), Keys.begin(), keyEnd);
    Keys.erase(Keys.begin(), keyEnd);
    const auto refEnd = Refs.begin() + static_cast<std::ptrdiff_t>(n);
    to.Refs.insert(to.Refs.end(), Refs.begin(), refEnd);
    Refs.erase(Refs.begin(), refEnd);
    if (!isLeaf()) {
        const auto countEnd = Counts.begin() + static_cast<std::ptrdiff_t>(n);
        to.Counts.insert(to.Counts.end(), Counts.begin(), countEnd);
        Counts.erase(Counts.begin(), countEnd);
    }
}

void TIndexPage::clearEntries() {
    Keys.clear();
    Refs.clear();
    Counts.clear();
    UsedBytes = 0;
}

std::size_t lowerBound(const TIndexPage& page, const std::uint8_t* key) {
    std::size_t low = 0;
    std::size_t high = page.count();
    while (low < high) {
        const std::size_t mid = (low + high) / 2;
        if (compareKeys(page.key(mid), key, page.KeyLength) < 0) {
            low = mid + 1;
        } else {
            high = mid;
        }
    }
    return low;
}

std::size_t childFor(const TIndexPage& page, const std::uint8_t* key) {
    // The first entry whose key is above `key`, less one.
    std::size_t low = 0;
    std::size_t high = page.count();
    while (low < high) {
        const std::size_t mid = (low + high) / 2;
        if (compareKeys(page.key(mid), key, page.KeyLength) <= 0) {
            low = mid + 1;
        } else {
            high = mid;
        }
    }
    return low == 0 ? 0 : low - 1;
}

}  // namespace wispel
