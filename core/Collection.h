#pragma once
// Ordered owning collections. A collection owns its entries; deleting an entry removes it
// from its collection. `TOwnedCollection<Item>` gives the typed form every record list
// uses; `checkListIndex` is the one place that raises the index error.

#include <memory>
#include <vector>

namespace wispel {

// Raises EListError "List index out of bounds (%d)" unless 0 <= index < count.
void checkListIndex(long long index, long long count);
[[noreturn]] void raiseListIndexError(long long index);

class TCollection;

class TCollectionItem {
public:
    TCollectionItem() = default;
    virtual ~TCollectionItem();
    TCollectionItem(const TCollectionItem&) = delete;
    TCollectionItem& operator=(const TCollectionItem&) = delete;

    TCollection* Collection() const noexcept { return collection_; }
    int Index() const noexcept { return index_; }

private:
    friend class TCollection;
    TCollection* collection_ = nullptr;
    int index_ = -1;
};

class TCollection {
public:
    TCollection() = default;
    virtual ~TCollection();
    TCollection(const TCollection&) = delete;
    TCollection& operator=(const TCollection&) = delete;

    int Count() const noexcept { return static_cast<int>(items_.size()); }
    TCollectionItem* GetItem(int index) const;  // EListError when out of range
    void Clear();

protected:
    // Takes ownership of `item` and appends it.
    TCollectionItem* AddItem(std::unique_ptr<TCollectionItem> item);
    // Appends every entry of `from`, in order, leaving it empty; no entry is copied.
    void takeItems(TCollection& from);

private:
    friend class TCollectionItem;
    void detach(TCollectionItem* item);  // removes without freeing

    std::vector<TCollectionItem*> items_;  // owned
};

template <class Item>
class TOwnedCollection : public TCollection {
public:
    Item* Add() { return static_cast<Item*>(AddItem(std::make_unique<Item>())); }
    Item* Items(int index) const { return static_cast<Item*>(GetItem(index)); }
    Item* operator[](int index) const { return Items(index); }
    // Moves every entry of `from` to the end of this collection, in order.
    void TakeItems(TOwnedCollection<Item>& from) { takeItems(from); }
};

}  // namespace wispel
