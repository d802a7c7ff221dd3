#pragma once
// Table-driven 3-to-4 coding: every 3 input bytes become 4 characters of a 64-character
// table. Base64 is the form the client uses, for Basic credentials.

#include <optional>
#include <string>
#include <string_view>

namespace wispel {

class TNet3To4Coder {
public:
    TNet3To4Coder(std::string_view table, char padding) : table_(table), padding_(padding) {}
    virtual ~TNet3To4Coder() = default;

    // The coded text of all of `input`, without line breaks.
    std::string Encode(std::string_view input) const;

private:
    std::string table_;  // 64 characters; index = 6-bit value
    char padding_;
};

class TNetBase64Encoder : public TNet3To4Coder {
public:
    TNetBase64Encoder();
};

std::string base64Encode(std::string_view text);

// The bytes of Base64 text, which may be broken into lines (blanks anywhere are passed
// over) and must otherwise hold only the 64 characters and its final padding; nothing when
// it holds anything else or ends in the middle of a byte.
std::optional<std::string> base64Decode(std::string_view text);

}  // namespace wispel
