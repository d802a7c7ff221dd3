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

std::string hex64(std::uint64_t hash) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string digits;
    for (int shift = 60; shift >= 0; shift -= 4) digits += kHex[(hash >> shift) & 0xF];
    return digits;
}

}  // namespace

std::string itemHashKey(std::string_view title, std::string_view description) {
    std::uint64_t hash = fnv1a(kFnvOffsetBasis, title);
    hash = fnv1a(hash, kSeparator);
    hash = fnv1a(hash, description);
    return "hash:" + hex64(hash);
}

std::string fnv1aHex(std::string_view bytes) { return hex64(fnv1a(kFnvOffsetBasis, bytes)); }

std::string itemIdentity(const TRSSListedItem& item) {
    if (!item.Key.empty()) return item.Key;
    const std::string_view link = trimXmlBlanks(item.Link);
    return link.empty() ? itemHashKey(item.Title, item.Description) : std::string(link);
}

void completeItemKey(TRSSListedItem& item) {
    if (item.Key.empty()) item.Key = itemIdentity(item);
}

}  // namespace wispel
