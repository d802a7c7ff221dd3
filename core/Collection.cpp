#include "core/Collection.h"

#include "core/Exception.h"
#include "core/Format.h"

namespace wispel {

void checkListIndex(long long index, long long count) {
    if (index < 0 || index >= count) raiseListIndexError(index);
}

void raiseListIndexError(long long index) {
    throw EListError(formatMessage("List index out of bounds (%d)", {index}));
}

TCollectionItem::~TCollectionItem() {
    if (collection_) collection_->detach(this);
}

TCollection::~TCollection() { Clear(); }

TCollectionItem* TCollection::GetItem(int index) const {
    checkListIndex(index, Count());
    return items_[static_cast<size_t>(index)];
}

void TCollection::Clear() {
    while (!items_.empty()) delete items_.back();
}

TCollectionItem* TCollection::AddItem(std::unique_ptr<TCollectionItem> item) {
    item->collection_ = this;
    item->index_ = Count();
    items_.push_back(item.get());
    return item.release();
}

void TCollection::takeItems(TCollection& from) {
    if (&from == this) return;
    items_.reserve(items_.size() + from.items_.size());
    for (TCollectionItem* item : from.items_) {
        item->collection_ = this;
        item->index_ = Count();
        items_.push_back(item);
    }
    from.items_.clear();
}

void TCollection::detach(TCollectionItem* item) {
    size_t at = static_cast<size_t>(item->index_);
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(at));
    for (size_t i = at; i < items_.size(); ++i) items_[i]->index_ = static_cast<int>(i);
    item->collection_ = nullptr;
    item->index_ = -1;
}

}  // namespace wispel
