// Takes a document type declaration apart: "<!DOCTYPE", white space, the name, an optional
// external id (SYSTEM literal, or PUBLIC literal literal) and an optional internal subset in
// brackets. Every failure is "Invalid doctype declaration error.".
#include <string_view>

#include "xml/chars/XmlChars.h"
#include "xml/errors/ParserErrors.h"
#include "xml/reader/ContentHandler.h"
#include "xml/reader/StandardDocXMLReader.h"

namespace wispel {

namespace {

[[noreturn]] void invalidDoctype() {
    throw EParserInvalidDoctype_Err();
}

class ExternalIdScanner {
public:
    explicit ExternalIdScanner(std::u16string_view text) : text_(text) {}

    void scan(DOMString& publicId, DOMString& systemId) {
        if (text_.empty()) return;
        if (keyword(u"SYSTEM")) {
            systemId = literal(false);
        } else if (keyword(u"PUBLIC")) {
            publicId = literal(true);
            skipBlanks();
            systemId = literal(false);
        } else {
            invalidDoctype();
        }
        if (pos_ != text_.size()) invalidDoctype();
    }

private:
    // The keyword and the white space after it.
    bool keyword(std::u16string_view word) {
        if (!text_.starts_with(word)) return false;
        pos_ = word.size();
        if (skipBlanks() == 0) invalidDoctype();
        return true;
    }

    std::size_t skipBlanks() {
        std::size_t start = pos_;
        while (pos_ < text_.size() && xmlBlank(text_[pos_])) ++pos_;
        return pos_ - start;
    }

    // A quoted literal, followed by white space or the end.
    DOMString literal(bool publicIdChars) {
        if (pos_ >= text_.size()) invalidDoctype();
        char16_t quote = text_[pos_];
        if (quote != u'"' && quote != u'\'') invalidDoctype();
        std::size_t close = text_.find(quote, pos_ + 1);
        if (close == std::u16string_view::npos) invalidDoctype();
        std::u16string_view value = text_.substr(pos_ + 1, close - pos_ - 1);
        pos_ = close + 1;
        if (pos_ < text_.size() && !xmlBlank(text_[pos_])) invalidDoctype();
        if (publicIdChars) {
            for (char16_t unit : value) {
                if (!validPubidChar(unit)) invalidDoctype();
            }
        }
        return DOMString(value);
    }

    std::u16string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace

void TdomStandardDocXMLReader::readDoctypeDeclaration(TdomCustomParser* parser,
                                                      TdomStandardLocator* locator,
                                                      const DOMString& text) {
    if (!contentHandler()) return;
    std::u16string_view whole = text;
    if (!whole.starts_with(u"<!DOCTYPE") || !whole.ends_with(u">") || whole.size() < 11 ||
        !xmlBlank(whole[9])) {
        invalidDoctype();
    }
    std::u16string_view inner = trimXmlBlanks(whole.substr(10, whole.size() - 11));
    std::u16string_view head = inner;
    std::u16string_view subset;
    std::size_t bracket = inner.find(u'[');
    if (bracket != std::u16string_view::npos) {
        head = inner.substr(0, bracket);
        std::u16string_view rest = trimXmlBlanks(inner.substr(bracket));
        if (rest.size() <= 1 || rest.back() != u']') invalidDoctype();
        subset = rest.substr(1, rest.size() - 2);
    }
    const TBlankSplit split = splitAtBlank(head);
    if (!validName(split.head)) invalidDoctype();
    DOMString publicId;
    DOMString systemId;
    ExternalIdScanner(split.rest).scan(publicId, systemId);
    contentHandler()->doctypeDeclaration(parser, locator, DOMString(split.head), publicId, systemId,
                                         DOMString(subset));
}

}  // namespace wispel
