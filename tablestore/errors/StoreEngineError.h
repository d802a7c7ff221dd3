#pragma once
// The table store's exceptions. EDatabaseError is the database error of the component layer
// ("Missing table name.", ...); EStoreEngineError, derived from it, carries the engine's
// result codes. Its message is "Table Engine Error # " + the first entry's code + " " + that
// entry's text, the text cut to 254 bytes without splitting a UTF-8 sequence.

#include <string>
#include <vector>

#include "core/Exception.h"
#include "tablestore/errors/StoreErrorTexts.h"
#include "tablestore/errors/StoreResult.h"

namespace wispel {

WISPEL_DECLARE_EXCEPTION(EDatabaseError, Exception);

// One engine error: its code and its filled text (uncut).
struct TStoreError {
    StoreResult ErrorCode = 0;
    std::string Message;
};

class EStoreEngineError : public EDatabaseError {
public:
    // The entry of `code` with the text filled from `names`.
    EStoreEngineError(StoreResult code, const StoreErrorNames& names);
    // `errors` holds at least one entry; the first is the error that was raised.
    explicit EStoreEngineError(std::vector<TStoreError> errors);

    const char* className() const noexcept override { return "EStoreEngineError"; }

    StoreResult ErrorCode() const noexcept { return errors_.front().ErrorCode; }
    int ErrorCount() const noexcept { return static_cast<int>(errors_.size()); }
    const TStoreError& Errors(int index) const { return errors_.at(index); }

private:
    std::vector<TStoreError> errors_;
};

// The text limit of an engine error message, in bytes.
constexpr std::size_t kStoreErrorTextLimit = 254;

// "Table Engine Error # <code> <text>", the text cut as above.
std::string storeEngineErrorMessage(const TStoreError& error);

}  // namespace wispel
