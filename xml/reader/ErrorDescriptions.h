#pragma once
// What each parser error class means, in the seven languages of the error records.

#include <string_view>

#include "xml/reader/XmlParserError.h"

namespace wispel {

// The description of an error class, or the language's "invalid source code" text for a
// class it does not know. UTF-8.
const char* errorDescription(std::string_view className, TdomLanguage language);

}  // namespace wispel
