#pragma once
// A name-keyed map of content-model records that owns them and keeps them in the order they
// were added. The first record of a key stays; a later one is refused.

#include <memory>
#include <unordered_map>
#include <vector>

#include "core/TextConvert.h"

namespace wispel {

template <class Record>
class TdomCMMap {
public:
    Record* find(const DOMString& key) const {
        auto it = index_.find(key);
        return it == index_.end() ? nullptr : it->second;
    }
    // The added record, or null (and the record is dropped) when the key is present.
    Record* add(const DOMString& key, std::unique_ptr<Record> record) {
        if (index_.count(key) != 0) return nullptr;
        Record* raw = record.get();
        index_.emplace(key, raw);
        keys_.push_back(key);
        records_.push_back(std::move(record));
        return raw;
    }
    bool remove(const DOMString& key) {
        auto it = index_.find(key);
        if (it == index_.end()) return false;
        for (size_t i = 0; i < records_.size(); ++i) {
            if (records_[i].get() == it->second) {
                records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(i));
                keys_.erase(keys_.begin() + static_cast<std::ptrdiff_t>(i));
                break;
            }
        }
        index_.erase(it);
        return true;
    }
    void clear() {
        index_.clear();
        keys_.clear();
        records_.clear();
    }
    int count() const noexcept { return static_cast<int>(records_.size()); }
    // In the order of adding; 0 <= i < count().
    Record* item(int i) const { return records_[static_cast<size_t>(i)].get(); }
    const DOMString& key(int i) const { return keys_[static_cast<size_t>(i)]; }

private:
    std::vector<std::unique_ptr<Record>> records_;
    std::vector<DOMString> keys_;
    std::unordered_map<DOMString, Record*> index_;
};

}  // namespace wispel
