#include "xml/input/XmlInputSource.h"

#include <algorithm>
#include <utility>

#include "core/Exception.h"
#include "core/Format.h"
#include "xml/chars/XmlChars.h"
#include "xml/input/CodePages.h"
#include "xml/input/IconvDecoder.h"

namespace wispel {

namespace {
constexpr std::size_t kBlockSize = 64 * 1024;
}

const DOMString& TdomStandardLocator::publicId() const {
    return inputSource_->publicId();
}

const DOMString& TdomStandardLocator::systemId() const {
    return inputSource_->systemId();
}

TXmlInputSource::TXmlInputSource(TStream* stream, DOMString publicId, DOMString systemId)
    : stream_(stream), publicId_(std::move(publicId)), systemId_(std::move(systemId)) {
    if (!stream_) throw EStreamError("Stream not specified.");
    size_ = stream_->Size();
    encoding_ = detectEncoding();
    locator_ = std::make_unique<TdomStandardLocator>(this);
    rootName_ = prescanRootName();
}

TXmlInputSource::~TXmlInputSource() = default;

void TXmlInputSource::seekTo(std::int64_t position) {
    std::int64_t bufferLimit = bufferStart_ + static_cast<std::int64_t>(bufferEnd_);
    if (position >= bufferStart_ && position <= bufferLimit) {
        bufferPos_ = static_cast<std::size_t>(position - bufferStart_);
        return;
    }
    bufferStart_ = position;
    bufferPos_ = 0;
    bufferEnd_ = 0;
}

void TXmlInputSource::fillBuffer() {
    std::int64_t here = position();
    if (buffer_.empty()) buffer_.resize(kBlockSize);
    bufferStart_ = here;
    bufferPos_ = 0;
    bufferEnd_ = 0;
    stream_->Seek(here, TSeekOrigin::soBeginning);
    // Never past the size taken at construction, so that the buffer holds only data.
    std::int64_t wanted = std::min(static_cast<std::int64_t>(kBlockSize), size_ - here);
    std::int64_t got = wanted > 0 ? stream_->Read(buffer_.data(), wanted) : 0;
    if (got <= 0) throw EReadError("Stream read error");
    bufferEnd_ = static_cast<std::size_t>(got);
}

bool TXmlInputSource::readCharSlow(char16_t& unit, TdomStandardLocator* locator) {
    for (;;) {
        if (pendingCodePoint_ != 0) {
            unit = static_cast<char16_t>(0xDC00 + (pendingCodePoint_ & 0x3FF));
            pendingCodePoint_ = 0;
            break;
        }
        if (atEnd() || !decodeChar(unit)) return false;
        if (unit == u'\n' && lastWasCarriageReturn_) {
            lastWasCarriageReturn_ = false;
            continue;
        }
        lastWasCarriageReturn_ = unit == u'\r';
        if (lastWasCarriageReturn_) unit = u'\n';
        break;
    }
    if (locator) locator->evaluateChar(unit);
    return true;
}

bool TXmlInputSource::decodeChar(char16_t& unit) {
    switch (encoding_) {
        case TdomEncoding::etUTF8:
            unit = decodeUtf8();
            return true;
        case TdomEncoding::etUTF16LE:
        case TdomEncoding::etUTF16BE:
            unit = decodeUtf16();
            return true;
        case TdomEncoding::etIconv:
            return decodeIconv(unit);
        default:
            unit = decodeSingleByte();
            return true;
    }
}

EConvertError TXmlInputSource::invalidIconvSequence() const {
    return EConvertError(
        formatMessage("Invalid %s sequence at position %d", {iconv_->name(), position()}));
}

// One character through the C library, from our own buffer. A character cut by the end of
// the buffer is decoded again from a buffer refilled at its first byte; cut by the end of
// the data it is an aborted sequence, as in UTF-8. Positions are zero-based byte offsets:
// the first byte of an invalid sequence, the stream size for an aborted one.
bool TXmlInputSource::decodeIconv(char16_t& unit) {
    for (;;) {
        if (bufferPos_ == bufferEnd_) fillBuffer();
        if (iconv_->isAsciiAsItself(buffer_[bufferPos_])) {
            // Markup and most of a feed's text: no call into the library.
            unit = buffer_[bufferPos_++];
            return true;
        }
        std::size_t consumed = 0;
        char32_t codePoint = 0;
        const auto result = iconv_->decode(buffer_.data() + bufferPos_, bufferEnd_ - bufferPos_,
                                           consumed, codePoint);
        switch (result) {
            case TIconvDecoder::Result::Char:
                bufferPos_ += consumed;
                if (codePoint <= 0xFFFF) {
                    unit = static_cast<char16_t>(codePoint);
                } else {
                    pendingCodePoint_ = codePoint;
                    unit = static_cast<char16_t>((codePoint >> 10) - 10304);
                }
                return true;
            case TIconvDecoder::Result::NoChar:
                // Shift sequences only; a converter that takes nothing would never end.
                if (consumed == 0) throw invalidIconvSequence();
                bufferPos_ += consumed;
                if (atEnd()) return false;
                break;
            case TIconvDecoder::Result::Incomplete:
                bufferPos_ += consumed;
                if (bufferStart_ + static_cast<std::int64_t>(bufferEnd_) >= size_) {
                    throw EConvertError(formatMessage("Aborted %s sequence at position %d",
                                                      {iconv_->name(), size_}));
                }
                fillBuffer();
                break;
            case TIconvDecoder::Result::Invalid:
                bufferPos_ += consumed;
                throw invalidIconvSequence();
        }
    }
}

// UTF-8 as the reader has always taken it: up to six bytes, overlong forms and surrogates
// refused, and values above U+10FFFF split into surrogates by plain arithmetic (the
// character checks refuse what comes out). Positions are zero-based byte offsets of the last byte read.
char16_t TXmlInputSource::decodeUtf8() {
    std::uint8_t lead = readByte();
    if (lead < 0x80) return lead;
    auto invalid = [this](const char* pattern) {
        return EConvertError(formatMessage(pattern, {position() - 1}));
    };
    if ((lead & 0xC0) == 0x80) throw invalid("Invalid UTF-8 sequence at position %d");
    int continuation = 0;
    for (std::uint8_t bit = 0x40; (lead & bit) != 0 && bit != 0; bit >>= 1) ++continuation;
    if (continuation > 5) throw invalid("Invalid UTF-8 sequence at position %d");
    std::uint64_t value = lead;
    for (int i = 0; i < continuation; ++i) {
        if (atEnd()) {
            throw EConvertError(formatMessage("Aborted UTF-8 sequence at position %d", {size_}));
        }
        std::uint8_t next = readByte();
        if ((next & 0xC0) != 0x80) throw invalid("Invalid UTF-8 sequence at position %d");
        value = (value << 6) | (next & 0x3F);
    }
    static const std::uint32_t kMask[] = {0, 0x7FF, 0xFFFF, 0x1FFFFF, 0x3FFFFFF, 0x7FFFFFFF};
    static const std::uint32_t kShorterMax[] = {0, 0x7F, 0x7FF, 0xFFFF, 0x1FFFFF, 0x3FFFFFF};
    auto codePoint = static_cast<std::uint32_t>(value & kMask[continuation]);
    if (codePoint <= kShorterMax[continuation]) {
        throw invalid("Invalid UTF-8 encoding at position %d");
    }
    // A surrogate is no character in UTF-8: two of them (CESU-8) would otherwise pass as
    // the pair of one character above U+FFFF.
    if (codePoint >= 0xD800 && codePoint <= 0xDFFF) {
        throw invalid("Invalid UTF-8 encoding at position %d");
    }
    if (codePoint <= 0xFFFF) return static_cast<char16_t>(codePoint);
    pendingCodePoint_ = codePoint;
    return static_cast<char16_t>((codePoint >> 10) - 10304);
}

char16_t TXmlInputSource::decodeUtf16() {
    std::uint8_t first = readByte();
    if (atEnd()) throw EReadError("Stream read error");
    std::uint8_t second = readByte();
    if (encoding_ == TdomEncoding::etUTF16LE) return static_cast<char16_t>(first | second << 8);
    return static_cast<char16_t>(first << 8 | second);
}

char16_t TXmlInputSource::decodeSingleByte() {
    std::uint8_t byte = readByte();
    if (byte < 0x80) return byte;
    int table = static_cast<int>(encoding_) - kFirstCodePage;
    char16_t unit = kCodePageUpperHalves[table][byte - 0x80];
    if (unit == kRejectedByte) {
        // The byte has no character here; the message shows it as its Latin-1 character,
        // since a lone byte above 0x7F is no text of its own in UTF-8.
        std::string shown;
        appendUtf8(shown, byte);
        throw EConvertError(
            formatMessage("Invalid %s sequence \"%s\"", {encodingErrorName(encoding_), shown}));
    }
    return unit;
}

void TXmlInputSource::rewindWith(TdomStandardLocator* locator) {
    pendingCodePoint_ = 0;
    lastWasCarriageReturn_ = false;
    seekTo(dataStart_);
    if (iconv_) iconv_->reset();
    if (locator) locator->reset();
}

void TXmlInputSource::skipTextDeclaration(TdomStandardLocator* locator) {
    rewindWith(locator);
    char16_t unit = 0;
    auto next = [&] { return readCharWith(unit, locator); };
    bool found = false;
    while (next() && xmlBlank(unit)) {
    }
    if (unit == u'<' && next() && unit == u'?') {
        const char16_t* letters = u"xml";
        int matched = 0;
        while (matched < 3 && next() && (unit | 0x20) == letters[matched]) ++matched;
        if (matched == 3 && next() && xmlBlank(unit)) {
            while (next() && unit != u'?') {
            }
            found = unit == u'?' && next() && unit == u'>';
        }
    }
    if (!found) rewindWith(locator);
}

DOMString TXmlInputSource::readAll() {
    std::int64_t savedPosition = position();
    char32_t savedPending = pendingCodePoint_;
    bool savedCarriageReturn = lastWasCarriageReturn_;
    auto restore = [&] {
        seekTo(savedPosition);
        pendingCodePoint_ = savedPending;
        lastWasCarriageReturn_ = savedCarriageReturn;
    };
    DOMString text;
    try {
        skipTextDeclaration(nullptr);
        char16_t unit;
        while (readCharWith(unit, nullptr)) text.push_back(unit);
    } catch (...) {
        restore();
        throw;
    }
    restore();
    return text;
}

}  // namespace wispel
