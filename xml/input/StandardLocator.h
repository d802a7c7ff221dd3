#pragma once
// The position of the last code unit an input source handed out, and the start of the
// piece of markup being read. Lines and columns count UTF-16 code units after line-break
// normalisation, from 1; a line feed is the last column of its line.

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "core/TextConvert.h"

namespace wispel {

class TXmlInputSource;

class TdomStandardLocator {
public:
    // `inputSource` owns this locator and outlives it.
    explicit TdomStandardLocator(TXmlInputSource* inputSource) : inputSource_(inputSource) {
        reset();
    }
    TdomStandardLocator(const TdomStandardLocator&) = delete;
    TdomStandardLocator& operator=(const TdomStandardLocator&) = delete;

    // The input source's ids; empty without one.
    const DOMString& publicId() const;
    const DOMString& systemId() const;
    TXmlInputSource* inputSource() const noexcept { return inputSource_; }

    void evaluateChar(char16_t unit) {
        if (lastWasLineFeed_) {
            ++line_;
            column_ = 1;
            lastWasLineFeed_ = false;
        } else {
            ++column_;
        }
        if (unit == u'\n') lastWasLineFeed_ = true;
        if (startPending_) markStart();
    }
    // evaluateChar for each of `count` bytes of plain ASCII: the line feeds before the last
    // byte each start a line, and the last of them decides the column.
    void evaluateRun(const std::uint8_t* units, std::size_t count) {
        if (count == 0) return;
        evaluateChar(units[0]);
        const std::uint8_t* last = units + count - 1;
        const auto feeds = std::count(units, last, std::uint8_t{'\n'});
        if (feeds == 0) {
            column_ += static_cast<std::int32_t>(count - 1);
        } else {
            const std::uint8_t* lineStart = last;
            while (lineStart[-1] != '\n') --lineStart;
            line_ += static_cast<std::int32_t>(feeds);
            column_ = static_cast<std::int32_t>(last - lineStart) + 1;
        }
        lastWasLineFeed_ = *last == '\n';
    }
    // The next unit counted becomes the start position as well.
    void requestStart() noexcept { startPending_ = true; }
    void markStart() noexcept {
        startColumn_ = column_;
        startLine_ = line_;
        startPending_ = false;
    }
    void reset() noexcept {
        line_ = 0;
        column_ = 0;
        startLine_ = 0;
        startColumn_ = 0;
        lastWasLineFeed_ = true;
        requestStart();
    }

    std::int32_t line() const noexcept { return line_; }
    std::int32_t column() const noexcept { return column_; }
    std::int32_t startLine() const noexcept { return startLine_; }
    std::int32_t startColumn() const noexcept { return startColumn_; }

private:
    std::int32_t column_ = 0;
    TXmlInputSource* inputSource_;  // not owned
    std::int32_t startColumn_ = 0;
    std::int32_t startLine_ = 0;
    bool lastWasLineFeed_ = true;
    std::int32_t line_ = 0;
    bool startPending_ = true;
};

}  // namespace wispel
