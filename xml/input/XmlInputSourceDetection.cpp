// The input source's look at the start of the data, made once at construction: the
// encoding (byte-order mark, UTF-8 signature, encoding declaration) and the name of the
// root element.
#include <string_view>

#include "core/Exception.h"
#include "xml/chars/XmlChars.h"
#include "xml/errors/ParserErrors.h"
#include "xml/input/IconvDecoder.h"
#include "xml/input/TagContent.h"
#include "xml/input/XmlInputSource.h"

namespace wispel {

namespace {

bool isBlankByte(std::uint8_t byte) {
    return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\r';
}

// The value of the "encoding" pseudo-attribute in the units between "<?xml " and "?".
DOMString declaredEncoding(std::u16string_view pseudoAttributes) {
    TdomNameValueList attributes;
    parseAttributes(pseudoAttributes, attributes);
    for (int i = 0; i < attributes.count(); ++i) {
        if (attributes.names(i) == u"encoding") return attributes.values(i);
    }
    return {};
}

// UTF-16 without a byte-order mark, told by the "<?" of its XML declaration: 3C 00 3F 00
// little-endian, 00 3C 00 3F big-endian. Anything else is left to the other tests (UTF-8).
template <class NextByte>
TdomEncoding unmarkedUtf16(std::uint8_t first, std::uint8_t second, NextByte& next) {
    if (first == 0x3C && second == 0x00) {
        if (next() == 0x3F && next() == 0x00) return TdomEncoding::etUTF16LE;
    } else if (first == 0x00 && second == 0x3C) {
        if (next() == 0x00 && next() == 0x3F) return TdomEncoding::etUTF16BE;
    }
    return TdomEncoding::etUTF8;
}

}  // namespace

// A name of the built-in tables selects its table. Any other name the C library can
// convert from is decoded through it; a name nothing knows is read as UTF-8.
TdomEncoding TXmlInputSource::namedEncoding(const DOMString& name) {
    TdomEncoding encoding = TdomEncoding::etUTF8;
    if (knownEncodingName(name, encoding)) return encoding;
    for (char16_t unit : name) {
        if (unit > 0x7F) return TdomEncoding::etUTF8;
    }
    iconv_ = TIconvDecoder::open(std::string(name.begin(), name.end()));
    if (!iconv_) return TdomEncoding::etUTF8;
    for (std::size_t byte = 0; byte < iconvAscii_.size(); ++byte) {
        iconvAscii_[byte] = iconv_->isAsciiAsItself(static_cast<std::uint8_t>(byte));
    }
    return TdomEncoding::etIconv;
}

TdomEncoding TXmlInputSource::detectEncoding() {
    // Reading past the end raises EReadError, which ends the look with UTF-8.
    auto next = [this]() -> std::uint8_t {
        if (atEnd()) throw EReadError("Stream read error");
        return readByte();
    };
    TdomEncoding result = TdomEncoding::etUTF8;
    dataStart_ = 0;
    seekTo(0);
    try {
        std::uint8_t first = next();
        std::uint8_t second = next();
        if (first == 0xFF && second == 0xFE) result = TdomEncoding::etUTF16LE;
        if (first == 0xFE && second == 0xFF) result = TdomEncoding::etUTF16BE;
        if (result != TdomEncoding::etUTF8) {
            dataStart_ = 2;
        } else if (const TdomEncoding unmarked = unmarkedUtf16(first, second, next);
                   unmarked != TdomEncoding::etUTF8) {
            result = unmarked;
        } else {
            // A UTF-8 signature is not text: it selects UTF-8 like a byte-order mark, and an
            // encoding declaration after it still counts.
            if (first == 0xEF && second == 0xBB && next() == 0xBF) dataStart_ = 3;
            seekTo(dataStart_);
            const std::string_view opening = "<?xml";
            bool declaration = true;
            for (char expected : opening) declaration = declaration && next() == expected;
            if (declaration && isBlankByte(next())) {
                DOMString text;
                for (std::uint8_t byte = next(); byte != '?'; byte = next()) text.push_back(byte);
                result = namedEncoding(declaredEncoding(text));
            }
        }
    } catch (const EReadError&) {
        result = TdomEncoding::etUTF8;
    } catch (const EParserException&) {
        result = TdomEncoding::etUTF8;
    }
    seekTo(0);
    return result;
}

DOMString TXmlInputSource::prescanRootName() {
    rewind();
    DOMString result;
    try {
        char16_t unit = 0;
        auto next = [&] { return nextChar(unit); };
        // Steps over everything up to and including `end`; false at the end of the data.
        auto skipPast = [&](std::u16string_view end) {
            std::size_t matched = 0;
            while (matched < end.size() && next()) {
                if (unit == end[matched]) {
                    ++matched;
                } else if (matched > 0 && end[0] == end[1] && unit == end[0]) {
                    // "--" or "??" with more of the same: keep the last run.
                } else {
                    matched = unit == end[0] ? 1 : 0;
                }
            }
            return matched == end.size();
        };
        bool named = false;
        while (!named) {
            if (!skipPast(u"<") || !next()) break;
            if (unit == u'?') {
                if (!skipPast(u"?>")) break;
                continue;
            }
            if (unit == u'!') {
                if (!next()) break;
                if (unit == u'-') {
                    if (!next() || unit != u'-' || !skipPast(u"-->")) break;
                    continue;
                }
                const std::u16string_view rest = u"OCTYPE";
                bool doctype = unit == u'D';
                for (char16_t expected : rest) doctype = doctype && next() && unit == expected;
                if (!doctype || !next() || !xmlBlank(unit)) break;
                while (next() && xmlBlank(unit)) {
                }
                if (xmlBlank(unit)) break;
            }
            DOMString name;
            bool ended = false;
            do {
                if (xmlBlank(unit) || unit == u'>' || unit == u'/' || unit == u'[') {
                    ended = true;
                    break;
                }
                name.push_back(unit);
            } while (next());
            if (ended && validName(name)) result = name;
            named = true;
        }
    } catch (...) {
        result.clear();
    }
    rewind();
    return result;
}

}  // namespace wispel
