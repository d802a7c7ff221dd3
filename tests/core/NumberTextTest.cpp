#include <gtest/gtest.h>

#include <cmath>

#include "core/NumberText.h"

using namespace wispel;

namespace {

struct NumberCase {
    const char* text;
    double value;
    const char* written;  // what numberText gives for the value
};

const NumberCase kNumbers[] = {
    {"0", 0, "0"},
    {"-0.25", -0.25, "-0.25"},
    {"+3", 3, "3"},
    {"1.5", 1.5, "1.5"},
    {".5", 0.5, "0.5"},
    {"5.", 5, "5"},
    {"1e3", 1000, "1000"},
    {"2.5E+20", 2.5e20, "2.5e+20"},
    {"0.00001", 1e-5, "1e-05"},
    {"0.0001", 1e-4, "0.0001"},
    {"100000", 100000, "100000"},
    {"1e15", 1e15, "1e+15"},
    {"999999999999999", 999999999999999.0, "999999999999999"},
    {"1234567.125", 1234567.125, "1234567.125"},
    // Fifteen digits, as stored texts have always held them.
    {"0.30000000000000004", 0.1 + 0.2, "0.3"},
    {"0.333333333333333333", 1.0 / 3, "0.333333333333333"},
    {"123456789012345678", 123456789012345678.0, "1.23456789012346e+17"},
    {"4.9e-324", 4.9e-324, "4.94065645841247e-324"},
};

}  // namespace

TEST(NumberText, ReadsAndWritesTheFifteenDigitForm) {
    for (const auto& c : kNumbers) {
        double value = -7;
        EXPECT_TRUE(parseNumber(c.text, value)) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
        EXPECT_EQ(numberText(c.value), c.written) << c.text;
        double again = -7;
        EXPECT_TRUE(parseNumber(numberText(c.value), again)) << c.text;
    }
}

TEST(NumberText, RefusesWhatIsNotOneFiniteNumber) {
    const char* const refused[] = {"", "+", "-", ".", "1,5", "1.5x", " 1", "1 ", "0x10",
                                   "++1", "+-1", "--1", "e5", "1e", "nan", "inf", "-inf",
                                   "1e400", "-1e400", "1e-400"};
    for (const char* text : refused) {
        double value = -7;
        EXPECT_FALSE(parseNumber(text, value)) << text;
        EXPECT_EQ(value, -7) << text;  // left as it was
    }
}
