#include "core/ErrorText.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <typeinfo>

#include "core/Exception.h"

namespace wispel {

std::string errorBoxText(const std::exception& error) {
    const auto* own = dynamic_cast<const Exception*>(&error);
    std::string text = own ? own->message() : error.what();
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
    return text;
}

std::string errorClassName(const std::exception& error) {
    if (const auto* own = dynamic_cast<const Exception*>(&error)) return own->className();
    const char* mangled = typeid(error).name();
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> readable(
        abi::__cxa_demangle(mangled, nullptr, nullptr, &status), std::free);
    return status == 0 && readable ? readable.get() : mangled;
}

}  // namespace wispel
