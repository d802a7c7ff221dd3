#include "xml/reader/IntSubsetXMLReader.h"

#include "core/Exception.h"
#include "xml/chars/XmlChars.h"
#include "xml/errors/ParserErrors.h"
#include "xml/input/XmlInputSource.h"
#include "xml/reader/DeclarationText.h"
#include "xml/reader/DTDHandler.h"
#include "xml/reader/ErrorHandler.h"

namespace wispel {

namespace {

enum class TSubsetState {
    between,
    markup,
    reference,
    instruction,
    comment,
    entity,
    element,
    attributeList,
    notation,
    conditional,  // external subsets: "<![" up to the "[" after the keyword
    ignore,       // external subsets: inside an IGNORE section
    sectionEnd,   // external subsets: "]" seen between declarations
};

// Everything one call of parse keeps while it cuts the text.
struct TSubsetScan {
    TSubsetState state = TSubsetState::between;
    DOMString buffer;
    bool singleQuote = false;
    bool doubleQuote = false;
    int includeDepth = 0;  // open INCLUDE sections
    int ignoreDepth = 0;   // nested sections inside an IGNORE section
    bool firstPiece = true;
};

bool endsWith(const DOMString& text, std::u16string_view tail) {
    return text.size() >= tail.size() &&
           std::u16string_view(text).substr(text.size() - tail.size()) == tail;
}

// Quotes as in a start tag; true when `unit` is a ">" outside both kinds of quote.
bool quotedMarkupEnds(TSubsetScan& scan, char16_t unit) {
    if (unit == u'\'' && !scan.doubleQuote)
        scan.singleQuote = !scan.singleQuote;
    else if (unit == u'"' && !scan.singleQuote)
        scan.doubleQuote = !scan.doubleQuote;
    return unit == u'>' && !scan.singleQuote && !scan.doubleQuote;
}

DOMString between(const DOMString& text, std::size_t head, std::size_t tail) {
    return text.substr(head, text.size() - head - tail);
}

// "version" and "encoding" of a text declaration, read leniently: the declaration only
// announces what the input source already decided.
DOMString pseudoAttribute(std::u16string_view text, std::u16string_view name) {
    const std::size_t at = text.find(name);
    if (at == std::u16string_view::npos) return {};
    std::size_t pos = text.find_first_of(u"\"'", at + name.size());
    if (pos == std::u16string_view::npos) return {};
    const std::size_t close = text.find(text[pos], pos + 1);
    if (close == std::u16string_view::npos) {
        throw EParserInvalidTextDeclaration_Err("Invalid text-declaration error.");
    }
    return DOMString(text.substr(pos + 1, close - pos - 1));
}

bool isTextDeclaration(const DOMString& buffer) {
    return buffer.size() > 6 && std::u16string_view(buffer).substr(0, 5) == u"<?xml" &&
           xmlBlank(buffer[5]);
}

// One step of the cutter: feeds `unit` to the state machine and hands finished pieces to
// the reader's piece operations.
class TSubsetCutter {
public:
    TSubsetCutter(TdomStandardIntSubsetXMLReader& reader, TdomCustomParser* parser,
                  TdomStandardLocator* locator)
        : reader_(reader), parser_(parser), locator_(locator) {}

    TSubsetScan scan;

    void step(char16_t unit);
    bool finished() const {
        return scan.buffer.empty() && scan.includeDepth == 0 && scan.state == TSubsetState::between;
    }

private:
    void startMarkup(char16_t unit, TSubsetState state) {
        scan.buffer += unit;
        locator_->markStart();
        scan.state = state;
    }
    void enter(TSubsetState state) {
        scan.state = state;
        scan.singleQuote = scan.doubleQuote = false;
    }
    template <class Read>
    void hand(Read read, const DOMString& text) {
        (reader_.*read)(parser_, locator_, text);
        done();
    }
    void done() {
        scan.buffer.clear();
        scan.state = TSubsetState::between;
        scan.firstPiece = false;
    }
    void stepBetween(char16_t unit);
    void stepMarkup(char16_t unit);
    void stepInstruction(char16_t unit);
    void stepConditional(char16_t unit);
    void stepIgnore(char16_t unit);
    void stepSectionEnd(char16_t unit);

    TdomStandardIntSubsetXMLReader& reader_;
    TdomCustomParser* parser_;
    TdomStandardLocator* locator_;
};

using Reader = TdomStandardIntSubsetXMLReader;

void TSubsetCutter::step(char16_t unit) {
    switch (scan.state) {
        case TSubsetState::between:
            return stepBetween(unit);
        case TSubsetState::markup:
            return stepMarkup(unit);
        case TSubsetState::reference:
            scan.buffer += unit;
            if (unit == u';')
                hand(&Reader::readParameterEntityReference, between(scan.buffer, 1, 1));
            return;
        case TSubsetState::instruction:
            return stepInstruction(unit);
        case TSubsetState::comment:
            scan.buffer += unit;
            if (unit == u'>' && scan.buffer.size() > 6 && endsWith(scan.buffer, u"-->")) {
                hand(&Reader::readComment, between(scan.buffer, 4, 3));
            }
            return;
        case TSubsetState::entity:
            scan.buffer += unit;
            if (quotedMarkupEnds(scan, unit)) hand(&Reader::readEntityDeclaration, scan.buffer);
            return;
        case TSubsetState::notation:
            scan.buffer += unit;
            if (quotedMarkupEnds(scan, unit)) hand(&Reader::readNotationDeclaration, scan.buffer);
            return;
        case TSubsetState::element:
            scan.buffer += unit;
            if (unit == u'>') hand(&Reader::readElementDeclaration, scan.buffer);
            return;
        case TSubsetState::attributeList:
            scan.buffer += unit;
            if (unit == u'>') hand(&Reader::readAttributeListDeclaration, scan.buffer);
            return;
        case TSubsetState::conditional:
            return stepConditional(unit);
        case TSubsetState::ignore:
            return stepIgnore(unit);
        case TSubsetState::sectionEnd:
            return stepSectionEnd(unit);
    }
}

void TSubsetCutter::stepBetween(char16_t unit) {
    if (unit == u'<') return startMarkup(unit, TSubsetState::markup);
    if (unit == u'%') return startMarkup(unit, TSubsetState::reference);
    if (xmlBlank(unit)) return;
    if (unit == u']' && scan.includeDepth > 0) return startMarkup(unit, TSubsetState::sectionEnd);
    scan.buffer += unit;
    throw EParserInvalidCharacter_Err("Invalid character error.");
}

void TSubsetCutter::stepMarkup(char16_t unit) {
    scan.buffer += unit;
    const DOMString& b = scan.buffer;
    if (b == u"<?")
        enter(TSubsetState::instruction);
    else if (b == u"<!--")
        enter(TSubsetState::comment);
    else if (b == u"<!ENTITY")
        enter(TSubsetState::entity);
    else if (b == u"<!ELEMENT")
        enter(TSubsetState::element);
    else if (b == u"<!ATTLIST")
        enter(TSubsetState::attributeList);
    else if (b == u"<!NOTATION")
        enter(TSubsetState::notation);
    else if (b == u"<![" && reader_.isExternalSubset())
        enter(TSubsetState::conditional);
}

void TSubsetCutter::stepInstruction(char16_t unit) {
    scan.buffer += unit;
    if (unit != u'>' || scan.buffer.size() < 4 || scan.buffer[scan.buffer.size() - 2] != u'?') {
        return;
    }
    if (reader_.isExternalSubset() && scan.firstPiece && isTextDeclaration(scan.buffer)) {
        const DOMString text = between(scan.buffer, 5, 2);
        if (reader_.dtdHandler() != nullptr) {
            reader_.dtdHandler()->textDeclaration(parser_, locator_,
                                                  pseudoAttribute(text, u"version"),
                                                  pseudoAttribute(text, u"encoding"), {});
        }
        return done();
    }
    hand(&Reader::readProcessingInstruction, between(scan.buffer, 2, 2));
}

// "<![" keyword "[": INCLUDE sections are read like the text around them, IGNORE sections
// are skipped with their nested sections.
void TSubsetCutter::stepConditional(char16_t unit) {
    scan.buffer += unit;
    if (unit != u'[') return;
    const std::u16string_view keyword =
        trimXmlBlanks(std::u16string_view(scan.buffer).substr(3, scan.buffer.size() - 4));
    if (keyword == u"INCLUDE") {
        if (reader_.dtdHandler() != nullptr) {
            reader_.dtdHandler()->conditionalSection(parser_, locator_, u"INCLUDE", {});
        }
        ++scan.includeDepth;
        return done();
    }
    if (keyword != u"IGNORE") {
        throw EParserInvalidConditionalSection_Err("Invalid conditional section error.");
    }
    scan.state = TSubsetState::ignore;
    scan.ignoreDepth = 1;
}

void TSubsetCutter::stepIgnore(char16_t unit) {
    scan.buffer += unit;
    if (endsWith(scan.buffer, u"<![")) ++scan.ignoreDepth;
    if (!endsWith(scan.buffer, u"]]>") || --scan.ignoreDepth > 0) return;
    const std::size_t open = scan.buffer.find(u'[', 3);
    if (reader_.dtdHandler() != nullptr) {
        reader_.dtdHandler()->conditionalSection(
            parser_, locator_, u"IGNORE",
            scan.buffer.substr(open + 1, scan.buffer.size() - open - 4));
    }
    done();
}

void TSubsetCutter::stepSectionEnd(char16_t unit) {
    scan.buffer += unit;
    if (scan.buffer == u"]]") return;
    if (scan.buffer != u"]]>") {
        throw EParserInvalidConditionalSection_Err("Invalid conditional section error.");
    }
    --scan.includeDepth;
    done();
}

}  // namespace

bool TdomStandardIntSubsetXMLReader::parse(TdomCustomParser* parser, TXmlInputSource* inputSource) {
    TdomStandardLocator* locator = inputSource->locator();
    TSubsetCutter cutter(*this, parser, locator);
    try {
        try {
            if (dtdHandler() != nullptr) {
                dtdHandler()->startDtd(parser, inputSource->publicId(), inputSource->systemId());
            }
            char16_t unit = 0;
            while (inputSource->nextChar(unit)) {
                if (!validXmlChar(unit)) {
                    cutter.scan.buffer += unit;
                    throw EParserInvalidCharacter_Err("Invalid character error.");
                }
                cutter.step(unit);
            }
            if (!cutter.finished()) {
                throw EParserUnknownDeclarationType_Err("Invalid declaration error.");
            }
            if (dtdHandler() != nullptr) dtdHandler()->endDtd(parser);
        } catch (const EConvertError&) {
            throw EParserInvalidCharacter_Err("Invalid character error.");
        } catch (const EReadError&) {
            throw EParserInvalidCharacter_Err("Invalid character error.");
        }
    } catch (const EParserFatalError& error) {
        if (errorHandler() != nullptr) {
            try {
                errorHandler()->fatalError(parser, locator, error, cutter.scan.buffer);
            } catch (const Exception&) {
                // The standard handler raises after recording; the record is what counts.
            }
        }
        return false;
    }
    return true;
}

}  // namespace wispel
