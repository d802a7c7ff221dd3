#include "feeds/ItemModel.h"

#include <utility>

#include "core/Exception.h"
#include "core/TextCase.h"

namespace wispel {

TRSSListedItemCollection::TRSSListedItemCollection(const std::type_info& itemClass) {
    if (itemClass != typeid(TRSSListedItem)) {
        throw Exception("TRSSListedItemCollection only accepts TRSSListedItem collection Items.");
    }
}

namespace {

// The four names are ASCII, so a name of another byte length can never be one of them; the
// length test also keeps letters that fold onto ASCII ones (long s, Kelvin sign) out.
bool isName(std::string_view name, std::string_view wanted) {
    return name.size() == wanted.size() && sameText(name, wanted);
}

}  // namespace

ElementKind ClassifyElement(std::string_view name) {
    for (const TElementName& known : kElementNames) {
        if (isName(name, known.name)) return known.kind;
    }
    return ElementKind::None;
}

void SetItemField(TRSSListedItem& item, ElementKind kind, std::string value) {
    switch (kind) {
        case ElementKind::Title:
            item.Title = std::move(value);
            break;
        case ElementKind::Link:
            item.Link = std::move(value);
            break;
        case ElementKind::Description:
            item.Description = std::move(value);
            break;
        case ElementKind::None:
        case ElementKind::Item:
            break;
    }
}

}  // namespace wispel
