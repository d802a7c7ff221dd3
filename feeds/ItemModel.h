#pragma once
// The news item model: one parsed item, the list of the items of the last parse, and the
// classification of element names that decides which element feeds which field.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <typeinfo>

#include "core/Collection.h"
#include "core/InternetDate.h"

namespace wispel {

// One news item. The fields hold 8-bit (UTF-8) text and are read directly by the window.
class TRSSListedItem : public TCollectionItem {
public:
    std::string Title;
    std::string Link;
    std::string Description;
    // What tells the item from the others of its feed across updates: the feed's own
    // identifier (RSS guid, Atom id), else the link, else a hash of title and description
    // (ItemKey.h). Never empty once a parse is done.
    std::string Key;
    // When the item was published (else last updated), if the feed says so in a form that
    // reads as one definite moment.
    std::optional<TUtcSeconds> Date;
    std::string Author;  // empty when the feed names none
    // The item's full text where the feed gives one beside its description (RSS's
    // content:encoded), as the feed wrote it; empty otherwise.
    std::string Content;
};

// The items of one parse, owned by the collection and kept in parse order.
class TRSSListedItemCollection : public TOwnedCollection<TRSSListedItem> {
public:
    // `itemClass` names the entry class; anything but TRSSListedItem raises an Exception
    // "TRSSListedItemCollection only accepts TRSSListedItem collection Items.".
    explicit TRSSListedItemCollection(const std::type_info& itemClass);
};

enum class ElementKind : std::uint8_t { None = 0, Item = 1, Title = 2, Link = 3, Description = 4 };

// The four element names that matter, in lower case, with their kinds: the one table behind
// both classifiers, of 8-bit names here and of DOM names beside the feed filter.
struct TElementName {
    std::string_view name;
    ElementKind kind;
};
inline constexpr TElementName kElementNames[] = {
    {"title", ElementKind::Title},
    {"link", ElementKind::Link},
    {"description", ElementKind::Description},
    {"item", ElementKind::Item},
};

// The kind of an element name, letter case ignored; a prefixed name (dc:title) is None.
ElementKind ClassifyElement(std::string_view name);

// Stores `value` in the field that `kind` selects; None and Item change nothing.
void SetItemField(TRSSListedItem& item, ElementKind kind, std::string value);

}  // namespace wispel
