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

}  // namespace wispel
