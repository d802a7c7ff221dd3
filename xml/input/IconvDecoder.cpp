#include "xml/input/IconvDecoder.h"

#include <iconv.h>

#include <cerrno>
#include <utility>

namespace wispel {

namespace {

// Code points come out as the C library's wide characters (UCS-4 in native byte order), so
// that an output room of one wide character stops the conversion after exactly one
// character. That is also the library's internal form, which makes the conversion a
// single step: a chain of steps would convert far ahead into its own buffers and then
// convert again to learn how much input the one character took.
constexpr const char* kTarget = "WCHAR_T";
static_assert(sizeof(wchar_t) == 4, "wide characters hold one code point");
// Bytes offered per character: more than the longest character or shift sequence of any
// encoding, and few, since the library may look at all of them.
constexpr std::size_t kWindow = 16;
constexpr std::size_t kMaxNameLength = 64;

iconv_t descriptorOf(void* descriptor) {
    return static_cast<iconv_t>(descriptor);
}

// The characters of XML markup, names and declarations. Backslash and tilde are left out:
// Shift_JIS maps them to the yen sign and the overline and is still read as ASCII markup.
constexpr std::string_view kMarkupSample =
    "<?xml version=\"1.0\" encoding='x'?>\t\r\n<!DOCTYPE [ ]><!-- --><a:b_c-d.e f=\"&#;\"/>"
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

// Encoding names are letters, digits and "._-" only, so a name from a document never
// reaches the C library as a path or with conversion options ("//TRANSLIT").
bool plainEncodingName(std::string_view name) {
    if (name.empty() || name.size() > kMaxNameLength) return false;
    for (char c : name) {
        const bool letterOrDigit =
            (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        if (!letterOrDigit && c != '.' && c != '_' && c != '-') return false;
    }
    return true;
}

}  // namespace

std::unique_ptr<TIconvDecoder> TIconvDecoder::open(std::string_view name) {
    if (!plainEncodingName(name)) return nullptr;
    const std::string source(name);
    iconv_t descriptor = iconv_open(kTarget, source.c_str());
    if (descriptor == reinterpret_cast<iconv_t>(-1)) return nullptr;
    std::unique_ptr<TIconvDecoder> decoder(new TIconvDecoder(descriptor, source));
    if (!decoder->readsMarkupAsAscii()) return nullptr;
    decoder->findAsciiAsItself();
    decoder->reset();
    return decoder;
}

TIconvDecoder::TIconvDecoder(void* descriptor, std::string name)
    : descriptor_(descriptor), name_(std::move(name)) {}

TIconvDecoder::~TIconvDecoder() {
    iconv_close(descriptorOf(descriptor_));
}

bool TIconvDecoder::readsMarkupAsAscii() {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(kMarkupSample.data());
    for (std::size_t i = 0; i < kMarkupSample.size(); ++i) {
        std::size_t consumed = 0;
        char32_t codePoint = 0;
        if (decode(bytes + i, 1, consumed, codePoint) != Result::Char || consumed != 1 ||
            codePoint != static_cast<char32_t>(bytes[i])) {
            return false;
        }
    }
    return true;
}

void TIconvDecoder::findAsciiAsItself() {
    for (std::uint8_t byte = 0; byte < 0x80; ++byte) {
        reset();
        std::size_t consumed = 0;
        char32_t codePoint = 0;
        const Result result = decode(&byte, 1, consumed, codePoint);
        if (result == Result::NoChar || result == Result::Incomplete) {
            // A byte that shifts or starts an escape: which character a byte stands for
            // depends on what came before, so none is taken without the library.
            asciiAsItself_.fill(false);
            return;
        }
        asciiAsItself_[byte] = result == Result::Char && codePoint == byte;
    }
}

TIconvDecoder::Result TIconvDecoder::decode(const std::uint8_t* bytes, std::size_t size,
                                            std::size_t& consumed, char32_t& codePoint) {
    // iconv takes a non-const input pointer but never writes through it.
    const std::size_t offered = size < kWindow ? size : kWindow;
    char* in = reinterpret_cast<char*>(const_cast<std::uint8_t*>(bytes));
    std::size_t inLeft = offered;
    wchar_t out = 0;
    char* outPtr = reinterpret_cast<char*>(&out);
    std::size_t outLeft = sizeof out;
    const std::size_t converted = iconv(descriptorOf(descriptor_), &in, &inLeft, &outPtr, &outLeft);
    const int error = errno;
    consumed = offered - inLeft;
    if (outLeft == 0) {
        codePoint = static_cast<char32_t>(out);
        return Result::Char;
    }
    if (converted != static_cast<std::size_t>(-1)) return Result::NoChar;
    if (error == EINVAL) {
        // Cut by the window rather than by the bytes: only shift sequences filled it.
        if (offered < size && consumed == 0) return Result::Invalid;
        return offered < size ? Result::NoChar : Result::Incomplete;
    }
    // A character that needs more room than one code point is no character we can hand out.
    return Result::Invalid;
}

void TIconvDecoder::reset() {
    iconv(descriptorOf(descriptor_), nullptr, nullptr, nullptr, nullptr);
}

}  // namespace wispel
