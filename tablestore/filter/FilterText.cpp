#include "tablestore/filter/FilterText.h"

#include "core/TextCase.h"

namespace wispel {

namespace {

bool isContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

int sign(int c) { return c < 0 ? -1 : (c > 0 ? 1 : 0); }

bool likeMatch(std::string_view value, std::string_view pattern) {
    std::size_t v = 0;
    std::size_t p = 0;
    std::size_t retryPattern = std::string_view::npos;  // just after the last "%"
    std::size_t retryValue = 0;
    while (v < value.size()) {
        if (p < pattern.size() && pattern[p] == '%') {
            retryPattern = ++p;
            retryValue = v;
            continue;
        }
        if (p < pattern.size()) {
            const std::size_t valueLength = codePointLength(value, v);
            if (pattern[p] == '_') {
                v += valueLength;
                ++p;
                continue;
            }
            const std::size_t patternLength = codePointLength(pattern, p);
            if (patternLength == valueLength &&
                value.compare(v, valueLength, pattern, p, patternLength) == 0) {
                v += valueLength;
                p += patternLength;
                continue;
            }
        }
        if (retryPattern == std::string_view::npos) return false;
        // Let the last "%" take one more character and try again from there.
        retryValue += codePointLength(value, retryValue);
        v = retryValue;
        p = retryPattern;
    }
    while (p < pattern.size() && pattern[p] == '%') ++p;
    return p == pattern.size();
}

}  // namespace

std::size_t codePointCount(std::string_view text) {
    std::size_t count = 0;
    for (char c : text)
        if (!isContinuation(c)) ++count;
    return count;
}

std::size_t codePointLength(std::string_view text, std::size_t at) {
    std::size_t length = 1;
    while (at + length < text.size() && isContinuation(text[at + length])) ++length;
    return length;
}

std::string_view firstCodePoints(std::string_view text, std::size_t count) {
    std::size_t at = 0;
    while (count > 0 && at < text.size()) {
        at += codePointLength(text, at);
        --count;
    }
    return text.substr(0, at);
}

int compareFilterText(std::string_view left, std::string_view right,
                      const TTextCompareMode& mode) {
    std::string upperLeft;
    std::string upperRight;
    if (mode.caseInsensitive) {
        upperLeft = upperCase(left);
        left = upperLeft;
        if (!mode.rightUpper) {
            upperRight = upperCase(right);
            right = upperRight;
        }
    }
    if (mode.partial) {
        left = firstCodePoints(left, mode.partialLength);
        right = firstCodePoints(right, mode.partialLength);
    }
    // char_traits<char> compares as unsigned char.
    return sign(left.compare(right));
}

bool matchesLike(std::string_view value, std::string_view pattern, bool caseInsensitive) {
    if (!caseInsensitive) return likeMatch(value, pattern);
    return likeMatch(upperCase(value), upperCase(pattern));
}

}  // namespace wispel
