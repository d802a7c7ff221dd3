#pragma once
// The component layer's own error texts (raised as EDatabaseError) and the one place that
// turns an engine result code into EStoreEngineError.

#include <string>

#include "tablestore/errors/StoreEngineError.h"
#include "tablestore/errors/StoreStatus.h"

namespace wispel {

namespace componenttext {
constexpr const char* kMissingTableName = "Missing table name.";
constexpr const char* kSessionNameMissing = "Session name is missing.";
constexpr const char* kSessionNameExists = "Session name %s already exists.";
constexpr const char* kSessionNameInvalid = "Session name %s is not valid.";
constexpr const char* kDatabaseNameMissing = "Database name is missing.";
constexpr const char* kOpenDatabase = "Cannot perform this operation on an open database.";
constexpr const char* kActiveSession = "Cannot perform this operation on an active session.";
constexpr const char* kOpenDataSet = "Cannot perform this operation on an open dataset";
constexpr const char* kClosedDataSet = "Cannot perform this operation on a closed dataset";
constexpr const char* kEmptyDataSet = "Cannot perform this operation on an empty dataset";
constexpr const char* kNotEditing = "Dataset not in edit or insert mode";
constexpr const char* kReadOnlyDataSet = "Cannot modify a read-only dataset";
constexpr const char* kFieldReadOnly = "Field '%s' cannot be modified";
constexpr const char* kFieldNotFound = "Field '%s' not found";
constexpr const char* kFieldIndexRange = "Field index out of range";
constexpr const char* kFieldValueRange = "Value of field '%s' is out of range";
constexpr const char* kNotInteger = "'%s' is not a valid integer value";
constexpr const char* kNotBoolean = "'%s' is not a valid boolean value";
constexpr const char* kNotFloat = "'%s' is not a valid floating point value";
constexpr const char* kInvalidFieldType = "Invalid field type.";
}  // namespace componenttext

// Raises EDatabaseError with `pattern` filled with `name`.
[[noreturn]] void raiseDatabaseError(const char* pattern, const std::string& name = {});

// Raises EStoreEngineError for `code`; `name` is the table name or a file's full path,
// `field` the field or index the error is about (may be empty).
[[noreturn]] void raiseEngineError(StoreResult code, const std::string& name,
                                   const std::string& field = {});
// The same, only when `code` is not 0.
inline void checkEngine(StoreResult code, const std::string& name, const std::string& field = {}) {
    if (code != storecode::kOk) raiseEngineError(code, name, field);
}

// Raises EStoreEngineError for a failed engine outcome, with the file it names, else
// `table`, and the field it names, else `field`.
[[noreturn]] void raiseEngineError(const StoreStatus& status, const std::string& table,
                                   const std::string& field = {});
// The same, only when `status` is a failure.
inline void checkEngine(const StoreStatus& status, const std::string& table,
                        const std::string& field = {}) {
    if (status) raiseEngineError(status, table, field);
}

}  // namespace wispel
