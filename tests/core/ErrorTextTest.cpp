// The error box's text rule, shared by the window program and the tools.

#include <gtest/gtest.h>

#include <stdexcept>

#include "core/ErrorText.h"
#include "core/Exception.h"

using namespace wispel;

TEST(ErrorText, AppendsAFullStopOnlyAfterCharactersAboveIt) {
    const struct {
        const char* message;
        const char* shown;
    } cases[] = {
        {"Connection refused", "Connection refused."},  // a letter
        {"Done.", "Done."},
        {"Stop!", "Stop!"},
        {"(see log)", "(see log)"},
        {"trailing ", "trailing "},
        {"a-", "a-"},                  // "-" sorts below "."
        {"path /", "path /."},         // "/" sorts above "."
        {"code 9", "code 9."},
        {"", ""},
        {"caf\xC3\xA9", "caf\xC3\xA9."},  // a UTF-8 byte sorts above "."
    };
    for (const auto& c : cases) {
        EXPECT_EQ(errorBoxText(Exception(c.message)), c.shown) << c.message;
    }
}

TEST(ErrorText, ForeignErrorsShowTheirWhatText) {
    EXPECT_EQ(errorBoxText(std::runtime_error("disk full")), "disk full.");
}

TEST(ErrorText, NamesTheErrorsClass) {
    EXPECT_EQ(errorClassName(EListError("x")), "EListError");
    EXPECT_EQ(errorClassName(EAbort("x")), "EAbort");
    EXPECT_EQ(errorClassName(std::runtime_error("x")), "std::runtime_error");
}
