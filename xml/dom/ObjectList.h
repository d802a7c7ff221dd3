#pragma once
// A read-only list view over an array of owned objects (the DOM implementation's content
// model objects): length, item and index, like a node list.

#include <memory>
#include <vector>

namespace wispel {

template <class T>
class TdomObjectList {
public:
    explicit TdomObjectList(const std::vector<std::unique_ptr<T>>* array) : array_(array) {}
    TdomObjectList(const TdomObjectList&) = delete;
    TdomObjectList& operator=(const TdomObjectList&) = delete;

    int length() const { return static_cast<int>(array_->size()); }
    T* item(int index) const {
        if (index < 0 || index >= length()) return nullptr;
        return (*array_)[static_cast<size_t>(index)].get();
    }
    int indexOf(const T* object) const {
        for (int i = 0; i < length(); ++i) {
            if ((*array_)[static_cast<size_t>(i)].get() == object) return i;
        }
        return -1;
    }

private:
    const std::vector<std::unique_ptr<T>>* array_;
};

}  // namespace wispel
