#include "core/TerminalText.h"

#include <cstdio>

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

void appendHex(std::string& out, const char* form, unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, form, value);
    out += text;
}

std::string escape(std::string_view text, char quote, bool keepLines) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        std::size_t length = sequenceLength(text);
        auto byte = static_cast<unsigned char>(text[0]);
        if (length == 0) {
            appendHex(out, "\\x%02X", byte);
            length = 1;
        } else if (length == 2 && byte == 0xC2 && static_cast<unsigned char>(text[1]) < 0xA0) {
            appendHex(out, "\\u%04X", static_cast<unsigned char>(text[1]));
        } else if (length > 1) {
            out.append(text.substr(0, length));
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
        } else if (byte < 0x20 || byte == 0x7F) {
            appendHex(out, "\\x%02X", byte);
        } else {
            out += static_cast<char>(byte);
        }
        text.remove_prefix(length);
    }
    return out;
}

}  // namespace

std::string escapeControls(std::string_view text, char quote) {
    return escape(text, quote, false);
}

std::string escapeControlsKeepingLines(std::string_view text) {
    return escape(text, '\0', true);
}

}  // namespace wispel
