#include "xml/input/TagContent.h"

#include <string>
#include <unordered_set>

#include "core/TextCase.h"
#include "xml/chars/XmlChars.h"
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

    // Names repeat case-insensitively, as the list compares them; a set of folded names
    // keeps tags with many attributes linear. The usual lone attribute repeats nothing, so
    // names are folded only once a second one comes.
    void checkNotRepeated(std::u16string_view name) {
        if (count_ == 0) {
            first_ = name;
        } else {
            if (count_ == 1) seen_.insert(folded(first_));
            if (!seen_.insert(folded(name)).second) throw EParserDoubleAttributeName_Err();
        }
        ++count_;
    }

    static std::string folded(std::u16string_view name) { return upperCase(toUtf8(name)); }

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
    std::size_t count_ = 0;       // attributes read so far
    std::u16string_view first_;   // the first one's name
    std::unordered_set<std::string> seen_;  // folded names, from the second attribute on
};

}  // namespace

void parseTagContent(std::u16string_view content, DOMString& name, TdomNameValueList& attributes) {
    const TBlankSplit split = splitAtBlank(content);
    name.assign(split.head);
    parseAttributes(split.rest, attributes);
}

void parseAttributes(std::u16string_view text, TdomNameValueList& attributes) {
    AttributeScanner(trimBlanks(text), attributes).run();
}

}  // namespace wispel
