#pragma once
// The outcome of an engine operation: its result code and, for a failure, what it is about.
// The place that meets a failure names it (a file's full path where a file was read or
// written, a field where a record's value was refused) and each layer above passes the
// outcome up as it is, so no shared object keeps the context of the last error. The
// component layer turns a failed outcome into an EStoreEngineError (StoreEngineError.h):
// an outcome that names nothing is about the table the caller works on.
//
// An outcome cannot be dropped unnoticed: a caller that has reason to ignore a failure says
// so where it does.

#include <string>
#include <utility>

#include "tablestore/errors/StoreResult.h"

namespace wispel {

class [[nodiscard]] StoreStatus {
public:
    StoreStatus(StoreResult code = storecode::kOk) noexcept : code_(code) {}
    StoreStatus(StoreResult code, std::string name, std::string field = {})
        : code_(code), name_(std::move(name)), field_(std::move(field)) {}

    StoreResult code() const noexcept { return code_; }
    bool ok() const noexcept { return code_ == storecode::kOk; }
    // True for a failure, as a bare code is: `if (StoreStatus r = step()) return r;`.
    explicit operator bool() const noexcept { return !ok(); }

    // The file (its full path) or table the failure is about; empty: the caller's table.
    const std::string& name() const noexcept { return name_; }
    // The field or index a field or index error is about; empty for the others.
    const std::string& field() const noexcept { return field_; }

    // Names what a failure that names nothing yet is about; a success stays as it is.
    StoreStatus about(const std::string& name) && {
        if (!ok() && name_.empty()) name_ = name;
        return std::move(*this);
    }
    StoreStatus onField(const std::string& field) && {
        if (!ok() && field_.empty()) field_ = field;
        return std::move(*this);
    }

    friend bool operator==(const StoreStatus& status, StoreResult code) noexcept {
        return status.code_ == code;
    }

private:
    StoreResult code_;
    std::string name_;
    std::string field_;
};

}  // namespace wispel
