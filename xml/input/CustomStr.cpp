#include "xml/input/CustomStr.h"

#include <algorithm>

#include "core/Collection.h"

namespace wispel {

namespace {
constexpr std::size_t kInitialCapacity = 64;
}

void TdomCustomStr::addWideString(std::u16string_view text) {
    while (units_.size() - length_ < text.size()) grow();
    std::copy(text.begin(), text.end(), units_.begin() + static_cast<long>(length_));
    length_ += text.size();
}

char16_t TdomCustomStr::wideChars(std::size_t index) const {
    checkListIndex(static_cast<long long>(index) - 1, static_cast<long long>(length_));
    return units_[index - 1];
}

void TdomCustomStr::setWideChars(std::size_t index, char16_t unit) {
    checkListIndex(static_cast<long long>(index) - 1, static_cast<long long>(length_));
    units_[index - 1] = unit;
}

bool TdomCustomStr::startsWith(std::u16string_view text) const {
    return !text.empty() && view().starts_with(text);
}

bool TdomCustomStr::endsWith(std::u16string_view text) const {
    return !text.empty() && view().ends_with(text);
}

void TdomCustomStr::reset() {
    length_ = 0;
    if (units_.size() != kInitialCapacity) {
        units_.assign(kInitialCapacity, 0);
        units_.shrink_to_fit();
    }
}

void TdomCustomStr::grow() {
    units_.resize(units_.size() + std::max<std::size_t>(units_.size() / 4, 1));
}

}  // namespace wispel
