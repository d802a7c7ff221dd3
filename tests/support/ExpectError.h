#pragma once
// The one way the suites expect an error: of this exact class, with this exact message.
// Every error of the system reports its own class name, so the check does not pass for a
// subclass or a base class raised by mistake.

#include <gtest/gtest.h>

#include <stdexcept>

// Expects `statement` to raise an error whose class is `Error` (its className() is the
// name as written, without namespace) and whose message() is `expected`.
#define EXPECT_ERROR(statement, Error, expected)                    \
    do {                                                            \
        try {                                                       \
            statement;                                              \
            ADD_FAILURE() << "no " #Error " from " #statement;      \
        } catch (const Error& error_) {                             \
            EXPECT_STREQ(error_.className(), #Error) << #statement; \
            EXPECT_EQ(error_.message(), expected) << #statement;    \
        }                                                           \
    } while (0)

namespace wispel::test {

// The error of class `Error` (or one derived from it) that `action` raises, for tests that
// look further than its message; any other outcome fails the test.
template <class Error, class Action>
Error raised(Action&& action) {
    try {
        action();
    } catch (const Error& error) {
        return error;
    }
    throw std::runtime_error("the expected error was not raised");
}

}  // namespace wispel::test
