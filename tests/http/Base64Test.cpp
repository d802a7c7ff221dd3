#include <gtest/gtest.h>

#include <string>

#include "http/Base64.h"

using namespace wispel;

TEST(Base64, EncodesStandardBase64WithPadding) {
    using namespace std::string_literals;
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
        {"user:", "dXNlcjo="},  // a user name with an empty password
        {"\xff\xfe\x00"s, "//4A"},
    };
    for (const auto& [input, expected] : cases) EXPECT_EQ(base64Encode(input), expected) << input;
}

TEST(Base64, LengthsFollowTheInputModuloThreeWithoutLineBreaks) {
    for (std::size_t n : {3u * 2000, 3u * 2000 + 1, 3u * 2000 + 2}) {
        std::string input(n, 'a');
        std::string coded = base64Encode(input);
        EXPECT_EQ(coded.size(), (n + 2) / 3 * 4);
        EXPECT_EQ(coded.find('\n'), std::string::npos);
        std::size_t padding = n % 3 == 0 ? 0 : 3 - n % 3;
        EXPECT_EQ(coded.substr(coded.size() - padding), std::string(padding, '='));
        // longer than one input block of the coder and still one continuous text
        EXPECT_EQ(coded.substr(0, 4), "YWFh");
        EXPECT_EQ(coded.substr(4000, 4), "YWFh");
    }
}

TEST(Base64, DecodesWhatItEncodesAndRefusesTheRest) {
    for (const char* text : {"", "f", "fo", "foo", "foob", "fooba", "foobar", "\xFF\x80"}) {
        EXPECT_EQ(base64Decode(base64Encode(text)), std::optional<std::string>(text)) << text;
    }
    EXPECT_EQ(base64Decode(" Zm9v\r\nYmFy\n"), std::optional<std::string>("foobar"));
    EXPECT_EQ(base64Decode("Zm9vYg"), std::optional<std::string>("foob"));  // padding left out
    for (const char* bad : {"Zm9v!", "Zg==Zg==", "Z", "Zm9vY", "Zg===", "Zm-9"}) {
        EXPECT_EQ(base64Decode(bad), std::nullopt) << bad;
    }
}
