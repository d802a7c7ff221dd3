#pragma once
// Checks and resolves entity values of a DTD: every character valid, surrogates paired,
// every "&" starting an entity or character reference and, where parameter entities count,
// every "%" starting a parameter-entity reference. Character references are replaced by
// their characters; entity references stay as written.

#include <cstddef>
#include <functional>
#include <string_view>

#include "core/TextConvert.h"

namespace wispel {

// Returns the text to put in place of "%name;", or null to keep the reference as written.
using TParameterTextLookup = std::function<const DOMString*(const DOMString& name)>;

// Resolved texts never grow beyond this many code units: parameter entities that refer to
// each other many times over would otherwise grow exponentially.
constexpr std::size_t kMaxEntityTextUnits = std::size_t{1} << 22;

// Raises EParserInvalidEntityDeclaration_Err with `message` for any fault. Without a lookup
// a "%" is copied like any other unit.
DOMString resolveEntityValue(std::u16string_view value, const TParameterTextLookup* lookup,
                             const char* message);

// The syntactic check the subset builder makes on a value literal (nothing is replaced).
bool validEntityValue(std::u16string_view value);

// The names of the entity references ("&name;", not character references) in a resolved
// text, in order.
std::vector<DOMString> entityReferenceNames(std::u16string_view text);

}  // namespace wispel
