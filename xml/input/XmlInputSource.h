#pragma once
// Decodes a byte stream into UTF-16 code units for the XML readers. The encoding is decided
// once, at construction, from a byte-order mark, a UTF-8 signature or the encoding
// declaration; line breaks are normalised to line feeds and the position of every unit
// handed out is kept in the locator.
//
// The stream is referenced, not owned, and must outlive the input source. The source reads
// it from its start whatever its position, in blocks, and seeks it before every block, so
// the stream's own position is not meaningful while a source reads it.

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "core/Stream.h"
#include "core/TextConvert.h"
#include "xml/input/Encoding.h"
#include "xml/input/StandardLocator.h"

namespace wispel {

class TIconvDecoder;
class EConvertError;

class TXmlInputSource {
public:
    // EStreamError "Stream not specified." for a null stream.
    TXmlInputSource(TStream* stream, DOMString publicId, DOMString systemId);
    ~TXmlInputSource();
    TXmlInputSource(const TXmlInputSource&) = delete;
    TXmlInputSource& operator=(const TXmlInputSource&) = delete;

    TdomEncoding encoding() const noexcept { return encoding_; }
    const DOMString& publicId() const noexcept { return publicId_; }
    const DOMString& systemId() const noexcept { return systemId_; }
    // The name of the root element found by a quick scan at construction; empty if none.
    const DOMString& rootName() const noexcept { return rootName_; }
    TdomStandardLocator* locator() noexcept { return locator_.get(); }
    TStream* stream() const noexcept { return stream_; }

    // The whole text after an optional text declaration; the reading position is left as
    // it was, also when decoding fails.
    DOMString readAll();
    // Rewinds, then steps over a leading XML or text declaration if there is one.
    void skipTextDeclaration(TdomStandardLocator* locator);
    // Hands out the next code unit; false at the end of the data. Decoding errors raise
    // EConvertError, a truncated UTF-16 unit EReadError. `locator` may be null.
    bool readCharWith(char16_t& unit, TdomStandardLocator* locator) {
        // Plain ASCII from the buffer is by far the most common case.
        if (encoding_ == TdomEncoding::etUTF8 && pendingCodePoint_ == 0 &&
            bufferPos_ < bufferEnd_ && buffer_[bufferPos_] < 0x80 && buffer_[bufferPos_] != '\r' &&
            buffer_[bufferPos_] != '\n') {
            unit = buffer_[bufferPos_++];
            lastWasCarriageReturn_ = false;
            if (locator) locator->evaluateChar(unit);
            return true;
        }
        return readCharSlow(unit, locator);
    }
    // Per byte value: true for the units a plainRun may take.
    using PlainTable = std::array<bool, 256>;
    // The run of plain ASCII units ahead in the buffer that `plain` accepts, so that a reader
    // can take a stretch of text at once instead of unit by unit. The run ends before the
    // first unit `plain` refuses, at the end of the buffer, or where a unit needs more than a
    // copy: `plain` must refuse every byte above 0x7F and the carriage return. A line feed
    // that follows a carriage return, and every unit of another encoding than UTF-8 (save the
    // ASCII that an encoding decoded through the C library shares with it), give an empty
    // run, and readCharWith goes on. Nothing counts as read before takeRun.
    std::string_view plainRun(const PlainTable& plain) const {
        if (pendingCodePoint_ != 0) return {};
        const bool utf8 = encoding_ == TdomEncoding::etUTF8;
        if (!utf8 && encoding_ != TdomEncoding::etIconv) return {};
        const auto* data = reinterpret_cast<const char*>(buffer_.data());
        std::size_t end = bufferPos_;
        if (end < bufferEnd_ && lastWasCarriageReturn_ && data[end] == '\n') return {};
        if (utf8) {
            end = plainEnd(plain, end);
        } else {
            while (end < bufferEnd_ && plain[buffer_[end]] && iconvAscii_[buffer_[end]]) ++end;
        }
        return {data + bufferPos_, end - bufferPos_};
    }
    // Hands out the first `count` units of the last plainRun, as readCharWith would one by one.
    void takeRun(std::size_t count, TdomStandardLocator* locator) {
        if (count == 0) return;
        if (locator) locator->evaluateRun(buffer_.data() + bufferPos_, count);
        bufferPos_ += count;
        lastWasCarriageReturn_ = false;
    }
    // Back to the first character (after a byte-order mark or UTF-8 signature).
    void rewindWith(TdomStandardLocator* locator);

    bool nextChar(char16_t& unit) { return readCharWith(unit, locator_.get()); }
    void rewind() { rewindWith(locator_.get()); }

private:
    TdomEncoding detectEncoding();
    TdomEncoding namedEncoding(const DOMString& name);
    DOMString prescanRootName();

    bool readCharSlow(char16_t& unit, TdomStandardLocator* locator);
    // The end of the bytes from `from` on that `plain` accepts, within the buffer. Eight at
    // a time while all of them pass: the look-ups do not wait on each other.
    std::size_t plainEnd(const PlainTable& plain, std::size_t from) const {
        const std::uint8_t* bytes = buffer_.data();
        std::size_t end = from;
        auto at = [&](std::size_t offset) -> unsigned { return plain[bytes[end + offset]]; };
        while (bufferEnd_ - end >= 8 &&
               (at(0) & at(1) & at(2) & at(3) & at(4) & at(5) & at(6) & at(7)) != 0) {
            end += 8;
        }
        while (end < bufferEnd_ && plain[bytes[end]]) ++end;
        return end;
    }
    bool atEnd() const noexcept { return position() >= size_; }
    std::int64_t position() const noexcept {
        return bufferStart_ + static_cast<std::int64_t>(bufferPos_);
    }
    void seekTo(std::int64_t position);
    // The next byte; raises EReadError when the stream delivers less than its size.
    std::uint8_t readByte() {
        if (bufferPos_ == bufferEnd_) fillBuffer();
        return buffer_[bufferPos_++];
    }
    void fillBuffer();
    // False when the data ended without another character (only shift sequences were left).
    bool decodeChar(char16_t& unit);
    bool decodeIconv(char16_t& unit);
    EConvertError invalidIconvSequence() const;
    char16_t decodeUtf8();
    char16_t decodeUtf16();
    char16_t decodeSingleByte();

    TStream* stream_;  // not owned
    TdomEncoding encoding_ = TdomEncoding::etUTF8;
    char32_t pendingCodePoint_ = 0;  // its low surrogate is still to be handed out
    bool lastWasCarriageReturn_ = false;
    std::unique_ptr<TdomStandardLocator> locator_;
    DOMString publicId_;
    DOMString systemId_;
    DOMString rootName_;
    std::unique_ptr<TIconvDecoder> iconv_;  // for etIconv only
    PlainTable iconvAscii_{};               // the bytes iconv_ decodes as themselves

    std::int64_t size_ = 0;       // the stream's size, taken at construction
    std::int64_t dataStart_ = 0;  // first byte after a byte-order mark or signature
    std::vector<std::uint8_t> buffer_;
    std::int64_t bufferStart_ = 0;  // stream offset of buffer_[0]
    std::size_t bufferPos_ = 0;     // next byte to decode
    std::size_t bufferEnd_ = 0;     // bytes in buffer_
};

}  // namespace wispel
