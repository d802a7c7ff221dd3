#pragma once
// The engine's result codes. Everything below the component layer reports failure as one
// of these 16-bit codes (0 for success); the component layer turns a code into an
// EStoreEngineError (StoreEngineError.h) with the code's text (StoreErrorTexts.h). The codes,
// their names and their texts are listed once, in StoreResults.def.

#include <cstdint>

namespace wispel {

using StoreResult = std::uint16_t;

namespace storecode {
constexpr StoreResult kOk = 0;

#define WISPEL_STORE_RESULT(name, code, fill, text) constexpr StoreResult name = code;
#include "tablestore/errors/StoreResults.def"

// Every code of the list, in the list's order (sorted by code).
constexpr StoreResult kAllCodes[] = {
#define WISPEL_STORE_RESULT(name, code, fill, text) name,
#include "tablestore/errors/StoreResults.def"
};
}  // namespace storecode

}  // namespace wispel
