#include "feeds/ItemKey.h"

#include <cstdint>

#include "core/TextTrim.h"

namespace wispel {

namespace {

constexpr std::uint64_t kFnvOffsetBasis = 14695981039346656037ULL;
constexpr std::uint64_t kFnvPrime = 1099511628211ULL;
constexpr unsigned char kSeparator = 0xFF;

std::uint64_t fnv1a(std::uint64_t hash, unsigned char byte) {
    return (hash ^ byte) * kFnvPrime;
}

std::uint64_t fnv1a(std::uint64_t hash, std::string_view bytes) {
    for (char c : bytes) hash = fnv1a(hash, static_cast<unsigned char>(c));
    return hash;
}

}  // namespace

std::string itemHashKey(std::string_view title, std::string_view description) {
    std::uint64_t hash = fnv1a(kFnvOffsetBasis, title);
    hash = fnv1a(hash, kSeparator);
    hash = fnv1a(hash, description);
    static constexpr char kHex[] = "0123456789abcdef";
    std::string key = "hash:";
    for (int shift = 60; shift >= 0; shift -= 4) key += kHex[(hash >> shift) & 0xF];
    return key;
}

void completeItemKey(TRSSListedItem& item) {
    if (!item.Key.empty()) return;
    const std::string_view link = trimXmlBlanks(item.Link);
    item.Key = link.empty() ? itemHashKey(item.Title, item.Description) : std::string(link);
}

}  // namespace wispel
