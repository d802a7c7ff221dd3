#include "tablestore/filter/FilterTokenizer.h"

#include <array>
#include <charconv>
#include <limits>

#include "core/NumberText.h"
#include "core/TextCase.h"
#include "core/TextConvert.h"
#include "tablestore/filter/FilterError.h"

namespace wispel {

namespace {

enum CharClass : std::uint8_t { kOther, kBlank, kLetter, kDigit };

constexpr std::array<std::uint8_t, 256> makeClasses() {
    std::array<std::uint8_t, 256> table{};
    for (int c = 0; c <= 32; ++c) table[c] = kBlank;
    for (int c = 'a'; c <= 'z'; ++c) table[c] = kLetter;
    for (int c = 'A'; c <= 'Z'; ++c) table[c] = kLetter;
    table['_'] = kLetter;
    for (int c = '0'; c <= '9'; ++c) table[c] = kDigit;
    return table;
}

constexpr std::array<std::uint8_t, 256> kClasses = makeClasses();

// The filter's decimal separator: the C locale's, whatever the user's locale says, so a
// stored filter means the same everywhere.
constexpr char kDecimalSeparator = '.';

class Tokenizer {
public:
    explicit Tokenizer(std::string_view text) : text_(text) {}

    std::vector<TFilterToken> run() {
        std::vector<TFilterToken> tokens;
        for (;;) {
            skipBlanksAndComments();
            TFilterToken token;
            token.start = static_cast<std::uint32_t>(pos_);
            if (pos_ == text_.size()) {
                token.end = token.start;
                tokens.push_back(std::move(token));
                return tokens;
            }
            scan(token);
            token.end = static_cast<std::uint32_t>(pos_);
            tokens.push_back(std::move(token));
        }
    }

private:
    std::uint8_t classAt(std::size_t i) const {
        return i < text_.size() ? kClasses[static_cast<unsigned char>(text_[i])]
                                : static_cast<std::uint8_t>(kOther);
    }

    void skipBlanksAndComments() {
        for (;;) {
            while (classAt(pos_) == kBlank && pos_ < text_.size()) ++pos_;
            if (text_.substr(pos_, 2) != "/*") return;
            const std::size_t close = text_.find("*/", pos_ + 2);
            if (close == std::string_view::npos)
                failFilter("Missing ending comment slash and asterisk");
            pos_ = close + 2;
        }
    }

    void scan(TFilterToken& token) {
        const char c = text_[pos_];
        switch (classAt(pos_)) {
            case kLetter:
                scanName(token);
                return;
            case kDigit:
                scanNumber(token);
                return;
            default:
                break;
        }
        if (c == '.' && classAt(pos_ + 1) == kDigit) return scanNumber(token);
        if (c == '\'' || c == '"') return scanString(token, c);
        if (c == '[') return scanBracketedName(token);
        if (c == '#' && classAt(pos_ + 1) == kDigit) return scanCharacter(token);
        scanSymbol(token);
    }

    void scanName(TFilterToken& token) {
        const std::size_t from = pos_;
        while (classAt(pos_) == kLetter || classAt(pos_) == kDigit) ++pos_;
        token.kind = TFilterTokenKind::name;
        token.value.assign(text_.substr(from, pos_ - from));
        token.folded = upperCase(token.value);
    }

    void scanNumber(TFilterToken& token) {
        const std::size_t from = pos_;
        bool whole = true;
        while (classAt(pos_) == kDigit) ++pos_;
        if (pos_ < text_.size() && text_[pos_] == kDecimalSeparator) {
            whole = false;
            ++pos_;
            while (classAt(pos_) == kDigit) ++pos_;
        }
        // An "E" that no digits follow belongs to the next token.
        if (pos_ < text_.size() && (text_[pos_] == 'E' || text_[pos_] == 'e')) {
            std::size_t digits = pos_ + 1;
            if (digits < text_.size() && (text_[digits] == '+' || text_[digits] == '-'))
                ++digits;
            if (classAt(digits) == kDigit) {
                whole = false;
                pos_ = digits;
                while (classAt(pos_) == kDigit) ++pos_;
            }
        }
        const std::string_view digits = text_.substr(from, pos_ - from);
        if (whole) {
            auto [end, ec] =
                std::from_chars(digits.data(), digits.data() + digits.size(), token.integer);
            if (ec == std::errc()) {
                token.kind = TFilterTokenKind::integer;
                return;
            }
        }
        // Too large for a whole number, or written with a fraction or exponent.
        token.kind = TFilterTokenKind::numeric;
        std::string plain(digits);
        if (plain.front() == kDecimalSeparator) plain.insert(plain.begin(), '0');
        // The scan above let only a number's characters through, so a failure is its size.
        if (!parseNumber(plain, token.number))
            token.number = std::numeric_limits<double>::infinity();
    }

    void scanString(TFilterToken& token, char quote) {
        const std::size_t from = ++pos_;
        for (;;) {
            const std::size_t close = text_.find(quote, pos_);
            if (close == std::string_view::npos) {
                failFilterAt(quote == '\'' ? "Missing single quote after "
                                           : "Missing double quote after ",
                             text_.substr(from));
            }
            token.value.append(text_.substr(pos_, close - pos_));
            pos_ = close + 1;
            if (pos_ < text_.size() && text_[pos_] == quote) {
                token.value += quote;  // a doubled quote stands for one
                ++pos_;
                continue;
            }
            break;
        }
        token.kind = TFilterTokenKind::string;
    }

    void scanBracketedName(TFilterToken& token) {
        const std::size_t from = pos_ + 1;
        const std::size_t close = text_.find(']', from);
        if (close == std::string_view::npos)
            failFilterAt("Missing right bracket after ", text_.substr(from));
        token.kind = TFilterTokenKind::bracketedName;
        token.value.assign(text_.substr(from, close - from));
        pos_ = close + 1;
    }

    void scanCharacter(TFilterToken& token) {
        const std::size_t from = pos_++;
        std::uint32_t code = 0;
        bool tooLarge = false;
        while (classAt(pos_) == kDigit) {
            code = code * 10 + static_cast<std::uint32_t>(text_[pos_] - '0');
            if (code > 0x10FFFF) tooLarge = true, code = 0x110000;
            ++pos_;
        }
        if (tooLarge || (code >= 0xD800 && code <= 0xDFFF))
            failFilterAt("Unknown or unexpected symbol ", text_.substr(from, pos_ - from));
        token.kind = TFilterTokenKind::character;
        appendUtf8(token.value, static_cast<char32_t>(code));
    }

    void scanSymbol(TFilterToken& token) {
        // A character above ASCII is one symbol, so a message never splits it.
        std::size_t length = 1;
        const auto lead = static_cast<unsigned char>(text_[pos_]);
        if (lead >= 0xC0) length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        for (std::size_t k = 1; k < length; ++k) {
            if (pos_ + k >= text_.size() ||
                (static_cast<unsigned char>(text_[pos_ + k]) & 0xC0) != 0x80) {
                length = k;
                break;
            }
        }
        token.kind = TFilterTokenKind::symbol;
        token.value.assign(text_.substr(pos_, length));
        pos_ += length;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace

std::vector<TFilterToken> tokenizeFilter(std::string_view text) {
    if (text.size() > kMaxFilterText) failFilter("Filter text too long");
    return Tokenizer(text).run();
}

}  // namespace wispel
