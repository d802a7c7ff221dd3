#pragma once
// Decodes the encodings our own tables do not cover (EUC-KR, GB2312, Shift_JIS, Big5 ...)
// through the C library's iconv, one character per call. The input source keeps its own
// buffer, positions and error reports for them exactly as for the built-in encodings; this
// class only turns the bytes of one character into its code point.
//
// Owns its conversion descriptor; copying is deleted for that reason.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace wispel {

class TIconvDecoder {
public:
    // A decoder for the encoding `name`, or null when the C library does not know it, or
    // when that encoding does not write the characters of XML markup as ASCII bytes: the
    // encoding declaration that named it was read as ASCII, so such an encoding (UTF-16,
    // EBCDIC) would contradict the bytes it came from.
    static std::unique_ptr<TIconvDecoder> open(std::string_view name);
    ~TIconvDecoder();
    TIconvDecoder(const TIconvDecoder&) = delete;
    TIconvDecoder& operator=(const TIconvDecoder&) = delete;

    enum class Result {
        Char,        // one character decoded from the first `consumed` bytes
        NoChar,      // every byte consumed (shift sequences) and no character yet
        Incomplete,  // the bytes end inside a character
        Invalid,     // no character of this encoding starts at the first byte
    };
    // Decodes the first character of the `size` bytes at `bytes`.
    Result decode(const std::uint8_t* bytes, std::size_t size, std::size_t& consumed,
                  char32_t& codePoint);
    // True when `byte`, met at the start of a character, is the ASCII character of its code
    // in this encoding, so that it needs no call into the library. False for every byte of
    // an encoding with shift states (ISO-2022-JP, UTF-7), where no byte stands for itself
    // alone, and for ASCII codes the encoding uses otherwise (Shift_JIS's yen sign).
    bool isAsciiAsItself(std::uint8_t byte) const noexcept {
        return byte < 0x80 && asciiAsItself_[byte];
    }
    // Back to the initial shift state, as at the start of the data.
    void reset();
    // The name as the document gave it, for error messages.
    const std::string& name() const noexcept { return name_; }

private:
    TIconvDecoder(void* descriptor, std::string name);
    bool readsMarkupAsAscii();
    void findAsciiAsItself();

    void* descriptor_;  // the iconv_t, owned
    std::string name_;
    std::array<bool, 128> asciiAsItself_{};
};

}  // namespace wispel
