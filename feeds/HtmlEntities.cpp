#include "feeds/HtmlEntities.h"

#include <algorithm>
#include <array>

namespace wispel {

namespace {

// The longest name of the list has 31 letters; longer ones cannot match.
constexpr std::size_t kMaxNameLength = 40;

}  // namespace

std::u16string_view htmlEntityText(std::u16string_view name) {
    if (name.empty() || name.size() > kMaxNameLength) return {};
    std::array<char, kMaxNameLength> ascii{};
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] > 0x7F) return {};
        ascii[i] = static_cast<char>(name[i]);
    }
    const std::string_view key(ascii.data(), name.size());
    const THtmlEntity* end = kHtmlEntities + kHtmlEntityCount;
    const THtmlEntity* found = std::lower_bound(
        kHtmlEntities, end, key,
        [](const THtmlEntity& entity, std::string_view k) { return entity.name < k; });
    return found != end && found->name == key ? found->text : std::u16string_view{};
}

}  // namespace wispel
