#include "xml/reader/StandardDocXMLReader.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

#include "core/Exception.h"
#include "xml/chars/XmlChars.h"
#include "xml/errors/ParserErrors.h"
#include "xml/input/XmlInputSource.h"
#include "xml/reader/ContentHandler.h"
#include "xml/reader/ErrorHandler.h"

namespace wispel {

namespace {

// Per ASCII unit: true when it may be taken in a plain run (see takePlainRun). Units above
// 0x7F and carriage returns are never plain.
using PlainTable = TXmlInputSource::PlainTable;

constexpr PlainTable plainTableWithout(std::u16string_view stops) {
    PlainTable table{};
    for (int unit = 0; unit < 0x80; ++unit) {
        table[unit] = (unit >= 0x20 || unit == u'\t' || unit == u'\n') &&
                      stops.find(static_cast<char16_t>(unit)) == std::u16string_view::npos;
    }
    return table;
}

constexpr PlainTable kTextPlain = plainTableWithout(u"<&");
// A reference takes everything up to its ";".
constexpr PlainTable kReferencePlain = plainTableWithout(u";");
constexpr PlainTable kTagPlain = plainTableWithout(u">'\"");
// Right after the "<": the unit that would make the tag a comment, CDATA section,
// instruction or doctype declaration is left to the unit-by-unit step.
constexpr PlainTable kTagNamePlain = plainTableWithout(u">'\"!?");
// Comments and CDATA sections end only at a ">".
constexpr PlainTable kMarkupPlain = plainTableWithout(u">");

// Cuts the units of one parse into pieces. All state of a parse lives here, so a reader
// keeps nothing between parses.
class DocumentTokenizer {
public:
    using Piece = void (TdomStandardDocXMLReader::*)(TdomCustomParser*, TdomStandardLocator*,
                                                     const DOMString&);

    DocumentTokenizer(TdomStandardDocXMLReader& reader, TdomCustomParser* parser,
                      TXmlInputSource& source)
        : reader_(reader), parser_(parser), source_(source), locator_(source.locator()) {}

    void run() {
        char16_t unit;
        for (;;) {
            takePlainRun();
            if (!source_.nextChar(unit)) break;
            // The predicate is asked only about the units near the edges of the range.
            if ((unit < 0x20 || unit > 0xFFFD) && !validXmlChar(unit)) {
                buffer_.push_back(unit);
                throw EParserInvalidCharacter_Err();
            }
            step(unit);
        }
        // Whatever is left, finished or not, is character data to the handler.
        if (!buffer_.empty()) reader_.readPCData(parser_, locator_, buffer_);
    }

private:
    enum class State { between, text, reference, tag, instruction, comment, cdata, doctype };
    // What has just been seen of a declaration's start inside an internal subset.
    enum class Partial { none, lt, ltBang, ltBangDash };

    void step(char16_t unit) {
        switch (state_) {
            case State::between:
                stepBetween(unit);
                break;
            case State::text:
                stepText(unit);
                break;
            case State::reference:
                stepReference(unit);
                break;
            case State::tag:
                stepTag(unit);
                break;
            case State::instruction:
                stepInstruction(unit);
                break;
            case State::comment:
                stepComment(unit);
                break;
            case State::cdata:
                stepCData(unit);
                break;
            case State::doctype:
                stepDoctype(unit);
                break;
        }
    }

    // Takes the units ahead that the current state would only append, all at once. Each
    // state's table holds the ASCII units that change nothing but the buffer there; control
    // characters other than tab and line feed are left to the unit-by-unit check.
    void takePlainRun() {
        const PlainTable* table = plainTableOfState();
        if (table == nullptr) return;
        std::string_view run = source_.plainRun(*table);
        if (run.empty()) return;
        if (state_ == State::between) {
            // The run opens a text piece: its first unit is where the piece starts.
            state_ = State::text;
            locator_->requestStart();
        }
        appendRun(run);
        source_.takeRun(run.size(), locator_);
    }

    // Widened in place: appending the range directly would build a temporary string. Most
    // runs are a few units long, too short to pay for clearing the room first.
    void appendRun(std::string_view run) {
        if (run.size() <= kShortRun) {
            for (char unit : run) buffer_.push_back(static_cast<char16_t>(unit));
            return;
        }
        std::size_t start = buffer_.size();
        buffer_.resize(start + run.size());
        std::copy(run.begin(), run.end(), buffer_.begin() + static_cast<std::ptrdiff_t>(start));
    }
    static constexpr std::size_t kShortRun = 16;

    const PlainTable* plainTableOfState() const {
        switch (state_) {
            case State::between:
            case State::text:
                return &kTextPlain;
            case State::reference:
                return &kReferencePlain;
            case State::tag:
                // Until the second unit is known, a tag may still turn out to be a comment,
                // CDATA section, instruction or doctype declaration.
                if (length() < 2) return &kTagNamePlain;
                if (view()[1] == u'!' || view()[1] == u'?') return nullptr;
                return &kTagPlain;
            case State::comment:
            case State::cdata:
                return &kMarkupPlain;
            default:
                return nullptr;
        }
    }

    // Hands `text` to a piece operation, then starts the next piece. The buffer itself goes
    // when it is the whole piece, so that the usual text piece is not copied once more.
    void hand(Piece piece, std::u16string_view text) {
        if (text.data() == buffer_.data() && text.size() == buffer_.size()) {
            (reader_.*piece)(parser_, locator_, buffer_);
        } else {
            piece_.assign(text);
            (reader_.*piece)(parser_, locator_, piece_);
        }
        buffer_.clear();
        state_ = State::between;
    }

    std::u16string_view view() const { return buffer_; }
    std::size_t length() const { return buffer_.size(); }
    bool quoted() const { return inSingleQuotes_ || inDoubleQuotes_; }

    void stepBetween(char16_t unit) {
        state_ = unit == u'<' ? State::tag : unit == u'&' ? State::reference : State::text;
        buffer_.push_back(unit);
        locator_->markStart();
    }

    void stepText(char16_t unit) {
        if (unit == u'<' || unit == u'&') {
            hand(&TdomStandardDocXMLReader::readPCData, view());
            state_ = unit == u'<' ? State::tag : State::reference;
            locator_->markStart();
        }
        buffer_.push_back(unit);
    }

    void stepReference(char16_t unit) {
        buffer_.push_back(unit);
        if (unit != u';') return;
        if (view()[1] == u'#') {
            hand(&TdomStandardDocXMLReader::readCharacterReference, view());
        } else {
            hand(&TdomStandardDocXMLReader::readEntityReference, view().substr(1, length() - 2));
        }
    }

    void trackQuotes(char16_t unit) {
        if (unit == u'\'' && !inDoubleQuotes_) inSingleQuotes_ = !inSingleQuotes_;
        if (unit == u'"' && !inSingleQuotes_) inDoubleQuotes_ = !inDoubleQuotes_;
    }

    void stepTag(char16_t unit) {
        buffer_.push_back(unit);
        if (length() <= 9 && enterMarkupState()) return;
        trackQuotes(unit);
        if (unit != u'>' || quoted()) return;
        std::u16string_view tag = view();
        if (tag[1] == u'/') {
            std::u16string_view name = tag.substr(2, length() - 3);
            while (!name.empty() && xmlBlank(name.back())) name.remove_suffix(1);
            hand(&TdomStandardDocXMLReader::readEndTag, name);
        } else if (length() >= 3 && tag[length() - 2] == u'/') {
            hand(&TdomStandardDocXMLReader::readEmptyElementTag, tag.substr(1, length() - 3));
        } else {
            hand(&TdomStandardDocXMLReader::readStartTag, tag.substr(1, length() - 2));
        }
    }

    bool enterMarkupState() {
        using namespace std::string_view_literals;
        std::u16string_view start = view();
        // Only "<?" and "<!" open anything but a tag; most tags are told by their second unit.
        if (start.size() < 2 || (start[1] != u'?' && start[1] != u'!')) return false;
        if (start == u"<?"sv) {
            state_ = State::instruction;
        } else if (start == u"<!--"sv) {
            state_ = State::comment;
        } else if (start == u"<![CDATA["sv) {
            state_ = State::cdata;
        } else if (start == u"<!DOCTYPE"sv) {
            state_ = State::doctype;
            inSubset_ = false;
            expectedEnd_ = {};
            partial_ = Partial::none;
        } else {
            return false;
        }
        return true;
    }

    void stepInstruction(char16_t unit) {
        buffer_.push_back(unit);
        // At least "<?" and "?>": the "?" of "<?" does not close the instruction as well.
        if (unit != u'>' || length() < 4 || view()[length() - 2] != u'?') return;
        std::u16string_view inner = view().substr(2, length() - 4);
        if (length() > 5 && xmlBlank(view()[5]) && view().starts_with(u"<?xml")) {
            if (locator_->startLine() != 1 || locator_->startColumn() != 1) {
                throw EParserInvalidXmlDeclaration_Err(
                    "Character(s) before xml-declaration error.");
            }
            hand(&TdomStandardDocXMLReader::readXmlDeclaration, inner);
        } else {
            hand(&TdomStandardDocXMLReader::readProcessingInstruction, inner);
        }
    }

    void stepComment(char16_t unit) {
        buffer_.push_back(unit);
        if (unit == u'>' && length() > 6 && view().ends_with(u"-->")) {
            hand(&TdomStandardDocXMLReader::readComment, view().substr(4, length() - 7));
        }
    }

    void stepCData(char16_t unit) {
        buffer_.push_back(unit);
        if (unit == u'>' && view().ends_with(u"]]>")) {
            hand(&TdomStandardDocXMLReader::readCDataSection, view().substr(9, length() - 12));
        }
    }

    void stepDoctype(char16_t unit) {
        buffer_.push_back(unit);
        if (!expectedEnd_.empty()) {
            if (view().ends_with(expectedEnd_)) expectedEnd_ = {};
            return;
        }
        trackQuotes(unit);
        if (!quoted()) {
            if (!inSubset_) {
                if (unit == u'[') inSubset_ = true;
            } else {
                trackSubsetMarkup(unit);
            }
        }
        if (unit == u'>' && !quoted() && !inSubset_ && expectedEnd_.empty()) {
            hand(&TdomStandardDocXMLReader::readDoctypeDeclaration, view());
        }
    }

    // Inside the internal subset, comments and processing instructions are stepped over
    // whole, so that quotes and brackets inside them count for nothing.
    void trackSubsetMarkup(char16_t unit) {
        Partial seen = partial_;
        partial_ = Partial::none;
        if (unit == u'<') {
            partial_ = Partial::lt;
        } else if (unit == u'!' && seen == Partial::lt) {
            partial_ = Partial::ltBang;
        } else if (unit == u'?' && seen == Partial::lt) {
            expectedEnd_ = u"?>";
        } else if (unit == u'-' && seen == Partial::ltBang) {
            partial_ = Partial::ltBangDash;
        } else if (unit == u'-' && seen == Partial::ltBangDash) {
            expectedEnd_ = u"-->";
        } else if (unit == u']') {
            inSubset_ = false;
        }
    }

    TdomStandardDocXMLReader& reader_;
    TdomCustomParser* parser_;
    TXmlInputSource& source_;
    TdomStandardLocator* locator_;
    DOMString buffer_;  // the piece read so far; keeps its room between pieces
    DOMString piece_;   // the part of the buffer handed on, when it is not all of it
    State state_ = State::between;
    bool inSingleQuotes_ = false;
    bool inDoubleQuotes_ = false;
    bool inSubset_ = false;
    std::u16string_view expectedEnd_;  // "?>" or "-->" while one is being stepped over
    Partial partial_ = Partial::none;
};

}  // namespace

bool TdomStandardDocXMLReader::parse(TdomCustomParser* parser, TXmlInputSource* inputSource) {
    TdomStandardLocator* locator = inputSource->locator();
    bool result = true;
    try {
        try {
            if (contentHandler()) {
                contentHandler()->startDocument(parser, locator, inputSource->rootName());
            }
            DocumentTokenizer(*this, parser, *inputSource).run();
            if (contentHandler()) contentHandler()->endDocument(parser);
        } catch (const EConvertError&) {
            throw EParserInvalidCharacter_Err();
        } catch (const EReadError&) {
            throw EParserInvalidCharacter_Err();
        }
    } catch (const EParserFatalError& error) {
        result = false;
        if (errorHandler()) {
            try {
                errorHandler()->fatalError(parser, locator, error, DOMString());
            } catch (...) {
                // The report is made; what the handler raises about it changes nothing.
            }
        }
    }
    return result;
}

}  // namespace wispel
