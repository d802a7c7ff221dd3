#include "http/NetHeaderList.h"

#include "core/Collection.h"
#include "core/TextCase.h"
#include "core/TextTrim.h"

namespace wispel {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Cuts a line after every blank that is not inside double quotes.
std::vector<std::string> breakableSegments(const std::string& line) {
    std::vector<std::string> segments(1);
    bool quoted = false;
    for (char c : line) {
        segments.back() += c;
        if (c == '"') quoted = !quoted;
        if (isBlank(c) && !quoted) segments.emplace_back();
    }
    if (segments.back().empty()) segments.pop_back();
    return segments;
}

}  // namespace

const std::string& TNetHeaderList::Strings(int index) const {
    checkListIndex(index, Count());
    return lines_[static_cast<size_t>(index)];
}

void TNetHeaderList::Put(int index, std::string line) {
    checkListIndex(index, Count());
    lines_[static_cast<size_t>(index)] = std::move(line);
}

int TNetHeaderList::Add(std::string line) {
    lines_.push_back(std::move(line));
    return Count() - 1;
}

void TNetHeaderList::Insert(int index, std::string line) {
    if (index != Count()) checkListIndex(index, Count());
    lines_.insert(lines_.begin() + index, std::move(line));
}

void TNetHeaderList::Delete(int index) {
    checkListIndex(index, Count());
    lines_.erase(lines_.begin() + index);
}

int TNetHeaderList::IndexOf(const std::string& line) const {
    for (int i = 0; i < Count(); ++i) {
        if (sameText(lines_[static_cast<size_t>(i)], line)) return i;
    }
    return -1;
}

void TNetHeaderList::AddStrings(const TNetHeaderList& other) {
    lines_.insert(lines_.end(), other.lines_.begin(), other.lines_.end());
}

std::string TNetHeaderList::Text() const {
    std::string text;
    for (const auto& line : lines_) text += line + "\r\n";
    return text;
}

std::string TNetHeaderList::nameOfLine(int index) const {
    const std::string& line = Strings(index);
    std::size_t end = line.find(trimTextRight(valueSeparator));
    if (end == std::string::npos) return {};
    std::string name = line.substr(0, end);
    if (!caseSensitiveNames) {
        for (char& c : name) {
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return name;
}

int TNetHeaderList::indexOfName(const std::string& name) const {
    for (int i = 0; i < Count(); ++i) {
        if (lines_[static_cast<size_t>(i)].find(':') == std::string::npos) continue;
        if (sameText(nameOfLine(i), name)) return i;
    }
    return -1;
}

bool TNetHeaderList::isContinuation(int index) const {
    const std::string& line = lines_[static_cast<size_t>(index)];
    return !line.empty() && isBlank(line.front());
}

int TNetHeaderList::endOfContinuation(int index) const {
    int end = index + 1;
    while (end < Count() && isContinuation(end)) ++end;
    return end;
}

std::string TNetHeaderList::valueOfLine(int index) const {
    if (index < 0) return {};
    const std::string& line = Strings(index);
    std::size_t start = nameOfLine(index).size() + 1;
    std::string value = start < line.size() ? line.substr(start) : std::string();
    if (unfoldOnRead) {
        int end = endOfContinuation(index);
        for (int i = index + 1; i < end; ++i) {
            if (!value.empty() && !isBlank(value.back())) value += ' ';
            value += trimTextLeft(lines_[static_cast<size_t>(i)]);
        }
    }
    return std::string(trimTextLeft(value));
}

void TNetHeaderList::setValue(const std::string& name, const std::string& text) {
    int index = indexOfName(name);
    if (text.empty()) {
        if (index < 0) return;
        int end = foldOnWrite ? endOfContinuation(index) : index + 1;
        lines_.erase(lines_.begin() + index, lines_.begin() + end);
        return;
    }
    if (index < 0) index = Add({});
    std::string line = name + valueSeparator + text;
    if (!foldOnWrite) {
        lines_[static_cast<size_t>(index)] = line;
        return;
    }
    lines_.erase(lines_.begin() + index, lines_.begin() + endOfContinuation(index));
    auto pieces = foldLine(line, foldWidth);
    lines_.insert(lines_.begin() + index, pieces.begin(), pieces.end());
}

std::vector<std::string> TNetHeaderList::foldLine(const std::string& line, int width) {
    std::vector<std::string> pieces(1);
    for (const auto& segment : breakableSegments(line)) {
        std::string& current = pieces.back();
        auto wanted = current.size() + trimTextRight(segment).size();
        if (!trimTextLeft(current).empty() && wanted > static_cast<std::size_t>(width)) {
            pieces.push_back(" " + segment);
        } else {
            current += segment;
        }
    }
    for (auto& piece : pieces) piece.resize(trimTextRight(piece).size());
    return pieces;
}

}  // namespace wispel
