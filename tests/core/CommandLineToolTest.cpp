// What the command-line tools share: terminal-safe text, write errors, time arguments.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "core/CommandLineTool.h"
#include "core/TerminalText.h"

using namespace wispel;

TEST(TerminalText, EveryControlCharacterBecomesVisible) {
    const struct {
        std::string text;
        std::string shown;
    } cases[] = {
        {"plain text, caf\xC3\xA9 \xE2\x80\x94 \xF0\x9F\x93\xB0", "plain text, caf\xC3\xA9 \xE2\x80\x94 \xF0\x9F\x93\xB0"},
        {"a\\b\tc\nd\re", "a\\\\b\\tc\\nd\\re"},
        {"\x1B]0;owned\x07", "\\x1B]0;owned\\x07"},
        {std::string("nul\0", 4), "nul\\x00"},
        {"del\x7F", "del\\x7F"},
        {"csi\xC2\x9B" "31m next\xC2\x85", "csi\\u009B31m next\\u0085"},
        {"nbsp\xC2\xA0", "nbsp\xC2\xA0"},                       // U+00A0 is printable
        {"raw\x9B" "31m", "raw\\x9B31m"},                        // a C1 byte outside UTF-8
        {"cut\xE2\x80", "cut\\xE2\\x80"},                        // a sequence cut short
        {"over\xC0\xAF long\xE0\x80\xAF", "over\\xC0\\xAF long\\xE0\\x80\\xAF"},
        {"surrogate\xED\xA0\x80", "surrogate\\xED\\xA0\\x80"},
        {"beyond\xF4\x90\x80\x80", "beyond\\xF4\\x90\\x80\\x80"},
    };
    for (const auto& c : cases) EXPECT_EQ(escapeControls(c.text), c.shown) << c.shown;
    EXPECT_EQ(escapeControls("say \"hi\"", '"'), "say \\\"hi\\\"");
    EXPECT_EQ(escapeControlsKeepingLines("Socket Error # 1\r\nText\\ \x1B[2J"),
              "Socket Error # 1\r\nText\\ \\x1B[2J");
}

// Plain text is scanned eight bytes at a time and printable UTF-8 a sequence at a time: each
// character that needs escaping must be found at every place in such a run.
TEST(TerminalText, FindsEveryEscapeInLongRuns) {
    const struct {
        std::string character;
        std::string shown;
    } specials[] = {
        {"\\", "\\\\"}, {"\"", "\\\""}, {"\x1F", "\\x1F"}, {"\x7F", "\\x7F"},
        {"\x80", "\\x80"}, {"\xC2\x85", "\\u0085"}, {"\xC3\xA9", "\xC3\xA9"},
        {std::string(1, '\0'), "\\x00"}, {"\xE2\x80\x94", "\xE2\x80\x94"},
        {"\xF0\x9F\x93\xB0", "\xF0\x9F\x93\xB0"}, {"\xE2\x80", "\\xE2\\x80"},
        {"\xED\xA0\x80", "\\xED\\xA0\\x80"},
    };
    const std::string plain = "The council met, ~ at noon!";
    for (const auto& special : specials) {
        for (std::size_t at = 0; at <= plain.size(); ++at) {
            const std::string text = plain.substr(0, at) + special.character + plain.substr(at);
            const std::string shown = plain.substr(0, at) + special.shown + plain.substr(at);
            EXPECT_EQ(escapeControls(text, '"'), shown) << shown;
        }
    }
    const std::string news = "\xD0\x9D\xD0\xBE\xD0\xB2\xD0\xBE\xD1\x81\xD1\x82\xD0\xB8";
    EXPECT_EQ(escapeControls(news + "\x1B" + news), news + "\\x1B" + news);
    std::string line = "feed\t";
    appendEscapedControls(line, "a\tb");
    EXPECT_EQ(line, "feed\ta\\tb");
}

TEST(CommandLineTool, ParsesSeconds) {
    const struct {
        const char* text;
        int milliseconds;  // -1: refused
    } cases[] = {
        {"1", 1000},   {"0.5", 500},  {"2.25", 2250}, {"0.0001", 1},     {"120", 120000},
        {"2000000", 2000000000},      {"2000001", -1}, {"0", -1},        {"0.000", -1},
        {"", -1},      {".", -1},     {"-1", -1},     {"1e3", -1},       {"1.2.3", -1},
        {" 1", -1},    {"99999999999999999999", -1},
    };
    for (const auto& c : cases) {
        int ms = -1;
        bool ok = parseSeconds(c.text, ms);
        EXPECT_EQ(ok ? ms : -1, c.milliseconds) << "'" << c.text << "'";
    }
}

TEST(CommandLineTool, ReportsAWriteThatDidNotArrive) {
    std::FILE* full = std::fopen("/dev/full", "w");
    ASSERT_NE(full, nullptr);
    std::fputs("news", full);
    EXPECT_EQ(outputError(full, "standard output"),
              "Cannot write to standard output: No space left on device.");
    std::fclose(full);

    std::ofstream stream("/dev/full");
    stream << "news";
    EXPECT_EQ(outputError(stream, "standard output"),
              "Cannot write to standard output: No space left on device.");

    std::FILE* null = std::fopen("/dev/null", "w");
    std::fputs("news", null);
    EXPECT_EQ(outputError(null, "standard output"), "");
    std::fclose(null);
}
