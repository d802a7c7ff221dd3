#include "core/TerminalText.h"

#include <cstdint>
#include <cstring>

namespace wispel {

namespace {

// The length of the well-formed UTF-8 sequence at the start of `text` (RFC 3629: no
// overlong forms, no surrogates, nothing above U+10FFFF), or 0 when there is none.
std::size_t sequenceLength(std::string_view text) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(0);
    std::size_t length = lead < 0x80 ? 1 : lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3
                                                                         : lead < 0xF5 ? 4
                                                                                       : 0;
    if (length == 0 || length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
    }
    unsigned char second = length > 1 ? byte(1) : 0;
    if (lead == 0xE0 && second < 0xA0) return 0;   // overlong
    if (lead == 0xED && second >= 0xA0) return 0;  // a surrogate
    if (lead == 0xF0 && second < 0x90) return 0;   // overlong
    if (lead == 0xF4 && second >= 0x90) return 0;  // above U+10FFFF
    return length;
}

void appendHex(std::string& out, const char* prefix, unsigned value, int digits) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += prefix;
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) out += kHex[(value >> shift) & 0xF];
}

bool plainByte(char byte, char quote) {
    return byte >= 0x20 && byte <= 0x7E && byte != '\\' && byte != quote;
}

// Word-at-a-time tests on eight bytes, each nonzero exactly when some byte is zero, or is
// below `limit` (at most 0x80).
constexpr std::uint64_t kOnes = 0x0101010101010101;
constexpr std::uint64_t kHighBits = 0x8080808080808080;
std::uint64_t anyZero(std::uint64_t word) {
    return (word - kOnes) & ~word & kHighBits;
}
std::uint64_t anyBelow(std::uint64_t word, unsigned limit) {
    return (word - kOnes * limit) & ~word & kHighBits;
}

// True when all eight bytes of `word` are plain: printable ASCII, no backslash, no quote.
bool plainWord(std::uint64_t word, char quote) {
    return ((word & kHighBits) | anyBelow(word, 0x20) | anyZero(word ^ (kOnes * 0x7F)) |
            anyZero(word ^ (kOnes * '\\')) |
            anyZero(word ^ (kOnes * static_cast<unsigned char>(quote)))) == 0;
}

bool isC1Control(std::string_view sequence) {
    return sequence.size() == 2 && static_cast<unsigned char>(sequence[0]) == 0xC2 &&
           static_cast<unsigned char>(sequence[1]) < 0xA0;
}

// The length of the character at the start of `text` when it passes unchanged: a plain byte,
// or a well-formed UTF-8 sequence other than a C1 control. 0 when it is escaped.
std::size_t plainLength(std::string_view text, char quote) {
    if (plainByte(text[0], quote)) return 1;
    const std::size_t length = sequenceLength(text);
    return length > 1 && !isC1Control(text.substr(0, length)) ? length : 0;
}

// The length of the run of characters at the start of `text` that pass unchanged: most of
// any text, which is then copied in one go. ASCII is looked at eight bytes at a time.
std::size_t plainRun(std::string_view text, char quote) {
    std::size_t i = 0;
    for (;;) {
        for (std::uint64_t word; i + 8 <= text.size(); i += 8) {
            std::memcpy(&word, text.data() + i, 8);
            if (!plainWord(word, quote)) break;
        }
        const std::size_t length = i < text.size() ? plainLength(text.substr(i), quote) : 0;
        if (length == 0) return i;
        i += length;
    }
}

// Appends the escaped form of the character (or stray byte) at the start of `text`, one
// that does not pass unchanged, and returns how many bytes it took.
std::size_t appendEscapedCharacter(std::string& out, std::string_view text, char quote,
                                   bool keepLines) {
    const std::size_t length = sequenceLength(text);
    const auto byte = static_cast<unsigned char>(text[0]);
    if (length == 0) {
        appendHex(out, "\\x", byte, 2);
        return 1;
    }
    if (length > 1) {
        appendHex(out, "\\u", static_cast<unsigned char>(text[1]), 4);  // a C1 control
    } else if (keepLines && (byte == '\n' || byte == '\r' || byte == '\\')) {
        out += static_cast<char>(byte);
    } else if (byte == '\\' || (quote != '\0' && byte == static_cast<unsigned char>(quote))) {
        out += '\\';
        out += static_cast<char>(byte);
    } else if (byte == '\t') {
        out += "\\t";
    } else if (byte == '\n') {
        out += "\\n";
    } else if (byte == '\r') {
        out += "\\r";
    } else {
        appendHex(out, "\\x", byte, 2);  // the other C0 controls and DEL
    }
    return length;
}

void appendEscaped(std::string& out, std::string_view text, char quote, bool keepLines) {
    while (!text.empty()) {
        const std::size_t plain = plainRun(text, quote);
        out.append(text.substr(0, plain));
        text.remove_prefix(plain);
        if (!text.empty()) text.remove_prefix(appendEscapedCharacter(out, text, quote, keepLines));
    }
}

}  // namespace

std::size_t findControlOrMalformed(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        i += plainRun(text.substr(i), '\0');
        if (i == text.size()) break;
        if (text[i] != '\\') return i;
        ++i;
    }
    return std::string_view::npos;
}

void appendEscapedControls(std::string& out, std::string_view text, char quote) {
    appendEscaped(out, text, quote, false);
}

std::string escapeControls(std::string_view text, char quote) {
    std::string out;
    out.reserve(text.size());
    appendEscaped(out, text, quote, false);
    return out;
}

std::string escapeControlsKeepingLines(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    appendEscaped(out, text, '\0', true);
    return out;
}

std::string escapeControlsAsOneLine(std::string_view text) {
    std::string joined;
    joined.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') {
            joined += text[i];
            continue;
        }
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        joined += ' ';
    }
    return escapeControlsKeepingLines(joined);
}

}  // namespace wispel
