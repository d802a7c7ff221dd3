#pragma once
// The identity of an item within its feed, which must stay the same from one update to the
// next and from one process to the next. The feed's own identifier comes first, trimmed of
// XML blanks; without one the item's link; without either, a hash of its title and
// description as the feed wrote them: "hash:" and 16 lower-case hexadecimal digits of the
// 64-bit FNV-1a hash (offset basis 14695981039346656037, prime 1099511628211) of the UTF-8
// bytes of the title, one byte 0xFF (which UTF-8 never holds, so that no two splits of one
// text meet) and the UTF-8 bytes of the description. The hash depends on nothing but these
// bytes: not on the process, the machine or its byte order.

#include <string>
#include <string_view>

#include "feeds/ItemModel.h"

namespace wispel {

// "hash:..." for the title and description.
std::string itemHashKey(std::string_view title, std::string_view description);

// The item's key, or what completeItemKey would give it when it has none yet.
std::string itemIdentity(const TRSSListedItem& item);

// 16 lower-case hexadecimal digits of the FNV-1a hash above, of `bytes` alone: for keys that
// must stand for a longer text.
std::string fnv1aHex(std::string_view bytes);

// Gives an item without a key the link, or else the hash, as its key. Runs before the item
// gets a stand-in title, so that the hash is of what the feed wrote.
void completeItemKey(TRSSListedItem& item);

}  // namespace wispel
