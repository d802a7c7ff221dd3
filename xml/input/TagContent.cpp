#include "xml/input/TagContent.h"

#include <array>
#include <string>
#include <unordered_set>

#include "core/Format.h"
#include "core/TextCase.h"
#include "xml/chars/XmlChars.h"
#include "xml/input/DocumentBounds.h"
#include "xml/errors/ParserErrors.h"

namespace wispel {
namespace {

class AttributeScanner {
public:
    AttributeScanner(std::u16string_view text, TdomNameValueList& attributes)
        : text_(text), attributes_(attributes) {}

    void run() {
        bool first = true;
        bool blankBefore = false;
        while (pos_ < text_.size()) {
            if (!first && !blankBefore) throw EParserMissingWhiteSpace_Err();
            readAttribute();
            blankBefore = skipBlanks();
            first = false;
        }
    }

private:
    void readAttribute() {
        std::u16string_view name = scanName();
        char16_t quote = scanToQuote();
        std::size_t valueStart = pos_;
        while (pos_ < text_.size() && text_[pos_] != quote) ++pos_;
        bool closed = quote != 0 && pos_ < text_.size();
        std::u16string_view value = text_.substr(valueStart, pos_ - valueStart);
        if (closed) ++pos_;
        if (!validName(name)) throw EParserInvalidAttributeName_Err();
        if (!closed) throw EParserMissingQuotationMark_Err();
        checkNotRepeated(name);
        attributes_.add(name, value);
    }

    // Names repeat case-insensitively, as the list compares them. The few names of a usual
    // tag are compared with each other; beyond them, a set of folded names keeps tags with
    // many attributes linear.
    void checkNotRepeated(std::u16string_view name) {
        if (count_ == kMaxElementAttributes) {
            throw EParserDocumentTooLarge(formatMessage("Element with more than %d attributes.",
                                                        {kMaxElementAttributes}));
        }
        if (count_ < kFew) {
            for (std::size_t i = 0; i < count_; ++i) {
                if (sameFolded(few_[i], name)) throw EParserDoubleAttributeName_Err();
            }
            few_[count_++] = name;
            return;
        }
        if (count_ == kFew) {
            for (std::u16string_view earlier : few_) seen_.insert(folded(earlier));
        }
        if (!seen_.insert(folded(name)).second) throw EParserDoubleAttributeName_Err();
        ++count_;
    }

    static std::string folded(std::u16string_view name) { return upperCase(toUtf8(name)); }

    // Whether the two names fold to the same; ASCII names, whose letters fold to their
    // capitals, need no folded copies.
    static bool sameFolded(std::u16string_view a, std::u16string_view b) {
        if (!asciiOnly(a) || !asciiOnly(b)) return folded(a) == folded(b);
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (asciiCapital(a[i]) != asciiCapital(b[i])) return false;
        }
        return true;
    }
    static bool asciiOnly(std::u16string_view text) {
        for (char16_t unit : text) {
            if (unit >= 0x80) return false;
        }
        return true;
    }
    static char16_t asciiCapital(char16_t unit) {
        return unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - 0x20) : unit;
    }

    std::u16string_view scanName() {
        std::size_t start = pos_;
        while (pos_ < text_.size() && !xmlBlank(text_[pos_]) && text_[pos_] != u'=') ++pos_;
        return text_.substr(start, pos_ - start);
    }

    // Steps over white space and one "=" up to the opening quote; returns the quote, or 0
    // when the text ended first.
    char16_t scanToQuote() {
        bool equalitySign = false;
        for (; pos_ < text_.size(); ++pos_) {
            char16_t unit = text_[pos_];
            if (xmlBlank(unit)) continue;
            if (unit == u'=') {
                if (equalitySign) throw EParserDoubleEqualitySign_Err();
                equalitySign = true;
                continue;
            }
            if (unit != u'\'' && unit != u'"') throw EParserMissingQuotationMark_Err();
            if (!equalitySign) throw EParserMissingEqualitySign_Err();
            ++pos_;
            return unit;
        }
        return 0;
    }

    bool skipBlanks() {
        std::size_t start = pos_;
        while (pos_ < text_.size() && xmlBlank(text_[pos_])) ++pos_;
        return pos_ != start;
    }

    std::u16string_view text_;
    TdomNameValueList& attributes_;
    std::size_t pos_ = 0;
    static constexpr std::size_t kFew = 8;
    std::size_t count_ = 0;                      // attributes read so far
    std::array<std::u16string_view, kFew> few_;  // the names of the first kFew
    std::unordered_set<std::string> seen_;       // folded names, once there are more
};

}  // namespace

void parseTagContent(std::u16string_view content, DOMString& name, TdomNameValueList& attributes) {
    const TBlankSplit split = splitAtBlank(content);
    name.assign(split.head);
    parseAttributes(split.rest, attributes);
}

void parseAttributes(std::u16string_view text, TdomNameValueList& attributes) {
    const std::u16string_view trimmed = trimXmlBlanks(text);
    // Most tags have no attributes: no scanner to set up for them.
    if (!trimmed.empty()) AttributeScanner(trimmed, attributes).run();
}

}  // namespace wispel
