#pragma once
// Base of every error the system raises. Each error carries a fixed English message and
// reports the name of its own class, which the parser's error records and the start-up
// error box show.

#include <exception>
#include <string>

namespace wispel {

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}

    const std::string& message() const noexcept { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }
    virtual const char* className() const noexcept { return "Exception"; }

private:
    std::string message_;
};

// Declares an error class in one line: it takes its base's constructors and reports its
// own name.
#define WISPEL_DECLARE_EXCEPTION(Name, Base)                                              \
    class Name : public Base {                                                            \
    public:                                                                               \
        using Base::Base;                                                                 \
        const char* className() const noexcept override { return #Name; }                 \
    }

// The same for an error class that, raised without a message, carries `DefaultMessage` (the
// text of its main raise site); raise sites with a text of their own still pass it.
#define WISPEL_DECLARE_ERROR(Name, Base, DefaultMessage)                                  \
    class Name : public Base {                                                            \
    public:                                                                               \
        using Base::Base;                                                                 \
        Name() : Base(std::string(DefaultMessage)) {}                                     \
        const char* className() const noexcept override { return #Name; }                 \
    }

WISPEL_DECLARE_EXCEPTION(EConvertError, Exception);
WISPEL_DECLARE_EXCEPTION(EListError, Exception);
WISPEL_DECLARE_EXCEPTION(EAccessViolation, Exception);
WISPEL_DECLARE_EXCEPTION(EStreamError, Exception);
WISPEL_DECLARE_EXCEPTION(EReadError, EStreamError);
WISPEL_DECLARE_EXCEPTION(EWriteError, EStreamError);
WISPEL_DECLARE_EXCEPTION(EFOpenError, EStreamError);
WISPEL_DECLARE_EXCEPTION(EFCreateError, EStreamError);

// The silent-abort kind: it ends a command like any error, but the error box never shows it.
WISPEL_DECLARE_EXCEPTION(EAbort, Exception);

// True for errors of the silent-abort kind, whatever their exact class.
inline bool isSilentAbort(const std::exception& error) noexcept {
    return dynamic_cast<const EAbort*>(&error) != nullptr;
}

}  // namespace wispel
