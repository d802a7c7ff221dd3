#include "http/Base64.h"

namespace wispel {

std::string TNet3To4Coder::Encode(std::string_view input) const {
    std::string out;
    out.reserve((input.size() + 2) / 3 * 4);
    auto byteAt = [&](std::size_t i) {
        return i < input.size() ? static_cast<unsigned char>(input[i]) : 0u;
    };
    for (std::size_t i = 0; i < input.size(); i += 3) {
        unsigned b1 = byteAt(i), b2 = byteAt(i + 1), b3 = byteAt(i + 2);
        std::size_t present = input.size() - i;
        out += table_[b1 >> 2];
        out += table_[((b1 & 3) << 4) | (b2 >> 4)];
        out += present > 1 ? table_[((b2 & 15) << 2) | (b3 >> 6)] : padding_;
        out += present > 2 ? table_[b3 & 63] : padding_;
    }
    return out;
}

TNetBase64Encoder::TNetBase64Encoder()
    : TNet3To4Coder("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/", '=') {}

std::string base64Encode(std::string_view text) {
    return TNetBase64Encoder().Encode(text);
}

namespace {

int base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

}  // namespace

std::optional<std::string> base64Decode(std::string_view text) {
    std::string out;
    out.reserve(text.size() / 4 * 3);
    unsigned bits = 0;
    int bitCount = 0, padding = 0;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
        if (c == '=') {
            ++padding;
            continue;
        }
        const int value = base64Value(c);
        if (value < 0 || padding > 0) return std::nullopt;  // nothing may follow the padding
        bits = (bits << 6) | static_cast<unsigned>(value);
        bitCount += 6;
        if (bitCount >= 8) {
            bitCount -= 8;
            out += static_cast<char>((bits >> bitCount) & 0xFF);
        }
    }
    // Left-over bits are the zero fill of the last group: 2 or 4 of them, never 6.
    if (bitCount == 6 || padding > 2) return std::nullopt;
    return out;
}

}  // namespace wispel
