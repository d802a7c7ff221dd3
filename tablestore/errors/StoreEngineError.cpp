#include "tablestore/errors/StoreEngineError.h"

#include "core/TextConvert.h"

namespace wispel {

namespace {

// An empty list would leave the message without a code; it stands for "no error" instead.
std::vector<TStoreError> atLeastOne(std::vector<TStoreError> errors) {
    if (errors.empty()) errors.push_back(TStoreError{});
    return errors;
}

std::string firstMessage(const std::vector<TStoreError>& errors) {
    return storeEngineErrorMessage(errors.empty() ? TStoreError{} : errors.front());
}

}  // namespace

std::string storeEngineErrorMessage(const TStoreError& error) {
    return "Table Engine Error # " + std::to_string(error.ErrorCode) + " " +
           std::string(truncateUtf8(error.Message, kStoreErrorTextLimit));
}

EStoreEngineError::EStoreEngineError(StoreResult code, const StoreErrorNames& names)
    : EStoreEngineError(std::vector<TStoreError>{{code, storeErrorText(code, names)}}) {}

EStoreEngineError::EStoreEngineError(std::vector<TStoreError> errors)
    : EDatabaseError(firstMessage(errors)), errors_(atLeastOne(std::move(errors))) {}

}  // namespace wispel
