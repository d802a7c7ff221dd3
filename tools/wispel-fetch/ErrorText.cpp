#include "tools/wispel-fetch/ErrorText.h"

#include "core/Exception.h"

namespace wispel {

std::string errorBoxText(const std::exception& error) {
    const auto* own = dynamic_cast<const Exception*>(&error);
    std::string text = own ? own->message() : error.what();
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
    return text;
}

}  // namespace wispel
